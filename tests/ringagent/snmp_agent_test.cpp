// ringagent between a real snmpd and the stand-in driver, read with net-snmp's own tools: the
// values are the simulated station's, every served column is there and nothing else, and the
// agent follows adapters, the driver and snmpd as they come and go.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <signal.h>

#include <set>
#include <string>

#include "simulator/station_model.h"
#include "smtmib/mib_tables.h"
#include "tests/ringagent/snmp_world.h"
#include "tests/simulator/station_probe.h"

namespace {

using agent_test::SnmpWalk;
using agent_test::SnmpWorld;

const std::string kFddimib = "1.3.6.1.2.1.10.15.73";

std::string Oid(const std::string& suffix) {
    return kFddimib + "." + suffix;
}

// Every instance the agent should serve for `instances` stations of `ports` ports each: all
// columns of every row, and the four Number scalars.
std::set<std::string> ServedOids(int instances, int ports) {
    std::set<std::string> oids;
    for (size_t o = 0; o < kMibObjectCount; ++o) {
        if (const MibScalar* scalar = kMibObjects[o].scalar) {
            oids.insert(
                Oid(std::to_string(scalar->oid[0]) + "." + std::to_string(scalar->oid[1]) + ".0"));
            continue;
        }
        const MibTable& table = *kMibObjects[o].table;
        std::vector<std::string> rows;
        for (int smt = 1; smt <= instances; ++smt) {
            const std::string s = std::to_string(smt);
            switch (table.rows) {
                case RowKind::kSmt:
                    rows.push_back(s);
                    break;
                case RowKind::kMac:
                case RowKind::kPath:
                    rows.push_back(s + ".1");
                    break;
                case RowKind::kPathConfig:
                    for (int token = 1; token <= ports + 1; ++token)
                        rows.push_back(s + ".1." + std::to_string(token));
                    break;
                case RowKind::kPort:
                    for (int port = 1; port <= ports; ++port)
                        rows.push_back(s + "." + std::to_string(port));
                    break;
            }
        }
        const std::string entry = std::to_string(table.entryOid[0]) + "." +
                                  std::to_string(table.entryOid[1]) + "." +
                                  std::to_string(table.entryOid[2]);
        for (size_t c = 0; c < table.columnCount; ++c) {
            for (const std::string& row : rows)
                oids.insert(Oid(entry + "." + std::to_string(table.columns[c].subid) + "." + row));
        }
    }
    return oids;
}

std::set<std::string> OidsOf(const SnmpWalk& walk) {
    std::set<std::string> oids;
    for (const auto& entry : walk)
        oids.insert(entry.first);
    return oids;
}

// A reference value of a healthy station: the OID below fddimib with %S for the SMT index, and
// the number a dual and a single attachment station give.
struct Reference {
    const char* oid;
    const char* dual;
    const char* single;  // nullptr: a dual attachment station's object only
};

const Reference kReferences[] = {
    {"1.2.1.3.%S", "2", "2"},                    // OpVersionId
    {"1.2.1.9.%S", "2", "1"},                    // NonMasterCts
    {"1.2.1.11.%S", "3", "1"},                   // AvailablePaths
    {"1.2.1.14.%S", "32801", "32801"},           // ConnectionPolicy 0x8021
    {"1.2.1.15.%S", "10", "10"},                 // TNotify, seconds
    {"1.2.1.16.%S", "1", "1"},                   // StatRptPolicy true
    {"1.2.1.17.%S", "7000", "7000"},             // TraceMaxExpiration, 7 s in ms
    {"1.2.1.18.%S", "2", "2"},                   // BypassPresent false
    {"1.2.1.19.%S", "2", "2"},                   // ECM ec1 (in)
    {"1.2.1.20.%S", "13", "12"},                 // CF cf12 (thru), cf11 (c_wrap_s)
    {"1.2.1.22.%S", "3", "1"},                   // StationStatus thru, concatenated
    {"1.2.1.23.%S", "2", "2"},                   // PeerWrapFlag false
    {"2.2.1.5.%S.1", "165000000", "165000000"},  // TMaxCapability, 165 ms in ns
    {"2.2.1.6.%S.1", "5200000", "5200000"},      // TVXCapability
    {"2.2.1.8.%S.1", "4", "4"},                  // CurrentPath primary
    {"2.2.1.13.%S.1", "2", "2"},                 // DupAddressTest pass
    {"2.2.1.14.%S.1", "7", "7"},                 // RequestedPaths
    {"2.2.1.15.%S.1", "2", "3"},                 // DownstreamPORTType b, s
    {"2.2.1.17.%S.1", "8000000", "8000000"},     // TReq
    {"2.2.1.20.%S.1", "2500000", "2500000"},     // TvxValue
    {"2.2.1.28.%S.1", "3", "3"},                 // RMT rm2 (ring_op)
    {"2.2.1.32.%S.1", "1", "1"},                 // MAUnitdataAvailable true
    {"3.1.1.7.%S.1", "2", "2"},                  // NotCopiedFlag false
    {"3.1.1.8.%S.1", "1", "1"},                  // NotCopiedThreshold
    {"4.2.1.3.%S.1", "2500000", "2500000"},      // TVXLowerBound
    {"4.2.1.5.%S.1", "165000000", "165000000"},  // MaxTReq
    {"4.3.1.4.%S.1.1", "4", "4"},                // first on the path: port A or S
    {"4.3.1.4.%S.1.2", "2", "2"},                // then the MAC
    {"4.3.1.5.%S.1.3", "2", nullptr},            // then port B
    {"4.3.1.6.%S.1.2", "4", "4"},                // the MAC on the primary path
    {"5.2.1.3.%S.1", "1", "3"},                  // MyType a, s
    {"5.2.1.4.%S.1", "2", "4"},                  // NeighborType b, m
    {"5.2.1.6.%S.1", "2", "3"},                  // MACIndicated
    {"5.2.1.7.%S.1", "6", "5"},                  // CurrentPath ce5, ce4
    {"5.2.1.8.%S.1", "01 19 99", "01 21 E1"},    // RequestedPaths
    {"5.2.1.9.%S.1", "0", "1"},                  // MACPlacement
    {"5.2.1.11.%S.1", "1", "1"},                 // PMDClass multimode
    {"5.2.1.19.%S.1", "8", "8"},                 // LerAlarm
    {"5.2.1.20.%S.1", "4", "4"},                 // ConnectState active
    {"5.2.1.21.%S.1", "9", "9"},                 // PCM pc8 (active)
    {"5.2.1.3.%S.2", "2", nullptr},              // port B: MyType b
    {"5.2.1.9.%S.2", "1", nullptr},              // MACPlacement
    {"5.2.1.8.%S.2", "01 21 E1", nullptr},       // RequestedPaths
};

std::string WithSmtIndex(std::string oid, int smt) {
    oid.replace(oid.find("%S"), 2, std::to_string(smt));
    return Oid(oid);
}

struct StationCase {
    const char* station;  // qd4682sim --station
    int instances;
};
void PrintTo(const StationCase& c, std::ostream* out) {
    *out << c.station << " x" << c.instances;
}

class ServedStation : public ::testing::TestWithParam<StationCase> {};

TEST_P(ServedStation, WalkHoldsEveryServedColumnWithTheSimulatedStationsValues) {
    const StationCase c = GetParam();
    const bool dual = std::string(c.station) == "das";
    SnmpWorld world;
    world.StartSimulator(
        {"--instances", std::to_string(c.instances), "--station", c.station, "--seed", "7"});
    world.StartSnmpd();
    world.StartAgent();
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == c.instances; }))
        << world.Logs();

    const SnmpWalk walk = world.Walk();
    EXPECT_EQ(OidsOf(walk), ServedOids(c.instances, dual ? 2 : 1));

    for (int instance = 0; instance < c.instances; ++instance) {
        const int smt = instance + 1;
        for (const Reference& r : kReferences) {
            const char* expected = dual ? r.dual : r.single;
            if (!expected) continue;
            const auto found = walk.find(WithSmtIndex(r.oid, smt));
            ASSERT_NE(found, walk.end()) << r.oid << " of SMT " << smt;
            EXPECT_EQ(found->second.text, expected) << r.oid << " of SMT " << smt;
        }
        sim::StationConfig config = sim_test::Config(
            dual ? sim::Attachment::kDual : sim::Attachment::kSingle, sim::Scenario::kHealthy);
        config.instance = static_cast<uint32_t>(instance);
        const sim::Station station(config);
        const struct {
            const char* oid;
            std::string hex;
        } octets[] = {
            {"1.2.1.2.%S", sim_test::ToHex(sim_test::ValueOf(station, 0x100B, 0))},
            {"1.2.1.6.%S", sim_test::ToHex(sim_test::ValueOf(station, 0x1011, 0))},
            {"2.2.1.16.%S.1", sim_test::ToHex(sim_test::AddressOf(station, 0x2029))},
        };
        for (const auto& o : octets)
            EXPECT_EQ(walk.at(WithSmtIndex(o.oid, smt)).text, o.hex) << o.oid;
        EXPECT_EQ(walk.at(WithSmtIndex("2.2.1.21.%S.1", smt)).type, "Counter32");
        EXPECT_EQ(walk.at(WithSmtIndex("5.2.1.17.%S.1", smt)).type, "Counter32");
    }
}

INSTANTIATE_TEST_SUITE_P(Stations, ServedStation,
                         ::testing::Values(StationCase{"das", 1}, StationCase{"das", 3},
                                           StationCase{"sas", 1}, StationCase{"sas", 3}),
                         [](const auto& info) {
                             return std::string(info.param.station) +
                                    std::to_string(info.param.instances);
                         });

TEST(RingAgent, AdaptersThatStopAnsweringLoseTheirRowsAndRegainThem) {
    SnmpWorld world;
    world.StartSimulator({"--instances", "3", "--seed", "7"});
    world.StartSnmpd();
    world.StartAgent({"--cache-ms", "200"});
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 3; })) << world.Logs();
    const std::string set = world.Set(Oid("1.2.1.15.1"), "i 20");
    EXPECT_NE(set.find("notWritable"), std::string::npos) << set;

    world.StopSimulator();
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 0; })) << world.Logs();
    EXPECT_EQ(world.Walk().size(), 4u);  // the Number scalars alone

    world.StartSimulator({"--instances", "1", "--seed", "7"});
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 1; })) << world.Logs();
    EXPECT_EQ(OidsOf(world.Walk()), ServedOids(1, 2));
}

size_t Occurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(RingAgent, StartsBeforeSnmpdAndFollowsItsRestartsThenEndsCleanly) {
    SnmpWorld world;
    world.StartSimulator({"--seed", "7"});
    // Pings as rare as they can be: a lost master must be redialled all the same.
    world.StartAgent({"--ping-interval", "3600"});
    // Several redials go by before the master is there; the log says it once.
    ASSERT_TRUE(SnmpWorld::WaitFor([&] {
        return world.AgentLog().find("no master agent") != std::string::npos;
    })) << world.Logs();
    world.StartSnmpd();
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 1; })) << world.Logs();

    world.StopSnmpd();
    ASSERT_TRUE(SnmpWorld::WaitFor([&] {
        return world.AgentLog().find("lost the master agent") != std::string::npos;
    })) << world.Logs();
    world.StartSnmpd();
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 1; })) << world.Logs();
    ASSERT_TRUE(SnmpWorld::WaitFor([&] {
        return world.AgentLog().find("master agent back") != std::string::npos;
    })) << world.Logs();
    EXPECT_EQ(world.StopAgent(), 0) << world.Logs();

    const std::string log = world.AgentLog();
    for (const char* once : {"no master agent", "lost the master agent", "master agent back"}) {
        EXPECT_EQ(Occurrences(log, once), 1u) << once << "\n" << log;
    }
    EXPECT_EQ(Occurrences(log, "Failed to connect"), 0u) << log;
}

// The master gives a subtree to one agent; a second one is told so, and says it and stops with
// an error instead of claiming to serve, while the first goes on.
TEST(RingAgent, ASecondAgentIsRefusedTheSubtreeAndExitsWithAnError) {
    SnmpWorld world;
    world.StartSimulator({"--seed", "7"});
    world.StartSnmpd();
    world.StartAgent();
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 1; })) << world.Logs();

    EXPECT_EQ(world.RunSecondAgent(), 1) << world.Logs();
    const std::string log = world.SecondAgentLog();
    EXPECT_NE(log.find("cannot register fddimib"), std::string::npos) << log;
    EXPECT_NE(log.find("duplicateRegistration"), std::string::npos) << log;
    EXPECT_EQ(log.find("serving fddimib"), std::string::npos) << log;
    EXPECT_EQ(world.SmtNumber(), 1) << world.Logs();
}

}  // namespace

// The adapter is not ready one second in ten: a manager polling for a minute always finds the
// station, while the agent says when it starts failing and when it answers again, not once per
// refused fetch.
TEST(RingAgent, AFlakyStationIsInEveryPollWhileItsRefusalsComeAndGo) {
    SnmpWorld world;
    world.StartSimulator({"--scenario", "flaky", "--seed", "1"});
    world.StartSnmpd();
    world.StartAgent();  // a cache of 1 s, rows kept through 3 s of refusals
    ASSERT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 1; })) << world.Logs();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int polls = 0, missing = 0;
    while (std::chrono::steady_clock::now() < end) {
        ++polls;
        if (world.SmtNumber() != 1) ++missing;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_EQ(missing, 0) << "of " << polls << " polls\n" << world.Logs();
    const std::string log = world.AgentLog();
    const size_t failing = Occurrences(log, "does not answer");
    EXPECT_GT(failing, 0u) << log;  // the refusals did come
    EXPECT_EQ(Occurrences(log, "no rows for it"), 0u) << log;
    // One line when it answers at first, then one each way per refused second (the last one
    // may still be under way).
    const size_t answering = Occurrences(log, "answers: served");
    EXPECT_GE(answering, failing) << log;
    EXPECT_LE(answering, failing + 1) << log;
}
