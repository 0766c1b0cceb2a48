// What the agent makes of the driver's answers, without net-snmp: the cost of a query, the
// conversion of every kind of column at the edges of its range, and the OID order of a walk.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "ringagent/mib_view.h"
#include "ringagent/station_cache.h"
#include "tests/harness/fake_station.h"

namespace {

using Oid = std::vector<uint32_t>;
constexpr uint64_t kCacheMs = 1000;

// A cache over a fake dual-attachment station, on a virtual clock.
struct AgentOverFake {
    platform::VirtualClock clock;
    FakeStation station;
    StationCache cache{clock, kCacheMs, nullptr};
    AgentOverFake() {
        platform::SetClock(&clock);
        platform::RegisterInProcessDevice("qd4682", &station);
        station.FillHealthy(2);
        station.ServeInstances(1);
    }
    ~AgentOverFake() {
        platform::RegisterInProcessDevice("qd4682", nullptr);
        platform::SetClock(nullptr);
    }
    std::optional<int64_t> Get(const Oid& suffix) {
        Oid name(kFddimibOid, kFddimibOid + kFddimibOidLength);
        name.insert(name.end(), suffix.begin(), suffix.end());
        cache.Refresh();
        MibValue value;
        if (!FindInstance(cache, name.data(), name.size(), &value)) return std::nullopt;
        return value.number;
    }
};

TEST(StationCache, FetchesEachInstanceAtMostOncePerCachePeriod) {
    AgentOverFake agent;
    agent.station.ServeInstances(2);
    // 26 requests for each answering instance, one refused request for the third.
    const size_t kPerPeriod = 26 + 26 + 1;
    const struct {
        uint64_t advanceMs;
        size_t requests;
    } steps[] = {{0, kPerPeriod},
                 {kCacheMs - 1, kPerPeriod},
                 {1, 2 * kPerPeriod},
                 {kCacheMs / 2, 2 * kPerPeriod},
                 {5 * kCacheMs, 3 * kPerPeriod}};
    for (const auto& step : steps) {
        agent.clock.SleepMs(static_cast<uint32_t>(step.advanceMs));
        for (int query = 0; query < 5; ++query)
            agent.cache.Refresh();
        EXPECT_EQ(agent.station.requests.size(), step.requests) << "after " << step.advanceMs;
    }
    EXPECT_EQ(agent.cache.CycleCount(), 9u);
}

// What the cache reported, as "instance:state".
std::vector<std::string> Reports;
void RecordReport(int instance, StationState state, const StationSnapshot&) {
    Reports.push_back(std::to_string(instance) + ":" + std::to_string(static_cast<int>(state)));
}

// A refusal the driver gets over keeps the rows for the grace period with the values last read;
// a longer one, or a missing device, takes them away. One report when the rows start failing,
// one when they go, one when they are back: none per attempt.
TEST(StationCache, KeepsRowsThroughATransientRefusalForTheGracePeriod) {
    platform::VirtualClock clock;
    FakeStation station;
    platform::SetClock(&clock);
    platform::RegisterInProcessDevice("qd4682", &station);
    station.FillHealthy(2);
    station.ServeInstances(1);
    Reports.clear();
    StationCache cache{clock, kCacheMs, RecordReport, 2500};
    const std::string kAnswers = "0:0", kFailing = "0:1", kGone = "0:2";
    const struct {
        std::function<void()> change;  // before this period's fetch
        bool served;
        uint32_t tReq;  // T_Req as served: the value last read
    } periods[] = {
        {[] {}, true, 1},
        {[&] { station.RefuseWith(0x15); }, true, 1},
        {[&] { station.SetObject(0x2033, 2); }, true, 1},  // still refused: the old value stays
        {[] {}, true, 1},                                  // 2000 ms into the refusals
        {[] {}, false, 0},                                 // 3000 ms: past the grace period
        {[&] { station.RefuseWith(0); }, true, 2},
        {[&] { platform::RegisterInProcessDevice("qd4682", nullptr); }, false, 0},
    };
    station.SetObject(0x2033, 1);
    for (size_t p = 0; p < std::size(periods); ++p) {
        periods[p].change();
        cache.Refresh();
        const StationSnapshot* served = cache.Served(0);
        EXPECT_EQ(served != nullptr, periods[p].served) << "period " << p;
        if (served) {
            EXPECT_EQ(Value32(SlotOf(*served, 0x2033), 4), periods[p].tReq) << "period " << p;
        }
        clock.SleepMs(kCacheMs);
    }
    EXPECT_EQ(Reports, (std::vector<std::string>{kAnswers, kFailing, kGone, kAnswers, kGone}));
    platform::RegisterInProcessDevice("qd4682", nullptr);
    platform::SetClock(nullptr);
}

struct ConversionCase {
    const char* name;
    std::function<void(FakeStation&)> answer;
    Oid oid;  // below fddimib
    std::optional<int64_t> expected;
};

Oid SmtColumn(uint32_t column) {
    return {1, 2, 1, column, 1};
}
Oid MacColumn(uint32_t column) {
    return {2, 2, 1, column, 1, 1};
}
Oid PortColumn(uint32_t column, uint32_t port) {
    return {5, 2, 1, column, 1, port};
}

TEST(MibView, ConvertsTheDriversEncodingAtTheEdgesOfEachRange) {
    using B = FakeStation::Bytes;
    const ConversionCase cases[] = {
        {"ECM state 0 is ec0(1)", [](FakeStation& s) { s.SetSmt(0x1029, 0); }, SmtColumn(19), 1},
        {"ECM state 8 is beyond", [](FakeStation& s) { s.SetSmt(0x1029, 8); }, SmtColumn(19),
         std::nullopt},
        {"flag 0 is false(2)", [](FakeStation& s) { s.SetSmt(0x102E, 0); }, SmtColumn(23), 2},
        {"flag 255 is true(1)", [](FakeStation& s) { s.SetSmt(0x102E, 255); }, SmtColumn(23), 1},
        {"T_Notify 1 is below", [](FakeStation& s) { s.SetSmt(0x101D, 1); }, SmtColumn(15),
         std::nullopt},
        {"a record too short for its field",
         [](FakeStation& s) {
             s.Set(0x1029, B{0, 1});
         },
         SmtColumn(19), std::nullopt},
        {"6250 units of 80 ns round to 1 ms",
         [](FakeStation& s) { s.SetSmt(0x101F, static_cast<uint32_t>(-6250)); }, SmtColumn(17), 1},
        {"6249 units of 80 ns round to 0 ms",
         [](FakeStation& s) { s.SetSmt(0x101F, static_cast<uint32_t>(-6249)); }, SmtColumn(17), 0},
        {"time stamp in ms",
         [](FakeStation& s) {
             s.Set(0x1033, B{0, 0, 0, 0, 0, 0, 0x30, 0xD4});
         },
         SmtColumn(24), 1},
        {"time stamp past 2^31 ms",
         [](FakeStation& s) {
             s.Set(0x1033, B{0, 0, 0x61, 0xA8, 0, 0, 0, 0});
         },
         SmtColumn(24), std::nullopt},
        {"one unit of 80 ns", [](FakeStation& s) { s.SetObject(0x2033, 0xFFFFFFFF); },
         MacColumn(17), 80},
        {"the longest time is past 2^31 ns",
         [](FakeStation& s) { s.SetObject(0x2033, 0x80000000); }, MacColumn(17), std::nullopt},
        {"a positive time count is out of range", [](FakeStation& s) { s.SetObject(0x2033, 1); },
         MacColumn(17), std::nullopt},
        {"counters take all 32 bits", [](FakeStation& s) { s.SetObject(0x2047, 0xFFFFFFFF); },
         MacColumn(21), 4294967295},
        {"PCM state 9 of port B is pc9(10)", [](FakeStation& s) { s.SetObject(0x403E, 9, 2); },
         PortColumn(21, 2), 10},
        {"Ler estimate 3 is below", [](FakeStation& s) { s.SetObject(0x4033, 3); },
         PortColumn(15, 1), std::nullopt},
        {"T_Val set, R_Val clear",
         [](FakeStation& s) {
             s.SetObjectData(0x400F, B{1, 0, 0, 0});
         },
         PortColumn(6, 1), 3},
    };
    for (const ConversionCase& c : cases) {
        AgentOverFake agent;
        c.answer(agent.station);
        EXPECT_EQ(agent.Get(c.oid), c.expected) << c.name;
    }
}

// Every instance of a walk, from the subtree's start to its end.
std::vector<Oid> Walk(const StationCache& cache) {
    std::vector<Oid> walk;
    Oid name(kFddimibOid, kFddimibOid + kFddimibOidLength);
    MibOid next;
    MibValue value;
    while (FindNextInstance(cache, name.data(), name.size(), &next, &value)) {
        name.assign(next.ids, next.ids + next.length);
        walk.push_back(name);
    }
    return walk;
}

TEST(MibView, WalksInOidOrderAndOnlyOverStationsThatAnswer) {
    AgentOverFake agent;
    agent.station.ServeInstances(3);
    agent.cache.Refresh();
    const std::vector<Oid> all = Walk(agent.cache);
    ASSERT_FALSE(all.empty());
    for (size_t i = 1; i < all.size(); ++i) {
        ASSERT_LT(CompareOids(all[i - 1].data(), all[i - 1].size(), all[i].data(), all[i].size()),
                  0)
            << i;
    }
    EXPECT_EQ(agent.Get({1, 1, 0}), 3);
    EXPECT_EQ(agent.Get({5, 1, 0}), 6);
    // GETNEXT from a column that is never served lands on the next object.
    const Oid action = {1, 3, 6, 1, 2, 1, 10, 15, 73, 1, 2, 1, 26};
    MibOid next;
    MibValue value;
    ASSERT_TRUE(FindNextInstance(agent.cache, action.data(), action.size(), &next, &value));
    EXPECT_EQ(Oid(next.ids, next.ids + next.length), (Oid{1, 3, 6, 1, 2, 1, 10, 15, 73, 2, 1, 0}));

    // A station on another SMT version, then one that refuses: no rows, not counted.
    agent.station.SetSmt(0x100D, 3);
    agent.clock.SleepMs(kCacheMs);
    EXPECT_EQ(agent.Get({1, 1, 0}), 0);
    EXPECT_EQ(Walk(agent.cache).size(), 4u);  // the four Number scalars
    agent.station.SetSmt(0x100D, 2);
    agent.station.RefuseWith(0x15);
    agent.clock.SleepMs(kCacheMs);
    EXPECT_EQ(agent.Get({1, 1, 0}), 0);
    agent.station.RefuseWith(0);
    agent.clock.SleepMs(kCacheMs);
    agent.cache.Refresh();
    EXPECT_EQ(Walk(agent.cache), all);
}

}  // namespace
