#include "platform/vtwin/window.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace vtwin {
namespace {

VtWindowRecord records[kVtMaxWindows];
std::unique_ptr<char[]> cellStores[kVtMaxWindows];
std::unique_ptr<uint8_t[]> touchStores[kVtMaxWindows];
std::unique_ptr<uint8_t[]> styleStores[kVtMaxWindows];
int nextRecord = 0;

size_t CellIndex(const VtWindowRecord& window, int row, int column) {
    return static_cast<size_t>(row) * window.columns + column;
}

size_t CellCount(const VtWindowRecord& window) {
    return static_cast<size_t>(window.rows) * window.columns;
}

void SetCell(VtWindowRecord& window, int row, int column, char character) {
    size_t index = CellIndex(window, row, column);
    window.cells[index] = character;
    // Written text is plain: a style belongs to what was there before.
    window.styles[index] = kVtStyleNormal;
    if (window.touched) window.touched[index] = 1;
}

void BlankRestOfRow(VtWindowRecord& window) {
    for (int column = window.cursorColumn; column < window.columns; ++column) {
        SetCell(window, window.cursorRow, column, ' ');
    }
    if (window.cursorRow + 1 < window.rows) {
        ++window.cursorRow;
        window.cursorColumn = 0;
    } else {
        window.cursorColumn = window.columns;
    }
}

int FreeRecordIndex() {
    for (int tried = 0; tried < kVtMaxWindows; ++tried) {
        int index = (nextRecord + tried) % kVtMaxWindows;
        if (records[index].liveMark != kVtLiveMark) {
            nextRecord = (index + 1) % kVtMaxWindows;
            return index;
        }
    }
    return -1;
}

}  // namespace

VtWindowRecord* CreateWindowRecord(VtWindowKind kind, int rows, int columns, int top, int left) {
    if (rows < 1 || rows > kVtMaxSide || columns < 1 || columns > kVtMaxSide) return nullptr;
    if (top < 0 || top > kVtMaxSide || left < 0 || left > kVtMaxSide) return nullptr;
    int index = FreeRecordIndex();
    if (index < 0) return nullptr;
    size_t cellCount = static_cast<size_t>(rows) * columns;
    cellStores[index].reset(new char[cellCount]);
    std::memset(cellStores[index].get(), ' ', cellCount);
    styleStores[index].reset(new uint8_t[cellCount]);
    std::memset(styleStores[index].get(), kVtStyleNormal, cellCount);
    touchStores[index].reset();
    if (kind == kVtMainWindow) {
        touchStores[index].reset(new uint8_t[cellCount]);
        std::memset(touchStores[index].get(), 0, cellCount);
    }
    VtWindowRecord& window = records[index];
    window = VtWindowRecord{};
    window.liveMark = kVtLiveMark;
    window.rows = rows;
    window.columns = columns;
    window.kind = kind;
    window.top = top;
    window.left = left;
    window.cells = cellStores[index].get();
    window.touched = touchStores[index].get();
    window.styles = styleStores[index].get();
    return &window;
}

void DestroyWindowRecord(VtHandle handle) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window) return;
    size_t index = static_cast<size_t>(window - records);
    *window = VtWindowRecord{};
    cellStores[index].reset();
    touchStores[index].reset();
    styleStores[index].reset();
}

void DestroyAllWindowRecords() {
    for (VtWindowRecord& record : records)
        DestroyWindowRecord(&record);
}

VtWindowRecord* LiveWindow(VtHandle window) {
    if (!window) return nullptr;
    for (VtWindowRecord& record : records) {
        if (&record == window) return record.liveMark == kVtLiveMark ? &record : nullptr;
    }
    return nullptr;
}

bool MoveCursor(VtWindowRecord& window, int row, int column) {
    if (row < 0 || row >= window.rows || column < 0 || column >= window.columns) return false;
    window.cursorRow = row;
    window.cursorColumn = column;
    return true;
}

void WriteCharacter(VtWindowRecord& window, char character) {
    if (character == '\n') {
        BlankRestOfRow(window);
        return;
    }
    if (window.cursorColumn >= window.columns) return;
    // A cell never holds NUL, so every row of the screen reads as plain text.
    SetCell(window, window.cursorRow, window.cursorColumn, character == '\0' ? ' ' : character);
    ++window.cursorColumn;
}

void WriteText(VtWindowRecord& window, const char* text, size_t length) {
    const char* const end = text + length;
    while (text < end) {
        if (*text == '\n') {
            BlankRestOfRow(window);
            ++text;
            continue;
        }
        // The characters up to the next line end go in as one run, cut at the last column:
        // a refresh writes whole screens of text, and a cell at a time showed in its cost.
        const char* const lineEnd =
            static_cast<const char*>(std::memchr(text, '\n', static_cast<size_t>(end - text)));
        const char* const runEnd = lineEnd ? lineEnd : end;
        const size_t room = window.cursorColumn < window.columns
                                ? static_cast<size_t>(window.columns - window.cursorColumn)
                                : 0;
        const size_t count = std::min(static_cast<size_t>(runEnd - text), room);
        if (count > 0) {
            const size_t first = CellIndex(window, window.cursorRow, window.cursorColumn);
            // A cell never holds NUL, so every row of the screen reads as plain text.
            std::replace_copy(text, text + count, window.cells + first, '\0', ' ');
            // Written text is plain: a style belongs to what was there before.
            std::memset(window.styles + first, kVtStyleNormal, count);
            if (window.touched) std::memset(window.touched + first, 1, count);
            window.cursorColumn += static_cast<int>(count);
        }
        text = runEnd;
    }
}

void EraseCells(VtWindowRecord& window) {
    std::memset(window.cells, ' ', CellCount(window));
    std::memset(window.styles, kVtStyleNormal, CellCount(window));
    if (window.touched) std::memset(window.touched, 1, CellCount(window));
    window.cursorRow = 0;
    window.cursorColumn = 0;
}

void DrawBorder(VtWindowRecord& window, char vertical, char horizontal) {
    int lastRow = window.rows - 1;
    int lastColumn = window.columns - 1;
    for (int column = 0; column <= lastColumn; ++column) {
        SetCell(window, 0, column, horizontal);
        SetCell(window, lastRow, column, horizontal);
    }
    for (int row = 1; row < lastRow; ++row) {
        SetCell(window, row, 0, vertical);
        SetCell(window, row, lastColumn, vertical);
    }
}

int StyleCells(VtWindowRecord& window, int row, int column, int length, uint8_t style) {
    if (row < 0 || row >= window.rows || column < 0 || column >= window.columns || length <= 0) {
        return 0;
    }
    const int count = length < window.columns - column ? length : window.columns - column;
    const size_t first = CellIndex(window, row, column);
    std::memset(window.styles + first, style, static_cast<size_t>(count));
    if (window.touched) std::memset(window.touched + first, 1, static_cast<size_t>(count));
    return count;
}

}  // namespace vtwin
