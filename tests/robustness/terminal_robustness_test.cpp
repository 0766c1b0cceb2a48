// Both monitors in a real terminal (tmux) against a fake driver with a station whose values never
// change, so that everything on the screen but the spinner is known: termination signals give
// the shell its terminal back, a resize repaints exactly what fits, and a terminal smaller than
// the screen shows its top-left part and keeps working.
#include <gtest/gtest.h>
#include <signal.h>

#include <ostream>
#include <set>
#include <sstream>
#include <string>

#include "tests/harness/fake_station.h"
#include "tests/robustness/tmux_session.h"
#include "tests/support/test_support.h"

namespace {

using robustness::CellsOf;
using robustness::Joined;
using robustness::Pane;
using robustness::TmuxSession;

struct Monitor {
    const char* name;
    const char* program;
    // A cell range that a good refresh fills with a known value.
    size_t row, column;
    const char* value;
    const char* otherScreenKey;  // changes what the screen shows; nullptr when none does alone
    size_t otherRow, otherColumn;
    const char* otherValue;
};

const Monitor kRingeye = {"ringeye", RINGEYE_PROGRAM, 1, 19, "0800 3E12 3456", "2", 0,
                          35,        "SMT Data"};
const Monitor kTallyer = {
    "Tallyer", TALLYER_PROGRAM, 3, 0, "Xmit packets                         7", nullptr, 0,
    0,         nullptr};

// A healthy dual-attachment station served on the device socket of this test's runtime
// directory, for monitors started in tmux.
class StillStation {
  public:
    StillStation() {
        station_.FillHealthy(2);
        for (uint32_t word = 0; word < 37; ++word)
            station_.stats[word] = 1000 * word + 7;
        driver_ = std::make_unique<test_support::ScriptedSocketDriver>("qd4682", &station_);
    }
    const std::string& RuntimeDir() const { return runtimeDir_.Path(); }

  private:
    test_support::TempRuntimeDir runtimeDir_;
    FakeStation station_;
    std::unique_ptr<test_support::ScriptedSocketDriver> driver_;
};

bool Shows(const Pane& pane, const Monitor& monitor) {
    const std::string value = monitor.value;
    return CellsOf(pane, monitor.row, monitor.column, value.size()) == value;
}

// The pane as `columns` x `rows` of it would show it, with the spinner cell blotted out.
Pane Cropped(const Pane& pane, size_t columns, size_t rows) {
    Pane cropped;
    for (size_t row = 0; row < rows; ++row) {
        std::string line = CellsOf(pane, row, 0, columns);
        if (row == 0) line[0] = '*';
        line.erase(line.find_last_not_of(' ') + 1);
        cropped.push_back(line);
    }
    return cropped;
}

struct SignalCase {
    const Monitor* monitor;
    int signal;
    const char* name;
};

// Test names say which case runs; these keep CTest's listing free of raw bytes.
void PrintTo(const SignalCase& signalCase, std::ostream* out) {
    *out << signalCase.name;
}
void PrintTo(const Monitor* monitor, std::ostream* out) {
    *out << monitor->name;
}

class TerminationSignal : public testing::TestWithParam<SignalCase> {};

TEST_P(TerminationSignal, GivesTheShellItsTerminalBack) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const SignalCase& signalCase = GetParam();
    StillStation station;
    TmuxSession tmux(signalCase.monitor->program, station.RuntimeDir(), 84, 26);
    Pane pane = tmux.WaitFor([&](const Pane& p) { return Shows(p, *signalCase.monitor); });
    ASSERT_TRUE(Shows(pane, *signalCase.monitor)) << Joined(pane);
    EXPECT_EQ(tmux.WaitForFormat("#{alternate_on}", "1"), "1");
    const int pid = tmux.ProgramPid();
    ASSERT_GT(pid, 1);

    ASSERT_EQ(kill(pid, signalCase.signal), 0);
    const std::string ended = "program ended " + std::to_string(128 + signalCase.signal);
    pane = tmux.WaitFor(
        [&](const Pane& p) {
            return Joined(p).find(ended) != std::string::npos &&
                   Joined(p).find("icanon") != std::string::npos;
        },
        true);
    const std::string shell = Joined(pane);
    EXPECT_NE(shell.find(ended), std::string::npos) << shell;
    std::set<std::string> modes;
    std::istringstream words(shell);
    for (std::string word; words >> word;)
        modes.insert(word);
    for (const char* mode : {"echo", "icanon", "icrnl", "isig", "opost"}) {
        EXPECT_EQ(modes.count(mode), 1u) << mode << " restored\n" << shell;
    }
    EXPECT_EQ(tmux.WaitForFormat("#{alternate_on}", "0"), "0");
    EXPECT_EQ(tmux.WaitForFormat("#{cursor_flag}", "1"), "1") << "cursor visible again";
}

INSTANTIATE_TEST_SUITE_P(BothMonitors, TerminationSignal,
                         testing::Values(SignalCase{&kRingeye, SIGINT, "ringeye_SIGINT"},
                                         SignalCase{&kRingeye, SIGTERM, "ringeye_SIGTERM"},
                                         SignalCase{&kRingeye, SIGHUP, "ringeye_SIGHUP"},
                                         SignalCase{&kTallyer, SIGINT, "Tallyer_SIGINT"},
                                         SignalCase{&kTallyer, SIGTERM, "Tallyer_SIGTERM"},
                                         SignalCase{&kTallyer, SIGHUP, "Tallyer_SIGHUP"}),
                         [](const testing::TestParamInfo<SignalCase>& info) {
                             return std::string(info.param.name);
                         });

class OddTerminal : public testing::TestWithParam<const Monitor*> {};

TEST_P(OddTerminal, ResizeToSixtyByTwentyAndBackRepaintsExactlyWhatFits) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const Monitor& monitor = *GetParam();
    StillStation station;
    TmuxSession tmux(monitor.program, station.RuntimeDir(), 84, 26);
    const Pane full =
        Cropped(tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); }), 84, 26);
    ASSERT_TRUE(Shows(full, monitor)) << Joined(full);

    tmux.Resize(60, 20);
    const Pane expectedSmall = Cropped(full, 60, 20);
    Pane small = tmux.WaitFor(
        [&](const Pane& p) { return p.size() == 20 && Cropped(p, 60, 20) == expectedSmall; });
    EXPECT_EQ(Cropped(small, 60, 20), expectedSmall) << Joined(small);
    EXPECT_EQ(small.size(), 20u);

    tmux.Resize(84, 26);
    Pane back = tmux.WaitFor([&](const Pane& p) { return Cropped(p, 84, 26) == full; });
    EXPECT_EQ(Cropped(back, 84, 26), full) << "no cell differs after growing again\n"
                                           << Joined(back);
}

TEST_P(OddTerminal, SmallerThanTheScreenShowsTheTopLeftAndKeepsWorking) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const Monitor& monitor = *GetParam();
    StillStation station;
    TmuxSession tmux(monitor.program, station.RuntimeDir(), 50, 15);
    const Pane small =
        Cropped(tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); }), 50, 15);
    ASSERT_TRUE(Shows(small, monitor)) << Joined(small);
    const int pid = tmux.ProgramPid();

    if (monitor.otherScreenKey) {
        tmux.SendKeys(monitor.otherScreenKey);
        const std::string other = monitor.otherValue;
        Pane changed = tmux.WaitFor([&](const Pane& p) {
            return CellsOf(p, monitor.otherRow, monitor.otherColumn, other.size()) == other;
        });
        EXPECT_EQ(CellsOf(changed, monitor.otherRow, monitor.otherColumn, other.size()), other);
        tmux.SendKeys("1");
    } else {
        tmux.SendKeys("x");  // a key that only refreshes
    }
    tmux.Resize(84, 26);
    Pane full = tmux.WaitFor([&](const Pane& p) {
        return p.size() == 26 && Shows(p, monitor) && Cropped(Cropped(p, 84, 26), 50, 15) == small;
    });
    EXPECT_EQ(Cropped(Cropped(full, 84, 26), 50, 15), small)
        << "the small terminal showed the top-left part of the screen\n"
        << Joined(full);
    EXPECT_EQ(kill(pid, 0), 0) << "still running";
    EXPECT_EQ(Joined(full).find("program ended"), std::string::npos) << Joined(full);
}

INSTANTIATE_TEST_SUITE_P(BothMonitors, OddTerminal, testing::Values(&kRingeye, &kTallyer),
                         [](const testing::TestParamInfo<const Monitor*>& info) {
                             return std::string(info.param->name);
                         });

}  // namespace
