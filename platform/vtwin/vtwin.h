// The text-window library the monitors draw with: main window, sub-windows and off-screen pads
// of character cells, and the keyboard. Operation names and arguments are those of the library
// the programs were written against; the ordinal of each operation is given beside it.
//
// Model (see window.h for the record and the cell store):
// - Every window keeps its own cells and its own cursor. Text written to a window is clipped at
//   its last column and never wraps; a "\n" blanks the rest of the row it is written on and
//   moves the cursor to the start of the next row (on the last row the cursor stays past the
//   row's end, so the text up to the next "\n" is dropped).
// - The library composes a screen image, the main window's size, from the windows and shows it
//   on the display; a terminal smaller than the image shows what fits, down to the size the
//   program uses (vtSetUsedSize); below that it shows a notice of the size needed.
//   vtRefresh(window) copies all of a window's cells to the screen at its place and shows the
//   result before it returns, so a refreshed sub-window covers what lies under it, and erasing
//   and refreshing it again blanks that area (the caller then refreshes what belongs there).
//   vtShowPad records a pad rectangle; vtUpdate copies every recorded rectangle to the screen,
//   then copies the main-window cells written since the main window was last shown, then shows
//   the screen. So a cell of the main window written just before vtUpdate, such as ringeye's
//   spinner at (0,0), stays visible beside pad regions shown over it.
// - The screen cursor is at the cursor of the window last refreshed (the main window's after
//   vtUpdate). It is hidden while the window that last read keys (before any did, the main
//   window) has kVtHideCursor.
// - Keys: see WindowOptions below and vtStartInput/vtStartKeys.
// - Handles are checked: a NULL, foreign or deleted handle makes an operation answer 0 and do
//   nothing. After the main window is open, writing, refreshing and updating do not allocate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32_on_linux/win32.h"

// Bits of the WindowOptions byte at offset 14 of the window record. The programs set them
// directly on their main window.
//  0x08 kVtHideCursor: while this window reads keys the terminal cursor is hidden.
//  0x10 kVtNoWait: vtGetKey on this window answers 0 at once when no key waits; without it
//       vtGetKey waits for a key (the dialogs' sub-windows read keys that way).
constexpr uint8_t kVtHideCursor = 0x08;
constexpr uint8_t kVtNoWait = 0x10;

// Cell styles (vtSetStyle). Every cell starts in the normal style and goes back to it when text
// is written to it or its window is erased.
//  kVtStyleTrouble: a value that needs the operator's attention. Shown red (bold red in the
//       window on Windows), or in reverse video on a terminal without colours or when the
//       environment sets NO_COLOR.
constexpr int kVtStyleNormal = 0;
constexpr int kVtStyleTrouble = 1;

struct VtWindowRecord;
using VtHandle = VtWindowRecord*;

#if defined(__GNUC__) || defined(__clang__)
// Lets the compiler check each format against its arguments, as it does for printf.
#define VT_PRINTF_FORMAT(formatIndex, firstValue) \
    __attribute__((format(printf, formatIndex, firstValue)))
#else
#define VT_PRINTF_FORMAT(formatIndex, firstValue)
#endif

extern "C" {

// 50: opens the display and the main window (rows x columns, each 1..1024); stores its handle
// and answers nonzero. The title is shown where the display can; the font arguments are
// accepted and not used on a terminal (on Windows the window uses them, see gdi_display.h).
// Answers 0 when the library is already open. The terminal is restored at exit even when vtEnd
// is never called.
int vtOpenMain(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow, const char* title,
               VtHandle* handle, int rows, int columns, const char* fontFace, int fontSize);
// 13: an off-screen pad of rows x columns blank cells.
VtHandle vtNewPad(int rows, int columns);
// 14: a sub-window of rows x columns whose top-left corner is at screen (top, left).
VtHandle vtNewWindow(int rows, int columns, int top, int left);
// 4: frees a window or pad; its pending vtShowPad rectangles are dropped. The main window is
// freed by vtEnd (answers 0 here).
int vtDeleteWindow(VtHandle window);
// 29: blanks every cell and homes the cursor.
int vtErase(VtHandle window);
// 41: the window's cells are on the screen when this returns. A pad is never on the screen by
// itself: it is shown with vtShowPad, and vtRefresh of a pad answers 0.
int vtRefresh(VtHandle window);
// 21: pad rectangle from (padRow, padColumn) to the inclusive screen rectangle
// (top, left)-(bottom, right), clipped to the pad and the screen, shown at the next vtUpdate.
// Answers 0 when nothing of it is visible or 16 rectangles already wait for vtUpdate.
int vtShowPad(VtHandle pad, int padRow, int padColumn, int top, int left, int bottom, int right);
// 5: everything pending is shown.
int vtUpdate(void);
// 7: ends the library's use, frees every window and restores the terminal.
int vtEnd(void);
// 39: nonzero when (row, column) lies inside the window and the cursor was moved there.
int vtMove(VtHandle window, int row, int column);
// 28: writes text at the cursor.
int vtPutString(VtHandle window, const char* text);
// 27: writes one character (its low 8 bits) at the cursor.
int vtPutChar(VtHandle window, int character);
// 48, 46, 42: printf-style at the cursor of a window, of the main window, and at (row, column)
// of the main window (nothing is written when that position is outside it). Formatting goes
// through a 512-byte buffer; longer results are cut.
int vtPrintf(VtHandle window, const char* format, ...) VT_PRINTF_FORMAT(2, 3);
int vtPrint(const char* format, ...) VT_PRINTF_FORMAT(1, 2);
int vtPrintAt(int row, int column, const char* format, ...) VT_PRINTF_FORMAT(3, 4);
// 2: draws the border with the vertical and horizontal characters (0 gives '|' and '-'); the
// four corners take the horizontal character. The cursor does not move.
int vtBox(VtHandle window, int vertical, int horizontal);
// 34: the next key, or 0 at once when none waits on a kVtNoWait window. Enter is 10, Backspace 8,
// Esc 27, other keys their character; keys without a character are never returned.
int vtGetKey(VtHandle window);
// 23: keyboard set-up: the keyboard is read key by key, without echo. Until then no key is
// read (vtGetKey answers 0 and keys stay waiting).
int vtStartInput(void);
// 15: key translation set-up: Enter, Backspace and Esc are mapped to 10, 8 and 27 and keys
// without a character are dropped. Until then keys are returned as they arrive (Enter as 13,
// Backspace as 127 or 8, keys without a character as codes of 256 and above).
int vtStartKeys(void);

// Not in the original library: waits up to timeoutMs (negative: without limit) for a key to
// arrive without taking it; the next vtGetKey returns it. Answers nonzero when a key waits. It
// lets a program that waits between refreshes sleep until a key or its deadline instead of
// polling. Before vtStartInput it sleeps for timeoutMs and answers 0.
int vtWaitKey(VtHandle window, int timeoutMs);
// Not in the original library: the next key without taking it (the next vtGetKey returns it), or
// 0 at once when none waits. Never waits, whatever the window's bits. A program busy between two
// waits uses it to see whether the operator asked for something meanwhile.
int vtPeekKey(VtHandle window);
// Not in the original library: the part of the main window, from its top-left cell, that the
// program draws in (each 1 up to the main window's size). A terminal smaller than that shows a
// centred line giving the size needed instead of a cropped screen, until it grows large enough;
// one between that and the main window's size shows what fits. Until called, the whole main
// window. Call after vtOpenMain.
int vtSetUsedSize(int rows, int columns);

// Not in the original library: gives `length` cells from (row, column) of a window or pad the
// style `style` (kVtStyleNormal or kVtStyleTrouble), clipped at the row's end. Texts and the
// cursor stay as they are, so a program can mark what it painted without repainting it. Answers
// the number of cells styled; 0 for a bad handle, a position outside the window or an unknown
// style.
int vtSetStyle(VtHandle window, int row, int column, int length, int style);
}
