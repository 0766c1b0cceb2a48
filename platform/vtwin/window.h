// The record behind every library handle (main window, sub-window, pad) and the operations on
// its cells. Nothing here knows about the screen or the display.
//
// Records live in a fixed pool and are never freed, only marked dead, so a handle that was
// deleted still points at readable memory: every operation checks the handle against the pool
// and its live mark and answers 0 instead of touching freed storage. Free records are handed
// out in turn, so a stale handle is not at once taken by the next window created.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/vtwin/vtwin.h"

enum VtWindowKind : uint8_t { kVtMainWindow = 1, kVtSubWindow = 2, kVtPad = 3 };

// Standard layout with fixed offsets: the programs set WindowOptions directly, as a byte at
// offset 14 of the record.
struct VtWindowRecord {
    uint32_t liveMark;      // kVtLiveMark while the record is in use, 0 once deleted
    int32_t rows;           // 1..kVtMaxSide
    int32_t columns;        // 1..kVtMaxSide
    uint8_t kind;           // VtWindowKind
    uint8_t reserved13;     // keeps WindowOptions at its offset
    uint8_t WindowOptions;  // kVtHideCursor, kVtNoWait; set by the programs
    uint8_t reserved15;
    int32_t top;           // screen row of cell (0,0) for a sub-window; 0 otherwise
    int32_t left;          // screen column of cell (0,0) for a sub-window; 0 otherwise
    int32_t cursorRow;     // 0..rows-1
    int32_t cursorColumn;  // 0..columns; `columns` once text reached the row's end
    char* cells;           // rows * columns characters, row after row, allocated at creation
    uint8_t* touched;      // main window only: 1 for a cell written since the window was shown
    uint8_t* styles;       // rows * columns cell styles (kVtStyleNormal, kVtStyleTrouble)
};

static_assert(std::is_standard_layout<VtWindowRecord>::value, "the record is read by offset");
static_assert(offsetof(VtWindowRecord, WindowOptions) == 14, "WindowOptions lives at byte 14");

namespace vtwin {

constexpr uint32_t kVtLiveMark = 0x5654574Eu;
// Largest number of rows or columns of one window, so that rows * columns cannot overflow.
constexpr int kVtMaxSide = 1024;
constexpr int kVtMaxWindows = 32;

// A new record with blank cells and the cursor at (0,0), or nullptr when the size is outside
// 1..kVtMaxSide, the position is outside 0..kVtMaxSide, or the pool is full.
VtWindowRecord* CreateWindowRecord(VtWindowKind kind, int rows, int columns, int top, int left);
// Marks the record dead and frees its cells. Ignores a handle that is not live.
void DestroyWindowRecord(VtHandle window);
void DestroyAllWindowRecords();
// The record when `window` is a live handle from the pool, else nullptr. Never dereferences a
// pointer that is not one of the pool's records.
VtWindowRecord* LiveWindow(VtHandle window);

bool MoveCursor(VtWindowRecord& window, int row, int column);
// Writes bytes from the cursor on: clipped at the last column, never wrapped; "\n" blanks the
// rest of its row and moves the cursor to the start of the next row (on the last row the cursor
// stays past the row's end, so text up to the next "\n" is dropped).
void WriteText(VtWindowRecord& window, const char* text, size_t length);
void WriteCharacter(VtWindowRecord& window, char character);
void EraseCells(VtWindowRecord& window);
// Border on the outermost rows and columns; the corners take the horizontal character.
void DrawBorder(VtWindowRecord& window, char vertical, char horizontal);
// Gives up to `length` cells from (row, column) the style, clipped at the row's end; answers how
// many. Texts and the cursor are untouched.
int StyleCells(VtWindowRecord& window, int row, int column, int length, uint8_t style);

inline char CellAt(const VtWindowRecord& window, int row, int column) {
    return window.cells[static_cast<size_t>(row) * window.columns + column];
}

}  // namespace vtwin
