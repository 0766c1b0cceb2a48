// The journal as the watching agent keeps it, on a virtual clock through the agent's own cache
// and journal: each scenario of the stand-in driver gives the entries its script implies, in
// order and at their times, and a restarted counter or a failed fetch gives none.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "ringagent/station_journal.h"
#include "simulator/station_driver.h"
#include "tests/harness/fake_station.h"

namespace {

// An entry as a line a person can compare: "20 s SMT PeerWrap asserted", "40 s PORT B PcmState
// Break -> Signal", "41 s MAC 1 RingInit 1 time".
std::string Line(const JournalEntry& e) {
    std::string line = std::to_string(e.atMs / 1000) + " s " + e.object + " " + e.name;
    if (e.instance != 0) line = "instance " + std::to_string(e.instance) + ": " + line;
    if (e.assertion == Assertion::kAsserted) line += " asserted";
    if (e.assertion == Assertion::kDeasserted)
        line += " deasserted after " + std::to_string(e.durationMs / 1000) + " s";
    if (e.kind == EntryKind::kState || e.kind == EntryKind::kEvent) {
        line += std::string(" ") + e.oldValue + " -> " + e.newValue;
    } else if (e.newValue[0] != '\0') {
        line += std::string(" ") + e.newValue;
    }
    return line;
}

struct Collector : EntrySink {
    std::vector<std::string> lines;
    void Write(const JournalEntry& entry) override { lines.push_back(Line(entry)); }
};

// The agent's watch loop over an in-process device on a virtual clock: one fetch of every
// instance per period.
struct Watch {
    platform::VirtualClock clock;
    Collector sink;
    StationJournal journal{sink};
    StationCache cache{clock, 1000, nullptr, 3000};
    explicit Watch(wire::DeviceHandler* device) {
        platform::SetClock(&clock);
        platform::RegisterInProcessDevice("qd4682", device);
        cache.SetObserver(&journal);
    }
    ~Watch() {
        platform::RegisterInProcessDevice("qd4682", nullptr);
        platform::SetClock(nullptr);
    }
    void RunUntil(uint64_t ms) {
        while (clock.NowMs() <= ms) {
            cache.FetchNow();
            clock.SleepMs(1000);
        }
    }
};

struct ScenarioCase {
    sim::Scenario scenario;
    uint64_t untilMs;
    std::vector<std::string> expected;
};

// With seed 1 at a 1 s period. Each scenario's timeline is in the README's scenario table.
const ScenarioCase kScenarioCases[] = {
    // Link B lost at 20 s: the station wraps on A, the ring re-initialises once; link B back
    // at 40 s, port B Active and Thru again at 41 s.
    {sim::Scenario::kWrap,
     45000,
     {"20 s SMT CfState Thru -> C_Wrap_A", "20 s MAC 1 RmtState Ring_Op -> Non_Op",
      "20 s PORT A PortPathChange Thru -> Concatenated",
      "20 s PORT B PortPathChange Thru -> Isolated",
      "20 s PORT B ConnectState Active -> Connecting", "20 s PORT B PcmState Active -> Break",
      "20 s MAC 1 NeighborChange 08-00-3E-AF-A0-2A -> 08-00-3E-84-22-61",
      "20 s SMT PeerWrap asserted", "21 s MAC 1 RmtState Non_Op -> Ring_Op",
      "21 s PORT B PcmState Break -> Connect", "21 s MAC 1 RingInit 1 -> 2",
      "41 s SMT CfState C_Wrap_A -> Thru", "41 s PORT A PortPathChange Concatenated -> Thru",
      "41 s PORT B PortPathChange Isolated -> Thru",
      "41 s PORT B ConnectState Connecting -> Active", "41 s PORT B PcmState Connect -> Active",
      "41 s MAC 1 NeighborChange 08-00-3E-84-22-61 -> 08-00-3E-AF-A0-2A",
      "41 s MAC 1 RingInit 2 -> 3", "41 s SMT PeerWrap deasserted after 21 s"}},
    // Port A's estimate reaches the alarm at 80 s and the cutoff at 104 s: the port restarts,
    // the station wraps on B for two seconds, and Ler Flag is clear when A is back.
    {sim::Scenario::kLer,
     110000,
     {"80 s PORT A Ler asserted 8",
      "104 s SMT CfState Thru -> C_Wrap_B",
      "104 s MAC 1 RmtState Ring_Op -> Non_Op",
      "104 s PORT A PortPathChange Thru -> Isolated",
      "104 s PORT B PortPathChange Thru -> Concatenated",
      "104 s PORT A ConnectState Active -> Connecting",
      "104 s PORT A PcmState Active -> Break",
      "104 s MAC 1 NeighborChange 08-00-3E-E2-62-0A -> 08-00-3E-0E-2C-A2",
      "104 s SMT PeerWrap asserted",
      "105 s MAC 1 RmtState Non_Op -> Ring_Op",
      "105 s PORT A PcmState Break -> Next",
      "105 s MAC 1 RingInit 1 -> 2",
      "106 s SMT CfState C_Wrap_B -> Thru",
      "106 s PORT A PortPathChange Isolated -> Thru",
      "106 s PORT B PortPathChange Concatenated -> Thru",
      "106 s PORT A ConnectState Connecting -> Active",
      "106 s PORT A PcmState Next -> Active",
      "106 s MAC 1 NeighborChange 08-00-3E-0E-2C-A2 -> 08-00-3E-E2-62-0A",
      "106 s MAC 1 RingInit 2 -> 3",
      "106 s SMT PeerWrap deasserted after 2 s",
      "106 s PORT A Ler deasserted after 26 s"}},
    // The duplicate at 15 s, its claim at 19 s; the station leaves at 25 s and is back at 40 s,
    // on the ring at 41 s after two re-initialisations within one period.
    {sim::Scenario::kDupAddr,
     45000,
     {"15 s MAC 1 RmtState Ring_Op -> Ring_Op_Dup",
      "15 s MAC 1 DuplicateAddress asserted",
      "19 s MAC 1 RmtState Ring_Op_Dup -> Non_Op_Dup",
      "22 s MAC 1 RmtState Non_Op_Dup -> Ring_Op_Dup",
      "22 s MAC 1 RingInit 1 -> 2",
      "25 s SMT EcmState In -> Out",
      "25 s SMT CfState Thru -> Isolated",
      "25 s MAC 1 RmtState Ring_Op_Dup -> Isolated",
      "25 s MAC 1 MacPathChange Primary -> Isolated",
      "25 s PORT A PortPathChange Thru -> Isolated",
      "25 s PORT B PortPathChange Thru -> Isolated",
      "25 s PORT A ConnectState Active -> Disabled",
      "25 s PORT B ConnectState Active -> Disabled",
      "25 s PORT A PcmState Active -> Off",
      "25 s PORT B PcmState Active -> Off",
      "25 s MAC 1 NeighborChange 08-00-3E-E2-62-0A -> 00-00-F8-00-00-00",
      "25 s MAC 1 NeighborChange 08-00-3E-AF-A0-2A -> 00-00-F8-00-00-00",
      "40 s SMT EcmState Out -> In",
      "40 s PORT A ConnectState Disabled -> Connecting",
      "40 s PORT B ConnectState Disabled -> Connecting",
      "40 s PORT A PcmState Off -> Break",
      "40 s PORT B PcmState Off -> Break",
      "40 s MAC 1 DuplicateAddress deasserted after 25 s",
      "41 s SMT CfState Isolated -> Thru",
      "41 s MAC 1 RmtState Isolated -> Ring_Op",
      "41 s MAC 1 MacPathChange Isolated -> Primary",
      "41 s PORT A PortPathChange Isolated -> Thru",
      "41 s PORT B PortPathChange Isolated -> Thru",
      "41 s PORT A ConnectState Connecting -> Active",
      "41 s PORT B ConnectState Connecting -> Active",
      "41 s PORT A PcmState Break -> Active",
      "41 s PORT B PcmState Break -> Active",
      "41 s MAC 1 NeighborChange 00-00-F8-00-00-00 -> 08-00-3E-E2-62-0A",
      "41 s MAC 1 NeighborChange 00-00-F8-00-00-00 -> 08-00-3E-AF-A0-2A",
      "41 s MAC 1 RingInit 2 -> 4"}},
    // The stuck beacon from 20 s: RMT Detect, Directed and Trace, the ring back at 31 s.
    {sim::Scenario::kBeacon,
     35000,
     {"20 s MAC 1 RmtState Ring_Op -> Non_Op", "21 s MAC 1 RmtState Non_Op -> Detect",
      "29 s MAC 1 RmtState Detect -> Directed", "30 s SMT EcmState In -> Path_Test",
      "30 s MAC 1 RmtState Directed -> Trace", "31 s SMT EcmState Path_Test -> In",
      "31 s MAC 1 RmtState Trace -> Ring_Op", "31 s MAC 1 RingInit 1 -> 2"}},
    // Not ready one second in ten: refused and back, and nothing about the station itself.
    {sim::Scenario::kFlaky,
     30000,
     {"4 s adapter AdapterRefusing 0x15", "5 s adapter AdapterBack",
      "10 s adapter AdapterRefusing 0x15", "11 s adapter AdapterBack",
      "26 s adapter AdapterRefusing 0x15", "27 s adapter AdapterBack"}},
};

TEST(StationJournal, EachScenarioGivesTheEntriesOfItsScript) {
    for (const ScenarioCase& c : kScenarioCases) {
        sim::DriverConfig config;
        config.scenario = c.scenario;
        config.seed = 1;
        Watch watch(nullptr);
        sim::StationDriver driver(config, watch.clock);
        platform::RegisterInProcessDevice("qd4682", &driver);
        watch.RunUntil(c.untilMs);
        EXPECT_EQ(watch.sink.lines, c.expected) << sim::ScenarioName(c.scenario);
        EXPECT_EQ(watch.journal.Dropped(), 0u);
    }
}

// What a fake station does before each fetch, and the entries that fetch gives.
struct Step {
    const char* what;
    std::function<void(FakeStation&)> change;
    std::vector<std::string> expected;
};

TEST(StationJournal, RestartedCountersAndFailedFetchesGiveNoFalseEntries) {
    const Step steps[] = {
        {"a healthy station, wrapped, with counters",
         [](FakeStation& s) {
             s.FillHealthy(2);
             s.SetSmt(0x102E, 1);
             s.SetObject(0x2056, 5);
             s.SetObject(0x4029, 9, 2);
         },
         {"0 s SMT PeerWrap asserted"}},
        {"the counters restart",
         [](FakeStation& s) {
             s.SetObject(0x2056, 0);
             s.SetObject(0x4029, 0, 2);
         },
         {}},
        {"and rise from there",
         [](FakeStation& s) {
             s.SetObject(0x2056, 3);
             s.SetObject(0x4029, 1, 2);
         },
         {"2 s MAC 1 RingInit 0 -> 3", "2 s PORT B EbError asserted 1"}},
        {"no more EB errors", [](FakeStation&) {}, {"3 s PORT B EbError deasserted after 1 s"}},
        {"the driver refuses",
         [](FakeStation& s) { s.RefuseWith(0x15); },
         {"4 s adapter AdapterRefusing 0x15"}},
        {"answers cut short",
         [](FakeStation& s) {
             s.RefuseWith(0);
             s.AnswerAtMost(20);
         },
         {}},
        {"back, the wrap over meanwhile",
         [](FakeStation& s) {
             s.AnswerAtMost(-1);
             s.SetSmt(0x102E, 0);
         },
         {"6 s adapter AdapterBack", "6 s SMT PeerWrap deasserted after 6 s"}},
        {"the station wraps on A",
         [](FakeStation& s) { s.SetSmt(0x102A, 9); },
         {"7 s SMT CfState Thru -> C_Wrap_A"}},
    };
    FakeStation station;
    Watch watch(&station);
    station.ServeInstances(1);
    for (const Step& step : steps) {
        watch.sink.lines.clear();
        step.change(station);
        watch.RunUntil(watch.clock.NowMs());
        EXPECT_EQ(watch.sink.lines, step.expected) << step.what;
    }
    // Lost, then back with another state: one entry each way, and the new state is the base.
    const Step away[] = {
        {"the device is gone",
         [&](FakeStation&) { platform::RegisterInProcessDevice("qd4682", nullptr); },
         {"8 s adapter AdapterLost"}},
        {"back, wrapped again",
         [&](FakeStation& s) {
             s.SetSmt(0x102E, 1);
             s.SetSmt(0x102A, 12);
             platform::RegisterInProcessDevice("qd4682", &s);
         },
         {"9 s adapter AdapterBack", "9 s SMT PeerWrap asserted"}},
    };
    for (const Step& step : away) {
        watch.sink.lines.clear();
        step.change(station);
        watch.RunUntil(watch.clock.NowMs());
        EXPECT_EQ(watch.sink.lines, step.expected) << step.what;
    }
}

}  // namespace
