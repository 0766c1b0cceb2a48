// The attributes of the PATH and of the PORTs.
#include <iterator>

#include "simulator/attribute_tables.h"

namespace sim {
namespace {

constexpr uint32_t kRingLatencyUs = 40;  // a small ring
constexpr uint32_t kTvxLowerBoundUs = 2500;
constexpr uint32_t kTMaxLowerBoundUs = 165000;
constexpr uint32_t kMaxTReqUs = 165000;
constexpr uint32_t kMacLoopTimeUs = 200000;
constexpr uint8_t kPortAvailablePaths = 3;  // primary and secondary

// Resource types of the PATH configuration list.
constexpr uint32_t kMacResource = 2;
constexpr uint32_t kPortResource = 4;

void Zero(const EncodeContext&, ValueWriter& v) {
    v.Word32(0);
}
void One(const EncodeContext&, ValueWriter& v) {
    v.Word32(1);
}

const PortState& Port(const EncodeContext& c) {
    return c.state.ports[c.port];
}

template <PortCounter which>
void PortCount(const EncodeContext& c, ValueWriter& v) {
    v.Word32(c.station.Counter(PortCounterId(c.port, which)));
}

// One entry of the PATH configuration: a resource on the primary path, or isolated from it.
void ConfigurationEntry(ValueWriter& v, uint32_t resourceType, uint16_t index, bool onPath) {
    v.Word32(resourceType);
    v.Pair16(index, onPath ? ring_path::kPrimary : ring_path::kIsolated);
}

// The resources of the path in ring order: port A (or S), the MAC, port B.
void Configuration(const EncodeContext& c, ValueWriter& v) {
    const StationState& s = c.state;
    ConfigurationEntry(v, kPortResource, s.ports[0].index,
                       s.ports[0].currentPath != port_path::kIsolated);
    ConfigurationEntry(v, kMacResource, 1, s.mac.currentPath != ring_path::kIsolated);
    if (s.portCount == 2) {
        ConfigurationEntry(v, kPortResource, s.ports[1].index,
                           s.ports[1].currentPath != port_path::kIsolated);
    }
}

const AttributeRow kPathRows[] = {
    {0x320B, One},  // the path's index
    {0x320D, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kRingLatencyUs); }},
    {0x320E, [](const EncodeContext& c, ValueWriter& v) { v.Word16(c.state.traceStatus); }},
    {0x320F, Zero},  // SbaPayload
    {0x3210, Zero},  // SbaOverhead
    {0x3212, Configuration},
    {0x3213, Zero},  // T_Rmode
    {0x3214, Zero},  // SbaAvailable
    {0x3215, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTvxLowerBoundUs); }},
    {0x3216, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTMaxLowerBoundUs); }},
    {0x3217, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kMaxTReqUs); }},
};

const AttributeRow kPortRows[] = {
    {0x400C, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Port(c).myType); }},
    {0x400D, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Port(c).neighborType); }},
    {0x400E, Zero},  // ConnectionPolicies
    {0x400F,
     [](const EncodeContext& c, ValueWriter& v) { v.Bytes4(Port(c).tVal, 0, 0, Port(c).rVal); }},
    {0x4010, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Port(c).currentPath); }},
    {0x4011,
     [](const EncodeContext& c, ValueWriter& v) {
         const uint8_t* paths = Port(c).requestedPaths;
         v.Bytes4(0, paths[0], paths[1], paths[2]);
     }},
    {0x4012, [](const EncodeContext& c, ValueWriter& v) { v.Word16(Port(c).macPlacement); }},
    {0x4013, [](const EncodeContext&, ValueWriter& v) { v.Byte8(kPortAvailablePaths); }},
    {0x4015, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kMacLoopTimeUs); }},
    {0x4016, Zero},  // PMD Class: multimode fibre
    {0x4017, Zero},  // ConnectionCapabilities
    {0x401D, [](const EncodeContext& c, ValueWriter& v) { v.Word16(Port(c).index); }},
    {0x401F, Zero},  // Maint line state: Quiet
    {0x4021, Zero},  // BS_Flag
    {0x4022, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Port(c).lineState); }},
    {0x4029, PortCount<PortCounter::kEbErrorCt>},
    {0x402A, PortCount<PortCounter::kLctFailCt>},
    {0x4033,
     [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.station.LerEstimate(c.port)); }},
    {0x4034, PortCount<PortCounter::kLemRejectCt>},
    {0x4035, PortCount<PortCounter::kLemCt>},
    {0x403A, [](const EncodeContext&, ValueWriter& v) { v.Byte8(kLerCutoff); }},
    {0x403B, [](const EncodeContext&, ValueWriter& v) { v.Byte8(kLerAlarm); }},
    {0x403D, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Port(c).connectState); }},
    {0x403E, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Port(c).pcmState); }},
    {0x403F, Zero},  // PC_WithHold: none
    {0x4040, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Port(c).lerFlag); }},
    {0x4041, One},  // Hardware Present
};

}  // namespace

AttributeTable PathAttributes() {
    return {kPathRows, std::size(kPathRows)};
}
AttributeTable PortAttributes() {
    return {kPortRows, std::size(kPortRows)};
}

}  // namespace sim
