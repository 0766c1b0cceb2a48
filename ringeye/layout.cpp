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
}  // namespace

int32_t ValueColumn(const LabelEntry& label) {
    return label.col + static_cast<int32_t>(std::strlen(label.text));
}

void PutAt(const char* text, int32_t row, int32_t col, int32_t /*style*/) {
    if (vtMove(TargetWindow, row, col)) vtPutString(TargetWindow, text);
}

void PutMessage(const char* text) {
    PutAt(text, 0, 0, 0);
    if (std::strlen(text) > static_cast<size_t>(kPadColumns)) PutAt(text + kPadColumns, 1, 0, 0);
}

void PutValue(const char* format, int32_t value, const LabelEntry& label) {
    std::snprintf(TextBuffer, sizeof TextBuffer, format, value);
    PutAt(TextBuffer, label.row, ValueColumn(label), 0);
}

void PutText(const char* text, const LabelEntry& label) {
    PutAt(text, label.row, ValueColumn(label), 0);
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

    const ParamSlot& id = SlotOf(0x100B);
    std::snprintf(TextBuffer, sizeof TextBuffer,
                  "%02X%02X %02X%02X %02X%02X  ECM-%-9sCFM-%-8s RMT-%-8s", id.value[2], id.value[3],
                  id.value[4], id.value[5], id.value[6], id.value[7],
                  TextOf(EcmStateNames, Value32(SlotOf(0x1029), 0), kUnknownName),
                  TextOf(CfStateNames, Value32(SlotOf(0x102A), 0), kUnknownName),
                  TextOf(RmtStateNames, Value32(SlotOf(0x206F), 4), kUnknownName));
    PutText(TextBuffer, station);
}
