// The library's one screen: the image composed from the windows, the pad rectangles waiting for
// the next vtUpdate, and the state of the keyboard set-up. Everything is sized when the main
// window opens, so composing and showing never allocate.
#pragma once

#include "platform/vtwin/display.h"
#include "platform/vtwin/window.h"

namespace vtwin {

// One vtShowPad waiting for vtUpdate, already clipped to the pad and the screen.
struct PadRectangle {
    VtHandle pad;
    int padRow;
    int padColumn;
    int top;
    int left;
    int rows;
    int columns;
};

constexpr int kMaxPendingPads = 16;

struct LibraryState {
    Display* display = nullptr;  // set while the library is open
    VtWindowRecord* mainWindow = nullptr;
    ScreenImage image;
    PadRectangle pendingPads[kMaxPendingPads] = {};
    int pendingPadCount = 0;
    bool inputStarted = false;
    bool translateKeys = false;
    // A key taken from the display by vtWaitKey, handed out by the next vtGetKey.
    int heldKey = 0;
    // The window that last read keys; its kVtHideCursor bit decides whether the cursor shows.
    VtHandle keyReader = nullptr;
};

LibraryState& Library();
bool LibraryOpen();

// Sizes the image to the main window, blank; Opens nothing.
void ResetImage(int rows, int columns);
// Copies all of a window's cells to the image with cell (0,0) at screen (top, left), clipped.
void CopyWindowToImage(const VtWindowRecord& window, int top, int left);
// Copies the main-window cells written since it was last shown, and forgets that they were.
void CopyTouchedMainCells();
void ForgetTouchedMainCells();
// Clips and records a pad rectangle; false when nothing of it is on the screen or the list is
// full.
bool RecordPadRectangle(VtWindowRecord& pad, int padRow, int padColumn, int top, int left,
                        int bottom, int right);
void ApplyPendingPads();
void DropPendingPads(VtHandle pad);
// Places the screen cursor at a window's cursor and shows the image.
void PresentWithCursorOf(const VtWindowRecord& window);
// Notes which window reads keys; shows the image again when that changes the cursor.
void NoteKeyReader(VtWindowRecord& window);

}  // namespace vtwin
