#include "smtmib/smt_retrieval.h"

#include <cstring>

#include "smtmib/fetch_list.h"
#include "smtmib/smt_answer_length.h"

const ChannelProfile kSmtChannel = {
    kSmtRequestSize,
    false,                  // the request builder puts the instance into word 0
    kAnswerAreaOffset + 4,  // the header words and the first record's type and length
    SmtAnswerLength,
};

namespace {

constexpr size_t kRecordHeader = 4;
constexpr uint32_t kRequiredOpVersion = 2;

uint16_t ReadBigEndian16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] << 8 | at[1]);
}

// Position of `type` in a group's list, or -1.
int TypePosition(const AttributeGroup& group, uint16_t type) {
    for (int p = 0; group.types[p] != 0; ++p) {
        if (group.types[p] == type) return p;
    }
    return -1;
}

void KeepPathConfiguration(PathConfigurationStore& store, const uint8_t* record, uint16_t length) {
    store.length = length;
    const size_t kept =
        length < kPathConfigurationValueBytes ? length : kPathConfigurationValueBytes;
    std::memcpy(store.value, record + kRecordHeader, kept);
    store.storedBytes = static_cast<uint16_t>(kept);
}

// Walks the records of the answer area into the group's slots. The walk ends at a type 0,
// after size / 36 records, or at a record that would run past the answer.
void UnpackGroup(StationSnapshot& station, const uint8_t* answer, const AttributeGroup& group,
                 SlotSpan destination, uint32_t size) {
    uint32_t recordsLeft = size / sizeof(ParamSlot);
    size_t offset = 0;
    while (recordsLeft > 0 && offset + kRecordHeader <= kAnswerAreaSize) {
        const uint8_t* record = answer + offset;
        const uint16_t type = ReadBigEndian16(record);
        const uint16_t length = ReadBigEndian16(record + 2);
        if (type == 0) return;
        if (offset + kRecordHeader + length > kAnswerAreaSize) return;
        const int position = TypePosition(group, type);
        if (position >= 0 && static_cast<size_t>(position) < destination.count) {
            // A value longer than a slot keeps its first 32 bytes; the length field stays as sent.
            const size_t kept = length < kSlotValueBytes ? length : kSlotValueBytes;
            std::memcpy(&destination.first[position], record, kRecordHeader + kept);
            if (type == kPathConfigurationType) {
                KeepPathConfiguration(station.pathConfiguration, record, length);
            }
        }
        --recordsLeft;
        offset += kRecordHeader + length;
    }
}

void PutWord(uint8_t* buffer, size_t word, uint32_t value) {
    std::memcpy(buffer + word * sizeof value, &value, sizeof value);
}

bool Continue(ContinueCheck continueCycle) {
    return !continueCycle || continueCycle();
}

// Ends the cycle: -1 with `end` recorded, or 0 when it ran to its end.
int EndCycle(StationSnapshot& station, CycleEnd end) {
    station.end = end;
    return end == CycleEnd::kComplete ? 0 : -1;
}

}  // namespace

int SmtGet(StationSnapshot& station, int32_t instance, uint32_t code, SlotSpan destination,
           uint32_t index, uint32_t size) {
    uint8_t request[kSmtRequestSize];
    PutWord(request, 0, static_cast<uint32_t>(instance));
    PutWord(request, 1, code);
    PutWord(request, 2, kAnswerAreaSize);
    PutWord(request, 3, index);
    std::memset(request + kAnswerAreaOffset, 0, kAnswerAreaSize);
    station.device = DeviceRequest(kSmtChannel, instance, IOCTL_SMT_GET, request);
    if (!station.device.Served()) return -1;

    if (destination.count == 0) return 0;
    const uint8_t* answer = request + kAnswerAreaOffset;
    const AttributeGroup* group = FindAttributeGroup(code);
    if (!group) {
        // A single attribute: its first record, as it arrived, fills one slot.
        std::memcpy(destination.first, answer, sizeof(ParamSlot));
        return 0;
    }
    std::memset(destination.first, 0, sizeof(ParamSlot));
    UnpackGroup(station, answer, *group, destination, size);
    return 0;
}

namespace {

int Fetch(StationSnapshot& station, int32_t instance, const FetchRequest& entry) {
    return SmtGet(station, instance, entry.code, GroupSlots(station, entry.code, entry.index),
                  entry.index, entry.size);
}

}  // namespace

int FetchCycle(StationSnapshot& station, int32_t instance, ContinueCheck continueCycle) {
    // The MAC configuration goes first, whatever the port count.
    if (Fetch(station, instance, FetchList[kMacConfigFetchEntry]) != 0) {
        return EndCycle(station, CycleEnd::kDeviceFailed);
    }
    if (!Continue(continueCycle)) return EndCycle(station, CycleEnd::kAbandoned);
    // The gate and the port count are single attributes: each answer fills a slot of its own.
    ParamSlot single = {};
    if (SmtGet(station, instance, kOpVersionIdType, {&single, 1}, 0, sizeof single) != 0) {
        return EndCycle(station, CycleEnd::kDeviceFailed);
    }
    const uint32_t version = single.value[3];
    if (version != kRequiredOpVersion) {
        station.opVersionId = version;
        return EndCycle(station, CycleEnd::kVersionRefused);
    }
    if (!Continue(continueCycle)) return EndCycle(station, CycleEnd::kAbandoned);
    single = {};
    if (SmtGet(station, instance, kNonMasterCtType, {&single, 1}, 0, sizeof single) != 0) {
        return EndCycle(station, CycleEnd::kDeviceFailed);
    }
    station.PortCount = single.value[3];

    for (const FetchRequest* entry = FetchList; entry->code != 0; ++entry) {
        if (entry->index > station.PortCount) continue;
        if (!Continue(continueCycle)) return EndCycle(station, CycleEnd::kAbandoned);
        if (Fetch(station, instance, *entry) != 0) {
            return EndCycle(station, CycleEnd::kDeviceFailed);
        }
    }
    return EndCycle(station, CycleEnd::kComplete);
}
