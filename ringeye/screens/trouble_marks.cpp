#include "ringeye/screens/trouble_marks.h"

#include <cstdio>
#include <cstring>

#include "common/device_channel.h"
#include "ringeye/monitor_state.h"
#include "smtmib/smt_retrieval.h"

namespace {

// The header line puts its three state names at fixed places after the station ID:
// "XXXX XXXX XXXX  ECM-%-9sCFM-%-8s RMT-%-8s".
constexpr int kStationIdEntry = 3;
constexpr int32_t kEcmNameOffset = 20, kCfNameOffset = 33, kRmtNameOffset = 46;

template <int32_t Offset>
void AfterStationId(const LabelEntry& label, int, int32_t* row, int32_t* column) {
    *row = label.row;
    *column = ValueColumn(label) + Offset;
}

const TextTable kEcmNames = MakeTextTable(EcmStateNames, kUnknownName);
const TextTable kCfNames = MakeTextTable(CfStateNames, kUnknownName);
const TextTable kRmtNames = MakeTextTable(RmtStateNames, kUnknownName);

const TroubleRule kHeaderTrouble[] = {
    // The station is not on the ring unless its entity coordination is In.
    {{kStationIdEntry, 0x1029, ValueRead::k32At0, ValueShow::kText, nullptr, 0, &kEcmNames},
     TroubleTest::kUnless,
     1,
     0,
     kShownPort,
     0,
     AfterStationId<kEcmNameOffset>},
    // Anything but Thru means the station wrapped, isolated or joined only locally.
    {{kStationIdEntry, 0x102A, ValueRead::k32At0, ValueShow::kText, nullptr, 0, &kCfNames},
     TroubleTest::kUnless,
     12,
     0,
     kShownPort,
     0,
     AfterStationId<kCfNameOffset>},
    // The ring is not operational for the MAC (beaconing, claiming, duplicate address).
    {{kStationIdEntry, 0x206F, ValueRead::k32At4, ValueShow::kText, nullptr, 0, &kRmtNames},
     TroubleTest::kUnless,
     2,
     0,
     kShownPort,
     0,
     AfterStationId<kRmtNameOffset>},
};
const TroubleTable kHeaderTable = MakeTroubleTable(kHeaderTrouble);

// What the counts of the marked screen read at its previous refresh. It belongs to one table,
// one port and one adapter; any other starts it afresh, so a first refresh marks no rise.
struct RiseMemory {
    const TroubleRule* rules = nullptr;
    int port = 0;
    int32_t instance = 0;
    bool known = false;
    uint32_t previous[kMaxTroubleRules] = {};
};
RiseMemory Memory;

// The text PaintFields puts for this number; `out` has room for any of them.
const char* FieldText(const ValueField& field, uint32_t number, char* out, size_t size) {
    switch (field.show) {
        case ValueShow::kNumber:
            std::snprintf(out, size, field.format, static_cast<int32_t>(number));
            return out;
        case ValueShow::kTime:
            std::snprintf(out, size, field.format, TimeToMs(static_cast<int32_t>(number)));
            return out;
        case ValueShow::kFlag:
            return TrueFalseTexts[(field.mask ? number & field.mask : number) ? 0 : 1];
        case ValueShow::kText:
            return TextFor(*field.texts, number);
        case ValueShow::kLowestBitText: {
            const uint32_t bits = field.mask ? number & field.mask : number;
            uint32_t lowest = 0;
            while (lowest < 32 && (bits & (1u << lowest)) == 0)
                ++lowest;
            return TextFor(*field.texts, lowest);
        }
    }
    return "";
}

// How many cells the field can occupy: the widest text of its table, or this text.
size_t FieldExtent(const ValueField& field, size_t length) {
    if (field.show == ValueShow::kText || field.show == ValueShow::kLowestBitText) {
        size_t widest = std::strlen(field.texts->fallback);
        for (size_t i = 0; i < field.texts->count; ++i) {
            const size_t width = std::strlen(field.texts->texts[i]);
            if (width > widest) widest = width;
        }
        if (widest > length) return widest;
    }
    return length;
}

bool Rose(uint32_t now, uint32_t before) {
    // Modulo 2^32, so a counter that wrapped past zero still counts as rising.
    return now != before && now - before < 0x80000000u;
}

bool InTrouble(const TroubleRule& rule, uint32_t number, int port, size_t index) {
    const ValueField& field = rule.value;
    switch (rule.test) {
        case TroubleTest::kUnless:
            return number != rule.operand;
        case TroubleTest::kOneOf:
            return number < 32 && ((rule.operand >> number) & 1u) != 0;
        case TroubleTest::kSet:
            return (field.mask ? number & field.mask : number) != 0;
        case TroubleTest::kClear:
            return (field.mask ? number & field.mask : number) == 0;
        case TroubleTest::kRose:
            return Memory.known && Rose(number, Memory.previous[index]);
        case TroubleTest::kAtOrBelow: {
            ValueField other = field;
            other.type = rule.other;
            return number <= ReadField(other, port);
        }
    }
    return false;
}

void MarkRule(const TroubleRule& rule, size_t index, const LabelEntry* labels, int shownPort) {
    const int port = rule.port == kShownPort ? shownPort : rule.port;
    // Port 1 named by a rule is painted only on a station with two ports.
    if (rule.port == 1 && PortCount != 2) return;
    const ValueField& field = rule.value;
    const uint32_t number = ReadField(field, port);
    char buffer[64];
    const char* text = FieldText(field, number, buffer, sizeof buffer);
    const size_t length = std::strlen(text);
    int32_t row = labels[field.entry].row;
    int32_t column = ValueColumn(labels[field.entry]);
    if (rule.place) rule.place(labels[field.entry], port, &row, &column);

    bool trouble = InTrouble(rule, number, port, index);
    if (rule.presentFlag != 0 && ValueByte(SlotOf(rule.presentFlag, port), 7) == 0) {
        trouble = false;
    }
    if (rule.test == TroubleTest::kRose) Memory.previous[index] = number;

    vtSetStyle(TargetWindow, row, column, static_cast<int>(FieldExtent(field, length)),
               kVtStyleNormal);
    if (!trouble) return;
    size_t first = 0, last = length;
    while (first < last && text[first] == ' ')
        ++first;
    while (last > first && text[last - 1] == ' ')
        --last;
    vtSetStyle(TargetWindow, row, column + static_cast<int32_t>(first),
               static_cast<int>(last - first), kVtStyleTrouble);
}

}  // namespace

void ForgetTroubleHistory() {
    Memory = RiseMemory{};
}

void MarkTrouble(const TroubleTable& table, const LabelEntry* labels, int port) {
    for (size_t i = 0; i < kHeaderTable.count; ++i)
        MarkRule(kHeaderTable.rules[i], i, labels, port);
    const bool sameCounts =
        Memory.rules == table.rules && Memory.port == port && Memory.instance == DeviceInstance;
    if (!sameCounts) {
        Memory.rules = table.rules;
        Memory.port = port;
        Memory.instance = DeviceInstance;
        Memory.known = false;
    }
    const size_t count = table.count < kMaxTroubleRules ? table.count : kMaxTroubleRules;
    for (size_t i = 0; i < count; ++i)
        MarkRule(table.rules[i], i, labels, port);
    Memory.known = true;
}
