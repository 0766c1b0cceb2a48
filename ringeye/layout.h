// The small painting helpers every screen uses: text at a place of a window, failure messages,
// FDDI times, and the text tables that name numbers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/vtwin/vtwin.h"

constexpr size_t kTextBufferSize = 256;
// Where values and messages are formatted before they are put on a window.
extern char TextBuffer[kTextBufferSize];

// Writes `text` at (row, col) of `window` when the cursor can be moved there.
void PutAt(VtHandle window, const char* text, int32_t row, int32_t col);
// Writes a failure message from row 0, column 1 of `window`, clear of the spinner at column 0.
// A message longer than the row goes on at column 1 of the next row instead of losing its end.
void PutMessage(VtHandle window, const char* text);
// Puts a text at (row, col) padded with blanks to `width` cells, so that it covers any other
// text of its table painted there before; neither text nor blanks go past `room` cells or the
// pad's last column. Answers the cells written.
int32_t PutTextInWidth(VtHandle window, const char* text, int32_t width, int32_t room, int32_t row,
                       int32_t col);
// FDDI time (a negative count of 80 ns units) as milliseconds.
double TimeToMs(int32_t fddiTime);

// A text table with the text shown for numbers beyond it.
struct TextTable {
    const char* const* texts;
    size_t count;
    const char* fallback;
};

template <size_t N>
constexpr TextTable MakeTextTable(const char* const (&texts)[N], const char* fallback) {
    return {texts, N, fallback};
}

// The table's text for `number`, or its fallback for a number beyond it.
const char* TextOf(const TextTable& table, uint32_t number);
// The widest text of the table, fallback included: the cells a value from that table must cover
// so that no longer earlier text leaves its tail behind.
int32_t WidestText(const TextTable& table);

// Upper-case state names shared by the header and the Composite screen; a number beyond a
// table shows kUnknownName.
extern const TextTable EcmStateNames;
extern const TextTable CfStateNames;
extern const TextTable RmtStateNames;
extern const TextTable PcmStateNames;
extern const TextTable ConnectStateNames;
extern const TextTable PortTypeLetters;
extern const char* const TrueFalseTexts[2];
constexpr const char* kUnknownName = "?";
