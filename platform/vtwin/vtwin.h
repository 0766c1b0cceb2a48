// The text-window library the monitors draw with: main window, sub-windows and off-screen pads
// of character cells, and the keyboard. Operation names and arguments are those of the library
// the programs were written against; the ordinal of each operation is given beside it.
//
// Model (see window.h for the record and the cell store):
// - Every window keeps its own cells and its own cursor. Text written to a window is clipped at
//   its last column and never wraps; a "\n" blanks the rest of the row it is written on.
// - The library composes a screen image from the windows and shows it on the display:
//   vtRefresh(window) copies all of a window's cells to the screen at its place and shows the
//   result before it returns, so a refreshed sub-window covers what lies under it, and erasing
//   and refreshing it again blanks that area (the caller then refreshes what belongs there).
//   vtShowPad records a pad rectangle; vtUpdate copies every recorded rectangle to the screen,
//   then copies the main-window cells written since the main window was last shown, then shows
//   the screen. So a cell of the main window written just before vtUpdate, such as ringeye's
//   spinner at (0,0), stays visible beside pad regions shown over it.
// - Keys: see WindowOptions below and vtStartInput/vtStartKeys.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/win32.h"

// Bits of the WindowOptions byte at offset 14 of the window record. The programs set them
// directly on their main window.
//  0x08 kVtHideCursor: while this window reads keys the terminal cursor is hidden.
//  0x10 kVtNoWait: vtGetKey on this window answers 0 at once when no key waits; without it
//       vtGetKey waits for a key (the dialogs' sub-windows read keys that way).
constexpr uint8_t kVtHideCursor = 0x08;
constexpr uint8_t kVtNoWait = 0x10;

struct VtWindowRecord;
using VtHandle = VtWindowRecord*;

extern "C" {

// 50: opens the display and the main window (rows x columns); stores its handle. The title is
// shown where the display can; the font arguments are accepted and not used on a terminal.
int vtOpenMain(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow, const char* title,
               VtHandle* handle, int rows, int columns, const char* fontFace, int fontSize);
// 13: an off-screen pad of rows x columns blank cells.
VtHandle vtNewPad(int rows, int columns);
// 14: a sub-window of rows x columns whose top-left corner is at screen (top, left).
VtHandle vtNewWindow(int rows, int columns, int top, int left);
// 4: frees a window or pad. The main window is freed by vtEnd.
int vtDeleteWindow(VtHandle window);
// 29: blanks every cell and homes the cursor.
int vtErase(VtHandle window);
// 41: the window's cells are on the screen when this returns.
int vtRefresh(VtHandle window);
// 21: pad rectangle from (padRow, padColumn) to the inclusive screen rectangle
// (top, left)-(bottom, right), shown at the next vtUpdate.
int vtShowPad(VtHandle pad, int padRow, int padColumn, int top, int left, int bottom, int right);
// 5: everything pending is shown.
int vtUpdate(void);
// 7: ends the library's use and restores the terminal.
int vtEnd(void);
// 39: nonzero when (row, column) lies inside the window and the cursor was moved there.
int vtMove(VtHandle window, int row, int column);
// 28: writes text at the cursor.
int vtPutString(VtHandle window, const char* text);
// 27: writes one character at the cursor.
int vtPutChar(VtHandle window, int character);
// 48, 46, 42: printf-style at the cursor of a window, of the main window, and at (row, column)
// of the main window. Formatting goes through a bounded buffer; longer results are cut.
int vtPrintf(VtHandle window, const char* format, ...);
int vtPrint(const char* format, ...);
int vtPrintAt(int row, int column, const char* format, ...);
// 2: draws the border with the vertical and horizontal characters.
int vtBox(VtHandle window, int vertical, int horizontal);
// 34: the next key, or 0 at once when none waits on a kNoWait window. Enter is 10, Backspace 8,
// Esc 27, other keys their character; keys without a character are never returned.
int vtGetKey(VtHandle window);
// 23: keyboard set-up: the keyboard is read key by key, without echo. Until then no key is
// read (vtGetKey answers 0 and keys stay waiting).
int vtStartInput(void);
// 15: key translation set-up: Enter, Backspace and Esc are mapped to 10, 8 and 27 and keys
// without a character are dropped. Until then keys are returned as they arrive.
int vtStartKeys(void);

// Not in the original library: waits up to timeoutMs for a key to arrive without taking it.
// Answers nonzero when a key waits. It lets a program that waits between refreshes sleep until
// a key or its deadline instead of polling.
int vtWaitKey(VtHandle window, int timeoutMs);
}
