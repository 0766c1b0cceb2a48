#include "smtmib/fetch_list.h"

#include <cstring>

#include "smtmib/attribute_groups.h"

namespace {

// Every SMT, MAC and PATH group has slots of its own, one per parameter type.
ParamSlot StationIdSlots[7];
ParamSlot StationConfigSlots[13];
ParamSlot SmtStatusSlots[6];
ParamSlot MibOperationSlots[4];
ParamSlot MacCapabilitySlots[4];
ParamSlot MacConfigSlots[10];
ParamSlot MacAddressSlots[3];
ParamSlot MacOperationSlots[11];
ParamSlot MacCounterSlots[10];
ParamSlot MacFrameErrorSlots[2];
ParamSlot MacNotCopiedSlots[2];
ParamSlot MacStatusSlots[8];
ParamSlot PathConfigSlots[11];

// Each PORT group has one area: the first port's slots followed by the second port's.
struct PortAreaSet {
    ParamSlot config[24];
    ParamSlot operation[6];
    ParamSlot errorCounters[4];
    ParamSlot lerRate[10];
    ParamSlot status[10];
} PortAreas;

ParamSlot OpVersionIdSlotStore;
ParamSlot NonMasterCtSlotStore;
// Answers SlotOf for a type no request fills; never written.
const ParamSlot kZeroSlot = {};

template <size_t N>
constexpr SlotSpan Whole(ParamSlot (&slots)[N]) {
    return {slots, N};
}

// Port `port` (0 or 1) of a PORT area: the half the request with resource index port+1 fills.
template <size_t N>
constexpr SlotSpan PortHalf(ParamSlot (&area)[N], size_t port) {
    return {area + port * (N / 2), N / 2};
}

}  // namespace

const FetchRequest FetchList[] = {
    {0x100A, Whole(StationIdSlots), 0, 252},
    {0x1014, Whole(StationConfigSlots), 0, 468},
    {0x1028, Whole(SmtStatusSlots), 0, 216},
    {0x1032, Whole(MibOperationSlots), 1, 144},
    {0x200A, Whole(MacCapabilitySlots), 1, 144},
    {0x2014, Whole(MacConfigSlots), 1, 360},
    {0x2028, Whole(MacAddressSlots), 1, 108},
    {0x2032, Whole(MacOperationSlots), 1, 396},
    {0x2046, Whole(MacCounterSlots), 1, 360},
    {0x205A, Whole(MacFrameErrorSlots), 1, 72},
    {0x2064, Whole(MacNotCopiedSlots), 1, 72},
    {0x206E, Whole(MacStatusSlots), 1, 288},
    {0x320A, Whole(PathConfigSlots), 1, 396},
    {0x400A, PortHalf(PortAreas.config, 0), 1, 864},
    {0x401E, PortHalf(PortAreas.operation, 0), 1, 216},
    {0x4028, PortHalf(PortAreas.errorCounters, 0), 1, 144},
    {0x4032, PortHalf(PortAreas.lerRate, 0), 1, 360},
    {0x403C, PortHalf(PortAreas.status, 0), 1, 360},
    {0x400A, PortHalf(PortAreas.config, 1), 2, 864},
    {0x401E, PortHalf(PortAreas.operation, 1), 2, 216},
    {0x4028, PortHalf(PortAreas.errorCounters, 1), 2, 144},
    {0x4032, PortHalf(PortAreas.lerRate, 1), 2, 360},
    {0x403C, PortHalf(PortAreas.status, 1), 2, 360},
    {0, {nullptr, 0}, 0, 0},
};

SlotSpan OpVersionIdSpan() {
    return {&OpVersionIdSlotStore, 1};
}
SlotSpan NonMasterCtSpan() {
    return {&NonMasterCtSlotStore, 1};
}
const ParamSlot& OpVersionIdSlot() {
    return OpVersionIdSlotStore;
}
const ParamSlot& NonMasterCtSlot() {
    return NonMasterCtSlotStore;
}

namespace {

// Type-to-slot index over the fetch list, built once on first use: sorted by type, with the
// slot of each port (the same slot twice for types outside the PORT groups).
struct SlotIndexEntry {
    uint16_t type;
    const ParamSlot* slot[2];
};
constexpr size_t kMaxIndexedTypes = 128;
SlotIndexEntry SlotIndex[kMaxIndexedTypes];
size_t SlotIndexSize = 0;

bool IsPortGroup(uint32_t code) {
    return (code & 0xF000u) == 0x4000u;
}

SlotIndexEntry* FindIndexEntry(uint16_t type) {
    size_t low = 0, high = SlotIndexSize;
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (SlotIndex[middle].type < type) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < SlotIndexSize && SlotIndex[low].type == type ? &SlotIndex[low] : nullptr;
}

void AddIndexEntry(uint16_t type, const ParamSlot* slot, size_t port) {
    SlotIndexEntry* entry = FindIndexEntry(type);
    if (!entry) {
        if (SlotIndexSize == kMaxIndexedTypes) return;
        size_t at = SlotIndexSize;
        while (at > 0 && SlotIndex[at - 1].type > type) {
            SlotIndex[at] = SlotIndex[at - 1];
            --at;
        }
        SlotIndex[at] = {type, {slot, slot}};
        ++SlotIndexSize;
        return;
    }
    entry->slot[port] = slot;
}

void BuildSlotIndex() {
    for (const FetchRequest* entry = FetchList; entry->code != 0; ++entry) {
        const AttributeGroup* group = FindAttributeGroup(entry->code);
        if (!group) continue;
        const size_t port = IsPortGroup(entry->code) && entry->index == 2 ? 1 : 0;
        for (size_t k = 0; group->types[k] != 0 && k < entry->destination.count; ++k) {
            AddIndexEntry(group->types[k], &entry->destination.first[k], port);
        }
    }
}

}  // namespace

const ParamSlot& SlotOf(uint16_t type, int port) {
    if (SlotIndexSize == 0) BuildSlotIndex();
    const SlotIndexEntry* entry = FindIndexEntry(type);
    if (!entry) return kZeroSlot;
    return *entry->slot[port == 1 ? 1 : 0];
}

void ResetSmtStore() {
    for (const FetchRequest* entry = FetchList; entry->code != 0; ++entry) {
        std::memset(entry->destination.first, 0, entry->destination.count * sizeof(ParamSlot));
    }
    std::memset(&OpVersionIdSlotStore, 0, sizeof(ParamSlot));
    std::memset(&NonMasterCtSlotStore, 0, sizeof(ParamSlot));
    std::memset(&PathConfiguration, 0, sizeof PathConfiguration);
    PortCount = 0;
}
