#include "ringeye/layout.h"

#include <cstdio>
#include <cstring>

#include "ringeye/monitor_state.h"

char TextBuffer[kTextBufferSize];

namespace {
// Failure messages start after the spinner's cell.
constexpr int32_t kMessageColumn = 1;
constexpr int32_t kMessageRowCells = kPadColumns - kMessageColumn;
}  // namespace

void PutAt(VtHandle window, const char* text, int32_t row, int32_t col) {
    if (vtMove(window, row, col)) vtPutString(window, text);
}

void PutMessage(VtHandle window, const char* text) {
    // The pad cuts each row at its last column; the cut part goes to the next row. The closing
    // newline blanks the rest of the last row and takes no cell.
    size_t left = std::strcspn(text, "\n");
    for (int32_t row = 0;; ++row) {
        PutAt(window, text, row, kMessageColumn);
        if (left <= static_cast<size_t>(kMessageRowCells)) break;
        text += kMessageRowCells;
        left -= kMessageRowCells;
    }
}

int32_t PutTextInWidth(VtHandle window, const char* text, int32_t width, int32_t room, int32_t row,
                       int32_t col) {
    if (room > kPadColumns - col) room = kPadColumns - col;
    if (width > room) width = room;
    if (room < 0) return 0;
    const int written =
        std::snprintf(TextBuffer, sizeof TextBuffer, "%-*.*s", static_cast<int>(width),
                      static_cast<int>(room), text ? text : "");
    PutAt(window, TextBuffer, row, col);
    return written < 0 ? 0 : written;
}

double TimeToMs(int32_t fddiTime) {
    // Complemented first and increased by one in floating point, so that the most negative
    // count does not overflow.
    const double units = static_cast<double>(~fddiTime) + 1.0;
    return units * 8e-08 * 1000.0;
}

const char* TextOf(const TextTable& table, uint32_t number) {
    return number < table.count ? table.texts[number] : table.fallback;
}

int32_t WidestText(const TextTable& table) {
    size_t widest = table.fallback ? std::strlen(table.fallback) : 0;
    for (size_t i = 0; i < table.count; ++i) {
        if (table.texts[i] && std::strlen(table.texts[i]) > widest) {
            widest = std::strlen(table.texts[i]);
        }
    }
    return static_cast<int32_t>(widest);
}
