#include "simulator/attribute_encoding.h"

#include "smtmib/attribute_groups.h"
#include "simulator/attribute_tables.h"
#include "simulator/refusal_codes.h"

namespace sim {
namespace {

enum class SmtObject { kStation, kMac, kPath, kPort, kNone };

// Attribute types carry their object in the high bits.
SmtObject ObjectOf(uint16_t type) {
    switch (type >> 8) {
        case 0x10:
            return SmtObject::kStation;
        case 0x20:
            return SmtObject::kMac;
        case 0x32:
            return SmtObject::kPath;
        case 0x40:
            return SmtObject::kPort;
        default:
            return SmtObject::kNone;
    }
}

AttributeTable TableOf(SmtObject object) {
    switch (object) {
        case SmtObject::kStation:
            return StationAttributes();
        case SmtObject::kMac:
            return MacAttributes();
        case SmtObject::kPath:
            return PathAttributes();
        case SmtObject::kPort:
            return PortAttributes();
        default:
            return {nullptr, 0};
    }
}

bool IndexExists(const Station& station, SmtObject object, uint32_t index) {
    switch (object) {
        case SmtObject::kStation:
            return true;
        case SmtObject::kMac:
        case SmtObject::kPath:
            return index == 1;
        case SmtObject::kPort:
            return index >= 1 && index <= station.PortCount();
        default:
            return false;
    }
}

const AttributeRow* FindRow(const AttributeTable& table, uint16_t type) {
    for (size_t i = 0; i < table.count; ++i) {
        if (table.rows[i].type == type) return &table.rows[i];
    }
    return nullptr;
}

void PutBigEndian16(uint8_t* at, uint16_t x) {
    at[0] = static_cast<uint8_t>(x >> 8);
    at[1] = static_cast<uint8_t>(x);
}

// Appends one record to the answer; `used` counts the bytes written so far.
uint32_t AppendRecord(const Station& station, uint16_t type, uint32_t index, uint8_t* area,
                      size_t size, size_t* used) {
    AttributeValue value;
    if (!EncodeAttribute(station, type, index, &value)) return kRefuseNotSupported;
    const size_t recordSize = 4 + static_cast<size_t>(value.length);
    if (recordSize > size - *used) return kRefuseAnswerTooSmall;
    uint8_t* record = area + *used;
    PutBigEndian16(record, type);
    PutBigEndian16(record + 2, value.length);
    for (size_t i = 0; i < value.length; ++i)
        record[4 + i] = value.bytes[i];
    *used += recordSize;
    return 0;
}

}  // namespace

bool EncodeAttribute(const Station& station, uint16_t type, uint32_t index, AttributeValue* value) {
    const SmtObject object = ObjectOf(type);
    const AttributeRow* row = FindRow(TableOf(object), type);
    if (row == nullptr || !IndexExists(station, object, index)) return false;
    ValueWriter writer(value);
    if (object != SmtObject::kStation) writer.Word16(static_cast<uint16_t>(index));
    const EncodeContext context{station, station.State(),
                                object == SmtObject::kPort ? index - 1 : 0};
    row->encode(context, writer);
    return !writer.Overflowed();
}

uint32_t AnswerSmtGet(const Station& station, uint32_t code, uint32_t index, uint8_t* area,
                      size_t size) {
    size_t used = 0;
    const AttributeGroup* group = FindAttributeGroup(code);
    if (group == nullptr) {
        if (code > 0xFFFF) return kRefuseNotSupported;
        return AppendRecord(station, static_cast<uint16_t>(code), index, area, size, &used);
    }
    for (const uint16_t* type = group->types; *type != 0; ++type) {
        const uint32_t status = AppendRecord(station, *type, index, area, size, &used);
        if (status != 0) return status;
    }
    return 0;
}

}  // namespace sim
