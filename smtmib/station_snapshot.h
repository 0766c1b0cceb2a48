// A station's SMT 7.3 management information as one fetch cycle left it: every answer record,
// still big-endian, in a fixed ParamSlot, with the port count, the PATH configuration list and
// how the cycle ended. A snapshot is a plain value of fixed size: its owner keeps it where it
// likes (the monitor in static storage, the agent one per adapter), and readers take every
// value from it by parameter type.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/device_channel.h"
#include "smtmib/attribute_groups.h"

// One parameter record as it arrived: 16-bit type, 16-bit length (both big-endian), then up to
// 32 value bytes. Value byte n counts from the first byte after the length field.
constexpr size_t kSlotValueBytes = 32;
struct ParamSlot {
    uint8_t type[2];
    uint8_t length[2];
    uint8_t value[kSlotValueBytes];
};
static_assert(sizeof(ParamSlot) == 36, "a slot is one 36-byte record");

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

// The fetch cycle reads ports 1 and 2; a PORT group has slots for both.
constexpr size_t kMaxPorts = 2;

// Where each group's slots begin in a snapshot: the groups in table order, a PORT group's
// slots for the first port followed by the second port's.
constexpr size_t GroupSlotCount(const AttributeGroup& group) {
    return GroupTypeCount(group) * (IsPortGroup(group.code) ? kMaxPorts : 1);
}
constexpr size_t SnapshotSlotCount() {
    size_t count = 0;
    for (const AttributeGroup* group = AttributeGroups; group->code != 0; ++group)
        count += GroupSlotCount(*group);
    return count;
}
constexpr size_t kSnapshotSlots = SnapshotSlotCount();

// How the fetch cycle that filled a snapshot ended.
enum class CycleEnd : uint8_t {
    kNotRun,          // no cycle yet
    kComplete,        // every request was answered
    kDeviceFailed,    // a request failed: `device` says how
    kVersionRefused,  // the station runs another SMT version: `opVersionId` says which
    kAbandoned,       // the caller asked to stop between two requests
    kAgentFailed,     // an SNMP agent's answer fell short: `agent` says how
};

// Why a station read over SNMP gave no snapshot.
enum class AgentFault : uint8_t {
    kNone,
    kNoAnswer,     // nothing came back within the timeout and its retries
    kErrorStatus,  // the agent answered with an error status: `code`, at variable `errorIndex`
    kSecurity,     // SNMPv3 authentication or privacy failed: `code` is net-snmp's error number
    kRowGone,      // the agent serves the MIB but has no SMT row of the chosen index
    kNoFddiMib,    // the agent does not serve the FDDI SMT MIB at all
    kLocal,        // the request could not be sent: `code` is net-snmp's error number
};
struct AgentOutcome {
    AgentFault fault;
    int32_t code;
    int32_t errorIndex;
};

struct StationSnapshot {
    ParamSlot slots[kSnapshotSlots];
    // The station's number of ports as the cycle read it: 1 for a single-attachment station,
    // 2 for a dual-attachment one, 0 before the first cycle got that far.
    uint32_t PortCount;
    PathConfigurationStore pathConfiguration;
    CycleEnd end;
    DeviceOutcome device;  // the failed request, when end is kDeviceFailed
    uint32_t opVersionId;  // the version refused, when end is kVersionRefused
    AgentOutcome agent;    // the failed read, when end is kAgentFailed
    // Set by a source that cannot deliver every record (an SNMP agent: the MIB has no object
    // for some of them): a slot of type 0 was not delivered, and its value is shown blank
    // rather than as the zeros the slot holds. The local driver delivers every record.
    bool absentIsBlank;
};

// A run of slots that one request may fill; writes never go past `count` slots.
struct SlotSpan {
    ParamSlot* first;
    size_t count;
};

// The slots of group `code` that a request on resource `index` fills (for a PORT group index 1
// is the first port, 2 the second); an empty span for a code that is no group.
SlotSpan GroupSlots(StationSnapshot& station, uint32_t code, uint32_t index);

// The slot that holds parameter `type` of port `port` (0 or 1; ignored for non-PORT types).
// Never fails: a type no group has gives a zeroed slot.
const ParamSlot& SlotOf(const StationSnapshot& station, uint16_t type, int port = 0);
// The same slot to fill; nullptr for a type no group has.
ParamSlot* MutableSlotOf(StationSnapshot& station, uint16_t type, int port = 0);

// Whether a slot holds a record (its type is not 0).
bool SlotDelivered(const ParamSlot& slot);

// The entries of the PATH configuration list: resource type, resource index and current path
// code of each, in record order. `declared` is the count the record's length gives, `whole` the
// count of entries kept whole (at most kPathConfigurationMaxEntries); only those are in `entry`.
struct PathConfigEntry {
    uint32_t resourceType;
    uint32_t resourceIndex;
    uint32_t currentPath;
};
struct PathConfigList {
    uint32_t declared;
    uint32_t whole;
    PathConfigEntry entry[kPathConfigurationMaxEntries];
};
PathConfigList PathConfigEntries(const StationSnapshot& station);

uint32_t Swap32(uint32_t value);
// Exchanges the two low-order bytes; the two high-order bytes stay.
uint32_t Swap16(uint32_t value);

// Readers of a slot's value bytes, big-endian as every field of a record. A read that would
// pass the slot's 32 value bytes reads zeros for the missing bytes.
uint32_t ValueByte(const ParamSlot& slot, size_t n);
uint32_t Value16(const ParamSlot& slot, size_t n);  // value bytes n (high) and n+1 (low)
uint32_t Value32(const ParamSlot& slot, size_t n);  // value bytes n..n+3, Swap32 of a host load
