// Feeds SmtGet any answer area the driver could send, for any request code, record bound and
// destination size, and checks that the unpacking keeps to its bounds: every slot it fills holds
// a record of the slot's own type copied from the answer, nothing is written outside the
// destination (the address sanitizer watches its edges and those of the answer copy), and the
// PATH configuration store never claims more than it holds.
//
// Input: code selector (1 byte), code (4), record bound (4), destination slots (1), answer area.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/device_channel.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "smtmib/attribute_groups.h"
#include "smtmib/smt_retrieval.h"

namespace {

constexpr size_t kMaxDestinationSlots = 30;
constexpr uint8_t kUntouched = 0xA5;

uint8_t answerArea[kAnswerAreaSize];

// The driver: echoes the request header and answers with the fuzzed area.
class FuzzedStation : public wire::DeviceHandler {
  public:
    uint32_t Serve(uint32_t, const uint8_t* input, uint32_t inputLength, uint8_t* output,
                   uint32_t outputLength, uint32_t* answerLength) override {
        if (inputLength != kSmtRequestSize || outputLength != kSmtRequestSize) std::abort();
        std::memmove(output, input, kAnswerAreaOffset);
        std::memcpy(output + kAnswerAreaOffset, answerArea, kAnswerAreaSize);
        *answerLength = kSmtRequestSize;
        return 0;
    }
};

// Where the unpacking keeps the PATH configuration.
StationSnapshot station;

uint32_t TakeWord(const uint8_t*& data, size_t& size) {
    uint32_t word = 0;
    for (int i = 0; i < 4 && size > 0; ++i, ++data, --size)
        word |= uint32_t{*data} << (8 * i);
    return word;
}

uint8_t TakeByte(const uint8_t*& data, size_t& size) {
    if (size == 0) return 0;
    --size;
    return *data++;
}

uint16_t BigEndian16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] << 8 | at[1]);
}

bool SlotUntouched(const ParamSlot& slot) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&slot);
    for (size_t i = 0; i < sizeof slot; ++i) {
        if (bytes[i] != kUntouched) return false;
    }
    return true;
}

// A slot filled from the answer holds, in its type, length and first value bytes, exactly a
// record that the answer area contains.
bool CameFromAnswer(const ParamSlot& slot) {
    const size_t length = BigEndian16(slot.length);
    const size_t kept = 4 + (length < kSlotValueBytes ? length : kSlotValueBytes);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&slot);
    for (size_t at = 0; at + kept <= kAnswerAreaSize; ++at) {
        if (std::memcmp(answerArea + at, bytes, kept) == 0) return true;
    }
    return false;
}

void CheckGroupSlots(const AttributeGroup& group, const ParamSlot* slots, size_t count) {
    const size_t types = GroupTypeCount(group);
    for (size_t p = 0; p < count; ++p) {
        const ParamSlot& slot = slots[p];
        const uint16_t type = BigEndian16(slot.type);
        if (p == 0 && type == 0) {
            // Cleared, and no record of the first type arrived.
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&slot);
            for (size_t i = 0; i < sizeof slot; ++i) {
                if (bytes[i] != 0) std::abort();
            }
            continue;
        }
        if (p > 0 && SlotUntouched(slot)) continue;
        if (p >= types || type != group.types[p] || !CameFromAnswer(slot)) std::abort();
    }
}

void CheckPathStore() {
    const PathConfigurationStore& store = station.pathConfiguration;
    const size_t kept =
        store.length < kPathConfigurationValueBytes ? store.length : kPathConfigurationValueBytes;
    if (store.storedBytes != kept) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static FuzzedStation driver;
    InitDevicePath();
    platform::RegisterInProcessDevice("qd4682", &driver);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Half the inputs ask for a known group, so that the unpacking itself gets explored.
    const uint8_t selector = TakeByte(data, size);
    uint32_t code = TakeWord(data, size);
    if (selector & 1) {
        size_t groups = 0;
        while (AttributeGroups[groups].code != 0)
            ++groups;
        code = AttributeGroups[code % groups].code;
    }
    const uint32_t bound = TakeWord(data, size);
    const size_t count = TakeByte(data, size) % (kMaxDestinationSlots + 1);
    std::memset(answerArea, 0, sizeof answerArea);
    std::memcpy(answerArea, data, size < kAnswerAreaSize ? size : kAnswerAreaSize);

    // Exactly `count` slots on the heap, so that a write past them hits the sanitizer's red zone.
    std::unique_ptr<ParamSlot[]> slots(new ParamSlot[count]);
    std::memset(slots.get(), kUntouched, count * sizeof(ParamSlot));
    if (SmtGet(station, 0, code, SlotSpan{slots.get(), count}, 1, bound) != 0) std::abort();

    const AttributeGroup* group = FindAttributeGroup(code);
    if (count > 0 && group) CheckGroupSlots(*group, slots.get(), count);
    if (count > 0 && !group && std::memcmp(&slots[0], answerArea, sizeof(ParamSlot)) != 0) {
        std::abort();
    }
    for (size_t p = group ? count : 1; p < count; ++p) {
        if (!SlotUntouched(slots[p])) std::abort();
    }
    CheckPathStore();
    return 0;
}
