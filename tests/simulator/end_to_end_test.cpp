// The monitors in a real terminal against the stand-in driver running as its own process.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/robustness/tmux_session.h"
#include "tests/simulator/sim_process.h"

namespace {

using robustness::CellsOf;
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

}  // namespace
