// Values that mean trouble carry the trouble style: each rule takes a station from healthy to
// trouble and back, and only the value in trouble is marked, over exactly its text, which
// stays as painted.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/vtwin/vtwin.h"
#include "tests/harness/monitor_harness.h"

namespace {

constexpr int kScreenRows = 26, kScreenColumns = 84;

// A dual-attachment station on which no value means trouble.
void FillTroubleFree(FakeStation& station) {
    station.FillHealthy(2);
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

struct RuleCase {
    const char* name;
    char screen;
    bool secondPage;
    std::function<void(FakeStation&)> trouble;  // what goes wrong at 700 ms
    std::function<void(FakeStation&)> healthy;  // what mends it at 1700 ms (nothing for a count)
    std::vector<MarkedRun> marked;              // what the refresh after 700 ms marks
};

std::function<void(FakeStation&)> SetSmt(uint16_t type, uint32_t value) {
    return [=](FakeStation& s) { s.SetSmt(type, value); };
}
std::function<void(FakeStation&)> SetObject(uint16_t type, uint32_t value, uint32_t index = 1) {
    return [=](FakeStation& s) { s.SetObject(type, value, index); };
}
// A count rises once and then stands still.
std::function<void(FakeStation&)> Unchanged() {
    return [](FakeStation&) {};
}

const RuleCase kRuleCases[] = {
    // The header, shown by every screen.
    {"header ECM", '1', false, SetSmt(0x1029, 2), SetSmt(0x1029, 1), {{1, 39, "TRACE"}}},
    {"header CF", '1', false, SetSmt(0x102A, 9), SetSmt(0x102A, 12), {{1, 52, "C_WRAP_A"}}},
    // Composite screen.
    {"port A connect state",
     '1',
     false,
     SetObject(0x403D, 1, 1),
     SetObject(0x403D, 3, 1),
     {{11, 27, "CONNECTING"}}},
    {"port B PCM state",
     '1',
     false,
     SetObject(0x403E, 1, 2),
     SetObject(0x403E, 8, 2),
     {{12, 61, "BREAK"}}},
    {"port A link error estimate",
     '1',
     false,
     SetObject(0x4033, 8, 1),
     SetObject(0x4033, 15, 1),
     {{11, 71, "8"}}},
    {"Error-Ct", '1', false, SetObject(0x2051, 1), Unchanged(), {{14, 64, "0x00000001"}}},
    {"Late-Ct", '1', false, SetObject(0x2055, 1), Unchanged(), {{18, 68, "0x0001"}}},
    {"Lem PHYB", '1', true, SetObject(0x4035, 1, 2), Unchanged(), {{6, 12, "0x00000001"}}},
    // SMT screen.
    {"SMT ECM state",
     '2',
     false,
     SetSmt(0x1029, 0),
     SetSmt(0x1029, 1),
     {{1, 39, "OUT"}, {10, 65, "Out"}}},
    {"SMT CF state",
     '2',
     false,
     SetSmt(0x102A, 5),
     SetSmt(0x102A, 12),
     {{1, 52, "WRAP_A"}, {11, 65, "Wrap_A"}}},
    {"HoldState", '2', false, SetSmt(0x102B, 2), SetSmt(0x102B, 0), {{12, 65, "Holding On Prim"}}},
    {"RemoteDisconnectFlag", '2', false, SetSmt(0x102C, 1), SetSmt(0x102C, 0), {{13, 65, "True"}}},
    {"PeerWrapFlag", '2', false, SetSmt(0x102E, 1), SetSmt(0x102E, 0), {{15, 65, "True"}}},
    // MAC screen.
    {"CurrentPath", '3', false, SetObject(0x2017, 0), SetObject(0x2017, 3), {{21, 16, "Isolated"}}},
    {"Dup_Addr_Test", '3', true, SetObject(0x201D, 2), SetObject(0x201D, 1), {{9, 24, "Fail"}}},
    // Counters screen.
    {"Lost_Ct", '4', false, SetObject(0x2052, 7), Unchanged(), {{11, 23, "0x00000007"}}},
    {"TvxExpired_Ct", '4', false, SetObject(0x2053, 1), Unchanged(), {{12, 23, "0x00000001"}}},
    {"NotCopied_Ct", '4', false, SetObject(0x2054, 1), Unchanged(), {{13, 23, "0x00000001"}}},
    {"RingOp_Ct", '4', false, SetObject(0x2056, 1), Unchanged(), {{15, 23, "0x00000001"}}},
    {"RMTState",
     '4',
     false,
     SetObject(0x206F, 5),
     SetObject(0x206F, 2),
     {{1, 65, "RING_OP_DUP"}, {6, 69, "Ring_Op_Dup"}}},
    {"DA_Flag", '4', false, SetObject(0x2070, 1), SetObject(0x2070, 0), {{7, 69, "True"}}},
    {"UNDA_Flag", '4', false, SetObject(0x2071, 1), SetObject(0x2071, 0), {{8, 69, "True"}}},
    {"FrameErrorFlag", '4', false, SetObject(0x2072, 1), SetObject(0x2072, 0), {{9, 69, "True"}}},
    {"NotCopiedFlag", '4', false, SetObject(0x2073, 1), SetObject(0x2073, 0), {{10, 69, "True"}}},
    {"MA_UnitdataAvailable",
     '4',
     false,
     SetObject(0x2074, 0),
     SetObject(0x2074, 1),
     {{11, 69, "False"}}},
    {"MAC HardwarePresent",
     '4',
     false,
     SetObject(0x2075, 0),
     SetObject(0x2075, 1),
     {{12, 69, "False"}}},
    // PORT screens.
    {"EB Error_Ct", '5', false, SetObject(0x4029, 1, 1), Unchanged(), {{6, 54, "0x00000001"}}},
    {"LCT Fail_Ct", '5', false, SetObject(0x402A, 1, 1), Unchanged(), {{7, 54, "0x00000001"}}},
    {"Ler_Estimate",
     '5',
     false,
     SetObject(0x4033, 7, 1),
     SetObject(0x4033, 15, 1),
     {{9, 62, "0x07"}}},
    {"Lem_Reject_Ct", '5', false, SetObject(0x4034, 1, 1), Unchanged(), {{10, 62, "0x00000001"}}},
    {"Lem_Ct", '6', false, SetObject(0x4035, 1, 2), Unchanged(), {{11, 62, "0x00000001"}}},
    {"BS_Flag", '5', true, SetObject(0x4021, 1, 1), SetObject(0x4021, 0, 1), {{14, 62, "True"}}},
    {"Connect State",
     '5',
     true,
     SetObject(0x403D, 2, 1),
     SetObject(0x403D, 3, 1),
     {{6, 62, "Standby"}}},
    {"PCM State of port B",
     '6',
     true,
     SetObject(0x403E, 7, 2),
     SetObject(0x403E, 8, 2),
     {{7, 62, "Verify"}}},
    {"PC_WithHold", '5', true, SetObject(0x403F, 1, 1), SetObject(0x403F, 0, 1), {{8, 62, "M-M"}}},
    {"Ler Flag", '5', true, SetObject(0x4040, 1, 1), SetObject(0x4040, 0, 1), {{9, 62, "True"}}},
    {"port Hardware Present",
     '5',
     true,
     SetObject(0x4041, 0, 1),
     SetObject(0x4041, 1, 1),
     {{10, 62, "False"}}},
    // PATH screen.
    {"TraceStatus",
     '7',
     false,
     SetObject(0x320E, 2),
     SetObject(0x320E, 0),
     {{9, 24, "propogated"}}},
};

TEST(TroubleMarks, EachRuleMarksItsValueOnlyWhileInTrouble) {
    for (const RuleCase& rule : kRuleCases) {
        SCOPED_TRACE(rule.name);
        MonitorHarness h;
        FillTroubleFree(h.station);
        std::vector<std::string> healthy, trouble, mended;
        h.KeyAt(100, rule.screen);
        if (rule.secondPage) h.KeyAt(200, ' ');
        h.At(600, [&] { healthy = MarkedRuns(h); });
        h.At(700, [&] { rule.trouble(h.station); });
        h.At(1600, [&] { trouble = MarkedRuns(h); });
        h.At(1700, [&] { rule.healthy(h.station); });
        h.At(2600, [&] { mended = MarkedRuns(h); });
        h.RunRingeye(2700);

        EXPECT_EQ(healthy, std::vector<std::string>());
        EXPECT_EQ(trouble, Described(rule.marked));
        EXPECT_EQ(mended, std::vector<std::string>());
    }
}

// A mark never outlives the screen that set it, nor a failure report, nor a shorter text.
TEST(TroubleMarks, ErasedPadsAndShorterTextsKeepNoMark) {
    struct Case {
        const char* name;
        char screen;
        std::function<void(MonitorHarness&)> atTwoSeconds;
        MarkedRun marked;  // before 2000 ms
    } cases[] = {
        {"screen change",
         '4',
         [](MonitorHarness& h) { h.display.PushKey('7'); },
         {10, 23, "0x00000001"}},
        {"failure report",
         '4',
         [](MonitorHarness& h) { h.SetDevicePresent(false); },
         {10, 23, "0x00000001"}},
        // "Active" over "Connecting": the old tail is not the value and is not marked.
        {"shorter text",
         '5',
         [](MonitorHarness& h) { h.station.SetObject(0x403D, 3, 1); },
         {6, 62, "Connecting"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorHarness h;
        FillTroubleFree(h.station);
        if (c.screen == '4') h.At(700, [&] { h.station.SetObject(0x2051, 1); });
        if (c.screen == '5') {
            h.At(700, [&] { h.station.SetObject(0x403D, 1, 1); });
            h.KeyAt(200, ' ');
        }
        std::vector<std::string> marked, after;
        h.KeyAt(100, c.screen);
        h.At(1600, [&] { marked = MarkedRuns(h); });
        h.At(2000, [&] { c.atTwoSeconds(h); });
        h.At(3500, [&] { after = MarkedRuns(h); });
        h.RunRingeye(3600);
        EXPECT_EQ(marked, Described({c.marked}));
        EXPECT_EQ(after, std::vector<std::string>());
    }
}

}  // namespace
