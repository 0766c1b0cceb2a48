// The attributes of the SMT object and of the MAC.
#include <iterator>

#include "simulator/attribute_tables.h"

namespace sim {
namespace {

constexpr uint8_t kManufacturerOui[3] = {0x08, 0x00, 0x3E};
constexpr const char* kProductText = "Model 4682 FDDI adapter";
constexpr const char* kUserTexts[] = {"Lab ring, rack 3", "Lab ring, rack 3, adapter 1",
                                      "Lab ring, rack 3, adapter 2"};
// Reject M-M always, and the A-A, B-B (bits 0, 5) pairings.
constexpr uint16_t kConnectionPolicy = 0x8021;
constexpr uint16_t kNotifySeconds = 10;
constexpr uint32_t kTraceMaxExpirationUs = 7000000;

constexpr uint32_t kTMaxCapabilityUs = 165000;
constexpr uint32_t kTvxCapabilityUs = 5200;
constexpr uint32_t kTReqUs = 8000;
constexpr uint32_t kTNegUs = 8000;  // the lowest T_Req on the ring
constexpr uint32_t kTMaxUs = 165000;
constexpr uint32_t kTvxValueUs = 2500;
constexpr uint8_t kMacRequestedPaths = 0x07;

bool Dual(const EncodeContext& c) {
    return c.state.attachment == Attachment::kDual;
}

template <CounterId id>
void Count(const EncodeContext& c, ValueWriter& v) {
    v.Word32(c.station.Counter(id));
}

void Zero(const EncodeContext&, ValueWriter& v) {
    v.Word32(0);
}
void One(const EncodeContext&, ValueWriter& v) {
    v.Word32(1);
}

const AttributeRow kStationRows[] = {
    {0x100B, [](const EncodeContext& c, ValueWriter& v) { v.LongAddress(c.state.address); }},
    {0x100D, [](const EncodeContext& c, ValueWriter& v) { v.Word16(c.state.smt.opVersion); }},
    {0x100E, [](const EncodeContext& c, ValueWriter& v) { v.Word16(c.state.smt.hiVersion); }},
    {0x100F, [](const EncodeContext& c, ValueWriter& v) { v.Word16(c.state.smt.loVersion); }},
    {0x1010,
     [](const EncodeContext&, ValueWriter& v) {
         for (uint8_t b : kManufacturerOui)
             v.Put(b);
         v.Text(kProductText, 29);
     }},
    {0x1011,
     [](const EncodeContext& c, ValueWriter& v) {
         const uint32_t instance = c.station.Config().instance;
         v.Text(kUserTexts[instance < std::size(kUserTexts) ? instance : 0], 32);
     }},
    {0x1012, One},  // MIBVersionId
    {0x1015, One},  // MAC-Ct
    {0x1016, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.portCount); }},
    {0x1017, Zero},  // Master-Ct
    {0x1018, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(Dual(c) ? 3 : 1); }},
    {0x1019, Zero},  // ConfigCapabilities
    {0x101A, Zero},  // ConfigPolicy
    {0x101B, [](const EncodeContext&, ValueWriter& v) { v.Word16(kConnectionPolicy); }},
    {0x101D, [](const EncodeContext&, ValueWriter& v) { v.Word16(kNotifySeconds); }},
    {0x101E, One},  // StatRptPolicy
    {0x101F, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTraceMaxExpirationUs); }},
    {0x1020,
     [](const EncodeContext& c, ValueWriter& v) {
         if (Dual(c)) {
             v.Pair16(1, 2);
         } else {
             v.Word16(1);
         }
     }},
    {0x1021, One},   // MACIndexes
    {0x1022, Zero},  // BypassPresent
    {0x1029, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.smt.ecmState); }},
    {0x102A, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.smt.cfState); }},
    {0x102B, Zero},  // HoldState: not holding
    {0x102C, Zero},  // RemoteDisconnectFlag
    {0x102D, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.smt.stationStatus); }},
    {0x102E, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.smt.peerWrapFlag); }},
    {0x1033, [](const EncodeContext& c, ValueWriter& v) { v.Word64(c.station.TimeStamp80ns()); }},
    {0x1034, [](const EncodeContext& c,
                ValueWriter& v) { v.Word64(Station::MsTo80ns(c.state.smt.transitionMs)); }},
    {0x1035,
     [](const EncodeContext& c, ValueWriter& v) {
         v.Word32(0);
         v.Word64(Station::MsTo80ns(c.state.smt.startedMs));
     }},
    {0x1036, [](const EncodeContext&, ValueWriter& v) { v.Word64(0); }},  // LastSetStationId
};

const AttributeRow kMacRows[] = {
    {0x200B, Zero},  // FrameStatusFunctions
    {0x200C, Zero},  // BridgeFunction
    {0x200D, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTMaxCapabilityUs); }},
    {0x200E, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTvxCapabilityUs); }},
    {0x2016, One},  // AvailablePaths: primary
    {0x2017, [](const EncodeContext& c, ValueWriter& v) { v.Word16(c.state.mac.currentPath); }},
    {0x2018, [](const EncodeContext& c, ValueWriter& v) { v.LongAddress(c.state.mac.upstream); }},
    {0x2019, [](const EncodeContext& c, ValueWriter& v) { v.LongAddress(c.state.mac.downstream); }},
    {0x201A,
     [](const EncodeContext& c, ValueWriter& v) { v.LongAddress(c.state.mac.oldUpstream); }},
    {0x201B,
     [](const EncodeContext& c, ValueWriter& v) { v.LongAddress(c.state.mac.oldDownstream); }},
    {0x201D, [](const EncodeContext& c, ValueWriter& v) { v.Word16(c.state.mac.dupAddrTest); }},
    {0x2020, [](const EncodeContext&, ValueWriter& v) { v.Byte8(kMacRequestedPaths); }},
    {0x2021,
     [](const EncodeContext& c, ValueWriter& v) { v.Word16(c.state.mac.downstreamPortType); }},
    {0x2022, One},  // the MAC's index
    {0x2029, [](const EncodeContext& c, ValueWriter& v) { v.LongAddress(c.state.address); }},
    {0x202C, [](const EncodeContext& c, ValueWriter& v) { v.LongAddress(c.state.groupAddress); }},
    {0x202D, Zero},  // ShortGrpAddrs
    {0x2033, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTReqUs); }},
    {0x2034, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTNegUs); }},
    {0x2035, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTMaxUs); }},
    {0x2036, [](const EncodeContext&, ValueWriter& v) { v.TimeUs(kTvxValueUs); }},
    // T_Pri[0] to T_Pri[6]: no priority thresholds.
    {0x2038, Zero},
    {0x2039, Zero},
    {0x203A, Zero},
    {0x203B, Zero},
    {0x203C, Zero},
    {0x203D, Zero},
    {0x203E, Zero},
    {0x2047, Count<kFrameCt>},
    {0x2048, Count<kCopiedCt>},
    {0x2049, Count<kTransmitCt>},
    {0x204A, Count<kTokenCt>},
    {0x2051, Count<kErrorCt>},
    {0x2052, Count<kLostCt>},
    {0x2053, Count<kTvxExpiredCt>},
    {0x2054, Count<kNotCopiedCt>},
    {0x2055, Count<kLateCt>},
    {0x2056, Count<kRingOpCt>},
    {0x205F, One},   // FrameErrorThreshold
    {0x2060, Zero},  // FrameErrorRatio
    {0x2067, One},   // NotCopiedThreshold
    {0x2069, Zero},  // NotCopiedRatio
    {0x206F, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.mac.rmtState); }},
    {0x2070, [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.mac.daFlag); }},
    {0x2071, Zero},  // UNDA_Flag
    {0x2072, Zero},  // FrameErrorFlag
    {0x2073, Zero},  // NotCopiedFlag
    {0x2074,
     [](const EncodeContext& c, ValueWriter& v) { v.Byte8(c.state.mac.unitdataAvailable); }},
    {0x2075, One},  // HardwarePresent
    {0x2076, One},  // MA-UnitdataEnable
};

}  // namespace

AttributeTable StationAttributes() {
    return {kStationRows, std::size(kStationRows)};
}
AttributeTable MacAttributes() {
    return {kMacRows, std::size(kMacRows)};
}

}  // namespace sim
