// How every screen is drawn: static label tables, values placed right after their labels, and
// the helpers that format values through the one shared TextBuffer.
#pragma once

#include <cstddef>
#include <cstdint>

// One label of a screen. A table ends with the first entry whose text is null.
struct LabelEntry {
    int32_t row;    // pad row
    int32_t col;    // pad column of the label's first character
    int32_t style;  // 1 headings and header labels, 2 other labels; no effect on drawing
    const char* text;
};

constexpr size_t kTextBufferSize = 256;
extern char TextBuffer[kTextBufferSize];

// The column right after the label's text, where its value goes.
int32_t ValueColumn(const LabelEntry& label);

// Writes `text` at (row, col) of TargetWindow when the cursor can be moved there.
void PutAt(const char* text, int32_t row, int32_t col, int32_t style);
// Writes a failure message from row 0, column 1 of TargetWindow, clear of the spinner at column
// 0. A message longer than the row goes on at column 1 of the next row instead of losing its end.
void PutMessage(const char* text);
// Prints `value` with `format` and puts it at the label's value column.
void PutValue(const char* format, int32_t value, const LabelEntry& label);
// Puts a text at the label's value column.
void PutText(const char* text, const LabelEntry& label);
// Puts a text at (row, col) padded with blanks to `width` cells, so that it covers any other
// text of its table painted there before; neither text nor blanks go past `room` cells or the
// pad's last column.
void PutTextInWidth(const char* text, int32_t width, int32_t room, int32_t row, int32_t col);
// FDDI time (a negative count of 80 ns units) as milliseconds.
double TimeToMs(int32_t fddiTime);
// Prints an FDDI time as milliseconds with `format` at the label's value column.
void PutTimeMs(const char* format, int32_t fddiTime, const LabelEntry& label);
// "True " for nonzero, "False" for zero, at the label's value column.
void PutFlag(uint32_t condition, const LabelEntry& label);

// Draws the current screen's labels and the poll-rate line.
void DrawLabels();
// Paints the station's identity and states in rows 1 to 3, at entries 1 to 3 of `labels`.
void StationHeader(const LabelEntry* labels);

// The widest of `count` texts and `fallback` (null texts count as empty): the cells a value from
// that table must cover so that no longer earlier text leaves its tail behind.
int32_t WidestText(const char* const* texts, size_t count, const char* fallback);
template <size_t N>
int32_t WidestText(const char* const (&table)[N], const char* fallback) {
    return WidestText(table, N, fallback);
}

// A text table entry, or `fallback` for a number beyond the table.
template <size_t N>
const char* TextOf(const char* const (&table)[N], uint32_t number, const char* fallback) {
    return number < N ? table[number] : fallback;
}

// Upper-case state names shared by the header and the Composite screen; a number beyond a
// table shows kUnknownName.
extern const char* const EcmStateNames[8];
extern const char* const CfStateNames[13];
extern const char* const RmtStateNames[8];
extern const char* const PcmStateNames[10];
extern const char* const ConnectStateNames[4];
extern const char* const PortTypeLetters[5];
extern const char* const TrueFalseTexts[2];
constexpr const char* kUnknownName = "?";
