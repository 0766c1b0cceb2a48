// A healthy station at start-up: every attribute a screen reads carries the reference value
// of a healthy dual or single attachment station, in the bytes the screens read it from.
#include <gtest/gtest.h>

#include "smtmib/attribute_groups.h"
#include "simulator/attribute_encoding.h"
#include "tests/simulator/station_probe.h"

namespace {

using sim::Attachment;
using sim::Scenario;
using sim_test::Hex;
using sim_test::ToHex;

struct Expected {
    uint16_t type;
    uint32_t index;
    const char* data;  // the attribute's own bytes, after the pad-and-index field if it has one
};

// Values both kinds of station share.
const Expected kCommon[] = {
    {0x100D, 0, "00 00 00 02"},              // OpVersionId
    {0x100E, 0, "00 00 00 02"},              // HiVersionId
    {0x100F, 0, "00 00 00 02"},              // LoVersionId
    {0x1012, 0, "00 00 00 01"},              // MIBVersionId
    {0x1015, 0, "00 00 00 01"},              // MAC-Ct
    {0x1017, 0, "00 00 00 00"},              // Master-Ct
    {0x1019, 0, "00 00 00 00"},              // ConfigCapabilities
    {0x101A, 0, "00 00 00 00"},              // ConfigPolicy
    {0x101B, 0, "00 00 80 21"},              // ConnectionPolicy
    {0x101D, 0, "00 00 00 0A"},              // T_Notify
    {0x101E, 0, "00 00 00 01"},              // StatRptPolicy
    {0x101F, 0, "FA C8 DB 20"},              // Trace_MaxExpiration, 7 s
    {0x1021, 0, "00 00 00 01"},              // MACIndexes
    {0x1022, 0, "00 00 00 00"},              // BypassPresent
    {0x1029, 0, "00 00 00 01"},              // ECM In
    {0x102B, 0, "00 00 00 00"},              // HoldState
    {0x102C, 0, "00 00 00 00"},              // RemoteDisconnectFlag
    {0x102E, 0, "00 00 00 00"},              // PeerWrapFlag
    {0x1036, 0, "00 00 00 00 00 00 00 00"},  // LastSetStationId
    {0x200B, 1, "00 00 00 00"},              // FrameStatusFunctions
    {0x200C, 1, "00 00 00 00"},              // BridgeFunction
    {0x200D, 1, "FF E0 87 5C"},              // T_MaxCapability, 165 ms
    {0x200E, 1, "FF FF 02 18"},              // TVXCapability, 5.2 ms
    {0x2016, 1, "00 00 00 01"},              // AvailablePaths
    {0x2017, 1, "00 00 00 03"},              // CurrentPath primary
    {0x201D, 1, "00 00 00 01"},              // Dup_Addr_Test pass
    {0x2020, 1, "00 00 00 07"},              // RequestedPaths
    {0x2022, 1, "00 00 00 01"},              // MAC index
    {0x202D, 1, "00 00 00 00"},              // ShortGrpAddrs
    {0x2033, 1, "FF FE 79 60"},              // T_Req, 8 ms
    {0x2034, 1, "FF FE 79 60"},              // T_Neg, 8 ms
    {0x2035, 1, "FF E0 87 5C"},              // T_Max, 165 ms
    {0x2036, 1, "FF FF 85 EE"},              // TvxValue, 2.5 ms
    {0x2038, 1, "00 00 00 00"},              // T_Pri[0]
    {0x203E, 1, "00 00 00 00"},              // T_Pri[6]
    {0x2054, 1, "00 00 00 00"},              // NotCopied_Ct
    {0x205F, 1, "00 00 00 01"},              // FrameErrorThreshold
    {0x2060, 1, "00 00 00 00"},              // FrameErrorRatio
    {0x2067, 1, "00 00 00 01"},              // NotCopiedThreshold
    {0x2069, 1, "00 00 00 00"},              // NotCopiedRatio
    {0x206F, 1, "00 00 00 02"},              // RMT Ring_Op
    {0x2070, 1, "00 00 00 00"},              // DA_Flag
    {0x2071, 1, "00 00 00 00"},              // UNDA_Flag
    {0x2072, 1, "00 00 00 00"},              // FrameErrorFlag
    {0x2073, 1, "00 00 00 00"},              // NotCopiedFlag
    {0x2074, 1, "00 00 00 01"},              // MA_UnitdataAvailable
    {0x2075, 1, "00 00 00 01"},              // HardwarePresent
    {0x2076, 1, "00 00 00 01"},              // MA-UnitdataEnable
    {0x320B, 1, "00 00 00 01"},              // PATH index
    {0x320D, 1, "FF FF FE 0C"},              // RingLatency, 40 us
    {0x320E, 1, "00 00 00 00"},              // TraceStatus
    {0x320F, 1, "00 00 00 00"},              // SbaPayload
    {0x3210, 1, "00 00 00 00"},              // SbaOverhead
    {0x3213, 1, "00 00 00 00"},              // T_Rmode
    {0x3214, 1, "00 00 00 00"},              // SbaAvailable
    {0x3215, 1, "FF FF 85 EE"},              // TVXLowerBound, 2.5 ms
    {0x3216, 1, "FF E0 87 5C"},              // T_MaxLowerBound, 165 ms
    {0x3217, 1, "FF E0 87 5C"},              // MaxT_Req, 165 ms
};

// The first port's and the PORT attributes every port shares, for ports 1 and 2.
const Expected kEveryPort[] = {
    {0x400E, 0, "00 00 00 00"},  // ConnectionPolicies
    {0x4013, 0, "00 00 00 03"},  // AvailablePaths
    {0x4015, 0, "FF D9 DA 60"},  // MAC Loop_Time, 200 ms
    {0x4016, 0, "00 00 00 00"},  // PMD Class multimode
    {0x4017, 0, "00 00 00 00"},  // ConnectionCapabilities
    {0x401F, 0, "00 00 00 00"},  // Maint line state Quiet
    {0x4021, 0, "00 00 00 00"},  // BS_Flag
    {0x4022, 0, "00 00 00 04"},  // PC_LS Active
    {0x4029, 0, "00 00 00 00"},  // EB Error_Ct
    {0x402A, 0, "00 00 00 00"},  // LCT Fail_Ct
    {0x4033, 0, "00 00 00 0F"},  // Ler_Estimate
    {0x4034, 0, "00 00 00 00"},  // Lem_Reject_Ct
    {0x403A, 0, "00 00 00 07"},  // Ler_Cutoff
    {0x403B, 0, "00 00 00 08"},  // Ler_Alarm
    {0x403D, 0, "00 00 00 03"},  // Connect State Active
    {0x403E, 0, "00 00 00 08"},  // PCM State Active
    {0x403F, 0, "00 00 00 00"},  // PC_WithHold
    {0x4040, 0, "00 00 00 00"},  // Ler Flag
    {0x4041, 0, "00 00 00 01"},  // Hardware Present
};

const Expected kDualAttachment[] = {
    {0x1016, 0, "00 00 00 02"},  // NonMaster-Ct
    {0x1018, 0, "00 00 00 03"},  // AvailablePaths
    {0x1020, 0, "00 01 00 02"},  // PORTIndexes
    {0x102A, 0, "00 00 00 0C"},  // CF Thru
    {0x102D, 0, "00 00 00 02"},  // StationStatus Thru
    {0x2021, 1, "00 00 00 01"},  // DownstreamPORTType B
    {0x3212, 1, "00 00 00 04 00 01 00 03 00 00 00 02 00 01 00 03 00 00 00 04 00 02 00 03"},
    {0x400C, 1, "00 00 00 00"},  // port A: My_Type A
    {0x400D, 1, "00 00 00 01"},  // NeighborType B
    {0x400F, 1, "00 00 00 01"},  // MACIndicated T_Val 0, R_Val 1
    {0x4010, 1, "00 00 00 05"},  // CurrentPath
    {0x4011, 1, "00 01 19 99"},  // RequestedPaths
    {0x4012, 1, "00 00 00 00"},  // MAC Placement
    {0x401D, 1, "00 00 00 01"},  // port index
    {0x400C, 2, "00 00 00 01"},  // port B: My_Type B
    {0x400D, 2, "00 00 00 00"},  // NeighborType A
    {0x400F, 2, "01 00 00 00"},  // MACIndicated T_Val 1, R_Val 0
    {0x4010, 2, "00 00 00 05"},
    {0x4011, 2, "00 01 21 E1"},
    {0x4012, 2, "00 00 00 01"},
    {0x401D, 2, "00 00 00 02"},
};

const Expected kSingleAttachment[] = {
    {0x1016, 0, "00 00 00 01"},
    {0x1018, 0, "00 00 00 01"},
    {0x1020, 0, "00 00 00 01"},
    {0x102A, 0, "00 00 00 0B"},  // CF C_Wrap_S
    {0x102D, 0, "00 00 00 00"},  // StationStatus Concatenated
    {0x2021, 1, "00 00 00 02"},  // DownstreamPORTType S
    {0x3212, 1, "00 00 00 04 00 01 00 03 00 00 00 02 00 01 00 03"},
    {0x400C, 1, "00 00 00 02"},  // port S: My_Type S
    {0x400D, 1, "00 00 00 03"},  // NeighborType M
    {0x400F, 1, "01 00 00 00"},
    {0x4010, 1, "00 00 00 04"},
    {0x4011, 1, "00 01 21 E1"},
    {0x4012, 1, "00 00 00 01"},
    {0x401D, 1, "00 00 00 01"},
};

// The value as sent: MAC, PATH and PORT values begin with two zero bytes and the index.
std::vector<uint8_t> WithIndexField(const Expected& e) {
    std::vector<uint8_t> value;
    if (e.type >= 0x2000) value = {0, 0, 0, static_cast<uint8_t>(e.index)};
    const std::vector<uint8_t> data = Hex(e.data);
    value.insert(value.end(), data.begin(), data.end());
    return value;
}

template <size_t N>
void ExpectValues(const sim::Station& station, const Expected (&rows)[N], uint32_t portIndex = 0) {
    for (Expected e : rows) {
        if (portIndex != 0) e.index = portIndex;
        EXPECT_EQ(ToHex(sim_test::ValueOf(station, e.type, e.index)), ToHex(WithIndexField(e)))
            << "type " << std::hex << e.type << " index " << e.index;
    }
}

TEST(StationReferenceTest, DualAttachmentStationHasTheReferenceValues) {
    const sim::Station station(sim_test::Config(Attachment::kDual, Scenario::kHealthy));
    ExpectValues(station, kCommon);
    ExpectValues(station, kDualAttachment);
    ExpectValues(station, kEveryPort, 1);
    ExpectValues(station, kEveryPort, 2);
}

TEST(StationReferenceTest, SingleAttachmentStationHasTheReferenceValues) {
    const sim::Station station(sim_test::Config(Attachment::kSingle, Scenario::kHealthy));
    ExpectValues(station, kCommon);
    ExpectValues(station, kSingleAttachment);
    ExpectValues(station, kEveryPort, 1);
}

TEST(StationReferenceTest, AddressesLieInValueBytesSixToEleven) {
    const sim::Station station(sim_test::Config(Attachment::kDual, Scenario::kHealthy));
    const std::vector<uint8_t> own = sim_test::AddressOf(station, 0x2029);
    EXPECT_EQ(sim_test::AddressOf(station, 0x100B), own);
    EXPECT_EQ(ToHex(std::vector<uint8_t>(own.begin(), own.begin() + 3)), "08 00 3E");
    const std::vector<uint8_t> unknown = Hex("00 00 F8 00 00 00");
    for (uint16_t type : {0x2018, 0x2019, 0x2029, 0x202C}) {
        const std::vector<uint8_t> value = sim_test::ValueOf(station, type, 1);
        ASSERT_EQ(value.size(), 12u);
        EXPECT_EQ(ToHex({value[4], value[5]}), "00 00") << std::hex << type;
        EXPECT_NE(sim_test::AddressOf(station, type), unknown) << std::hex << type;
    }
    EXPECT_NE(sim_test::AddressOf(station, 0x2018), sim_test::AddressOf(station, 0x2019));
    // No neighbour has changed since start-up.
    EXPECT_EQ(sim_test::AddressOf(station, 0x201A), unknown);
    EXPECT_EQ(sim_test::AddressOf(station, 0x201B), unknown);
}

TEST(StationReferenceTest, TextsFillTheirFields) {
    sim::StationConfig config = sim_test::Config(Attachment::kDual, Scenario::kHealthy);
    config.instance = 1;
    const sim::Station station(config);
    const std::vector<uint8_t> maker = sim_test::ValueOf(station, 0x1010, 0);
    ASSERT_EQ(maker.size(), 32u);
    EXPECT_EQ(ToHex({maker[0], maker[1], maker[2]}), "08 00 3E");
    EXPECT_STREQ(reinterpret_cast<const char*>(&maker[3]), "Model 4682 FDDI adapter");
    std::vector<uint8_t> user = sim_test::ValueOf(station, 0x1011, 0);
    ASSERT_EQ(user.size(), 32u);
    user.push_back(0);
    EXPECT_STREQ(reinterpret_cast<const char*>(user.data()), "Lab ring, rack 3, adapter 1");
}

TEST(StationReferenceTest, TimeStampsCountEightyNanosecondUnits) {
    sim::StationConfig config = sim_test::Config(Attachment::kDual, Scenario::kHealthy);
    config.uptimeSeconds = 3600;
    sim::Station station(config);
    const std::vector<uint8_t> setCount = sim_test::ValueOf(station, 0x1035, 0);
    ASSERT_EQ(setCount.size(), 12u);
    EXPECT_EQ(ToHex({setCount[0], setCount[1], setCount[2], setCount[3]}), "00 00 00 00");
    auto time64 = [&](uint16_t type, size_t at) {
        const std::vector<uint8_t> v = sim_test::ValueOf(station, type, 0);
        uint64_t t = 0;
        for (size_t i = at; i < at + 8 && i < v.size(); ++i)
            t = t << 8 | v[i];
        return t;
    };
    const uint64_t start = time64(0x1033, 0);
    EXPECT_GE(start, 3600ull * 12500000);
    EXPECT_LT(time64(0x1035, 4), time64(0x1034, 0));  // SMT started before the ring came up
    EXPECT_LT(time64(0x1034, 0), start);
    station.AdvanceTo(2500);
    EXPECT_EQ(time64(0x1033, 0) - start, 2500ull * 12500);
}

// Every parameter type of every group can be served for each resource the group is asked
// for, and every value is a whole number of four-byte fields.
TEST(StationReferenceTest, EveryGroupAttributeIsServedInWholeFields) {
    for (Attachment attachment : {Attachment::kDual, Attachment::kSingle}) {
        const sim::Station station(sim_test::Config(attachment, Scenario::kHealthy));
        for (const AttributeGroup* g = AttributeGroups; g->code != 0; ++g) {
            const uint32_t first = g->code < 0x2000 ? 0 : 1;
            const uint32_t last = g->code >= 0x4000 ? station.PortCount() : first;
            for (uint32_t index = first; index <= last; ++index) {
                for (const uint16_t* type = g->types; *type != 0; ++type) {
                    sim::AttributeValue value;
                    ASSERT_TRUE(sim::EncodeAttribute(station, *type, index, &value))
                        << std::hex << *type << " index " << index;
                    EXPECT_EQ(value.length % 4, 0) << std::hex << *type;
                    EXPECT_GE(value.length, 4) << std::hex << *type;
                    if (*type >= 0x2000) {
                        EXPECT_EQ(
                            ToHex({value.bytes[0], value.bytes[1], value.bytes[2], value.bytes[3]}),
                            ToHex({0, 0, 0, static_cast<uint8_t>(index)}))
                            << std::hex << *type;
                    }
                }
            }
        }
    }
}

TEST(StationReferenceTest, ResourcesTheStationLacksAreNotServed) {
    const sim::Station dual(sim_test::Config(Attachment::kDual, Scenario::kHealthy));
    const sim::Station single(sim_test::Config(Attachment::kSingle, Scenario::kHealthy));
    sim::AttributeValue value;
    EXPECT_FALSE(sim::EncodeAttribute(dual, 0x2017, 2, &value));
    EXPECT_FALSE(sim::EncodeAttribute(dual, 0x2017, 0, &value));
    EXPECT_FALSE(sim::EncodeAttribute(dual, 0x320B, 2, &value));
    EXPECT_FALSE(sim::EncodeAttribute(dual, 0x400C, 3, &value));
    EXPECT_FALSE(sim::EncodeAttribute(single, 0x400C, 2, &value));
    EXPECT_FALSE(sim::EncodeAttribute(dual, 0x100C, 0, &value));
    EXPECT_FALSE(sim::EncodeAttribute(dual, 0x5000, 1, &value));
}

}  // namespace
