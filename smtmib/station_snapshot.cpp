#include "smtmib/station_snapshot.h"

#include <cstring>

namespace {

// Type-to-slot index over the snapshot's layout, built at compile time: sorted by type, with
// the slot of each port (the same slot twice for types outside the PORT groups).
struct SlotIndexEntry {
    uint16_t type;
    uint16_t slot[kMaxPorts];
};

constexpr size_t IndexedTypeCount() {
    size_t count = 0;
    for (const AttributeGroup* group = AttributeGroups; group->code != 0; ++group)
        count += GroupTypeCount(*group);
    return count;
}
constexpr size_t kIndexedTypes = IndexedTypeCount();

struct SlotIndex {
    SlotIndexEntry entries[kIndexedTypes];
};

constexpr SlotIndex BuildSlotIndex() {
    SlotIndex index{};
    size_t size = 0, first = 0;
    for (const AttributeGroup* group = AttributeGroups; group->code != 0; ++group) {
        const size_t types = GroupTypeCount(*group);
        const size_t secondPort = IsPortGroup(group->code) ? types : 0;
        for (size_t k = 0; k < types; ++k) {
            SlotIndexEntry entry{
                group->types[k],
                {static_cast<uint16_t>(first + k), static_cast<uint16_t>(first + k + secondPort)}};
            size_t at = size++;
            while (at > 0 && index.entries[at - 1].type > entry.type) {
                index.entries[at] = index.entries[at - 1];
                --at;
            }
            index.entries[at] = entry;
        }
        first += GroupSlotCount(*group);
    }
    return index;
}
constexpr SlotIndex kSlotIndex = BuildSlotIndex();

constexpr bool TypesUnique() {
    for (size_t i = 1; i < kIndexedTypes; ++i) {
        if (kSlotIndex.entries[i - 1].type == kSlotIndex.entries[i].type) return false;
    }
    return true;
}
static_assert(TypesUnique(), "a parameter type belongs to one group");

const SlotIndexEntry* FindType(uint16_t type) {
    size_t low = 0, high = kIndexedTypes;
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (kSlotIndex.entries[middle].type < type) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < kIndexedTypes && kSlotIndex.entries[low].type == type ? &kSlotIndex.entries[low]
                                                                       : nullptr;
}

const ParamSlot kZeroSlot = {};

// The configuration record: the pad-and-index field, then 8-byte entries of resource type (32
// bits), resource index (16) and current path code (16), all big-endian.
constexpr size_t kListStart = 4, kEntryBytes = 8, kIndexAt = 4, kPathAt = 6;

uint32_t KeptBigEndian(const PathConfigurationStore& store, size_t at, size_t width) {
    uint32_t number = 0;
    for (size_t n = at; n < at + width; ++n) {
        const bool kept = n < store.storedBytes && n < sizeof store.value;
        number = number << 8 | (kept ? store.value[n] : 0u);
    }
    return number;
}

}  // namespace

SlotSpan GroupSlots(StationSnapshot& station, uint32_t code, uint32_t index) {
    size_t first = 0;
    for (const AttributeGroup* group = AttributeGroups; group->code != 0; ++group) {
        if (group->code == code) {
            const size_t types = GroupTypeCount(*group);
            const size_t port = IsPortGroup(code) && index == 2 ? 1 : 0;
            return {station.slots + first + port * types, types};
        }
        first += GroupSlotCount(*group);
    }
    return {nullptr, 0};
}

const ParamSlot& SlotOf(const StationSnapshot& station, uint16_t type, int port) {
    const SlotIndexEntry* entry = FindType(type);
    if (!entry) return kZeroSlot;
    return station.slots[entry->slot[port == 1 ? 1 : 0]];
}

ParamSlot* MutableSlotOf(StationSnapshot& station, uint16_t type, int port) {
    const SlotIndexEntry* entry = FindType(type);
    if (!entry) return nullptr;
    return &station.slots[entry->slot[port == 1 ? 1 : 0]];
}

bool SlotDelivered(const ParamSlot& slot) {
    return slot.type[0] != 0 || slot.type[1] != 0;
}

PathConfigList PathConfigEntries(const StationSnapshot& station) {
    const PathConfigurationStore& store = station.pathConfiguration;
    PathConfigList list = {};
    list.declared = store.length >= kListStart ? (store.length - kListStart) / kEntryBytes : 0;
    const size_t kept =
        store.storedBytes < sizeof store.value ? store.storedBytes : sizeof store.value;
    const size_t whole = kept > kListStart ? (kept - kListStart) / kEntryBytes : 0;
    list.whole = static_cast<uint32_t>(whole);
    for (size_t i = 0; i < whole; ++i) {
        const size_t at = kListStart + i * kEntryBytes;
        list.entry[i] = {KeptBigEndian(store, at, 4), KeptBigEndian(store, at + kIndexAt, 2),
                         KeptBigEndian(store, at + kPathAt, 2)};
    }
    return list;
}

uint32_t Swap32(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

uint32_t Swap16(uint32_t value) {
    return (value & 0xFFFF0000u) | ((value >> 8) & 0xFFu) | ((value & 0xFFu) << 8);
}

uint32_t ValueByte(const ParamSlot& slot, size_t n) {
    return n < kSlotValueBytes ? slot.value[n] : 0;
}

uint32_t Value16(const ParamSlot& slot, size_t n) {
    return ValueByte(slot, n) << 8 | ValueByte(slot, n + 1);
}

uint32_t Value32(const ParamSlot& slot, size_t n) {
    uint8_t bytes[4] = {
        static_cast<uint8_t>(ValueByte(slot, n)), static_cast<uint8_t>(ValueByte(slot, n + 1)),
        static_cast<uint8_t>(ValueByte(slot, n + 2)), static_cast<uint8_t>(ValueByte(slot, n + 3))};
    uint32_t hostWord;
    std::memcpy(&hostWord, bytes, sizeof hostWord);
    return Swap32(hostWord);
}
