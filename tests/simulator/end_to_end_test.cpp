// The monitors in a real terminal against the stand-in driver running as its own process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/robustness/tmux_session.h"
#include "tests/simulator/sim_process.h"

namespace {

using robustness::CellsOf;
using robustness::Joined;
using robustness::Pane;
using robustness::TmuxSession;

struct Driver {
    sim_test::TempDir runtimeDir, logDir;
    sim_test::SimProcess process{runtimeDir.path(), logDir.path(), {"--seed", "5"}};
};

TEST(EndToEnd, RingeyeShowsTheSimulatedStationInItsHeader) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    Driver driver;
    ASSERT_TRUE(driver.process.WaitUntilServing(10000)) << driver.process.Errors();
    TmuxSession session(RINGEYE_PROGRAM, driver.runtimeDir.path(), 84, 26);
    const std::regex header(
        "  StationID      : [0-9A-F]{4} [0-9A-F]{4} [0-9A-F]{4}  "
        "ECM-IN       CFM-THRU     RMT-RING_OP");
    const Pane pane = session.WaitFor(
        [&](const Pane& p) { return p.size() > 1 && std::regex_search(p[1], header); });
    ASSERT_GT(pane.size(), 23u);
    EXPECT_TRUE(std::regex_search(pane[1], header)) << pane[1];
    EXPECT_EQ(CellsOf(pane, 0, 35, 14), "Composite Data");
    EXPECT_EQ(CellsOf(pane, 23, 0, 12), " 1:Composite");
}

// The value of the "Xmit packets" line, or -1 while it is not shown.
long long TransmitPackets(const Pane& pane) {
    if (pane.size() < 4) return -1;
    const std::string line = CellsOf(pane, 3, 0, 38);
    if (line.compare(0, 12, "Xmit packets") != 0) return -1;
    return std::stoll(line.substr(26, 12));
}

TEST(EndToEnd, TallyerShowsCountersThatGrow) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    Driver driver;
    ASSERT_TRUE(driver.process.WaitUntilServing(10000)) << driver.process.Errors();
    TmuxSession session(TALLYER_PROGRAM, driver.runtimeDir.path(), 84, 24);
    const long long first =
        TransmitPackets(session.WaitFor([](const Pane& p) { return TransmitPackets(p) >= 0; }));
    ASSERT_GE(first, 0);
    const long long later = TransmitPackets(
        session.WaitFor([first](const Pane& p) { return TransmitPackets(p) > first; }));
    EXPECT_GT(later, first);
}

// What a scenario breaks is marked: the run of marked cells that starts at (row, column) reads
// `text` (any text when null). The driver's scenarios begin 15 to 20 s after it starts.
struct ScenarioMark {
    const char* scenario;
    std::vector<std::string> keys;  // tmux key names, sent once the Composite screen shows
    int row, column;
    const char* text;
};

void PrintTo(const ScenarioMark& mark, std::ostream* out) {
    *out << mark.scenario;
}

class ScenarioMarks : public ::testing::TestWithParam<ScenarioMark> {};

// The marked run that starts at (row, column), or "" when that cell is not marked.
std::string MarkedRunAt(const Pane& text, const Pane& marks, int row, int column) {
    const size_t r = static_cast<size_t>(row), c = static_cast<size_t>(column);
    if (r >= marks.size() || c >= marks[r].size() || marks[r][c] != '^') return "";
    const size_t end = std::min(marks[r].find(' ', c), marks[r].size());
    return CellsOf(text, r, c, end - c);
}

TEST_P(ScenarioMarks, TheScenarioMarksWhatItBreaks) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const ScenarioMark& mark = GetParam();
    sim_test::TempDir runtimeDir, logDir;
    sim_test::SimProcess driver(runtimeDir.path(), logDir.path(),
                                {"--seed", "5", "--scenario", mark.scenario});
    ASSERT_TRUE(driver.WaitUntilServing(10000)) << driver.Errors();
    TmuxSession session(RINGEYE_PROGRAM, runtimeDir.path(), 84, 26);
    session.WaitFor([](const Pane& p) { return CellsOf(p, 0, 35, 14) == "Composite Data"; });
    for (const std::string& key : mark.keys)
        session.SendKeys(key);
    // Bounded by the scenario's own schedule, well inside the test's time limit.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    std::string run;
    Pane text, marks;
    while (std::chrono::steady_clock::now() < deadline) {
        text = session.CaptureMarked(&marks);
        run = MarkedRunAt(text, marks, mark.row, mark.column);
        if (!run.empty() && (!mark.text || run == mark.text)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    if (mark.text)
        EXPECT_EQ(run, mark.text) << Joined(text);
    else
        EXPECT_FALSE(run.empty()) << Joined(text);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, ScenarioMarks,
    ::testing::Values(
        // The station wraps: configuration C_Wrap_A in the header.
        ScenarioMark{"wrap", {}, 1, 52, "C_WRAP_A"},
        // A stuck beacon: ring management leaves Ring_Op for Detect.
        ScenarioMark{"beacon", {}, 1, 65, "DETECT"},
        // Another station takes our address: the MAC screen's duplicate address test fails.
        ScenarioMark{"dup-addr", {"3", "Space"}, 9, 24, "Fail"},
        // Port A's link errors rise: the Composite screen's Lem PHYA count on its second page.
        ScenarioMark{"ler", {"Space"}, 5, 12, nullptr}),
    [](const ::testing::TestParamInfo<ScenarioMark>& info) {
        std::string name = info.param.scenario;
        name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
        return name;
    });

}  // namespace
