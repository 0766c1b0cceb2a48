#include "ringagent/mib_view.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t kMaxPorts = 2;  // the fetch list reads ports 1 and 2

uint16_t SlotType(const ParamSlot& slot) {
    return static_cast<uint16_t>(slot.type[0] << 8 | slot.type[1]);
}
uint16_t SlotLength(const ParamSlot& slot) {
    return static_cast<uint16_t>(slot.length[0] << 8 | slot.length[1]);
}

uint32_t PortsOf(const StationSnapshot& station) {
    return station.PortCount < kMaxPorts ? station.PortCount : kMaxPorts;
}

// Whole entries of the PATH configuration that the answer carried and the snapshot kept.
uint32_t PathEntriesOf(const StationSnapshot& station) {
    const PathConfigList list = PathConfigEntries(station);
    return list.declared < list.whole ? list.declared : list.whole;
}

// Entry `token` (from 1) of the PATH configuration; zeros for one the snapshot did not keep.
PathConfigEntry PathEntry(const StationSnapshot& station, uint32_t token) {
    const PathConfigList list = PathConfigEntries(station);
    return token >= 1 && token <= list.whole ? list.entry[token - 1] : PathConfigEntry{};
}

// The rows of one kind that an instance has, in index order: resource (and token) numbers.
uint32_t RowCount(RowKind kind, const StationSnapshot* station) {
    if (!station) return 0;
    switch (kind) {
        case RowKind::kSmt:
            return 1;
        case RowKind::kMac:
        case RowKind::kPath:
            return station->PortCount >= 1 ? 1 : 0;
        case RowKind::kPathConfig:
            return station->PortCount >= 1 ? PathEntriesOf(*station) : 0;
        case RowKind::kPort:
            return PortsOf(*station);
    }
    return 0;
}

MibRow RowAt(RowKind kind, int instance, uint32_t n) {
    switch (kind) {
        case RowKind::kSmt:
            return {instance, 0, 0};
        case RowKind::kPathConfig:
            return {instance, 1, n + 1};
        default:
            return {instance, n + 1, 0};
    }
}

bool Octets(const ParamSlot& slot, size_t at, size_t count, MibValue* value) {
    if (SlotLength(slot) < at + count || at + count > kSlotValueBytes) return false;
    value->kind = MibValue::Kind::kOctets;
    std::memcpy(value->octets, slot.value + at, count);
    value->length = count;
    return true;
}

int64_t NegativeUnits(uint32_t field) {
    return -static_cast<int64_t>(static_cast<int32_t>(field));
}

// The converted number of an integer column, or false when the slot is too short for it.
bool Number(const MibColumn& column, const StationSnapshot& station, const MibRow& row,
            const ParamSlot& slot, int64_t* number) {
    const size_t at = DatumAt(column.type);
    const uint32_t length = SlotLength(slot);
    const bool hasField = column.type != 0 && length >= at + 4;
    const uint32_t field = Value32(slot, at);
    switch (column.conversion) {
        case Conversion::kSmtIndex:
            *number = row.instance + 1;
            return true;
        case Conversion::kResourceIndex:
            *number = row.resource;
            return true;
        case Conversion::kTokenOrder:
            *number = row.token;
            return true;
        case Conversion::kInteger:
        case Conversion::kCounter:
            *number = field;
            return hasField;
        case Conversion::kEnumeration:
            *number = static_cast<int64_t>(field) + 1;
            return hasField;
        case Conversion::kFlag:
            *number = field != 0 ? 1 : 2;
            return hasField;
        case Conversion::kTimeNano:
            *number = NegativeUnits(field) * 80;
            return hasField;
        case Conversion::kTimeMilli:
            *number = (NegativeUnits(field) * 80 + 500000) / 1000000;
            return hasField;
        case Conversion::kStampMilli: {
            if (length < 8) return false;
            const uint64_t units = static_cast<uint64_t>(Value32(slot, 0)) << 32 | Value32(slot, 4);
            const uint64_t ms = units / kUnitsPerMilli;
            *number = ms > static_cast<uint64_t>(column.max) ? column.max + 1 : ms;
            return true;
        }
        case Conversion::kMacIndicated:
            *number = 1 + (ValueByte(slot, 4) != 0 ? 2 : 0) + (ValueByte(slot, 7) != 0 ? 1 : 0);
            return hasField;
        case Conversion::kConfigResourceType:
            *number = PathEntry(station, row.token).resourceType;
            return true;
        case Conversion::kConfigResourceIndex:
            *number = PathEntry(station, row.token).resourceIndex;
            return true;
        case Conversion::kConfigCurrentPath:
            *number = static_cast<int64_t>(PathEntry(station, row.token).currentPath) + 1;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool ColumnValue(const MibColumn& column, const StationSnapshot& station, const MibRow& row,
                 MibValue* value) {
    const int port = row.resource == 2 && (column.type & 0xF000u) == 0x4000u ? 1 : 0;
    const ParamSlot& slot = SlotOf(station, column.type, port);
    if (column.type != 0 && SlotType(slot) != column.type) return false;
    const OctetField octets = OctetFieldOf(column.conversion);
    if (octets.count != 0) return Octets(slot, octets.at, octets.count, value);
    int64_t number = 0;
    if (!Number(column, station, row, slot, &number)) return false;
    if (number < column.min || number > column.max) return false;
    value->kind = column.conversion == Conversion::kCounter ? MibValue::Kind::kCounter
                                                            : MibValue::Kind::kInteger;
    value->number = number;
    value->length = 0;
    return true;
}

int CompareOids(const uint32_t* a, size_t aLength, const uint32_t* b, size_t bLength) {
    const size_t common = aLength < bLength ? aLength : bLength;
    for (size_t i = 0; i < common; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    if (aLength == bLength) return 0;
    return aLength < bLength ? -1 : 1;
}

namespace {

// Whether a column whose instances all begin with `prefix` can hold the instance a search for
// `name` looks for: the instance itself (exact), or one after it.
bool ColumnMayHold(const MibOid& prefix, const uint32_t* name, size_t length, bool exact) {
    if (exact) {
        return length > prefix.length &&
               CompareOids(prefix.ids, prefix.length, name, prefix.length) == 0;
    }
    // Every instance of the column lies below the prefix followed by the largest subidentifier.
    MibOid last = prefix;
    last.ids[last.length++] = UINT32_MAX;
    return CompareOids(last.ids, last.length, name, length) > 0;
}

// Walks the instances in OID order until `visit` returns true; returns whether it did. Columns
// that cannot hold what the search for `name` looks for are passed over without reading them.
template <typename Visit>
bool WalkInstances(const StationCache& cache, const uint32_t* name, size_t length, bool exact,
                   Visit visit) {
    MibOid oid;
    std::memcpy(oid.ids, kFddimibOid, sizeof kFddimibOid);
    MibValue value = {};
    for (size_t o = 0; o < kMibObjectCount; ++o) {
        if (const MibScalar* scalar = kMibObjects[o].scalar) {
            uint32_t rows = 0;
            for (int i = 0; i < kMaxInstances; ++i)
                rows += RowCount(scalar->counts, cache.Served(i));
            oid.ids[kFddimibOidLength] = scalar->oid[0];
            oid.ids[kFddimibOidLength + 1] = scalar->oid[1];
            oid.ids[kFddimibOidLength + 2] = 0;
            oid.length = kFddimibOidLength + 3;
            value = {MibValue::Kind::kInteger, rows, {}, 0};
            if (visit(oid, value)) return true;
            continue;
        }
        const MibTable& table = *kMibObjects[o].table;
        size_t at = kFddimibOidLength;
        for (uint32_t id : table.entryOid)
            oid.ids[at++] = id;
        for (size_t c = 0; c < table.columnCount; ++c) {
            const MibColumn& column = table.columns[c];
            oid.ids[at] = column.subid;
            oid.length = at + 1;
            if (!ColumnMayHold(oid, name, length, exact)) continue;
            for (int i = 0; i < kMaxInstances; ++i) {
                const StationSnapshot* station = cache.Served(i);
                const uint32_t rows = RowCount(table.rows, station);
                for (uint32_t n = 0; n < rows; ++n) {
                    const MibRow row = RowAt(table.rows, i, n);
                    if (!ColumnValue(column, *station, row, &value)) continue;
                    size_t end = at + 1;
                    oid.ids[end++] = static_cast<uint32_t>(i + 1);
                    if (table.rows != RowKind::kSmt) oid.ids[end++] = row.resource;
                    if (table.rows == RowKind::kPathConfig) oid.ids[end++] = row.token;
                    oid.length = end;
                    if (visit(oid, value)) return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

bool FindInstance(const StationCache& cache, const uint32_t* name, size_t length, MibValue* value) {
    return WalkInstances(cache, name, length, true, [&](const MibOid& oid, const MibValue& found) {
        if (CompareOids(oid.ids, oid.length, name, length) != 0) return false;
        *value = found;
        return true;
    });
}

bool FindNextInstance(const StationCache& cache, const uint32_t* name, size_t length, MibOid* next,
                      MibValue* value) {
    return WalkInstances(cache, name, length, false, [&](const MibOid& oid, const MibValue& found) {
        if (CompareOids(oid.ids, oid.length, name, length) <= 0) return false;
        *next = oid;
        *value = found;
        return true;
    });
}
