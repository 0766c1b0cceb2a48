#include "platform/vtwin/screen.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace vtwin {
namespace {

LibraryState library;

bool CursorVisibleFor(VtHandle reader) {
    const VtWindowRecord* window = LiveWindow(reader);
    if (!window) window = library.mainWindow;
    return !window || (window->WindowOptions & kVtHideCursor) == 0;
}

}  // namespace

LibraryState& Library() {
    return library;
}

bool LibraryOpen() {
    return library.display != nullptr && library.mainWindow != nullptr;
}

void ResetImage(int rows, int columns) {
    ScreenImage& image = library.image;
    image.rows = rows;
    image.columns = columns;
    image.text.assign(static_cast<size_t>(rows), std::string(static_cast<size_t>(columns), ' '));
    image.styles.assign(static_cast<size_t>(rows),
                        std::string(static_cast<size_t>(columns), char{kVtStyleNormal}));
    image.cursorVisible = true;
    image.cursorRow = 0;
    image.cursorColumn = 0;
}

void CopyWindowToImage(const VtWindowRecord& window, int top, int left) {
    ScreenImage& image = library.image;
    int firstRow = std::max(0, -top);
    int lastRow = std::min(window.rows, image.rows - top);
    int firstColumn = std::max(0, -left);
    int lastColumn = std::min(window.columns, image.columns - left);
    if (firstColumn >= lastColumn) return;
    // Row by row: the clipping above keeps both ends of every copy inside the window and the
    // image, and a whole row at a time keeps the refresh of a full window cheap.
    for (int row = firstRow; row < lastRow; ++row) {
        const size_t first = static_cast<size_t>(row) * window.columns + firstColumn;
        const size_t count = static_cast<size_t>(lastColumn - firstColumn);
        const size_t to = static_cast<size_t>(left + firstColumn);
        std::copy_n(window.cells + first, count,
                    image.text[static_cast<size_t>(top + row)].begin() + to);
        std::copy_n(window.styles + first, count,
                    image.styles[static_cast<size_t>(top + row)].begin() + to);
    }
}

void CopyTouchedMainCells() {
    VtWindowRecord& window = *library.mainWindow;
    ScreenImage& image = library.image;
    const int columns = std::min(window.columns, image.columns);
    for (int row = 0; row < window.rows && row < image.rows; ++row) {
        const size_t rowStart = static_cast<size_t>(row) * window.columns;
        // Most rows have no written cell between two refreshes; memchr passes over them fast.
        const void* firstTouched =
            std::memchr(window.touched + rowStart, 1, static_cast<size_t>(columns));
        if (!firstTouched) continue;
        const int first = static_cast<int>(static_cast<const uint8_t*>(firstTouched) -
                                           (window.touched + rowStart));
        for (int column = first; column < columns; ++column) {
            const size_t index = rowStart + static_cast<size_t>(column);
            if (window.touched[index]) {
                image.text[static_cast<size_t>(row)][static_cast<size_t>(column)] =
                    window.cells[index];
                image.styles[static_cast<size_t>(row)][static_cast<size_t>(column)] =
                    static_cast<char>(window.styles[index]);
            }
        }
    }
    ForgetTouchedMainCells();
}

void ForgetTouchedMainCells() {
    VtWindowRecord& window = *library.mainWindow;
    std::fill(window.touched, window.touched + static_cast<size_t>(window.rows) * window.columns,
              uint8_t{0});
}

bool RecordPadRectangle(VtWindowRecord& pad, int padRow, int padColumn, int top, int left,
                        int bottom, int right) {
    if (library.pendingPadCount >= kMaxPendingPads) return false;
    // Beyond these bounds nothing of the rectangle can be on a screen or in a pad; refusing them
    // keeps the arithmetic below inside int.
    for (int corner : {padRow, padColumn, top, left}) {
        if (corner < -kVtMaxSide || corner > kVtMaxSide) return false;
    }
    // A negative pad origin moves the rectangle so that pad cell (r, c) still lands where the
    // caller's arithmetic puts it; only the part that exists on both sides is kept.
    if (padRow < 0) {
        top -= padRow;
        padRow = 0;
    }
    if (padColumn < 0) {
        left -= padColumn;
        padColumn = 0;
    }
    if (top < 0) {
        padRow -= top;
        top = 0;
    }
    if (left < 0) {
        padColumn -= left;
        left = 0;
    }
    bottom = std::clamp(bottom, -1, library.image.rows - 1);
    right = std::clamp(right, -1, library.image.columns - 1);
    int rows = std::min(bottom - top + 1, pad.rows - padRow);
    int columns = std::min(right - left + 1, pad.columns - padColumn);
    if (rows <= 0 || columns <= 0) return false;
    library.pendingPads[library.pendingPadCount++] =
        PadRectangle{&pad, padRow, padColumn, top, left, rows, columns};
    return true;
}

void ApplyPendingPads() {
    ScreenImage& image = library.image;
    for (int i = 0; i < library.pendingPadCount; ++i) {
        const PadRectangle& shown = library.pendingPads[i];
        const VtWindowRecord* pad = LiveWindow(shown.pad);
        if (!pad) continue;
        // Whole rows at a time; RecordPadRectangle clipped the rectangle to the pad and the
        // screen, and a pad keeps its size for life.
        for (int row = 0; row < shown.rows; ++row) {
            const size_t first = static_cast<size_t>(shown.padRow + row) * pad->columns +
                                 static_cast<size_t>(shown.padColumn);
            const size_t count = static_cast<size_t>(shown.columns);
            const size_t imageRow = static_cast<size_t>(shown.top + row);
            std::copy_n(pad->cells + first, count, image.text[imageRow].begin() + shown.left);
            std::copy_n(pad->styles + first, count, image.styles[imageRow].begin() + shown.left);
        }
    }
    library.pendingPadCount = 0;
}

void DropPendingPads(VtHandle pad) {
    int kept = 0;
    for (int i = 0; i < library.pendingPadCount; ++i) {
        if (library.pendingPads[i].pad != pad) library.pendingPads[kept++] = library.pendingPads[i];
    }
    library.pendingPadCount = kept;
}

void PresentWithCursorOf(const VtWindowRecord& window) {
    ScreenImage& image = library.image;
    int row = window.top + std::min(window.cursorRow, window.rows - 1);
    int column = window.left + std::min(window.cursorColumn, window.columns - 1);
    image.cursorRow = std::clamp(row, 0, image.rows - 1);
    image.cursorColumn = std::clamp(column, 0, image.columns - 1);
    image.cursorVisible = CursorVisibleFor(library.keyReader);
    library.display->Present(image);
}

void NoteKeyReader(VtWindowRecord& window) {
    library.keyReader = &window;
    if (CursorVisibleFor(&window) != library.image.cursorVisible) {
        library.image.cursorVisible = !library.image.cursorVisible;
        library.display->Present(library.image);
    }
}

}  // namespace vtwin
