#include "ringeye/screens/value_fields.h"

#include "ringeye/monitor_state.h"
#include "smtmib/smt_retrieval.h"

const char* TextFor(const TextTable& table, uint32_t number) {
    return number < table.count ? table.texts[number] : table.fallback;
}

namespace {

// Position of the lowest set bit, or 32 when none is set (beyond every text table).
uint32_t LowestSetBit(uint32_t bits) {
    for (uint32_t bit = 0; bit < 32; ++bit) {
        if (bits & (1u << bit)) return bit;
    }
    return 32;
}

// Cells from the label's value column to the next label on its row, or to the pad's end.
int32_t RoomAfter(const LabelEntry* labels, const LabelEntry& label) {
    const int32_t start = ValueColumn(label);
    int32_t room = kPadColumns - start;
    for (const LabelEntry* other = labels; other->text; ++other) {
        if (other->row == label.row && other->col >= start && other->col - start < room) {
            room = other->col - start;
        }
    }
    return room;
}

// A text of `table`, wide enough to cover every other text of it.
void PutTableText(const TextTable& table, uint32_t number, const LabelEntry* labels,
                  const LabelEntry& label) {
    PutTextInWidth(TextFor(table, number), WidestText(table.texts, table.count, table.fallback),
                   RoomAfter(labels, label), label.row, ValueColumn(label));
}

}  // namespace

uint32_t ReadField(const ValueField& field, int port) {
    const ParamSlot& slot = SlotOf(field.type, port);
    switch (field.read) {
        case ValueRead::kByte3:
            return ValueByte(slot, 3);
        case ValueRead::kByte5:
            return ValueByte(slot, 5);
        case ValueRead::kByte6:
            return ValueByte(slot, 6);
        case ValueRead::kByte7:
            return ValueByte(slot, 7);
        case ValueRead::k16At2:
            return Value16(slot, 2);
        case ValueRead::k16At6:
            return Value16(slot, 6);
        case ValueRead::k32At0:
            return Value32(slot, 0);
        case ValueRead::k32At4:
            return Value32(slot, 4);
        case ValueRead::k32At8:
            return Value32(slot, 8);
    }
    return 0;
}

void PaintFields(const ValueField* fields, size_t count, const LabelEntry* labels, int port) {
    for (size_t i = 0; i < count; ++i) {
        const ValueField& field = fields[i];
        const LabelEntry& label = labels[field.entry];
        const uint32_t number = ReadField(field, port);
        switch (field.show) {
            case ValueShow::kNumber:
                PutValue(field.format, static_cast<int32_t>(number), label);
                break;
            case ValueShow::kTime:
                PutTimeMs(field.format, static_cast<int32_t>(number), label);
                break;
            case ValueShow::kFlag:
                PutFlag(field.mask ? number & field.mask : number, label);
                break;
            case ValueShow::kText:
                if (field.texts) PutTableText(*field.texts, number, labels, label);
                break;
            case ValueShow::kLowestBitText:
                if (field.texts) {
                    const uint32_t bits = field.mask ? number & field.mask : number;
                    PutTableText(*field.texts, LowestSetBit(bits), labels, label);
                }
                break;
        }
    }
}
