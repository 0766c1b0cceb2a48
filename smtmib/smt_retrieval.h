// Reading the station's SMT 7.3 management information base. Every refresh runs FetchCycle,
// which asks the driver for one attribute group per request and leaves every answer record,
// still big-endian, in a fixed ParamSlot. Readers (the monitor's screens, the SNMP agent) take
// their values from these slots only.
#pragma once

#include <cstddef>
#include <cstdint>

// One parameter record as it arrived: 16-bit type, 16-bit length (both big-endian), then up to
// 32 value bytes. Value byte n counts from the first byte after the length field.
constexpr size_t kSlotValueBytes = 32;
struct ParamSlot {
    uint8_t type[2];
    uint8_t length[2];
    uint8_t value[kSlotValueBytes];
};
static_assert(sizeof(ParamSlot) == 36, "a slot is one 36-byte record");

constexpr uint32_t kAnswerAreaSize = 512;
constexpr uint32_t kSmtRequestSize = 2064;
constexpr uint32_t kAnswerAreaOffset = 16;

// The stations's number of ports as the last fetch cycle that got that far read it: 1 for a
// single-attachment station, 2 for a dual-attachment one, 0 before the first cycle.
extern uint32_t PortCount;

// The PATH configuration record (type 0x3212) kept whole, up to five entries, because a slot
// holds only three. `length` is the record's own length field; `value` holds its first
// value bytes, as many as the answer carried, up to the capacity.
constexpr uint16_t kPathConfigurationType = 0x3212;
constexpr size_t kPathConfigurationMaxEntries = 5;
constexpr size_t kPathConfigurationValueBytes = 4 + 8 * kPathConfigurationMaxEntries;
struct PathConfigurationStore {
    uint16_t length;
    uint16_t storedBytes;
    uint8_t value[kPathConfigurationValueBytes];
};
extern PathConfigurationStore PathConfiguration;

// A run of slots that one request may fill; writes never go past `count` slots.
struct SlotSpan {
    ParamSlot* first;
    size_t count;
};

// One request of the fetch cycle.
struct FetchRequest {
    uint32_t code;  // attribute group code
    SlotSpan destination;
    uint32_t index;  // resource index: 0 the SMT object, 1 or 2 MAC, PATH, PORT instances
    uint32_t size;   // bytes of slots the answer may fill: its record bound is size / 36
};

// What a program does where the fetch cycle stops: the monitor paints, the agent records. A
// null member is skipped.
struct FetchHooks {
    // The station runs another SMT version than the one the slots are laid out for.
    void (*versionRefused)(uint32_t opVersionId);
    // Asked before every request after the first; false abandons the rest of the cycle.
    bool (*continueCycle)();
};

// Selects the program's hooks; each program sets them once at start-up.
void SetFetchHooks(const FetchHooks* hooks);

// Asks the driver for `code` on resource `index` and unpacks the answer into `destination`.
// Returns 0 when the driver answered, -1 when the request failed (the device channel's profile
// has reported it).
int SmtGet(uint32_t code, SlotSpan destination, uint32_t index, uint32_t size);

// One refresh's worth of requests: the MAC configuration, the version gate, the port count,
// then the fetch list. Returns 0, or -1 at the first failure (reported through the channel's
// profile or the hooks) or when continueCycle abandoned the cycle.
int FetchCycle();

// The slot that holds parameter `type` of port `port` (0 or 1; ignored for non-PORT types), as
// the fetch list lays the slots out. Never null: an unknown type gives a zeroed spare slot.
const ParamSlot& SlotOf(uint16_t type, int port = 0);

// The separately requested single attributes.
const ParamSlot& OpVersionIdSlot();
const ParamSlot& NonMasterCtSlot();

// Clears every slot, the stores and PortCount, as at process start.
void ResetSmtStore();

uint32_t Swap32(uint32_t value);
// Exchanges the two low-order bytes; the two high-order bytes stay.
uint32_t Swap16(uint32_t value);

// Readers of a slot's value bytes, big-endian as every field of a record. A read that would
// pass the slot's 32 value bytes reads zeros for the missing bytes.
uint32_t ValueByte(const ParamSlot& slot, size_t n);
uint32_t Value16(const ParamSlot& slot, size_t n);  // value bytes n (high) and n+1 (low)
uint32_t Value32(const ParamSlot& slot, size_t n);  // value bytes n..n+3, Swap32 of a host load
