#include "smtmib/smt_retrieval.h"

#include <cstring>

#include "common/device_channel.h"
#include "smtmib/attribute_groups.h"
#include "smtmib/fetch_list.h"

uint32_t PortCount = 0;
PathConfigurationStore PathConfiguration;

namespace {

const FetchHooks* activeHooks = nullptr;

// The answer area of the last request, copied out of the request buffer and unpacked from here.
uint8_t AnswerCopy[kAnswerAreaSize];
constexpr size_t kRecordHeader = 4;
constexpr uint32_t kRequiredOpVersion = 2;

uint16_t ReadBigEndian16(const uint8_t* at) {
    return static_cast<uint16_t>(Swap16(static_cast<uint32_t>(at[1]) << 8 | at[0]) & 0xFFFF);
}

// Position of `type` in a group's list, or -1.
int TypePosition(const AttributeGroup& group, uint16_t type) {
    for (int p = 0; group.types[p] != 0; ++p) {
        if (group.types[p] == type) return p;
    }
    return -1;
}

void KeepPathConfiguration(const uint8_t* record, uint16_t length) {
    PathConfiguration.length = length;
    const size_t kept =
        length < kPathConfigurationValueBytes ? length : kPathConfigurationValueBytes;
    std::memcpy(PathConfiguration.value, record + kRecordHeader, kept);
    PathConfiguration.storedBytes = static_cast<uint16_t>(kept);
}

// Walks the records of AnswerCopy into the group's slots. The walk ends at a type 0, after
// size / 36 records, or at a record that would run past the answer.
void UnpackGroup(const AttributeGroup& group, SlotSpan destination, uint32_t size) {
    uint32_t recordsLeft = size / sizeof(ParamSlot);
    size_t offset = 0;
    while (recordsLeft > 0 && offset + kRecordHeader <= kAnswerAreaSize) {
        const uint8_t* record = AnswerCopy + offset;
        const uint16_t type = ReadBigEndian16(record);
        const uint16_t length = ReadBigEndian16(record + 2);
        if (type == 0) return;
        if (offset + kRecordHeader + length > kAnswerAreaSize) return;
        const int position = TypePosition(group, type);
        if (position >= 0 && static_cast<size_t>(position) < destination.count) {
            // A value longer than a slot keeps its first 32 bytes; the length field stays as sent.
            const size_t kept = length < kSlotValueBytes ? length : kSlotValueBytes;
            std::memcpy(&destination.first[position], record, kRecordHeader + kept);
            if (type == kPathConfigurationType) KeepPathConfiguration(record, length);
        }
        --recordsLeft;
        offset += kRecordHeader + length;
    }
}

void PutWord(uint8_t* buffer, size_t word, uint32_t value) {
    std::memcpy(buffer + word * sizeof value, &value, sizeof value);
}

}  // namespace

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

int SmtGet(uint32_t code, SlotSpan destination, uint32_t index, uint32_t size) {
    std::memset(AnswerCopy, 0, sizeof AnswerCopy);
    uint8_t request[kSmtRequestSize];
    PutWord(request, 0, static_cast<uint32_t>(DeviceInstance));
    PutWord(request, 1, code);
    PutWord(request, 2, kAnswerAreaSize);
    PutWord(request, 3, index);
    std::memset(request + kAnswerAreaOffset, 0, kAnswerAreaSize);
    if (DeviceRequest(IOCTL_SMT_GET, request) != 0) return -1;
    std::memcpy(AnswerCopy, request + kAnswerAreaOffset, kAnswerAreaSize);

    if (destination.count == 0) return 0;
    const AttributeGroup* group = FindAttributeGroup(code);
    if (!group) {
        // A single attribute: its first record, as it arrived, fills one slot.
        std::memcpy(destination.first, AnswerCopy, sizeof(ParamSlot));
        return 0;
    }
    std::memset(destination.first, 0, sizeof(ParamSlot));
    UnpackGroup(*group, destination, size);
    return 0;
}

void SetFetchHooks(const FetchHooks* hooks) {
    activeHooks = hooks;
}

namespace {

bool ContinueCycle() {
    return !activeHooks || !activeHooks->continueCycle || activeHooks->continueCycle();
}

}  // namespace

int FetchCycle() {
    // The MAC configuration goes first, whatever the port count.
    const FetchRequest& macConfig = FetchList[kMacConfigFetchEntry];
    if (SmtGet(macConfig.code, macConfig.destination, macConfig.index, macConfig.size) != 0) {
        return -1;
    }
    if (!ContinueCycle()) return -1;
    if (SmtGet(kOpVersionIdType, OpVersionIdSpan(), 0, sizeof(ParamSlot)) != 0) return -1;
    const uint32_t version = OpVersionIdSlot().value[3];
    if (version != kRequiredOpVersion) {
        if (activeHooks && activeHooks->versionRefused) activeHooks->versionRefused(version);
        return -1;
    }
    if (!ContinueCycle()) return -1;
    if (SmtGet(kNonMasterCtType, NonMasterCtSpan(), 0, sizeof(ParamSlot)) != 0) return -1;
    PortCount = NonMasterCtSlot().value[3];

    for (const FetchRequest* entry = FetchList; entry->code != 0; ++entry) {
        if (entry->index > PortCount) continue;
        if (!ContinueCycle()) return -1;
        if (SmtGet(entry->code, entry->destination, entry->index, entry->size) != 0) return -1;
    }
    return 0;
}
