// The scenarios at fixed times: the ring events play out in the attributes the screens show.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "smtmib/attribute_groups.h"
#include "simulator/attribute_encoding.h"
#include "tests/simulator/station_probe.h"

namespace {

using sim::Attachment;
using sim::Scenario;
using sim_test::FieldOf;

constexpr uint16_t kCfState = 0x102A;
constexpr uint16_t kEcmState = 0x1029;
constexpr uint16_t kStationStatus = 0x102D;
constexpr uint16_t kPeerWrapFlag = 0x102E;
constexpr uint16_t kTransitionTimeStamp = 0x1034;
constexpr uint16_t kDownstreamNbr = 0x2019;
constexpr uint16_t kOldDownstreamNbr = 0x201B;
constexpr uint16_t kDupAddrTest = 0x201D;
constexpr uint16_t kDownstreamPortType = 0x2021;
constexpr uint16_t kTokenCt = 0x204A;
constexpr uint16_t kLostCt = 0x2052;
constexpr uint16_t kRingOpCt = 0x2056;
constexpr uint16_t kRmtState = 0x206F;
constexpr uint16_t kDaFlag = 0x2070;
constexpr uint16_t kUnitdataAvailable = 0x2074;
constexpr uint16_t kTraceStatus = 0x320E;
constexpr uint16_t kPathConfiguration = 0x3212;
constexpr uint16_t kPortCurrentPath = 0x4010;
constexpr uint16_t kMacPlacement = 0x4012;
constexpr uint16_t kLineState = 0x4022;
constexpr uint16_t kLctFailCt = 0x402A;
constexpr uint16_t kLerEstimate = 0x4033;
constexpr uint16_t kLemRejectCt = 0x4034;
constexpr uint16_t kConnectState = 0x403D;
constexpr uint16_t kPcmState = 0x403E;
constexpr uint16_t kLerFlag = 0x4040;

constexpr uint32_t kPortA = 1;
constexpr uint32_t kPortB = 2;

sim::Station MakeStation(Attachment attachment, Scenario scenario) {
    return sim::Station(sim_test::Config(attachment, scenario));
}

uint64_t TimeStampOf(const sim::Station& station, uint16_t type) {
    const std::vector<uint8_t> v = sim_test::ValueOf(station, type, 0);
    uint64_t t = 0;
    for (size_t i = 0; i < 8 && i < v.size(); ++i)
        t = t << 8 | v[i];
    return t;
}

TEST(StationScenarioTest, WrapLosesLinkBAndWrapsOnPortA) {
    sim::Station station = MakeStation(Attachment::kDual, Scenario::kWrap);
    station.AdvanceTo(19000);
    const std::vector<uint8_t> downstream = sim_test::AddressOf(station, kDownstreamNbr);
    const uint32_t ringOps = FieldOf(station, kRingOpCt);
    const uint32_t lost = FieldOf(station, kLostCt);

    station.AdvanceTo(20050);
    EXPECT_EQ(FieldOf(station, kCfState), 9u);  // C_Wrap_A
    EXPECT_EQ(FieldOf(station, kPeerWrapFlag), 1u);
    EXPECT_EQ(FieldOf(station, kStationStatus), 0u);            // concatenated
    EXPECT_EQ(FieldOf(station, kPcmState, kPortB), 1u);         // Break
    EXPECT_EQ(FieldOf(station, kConnectState, kPortB), 1u);     // Connecting
    EXPECT_EQ(FieldOf(station, kLineState, kPortB), 0u);        // Quiet
    EXPECT_EQ(FieldOf(station, kPortCurrentPath, kPortB), 0u);  // isolated
    EXPECT_EQ(FieldOf(station, kMacPlacement, kPortB), 0u);
    EXPECT_EQ(FieldOf(station, kPortCurrentPath, kPortA), 4u);  // concatenated
    EXPECT_EQ(FieldOf(station, kMacPlacement, kPortA), 1u);
    EXPECT_EQ(FieldOf(station, kDownstreamPortType), 0u);  // A
    EXPECT_EQ(FieldOf(station, kRmtState), 2u);            // back to Ring_Op within ms
    EXPECT_EQ(FieldOf(station, kRingOpCt), ringOps + 1);
    EXPECT_GE(FieldOf(station, kLostCt) - lost, 1u);
    EXPECT_LE(FieldOf(station, kLostCt) - lost, 2u);
    EXPECT_NE(sim_test::AddressOf(station, kDownstreamNbr), downstream);
    EXPECT_EQ(sim_test::AddressOf(station, kOldDownstreamNbr), downstream);
    EXPECT_EQ(sim_test::ToHex(sim_test::ValueOf(station, kPathConfiguration, 1)),
              "00 00 00 01 00 00 00 04 00 01 00 03 00 00 00 02 00 01 00 03 00 00 00 04 00 02 "
              "00 00");
    const uint64_t lossTime = TimeStampOf(station, kTransitionTimeStamp);
    EXPECT_GT(lossTime, TimeStampOf(station, 0x1033) - 50 * 12500ull);
}

TEST(StationScenarioTest, WrappedPortBCyclesBreakAndConnect) {
    sim::Station station = MakeStation(Attachment::kDual, Scenario::kWrap);
    std::set<uint32_t> seen;
    for (uint64_t t = 21000; t < 39000; t += 50) {
        station.AdvanceTo(t);
        seen.insert(FieldOf(station, kPcmState, kPortB));
        EXPECT_EQ(FieldOf(station, kCfState), 9u) << t;
    }
    EXPECT_EQ(seen, (std::set<uint32_t>{1, 3}));  // Break and Connect
}

TEST(StationScenarioTest, RestoredLinkBConnectsAndTheStationIsThruAgain) {
    sim::Station station = MakeStation(Attachment::kDual, Scenario::kWrap);
    station.AdvanceTo(39000);
    const std::vector<uint8_t> wrapNeighbour = sim_test::AddressOf(station, kDownstreamNbr);
    const uint32_t ringOps = FieldOf(station, kRingOpCt);
    std::vector<uint32_t> states;  // PCM states of port B in the order they appear
    uint64_t activeAt = 0;
    for (uint64_t t = 40000; t <= 42000 && activeAt == 0; t += 2) {
        station.AdvanceTo(t);
        const uint32_t pcm = FieldOf(station, kPcmState, kPortB);
        if (states.empty() || states.back() != pcm) states.push_back(pcm);
        if (pcm == 8) activeAt = t;
    }
    ASSERT_NE(activeAt, 0u) << "port B never became active";
    EXPECT_LE(activeAt - 40000, 1000u + 900u);  // at most one Connect wait, then 0.2 to 1 s
    // Connect, three rounds of Next and Signal, Join, Verify, Active.
    const std::vector<uint32_t> expected = {3, 4, 5, 4, 5, 4, 5, 6, 7, 8};
    ASSERT_GE(states.size(), expected.size());
    EXPECT_EQ(
        std::vector<uint32_t>(states.end() - static_cast<long>(expected.size()), states.end()),
        expected);
    station.AdvanceTo(activeAt + 100);
    EXPECT_EQ(FieldOf(station, kCfState), 12u);
    EXPECT_EQ(FieldOf(station, kPeerWrapFlag), 0u);
    EXPECT_EQ(FieldOf(station, kStationStatus), 2u);
    EXPECT_EQ(FieldOf(station, kConnectState, kPortB), 3u);
    EXPECT_EQ(FieldOf(station, kLineState, kPortB), 4u);
    EXPECT_EQ(FieldOf(station, kPortCurrentPath, kPortA), 5u);
    EXPECT_EQ(FieldOf(station, kMacPlacement, kPortB), 1u);
    EXPECT_EQ(FieldOf(station, kDownstreamPortType), 1u);
    EXPECT_EQ(FieldOf(station, kRingOpCt), ringOps + 1);
    EXPECT_EQ(sim_test::AddressOf(station, kOldDownstreamNbr), wrapNeighbour);
    EXPECT_NE(sim_test::AddressOf(station, kDownstreamNbr), wrapNeighbour);
    // And the next cycle wraps again.
    station.AdvanceTo(60100);
    EXPECT_EQ(FieldOf(station, kCfState), 9u);
}

TEST(StationScenarioTest, SingleAttachmentStationIsIsolatedWhileLinkSIsDown) {
    sim::Station station = MakeStation(Attachment::kSingle, Scenario::kWrap);
    station.AdvanceTo(20050);
    EXPECT_EQ(FieldOf(station, kCfState), 0u);  // isolated
    EXPECT_EQ(FieldOf(station, kRmtState), 0u);
    EXPECT_EQ(FieldOf(station, kPcmState, kPortA), 1u);
    EXPECT_EQ(FieldOf(station, kUnitdataAvailable), 0u);
    station.AdvanceTo(42000);
    EXPECT_EQ(FieldOf(station, kCfState), 11u);  // C_Wrap_S
    EXPECT_EQ(FieldOf(station, kRmtState), 2u);
}

// Errors on port A grow window by window: the estimate falls, the flag rises at the alarm,
// and at the cutoff the link is rejected and the port connects again with a fresh estimate.
TEST(StationScenarioTest, LerRaisesTheFlagThenRejectsTheLink) {
    sim::Station station = MakeStation(Attachment::kDual, Scenario::kLer);
    uint64_t flagAt = 0;
    uint64_t rejectAt = 0;
    for (uint64_t t = 1000; t <= 300000 && rejectAt == 0; t += 1000) {
        station.AdvanceTo(t);
        EXPECT_EQ(FieldOf(station, kLerEstimate, kPortB), 15u) << t;
        const uint32_t estimate = FieldOf(station, kLerEstimate, kPortA);
        if (flagAt == 0 && FieldOf(station, kLerFlag, kPortA) == 1) {
            flagAt = t;
            EXPECT_LE(estimate, 8u);
            EXPECT_GT(estimate, 7u);
        }
        if (FieldOf(station, kLemRejectCt, kPortA) == 1) rejectAt = t;
    }
    ASSERT_NE(flagAt, 0u) << "Ler Flag never set";
    ASSERT_NE(rejectAt, 0u) << "Lem_Reject_Ct never rose";
    EXPECT_LT(flagAt, rejectAt);
    EXPECT_NE(FieldOf(station, kPcmState, kPortA), 8u);  // restarting
    EXPECT_EQ(FieldOf(station, kCfState), 10u);          // wrapped on port B meanwhile
    station.AdvanceTo(rejectAt + 3000);
    EXPECT_EQ(FieldOf(station, kPcmState, kPortA), 8u);
    EXPECT_EQ(FieldOf(station, kCfState), 12u);
    EXPECT_EQ(FieldOf(station, kLerEstimate, kPortA), 15u);
    EXPECT_EQ(FieldOf(station, kLerFlag, kPortA), 0u);
    EXPECT_LE(FieldOf(station, kLctFailCt, kPortA), 1u);
}

TEST(StationScenarioTest, OldFirmwareReportsVersionThree) {
    const sim::Station station = MakeStation(Attachment::kDual, Scenario::kOldFirmware);
    EXPECT_EQ(sim_test::ToHex(sim_test::ValueOf(station, 0x100D, 0)), "00 00 00 03");
    uint8_t area[512] = {};
    ASSERT_EQ(sim::AnswerSmtGet(station, 0x100A, 0, area, sizeof area), 0u);
    // The group's second record, after the 12-byte station ID record.
    EXPECT_EQ(sim_test::ToHex(
                  {area[12], area[13], area[14], area[15], area[16], area[17], area[18], area[19]}),
              "10 0D 00 04 00 00 00 03");
}

struct StateAt {
    uint64_t ms;
    uint16_t type;
    uint32_t index;
    uint32_t expected;
    const char* what;
};

void ExpectStates(Scenario scenario, const std::vector<StateAt>& script) {
    sim::Station station = MakeStation(Attachment::kDual, scenario);
    for (const StateAt& s : script) {
        station.AdvanceTo(s.ms);
        EXPECT_EQ(FieldOf(station, s.type, s.index), s.expected) << s.what << " at " << s.ms;
    }
}

TEST(StationScenarioTest, DuplicateAddressFailsTheTestAndTheStationLeavesTheRing) {
    ExpectStates(Scenario::kDupAddr,
                 {
                     {14000, kDupAddrTest, 1, 1, "Dup_Addr_Test pass"},
                     {16000, kDupAddrTest, 1, 2, "Dup_Addr_Test fail"},
                     {16000, kDaFlag, 1, 1, "DA_Flag"},
                     {16000, kUnitdataAvailable, 1, 0, "MA_UnitdataAvailable"},
                     {16000, kRmtState, 1, 5, "RMT Ring_Op_Dup"},
                     {19500, kRmtState, 1, 4, "RMT Non_Op_Dup"},
                     {23000, kRmtState, 1, 5, "RMT Ring_Op_Dup again"},
                     {26000, kEcmState, 0, 0, "ECM Out"},
                     {26000, kPcmState, kPortA, 0, "PCM Off"},
                     {26000, kPcmState, kPortB, 0, "PCM Off"},
                     {26000, kConnectState, kPortA, 0, "Connect State Disabled"},
                     {26000, kCfState, 0, 0, "CF Isolated"},
                     {26000, kRmtState, 1, 0, "RMT Isolated"},
                     {42000, kEcmState, 0, 1, "ECM In"},
                     {42000, kCfState, 0, 12, "CF Thru"},
                     {42000, kRmtState, 1, 2, "RMT Ring_Op"},
                     {42000, kDupAddrTest, 1, 1, "Dup_Addr_Test pass"},
                     {42000, kDaFlag, 1, 0, "DA_Flag"},
                     {42000, kUnitdataAvailable, 1, 1, "MA_UnitdataAvailable"},
                     {76000, kDupAddrTest, 1, 2, "the next cycle"},
                 });
}

TEST(StationScenarioTest, StuckBeaconStopsTheRingUntilTheTraceAndPathTest) {
    ExpectStates(Scenario::kBeacon,
                 {
                     {19000, kRmtState, 1, 2, "Ring_Op"},
                     {20500, kRmtState, 1, 1, "Non_Op"},
                     {21500, kRmtState, 1, 3, "Detect"},
                     {29200, kRmtState, 1, 6, "Directed"},
                     {29500, kRmtState, 1, 7, "Trace"},
                     {29500, kEcmState, 0, 2, "ECM Trace"},
                     {29500, kTraceStatus, 1, 1, "trace initiated"},
                     {29900, kEcmState, 0, 4, "ECM Path_Test"},
                     {29900, kTraceStatus, 1, 5, "trace initiated and terminated"},
                     {31000, kEcmState, 0, 1, "ECM In"},
                     {31000, kRmtState, 1, 2, "Ring_Op"},
                     {80500, kTraceStatus, 1, 0, "the next beacon clears the trace status"},
                 });
}

TEST(StationScenarioTest, TheRingCarriesNoTokensDuringTheBeacon) {
    sim::Station station = MakeStation(Attachment::kDual, Scenario::kBeacon);
    station.AdvanceTo(21000);
    const uint32_t tokens = FieldOf(station, kTokenCt);
    const uint32_t ringOps = FieldOf(station, kRingOpCt);
    station.AdvanceTo(29000);
    EXPECT_EQ(FieldOf(station, kTokenCt), tokens);
    station.AdvanceTo(33000);
    EXPECT_GT(FieldOf(station, kTokenCt), tokens);
    EXPECT_EQ(FieldOf(station, kRingOpCt), ringOps + 1);
}

// Every group answer, in full.
std::vector<uint8_t> Snapshot(const sim::Station& station) {
    std::vector<uint8_t> all;
    for (const AttributeGroup* g = AttributeGroups; g->code != 0; ++g) {
        for (uint32_t index = 0; index <= station.PortCount(); ++index) {
            uint8_t area[512] = {};
            if (sim::AnswerSmtGet(station, g->code, index, area, sizeof area) == 0) {
                all.insert(all.end(), area, area + sizeof area);
            }
        }
    }
    return all;
}

// The station at a time is the same whatever steps led there.
TEST(StationScenarioTest, TheStationAtATimeDoesNotDependOnTheStepsTaken) {
    for (Scenario scenario :
         {Scenario::kWrap, Scenario::kLer, Scenario::kDupAddr, Scenario::kBeacon}) {
        sim::Station jumped = MakeStation(Attachment::kDual, scenario);
        sim::Station stepped = MakeStation(Attachment::kDual, scenario);
        jumped.AdvanceTo(125437);
        for (uint64_t t = 0; t < 125437; t += 997)
            stepped.AdvanceTo(t);
        stepped.AdvanceTo(125437);
        EXPECT_EQ(Snapshot(jumped), Snapshot(stepped)) << sim::ScenarioName(scenario);
        stepped.AdvanceTo(1000);  // time never runs back
        EXPECT_EQ(stepped.NowMs(), 125437u);
    }
}

TEST(StationScenarioTest, TheSeedChoosesTheStation) {
    const sim::Station a(sim_test::Config(Attachment::kDual, Scenario::kHealthy, 1));
    const sim::Station b(sim_test::Config(Attachment::kDual, Scenario::kHealthy, 1));
    const sim::Station c(sim_test::Config(Attachment::kDual, Scenario::kHealthy, 2));
    EXPECT_EQ(Snapshot(a), Snapshot(b));
    EXPECT_NE(sim_test::AddressOf(a, 0x2029), sim_test::AddressOf(c, 0x2029));
}

}  // namespace
