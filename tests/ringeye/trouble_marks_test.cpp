// Values that mean trouble carry the trouble style: each rule takes a station from healthy to
// trouble and back, and only the value in trouble is marked, over exactly its text, which
// stays as painted.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/harness/monitor_harness.h"

namespace {

constexpr int kScreenRows = 26, kScreenColumns = 84;

// A station on which no value means trouble: dual attachment, or single (ports 1).
void FillTroubleFree(FakeStation& station, uint32_t ports = 2) {
    station.FillHealthy(ports);
    station.SetObject(0x2017, 3);  // MAC on the primary path
    station.SetObject(0x201D, 1);  // duplicate address test passed
    station.SetObject(0x2074, 1);  // MA_UnitdataAvailable
    station.SetObject(0x2075, 1);  // MAC hardware present
    for (uint32_t port = 1; port <= 2; ++port) {
        station.SetObject(0x4033, 15, port);  // link error estimate
        station.SetObject(0x403A, 7, port);   // cutoff
        station.SetObject(0x403B, 8, port);   // alarm
        station.SetObject(0x4041, 1, port);   // port hardware present
    }
}

// One marked run the screen should show: its row, column and text.
struct MarkedRun {
    int row, column;
    std::string text;
};

// Every marked run of the shown screen as "row,column:text", in reading order: where the marks
// are and what they cover.
std::vector<std::string> MarkedRuns(const MonitorHarness& h) {
    std::vector<std::string> runs;
    for (int row = 0; row < kScreenRows; ++row) {
        const std::string marks = h.display.Marks(row, 0, kScreenColumns);
        for (size_t first = marks.find('^'); first != std::string::npos;) {
            const size_t end = std::min(marks.find(' ', first), marks.size());
            const int column = static_cast<int>(first);
            runs.push_back(std::to_string(row) + "," + std::to_string(column) + ":" +
                           h.Cells(row, column, static_cast<int>(end - first)));
            first = marks.find('^', end);
        }
    }
    return runs;
}

std::vector<std::string> Described(const std::vector<MarkedRun>& runs) {
    std::vector<std::string> described;
    for (const MarkedRun& run : runs)
        described.push_back(std::to_string(run.row) + "," + std::to_string(run.column) + ":" +
                            run.text);
    return described;
}

// One attribute set to `trouble` at 700 ms and to `healthy` at 1700 ms; a count that rises once
// and then stands still has both the same. Index 0 is an SMT attribute, else the resource index.
struct Change {
    uint16_t type;
    uint32_t index;
    uint32_t trouble, healthy;
};

void Apply(FakeStation& station, const Change& change, uint32_t value) {
    if (change.index == 0)
        station.SetSmt(change.type, value);
    else
        station.SetObject(change.type, value, change.index);
}

struct RuleCase {
    const char* name;
    const char* keys;  // the screen, and a blank for its second page
    Change change;
    std::vector<MarkedRun> marked;  // what the refresh after 700 ms marks
};

const RuleCase kRuleCases[] = {
    // The header, shown by every screen, and the Composite screen.
    {"header ECM", "1", {0x1029, 0, 2, 1}, {{1, 39, "TRACE"}}},
    {"header CF", "1", {0x102A, 0, 9, 12}, {{1, 52, "C_WRAP_A"}}},
    {"port A connect state", "1", {0x403D, 1, 1, 3}, {{11, 27, "CONNECTING"}}},
    {"port B PCM state", "1", {0x403E, 2, 1, 8}, {{12, 61, "BREAK"}}},
    {"port A link error estimate", "1", {0x4033, 1, 8, 15}, {{11, 71, "8"}}},
    {"Error-Ct", "1", {0x2051, 1, 1, 1}, {{14, 64, "0x00000001"}}},
    {"Late-Ct", "1", {0x2055, 1, 1, 1}, {{18, 68, "0x0001"}}},
    {"Lem PHYB", "1 ", {0x4035, 2, 1, 1}, {{6, 12, "0x00000001"}}},
    // SMT screen.
    {"SMT ECM state", "2", {0x1029, 0, 0, 1}, {{1, 39, "OUT"}, {10, 65, "Out"}}},
    {"SMT CF state", "2", {0x102A, 0, 5, 12}, {{1, 52, "WRAP_A"}, {11, 65, "Wrap_A"}}},
    {"HoldState", "2", {0x102B, 0, 2, 0}, {{12, 65, "Holding On Prim"}}},
    {"RemoteDisconnectFlag", "2", {0x102C, 0, 1, 0}, {{13, 65, "True"}}},
    {"PeerWrapFlag", "2", {0x102E, 0, 1, 0}, {{15, 65, "True"}}},
    // MAC screen.
    {"CurrentPath", "3", {0x2017, 1, 0, 3}, {{21, 16, "Isolated"}}},
    {"Dup_Addr_Test", "3 ", {0x201D, 1, 2, 1}, {{9, 24, "Fail"}}},
    // Counters screen.
    {"Lost_Ct", "4", {0x2052, 1, 7, 7}, {{11, 23, "0x00000007"}}},
    {"TvxExpired_Ct", "4", {0x2053, 1, 1, 1}, {{12, 23, "0x00000001"}}},
    {"NotCopied_Ct", "4", {0x2054, 1, 1, 1}, {{13, 23, "0x00000001"}}},
    {"RingOp_Ct", "4", {0x2056, 1, 1, 1}, {{15, 23, "0x00000001"}}},
    {"RMTState", "4", {0x206F, 1, 5, 2}, {{1, 65, "RING_OP_DUP"}, {6, 69, "Ring_Op_Dup"}}},
    {"DA_Flag", "4", {0x2070, 1, 1, 0}, {{7, 69, "True"}}},
    {"UNDA_Flag", "4", {0x2071, 1, 1, 0}, {{8, 69, "True"}}},
    {"FrameErrorFlag", "4", {0x2072, 1, 1, 0}, {{9, 69, "True"}}},
    {"NotCopiedFlag", "4", {0x2073, 1, 1, 0}, {{10, 69, "True"}}},
    {"MA_UnitdataAvailable", "4", {0x2074, 1, 0, 1}, {{11, 69, "False"}}},
    {"MAC HardwarePresent", "4", {0x2075, 1, 0, 1}, {{12, 69, "False"}}},
    // PORT screens.
    {"EB Error_Ct", "5", {0x4029, 1, 1, 1}, {{6, 54, "0x00000001"}}},
    {"LCT Fail_Ct", "5", {0x402A, 1, 1, 1}, {{7, 54, "0x00000001"}}},
    {"Ler_Estimate", "5", {0x4033, 1, 7, 15}, {{9, 62, "0x07"}}},
    {"Lem_Reject_Ct", "5", {0x4034, 1, 1, 1}, {{10, 62, "0x00000001"}}},
    {"Lem_Ct of port B", "6", {0x4035, 2, 1, 1}, {{11, 62, "0x00000001"}}},
    {"BS_Flag", "5 ", {0x4021, 1, 1, 0}, {{14, 62, "True"}}},
    {"Connect State", "5 ", {0x403D, 1, 2, 3}, {{6, 62, "Standby"}}},
    {"PCM State of port B", "6 ", {0x403E, 2, 7, 8}, {{7, 62, "Verify"}}},
    {"PC_WithHold", "5 ", {0x403F, 1, 1, 0}, {{8, 62, "M-M"}}},
    {"Ler Flag", "5 ", {0x4040, 1, 1, 0}, {{9, 62, "True"}}},
    {"port Hardware Present", "5 ", {0x4041, 1, 0, 1}, {{10, 62, "False"}}},
    // PATH screen.
    {"TraceStatus", "7", {0x320E, 1, 2, 0}, {{9, 24, "propogated"}}},
    {"TraceStatus timed out", "7", {0x320E, 1, 0xF, 0}, {{9, 24, "initiated"}}},
};

TEST(TroubleMarks, EachRuleMarksItsValueOnlyWhileInTrouble) {
    for (const RuleCase& rule : kRuleCases) {
        SCOPED_TRACE(rule.name);
        MonitorHarness h;
        FillTroubleFree(h.station);
        std::vector<std::string> healthy, trouble, mended;
        h.KeysAt(100, rule.keys);
        h.At(600, [&] { healthy = MarkedRuns(h); });
        h.At(700, [&] { Apply(h.station, rule.change, rule.change.trouble); });
        h.At(1600, [&] { trouble = MarkedRuns(h); });
        h.At(1700, [&] { Apply(h.station, rule.change, rule.change.healthy); });
        h.At(2600, [&] { mended = MarkedRuns(h); });
        h.RunRingeye(2700);

        EXPECT_EQ(healthy, std::vector<std::string>());
        EXPECT_EQ(trouble, Described(rule.marked));
        EXPECT_EQ(mended, std::vector<std::string>());
    }
}

// States a healthy station rests in are never marked: a single-attachment station's
// configuration in C_Wrap_S (a dual-attachment one's in Thru), a trace that has terminated.
TEST(TroubleMarks, HealthyRestingStatesKeepNoMark) {
    const struct {
        const char* name;
        uint32_t ports;
        const char* keys;
        Change change;
        std::vector<MarkedRun> marked;  // at 1600 ms, with the change's trouble value
    } cases[] = {
        {"single attachment in C_Wrap_S", 1, "1", {0x102A, 0, 11, 11}, {}},
        {"its SMT screen", 1, "2", {0x102A, 0, 11, 11}, {}},
        {"single attachment in Thru",
         1,
         "2",
         {0x102A, 0, 12, 12},
         {{1, 52, "THRU"}, {11, 65, "Thru"}}},
        {"a terminated trace", 2, "7", {0x320E, 1, 0x7, 0x7}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorHarness h;
        FillTroubleFree(h.station, c.ports);
        Apply(h.station, c.change, c.change.trouble);
        std::vector<std::string> shown;
        h.KeysAt(100, c.keys);
        h.At(1600, [&] { shown = MarkedRuns(h); });
        h.RunRingeye(1700);
        EXPECT_EQ(shown, Described(c.marked));
    }
}

// A mark never outlives the screen that set it, nor a failure report, nor a shorter text.
TEST(TroubleMarks, ErasedPadsAndShorterTextsKeepNoMark) {
    const struct {
        const char* name;
        const char* keys;
        Change change;  // mended at 2000 ms, when `then` runs too
        MarkedRun marked;
        void (*then)(MonitorHarness&);
    } cases[] = {
        {"screen change",
         "4",
         {0x2051, 1, 1, 1},
         {10, 23, "0x00000001"},
         [](MonitorHarness& h) { h.display.PushKey('7'); }},
        {"failure report",
         "4",
         {0x2051, 1, 1, 1},
         {10, 23, "0x00000001"},
         [](MonitorHarness& h) { h.SetDevicePresent(false); }},
        // "Active" over "Connecting": the old tail is not the value and is not marked.
        {"shorter text", "5 ", {0x403D, 1, 1, 3}, {6, 62, "Connecting"}, [](MonitorHarness&) {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorHarness h;
        FillTroubleFree(h.station);
        std::vector<std::string> marked, after;
        h.KeysAt(100, c.keys);
        h.At(700, [&] { Apply(h.station, c.change, c.change.trouble); });
        h.At(1600, [&] { marked = MarkedRuns(h); });
        h.At(2000, [&] {
            Apply(h.station, c.change, c.change.healthy);
            c.then(h);
        });
        h.At(3500, [&] { after = MarkedRuns(h); });
        h.RunRingeye(3600);
        EXPECT_EQ(marked, Described({c.marked}));
        EXPECT_EQ(after, std::vector<std::string>());
    }
}

}  // namespace
