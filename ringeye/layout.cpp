#include "ringeye/layout.h"

#include <cstdio>
#include <cstring>

#include "ringeye/monitor_state.h"
#include "ringeye/screens/screens.h"
#include "smtmib/smt_retrieval.h"

char TextBuffer[kTextBufferSize];

namespace {
// Turns a 32-byte attribute value into a zero-terminated string for the header.
char StationString[64];
constexpr int kPollRateRow = 0, kPollRateColumn = 11;
// Failure messages start after the spinner's cell.
constexpr int32_t kMessageColumn = 1;
constexpr int32_t kMessageRowCells = kPadColumns - kMessageColumn;
}  // namespace

int32_t ValueColumn(const LabelEntry& label) {
    return label.col + static_cast<int32_t>(std::strlen(label.text));
}

void PutAt(const char* text, int32_t row, int32_t col, int32_t /*style*/) {
    if (vtMove(TargetWindow, row, col)) vtPutString(TargetWindow, text);
}

void PutMessage(const char* text) {
    // The pad cuts each row at its last column; the cut part goes to the next row. The closing
    // newline blanks the rest of the last row and takes no cell.
    size_t left = std::strcspn(text, "\n");
    for (int32_t row = 0;; ++row) {
        PutAt(text, row, kMessageColumn, 0);
        if (left <= static_cast<size_t>(kMessageRowCells)) break;
        text += kMessageRowCells;
        left -= kMessageRowCells;
    }
}

void PutValue(const char* format, int32_t value, const LabelEntry& label) {
    std::snprintf(TextBuffer, sizeof TextBuffer, format, value);
    PutAt(TextBuffer, label.row, ValueColumn(label), 0);
}

void PutText(const char* text, const LabelEntry& label) {
    PutAt(text, label.row, ValueColumn(label), 0);
}

void PutTextInWidth(const char* text, int32_t width, int32_t room, int32_t row, int32_t col) {
    if (room > kPadColumns - col) room = kPadColumns - col;
    if (width > room) width = room;
    if (room < 0) return;
    std::snprintf(TextBuffer, sizeof TextBuffer, "%-*.*s", static_cast<int>(width),
                  static_cast<int>(room), text ? text : "");
    PutAt(TextBuffer, row, col, 0);
}

int32_t WidestText(const char* const* texts, size_t count, const char* fallback) {
    size_t widest = fallback ? std::strlen(fallback) : 0;
    for (size_t i = 0; i < count; ++i) {
        if (texts[i] && std::strlen(texts[i]) > widest) widest = std::strlen(texts[i]);
    }
    return static_cast<int32_t>(widest);
}

double TimeToMs(int32_t fddiTime) {
    // Complemented first and increased by one in floating point, so that the most negative
    // count does not overflow.
    const double units = static_cast<double>(~fddiTime) + 1.0;
    return units * 8e-08 * 1000.0;
}

void PutTimeMs(const char* format, int32_t fddiTime, const LabelEntry& label) {
    std::snprintf(TextBuffer, sizeof TextBuffer, format, TimeToMs(fddiTime));
    PutAt(TextBuffer, label.row, ValueColumn(label), 0);
}

void PutFlag(uint32_t condition, const LabelEntry& label) {
    PutText(TrueFalseTexts[condition ? 0 : 1], label);
}

void DrawLabels() {
    const ScreenEntry* screen = FindScreen(CurrentScreen);
    if (screen && screen->labels[0].text) {
        for (const LabelEntry* label = screen->labels; label->text; ++label) {
            PutAt(label->text, label->row, label->col, label->style);
        }
    }
    // The trailing blanks wipe the digits of a longer earlier rate.
    std::snprintf(TextBuffer, sizeof TextBuffer, " = %d MS          ",
                  static_cast<int>(RefreshCount * kWaitStepMs));
    PutAt(TextBuffer, kPollRateRow, kPollRateColumn, 1);
}

namespace {

const char* SlotString(const ParamSlot& slot) {
    std::memset(StationString, 0, sizeof StationString);
    std::memcpy(StationString, slot.value, kSlotValueBytes);
    return StationString;
}

}  // namespace

void StationHeader(const LabelEntry* labels) {
    const LabelEntry& manufacturer = labels[1];
    const LabelEntry& user = labels[2];
    const LabelEntry& station = labels[3];

    // The manufacturer data begins with a 3-byte manufacturer identifier, not shown.
    std::snprintf(TextBuffer, sizeof TextBuffer, "%-29s", SlotString(SlotOf(0x1010)) + 3);
    PutText(TextBuffer, manufacturer);
    std::snprintf(TextBuffer, sizeof TextBuffer, "%-32s", SlotString(SlotOf(0x1011)));
    PutText(TextBuffer, user);

    // Each state name is padded to the widest name of its table, so that a shorter name wipes a
    // longer one: "RING_OP" after "RING_OP_DUP" must not read as a duplicate address still there.
    const ParamSlot& id = SlotOf(0x100B);
    std::snprintf(TextBuffer, sizeof TextBuffer,
                  "%02X%02X %02X%02X %02X%02X  ECM-%-*sCFM-%-*s RMT-%-*s", id.value[2], id.value[3],
                  id.value[4], id.value[5], id.value[6], id.value[7],
                  static_cast<int>(WidestText(EcmStateNames, kUnknownName)),
                  TextOf(EcmStateNames, Value32(SlotOf(0x1029), 0), kUnknownName),
                  static_cast<int>(WidestText(CfStateNames, kUnknownName)),
                  TextOf(CfStateNames, Value32(SlotOf(0x102A), 0), kUnknownName),
                  static_cast<int>(WidestText(RmtStateNames, kUnknownName)),
                  TextOf(RmtStateNames, Value32(SlotOf(0x206F), 4), kUnknownName));
    PutText(TextBuffer, station);
}
