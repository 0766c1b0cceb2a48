// Both monitors in a real terminal (tmux) against a fake driver with a station whose values never
// change, so that everything on the screen but the spinner is known: every terminating signal
// gives the shell its terminal and its title back, a stop and continue restores the program's
// modes and screen, a terminal smaller than the screen shows the size needed and the screen
// comes back whole once it grows, and a terminal the program cannot use is refused at start.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "tests/harness/fake_station.h"
#include "tests/robustness/tmux_session.h"
#include "tests/support/slow_handler.h"
#include "tests/support/test_support.h"

namespace {

using robustness::CellsOf;
using robustness::Joined;
using robustness::Pane;
using robustness::TmuxSession;

struct Cells {
    size_t row, column;
    const char* text;
};

struct Monitor {
    const char* name;
    const char* program;
    Cells value;    // a good refresh fills it with a known value
    Cells lastRow;  // the last row a whole frame paints: once it shows, the frame is complete
    const char* otherKey;  // changes what the screen shows
    Cells other;
};

const Monitor kRingeye = {"ringeye",
                          RINGEYE_PROGRAM,
                          {1, 19, "0800 3E12 3456"},
                          {23, 0, " 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-A 6:Port-B"},
                          "2",
                          {0, 35, "SMT Data"}};
const Monitor kTallyer = {"Tallyer",
                          TALLYER_PROGRAM,
                          {3, 0, "Xmit packets                         7"},
                          {20, 0, "Total FSI Interrupts             34007"},
                          "1",
                          {13, 32, "Enter New Dev Instance:"}};

constexpr char kSizeNotice[] = "Terminal too small: 80 x 24 needed";

// A healthy dual-attachment station served on the device socket of this test's runtime
// directory, for monitors started in tmux. With `holdFrom` set, request number `holdFrom` is held
// until Release, and so is every one after it: the driver serves one request at a time, so none
// after it is even read meanwhile.
class StillStation {
  public:
    explicit StillStation(int holdFrom = 0)
        : slow_(station_, [this, holdFrom] {
              if (holdFrom == 0 || slow_.Requests() < holdFrom) return;
              std::unique_lock<std::mutex> lock(mutex_);
              releasedChanged_.wait(lock, [this] { return released_; });
          }) {
        station_.FillHealthy(2);
        for (uint32_t word = 0; word < 37; ++word)
            station_.stats[word] = 1000 * word + 7;
        driver_ = std::make_unique<test_support::ScriptedSocketDriver>("qd4682", &slow_);
    }
    ~StillStation() { Release(); }  // before the driver's thread is joined
    const std::string& RuntimeDir() const { return runtimeDir_.Path(); }
    int Requests() const { return slow_.Requests(); }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        releasedChanged_.notify_all();
    }

  private:
    test_support::TempRuntimeDir runtimeDir_;
    FakeStation station_;
    std::mutex mutex_;
    std::condition_variable releasedChanged_;
    bool released_ = false;
    test_support::SlowHandler slow_;
    std::unique_ptr<test_support::ScriptedSocketDriver> driver_;
};

bool Has(const Pane& pane, const Cells& cells) {
    const std::string text = cells.text;
    return CellsOf(pane, cells.row, cells.column, text.size()) == text;
}

bool Shows(const Pane& pane, const Monitor& monitor) {
    return Has(pane, monitor.value) && Has(pane, monitor.lastRow);
}

// The size notice alone, centred in a pane of columns x rows.
bool ShowsNotice(const Pane& pane, size_t columns, size_t rows) {
    const std::string notice = kSizeNotice;
    const size_t row = (rows - 1) / 2, column = (columns - notice.size()) / 2;
    std::string others;
    for (size_t r = 0; r < rows; ++r)
        others += r == row ? "" : CellsOf(pane, r, 0, columns);
    return pane.size() == rows &&
           CellsOf(pane, row, 0, columns) ==
               std::string(column, ' ') + notice +
                   std::string(columns - column - notice.size(), ' ') &&
           others.find_first_not_of(' ') == std::string::npos;
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
    EXPECT_EQ(tmux.WaitForFormat("#{pane_title}", TmuxSession::kShellTitle),
              TmuxSession::kShellTitle);
}

INSTANTIATE_TEST_SUITE_P(BothMonitors, TerminationSignal,
                         testing::Values(SignalCase{&kRingeye, SIGINT, "ringeye_SIGINT"},
                                         SignalCase{&kRingeye, SIGTERM, "ringeye_SIGTERM"},
                                         SignalCase{&kRingeye, SIGHUP, "ringeye_SIGHUP"},
                                         SignalCase{&kRingeye, SIGQUIT, "ringeye_SIGQUIT"},
                                         SignalCase{&kRingeye, SIGUSR1, "ringeye_SIGUSR1"},
                                         SignalCase{&kRingeye, SIGRTMIN, "ringeye_SIGRTMIN"},
                                         SignalCase{&kTallyer, SIGINT, "Tallyer_SIGINT"},
                                         SignalCase{&kTallyer, SIGTERM, "Tallyer_SIGTERM"},
                                         SignalCase{&kTallyer, SIGHUP, "Tallyer_SIGHUP"},
                                         SignalCase{&kTallyer, SIGALRM, "Tallyer_SIGALRM"},
                                         SignalCase{&kTallyer, SIGUSR2, "Tallyer_SIGUSR2"}),
                         [](const testing::TestParamInfo<SignalCase>& info) {
                             return std::string(info.param.name);
                         });

// A cycle of ringeye's makes many requests; a signal that comes while one is under way is taken
// before the next. The driver holds the third request until the signal is sent, so the signal
// comes in the middle of a cycle however the test and the program are scheduled. Only a program
// paused for longer than its reply limit gives up on the held request, and then it may have the
// next cycle's first request under way when the signal comes.
TEST(TerminationSignalMidCycle, EndsTheProgramBeforeTheNextRequest) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    constexpr int kHeldRequest = 3;
    StillStation station(kHeldRequest);
    TmuxSession tmux(kRingeye.program, station.RuntimeDir(), 84, 26);
    const int pid = tmux.ProgramPid();
    ASSERT_GT(pid, 1);
    for (int wait = 0; wait < 12000 && station.Requests() < kHeldRequest; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const int requestsAtSignal = station.Requests();
    ASSERT_EQ(requestsAtSignal, kHeldRequest);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    station.Release();
    Pane pane = tmux.WaitFor(
        [](const Pane& p) { return Joined(p).find("program ended 143") != std::string::npos; });
    EXPECT_NE(Joined(pane).find("program ended 143"), std::string::npos) << Joined(pane);
    EXPECT_LE(station.Requests(), requestsAtSignal + 1);
}

class OddTerminal : public testing::TestWithParam<const Monitor*> {};

TEST_P(OddTerminal, BelowTheScreenShowsTheSizeNeededAndGrowingRepaintsEveryCell) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const Monitor& monitor = *GetParam();
    StillStation station;
    TmuxSession tmux(monitor.program, station.RuntimeDir(), 84, 26);
    const Pane full =
        Cropped(tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); }), 84, 26);
    ASSERT_TRUE(Shows(full, monitor)) << Joined(full);

    tmux.Resize(80, 24);  // exactly the screen: what fits, no notice
    const Pane expectedFit = Cropped(full, 80, 24);
    Pane fit = tmux.WaitFor(
        [&](const Pane& p) { return p.size() == 24 && Cropped(p, 80, 24) == expectedFit; });
    EXPECT_EQ(Cropped(fit, 80, 24), expectedFit) << Joined(fit);

    tmux.Resize(79, 24);
    Pane small = tmux.WaitFor([](const Pane& p) { return ShowsNotice(p, 79, 24); });
    EXPECT_TRUE(ShowsNotice(small, 79, 24)) << Joined(small);

    tmux.Resize(84, 26);
    Pane back = tmux.WaitFor([&](const Pane& p) { return Cropped(p, 84, 26) == full; });
    EXPECT_EQ(Cropped(back, 84, 26), full) << "no cell differs after growing again\n"
                                           << Joined(back);
}

TEST_P(OddTerminal, StartedTooSmallKeepsWorkingUntilItGrows) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const Monitor& monitor = *GetParam();
    StillStation station;
    TmuxSession tmux(monitor.program, station.RuntimeDir(), 50, 15);
    Pane small = tmux.WaitFor([](const Pane& p) { return ShowsNotice(p, 50, 15); });
    ASSERT_TRUE(ShowsNotice(small, 50, 15)) << Joined(small);
    tmux.SendKeys(monitor.otherKey);
    tmux.Resize(84, 26);
    Pane grown = tmux.WaitFor([&](const Pane& p) { return Has(p, monitor.other); });
    EXPECT_TRUE(Has(grown, monitor.other)) << "the key was taken while small\n" << Joined(grown);
}

// What the shell does to a job it stopped: its own modes and a cleared screen.
TEST_P(OddTerminal, StopAndContinueRestoreTheProgramsModesAndScreen) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const Monitor& monitor = *GetParam();
    StillStation station;
    TmuxSession tmux(monitor.program, station.RuntimeDir(), 84, 26);
    ASSERT_TRUE(Shows(tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); }), monitor));
    const int pid = tmux.ProgramPid();
    ASSERT_GT(pid, 1);
    ASSERT_EQ(kill(pid, SIGPIPE), 0);  // ignored: a vanished reader shows as a failed write
    ASSERT_EQ(kill(pid, SIGSTOP), 0);
    const std::string tty = tmux.Format("#{pane_tty}");
    ASSERT_EQ(std::system(("stty sane <" + tty + " && printf '\\033[H\\033[2J' >" + tty).c_str()),
              0);
    tmux.WaitFor(
        [](const Pane& p) { return Joined(p).find_first_not_of(" \n") == std::string::npos; });
    ASSERT_EQ(kill(pid, SIGCONT), 0);

    Pane again = tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); });
    EXPECT_TRUE(Shows(again, monitor)) << "repainted\n" << Joined(again);
    tmux.SendKeys(monitor.otherKey);  // acts at once only when keys are read one by one again
    Pane other = tmux.WaitFor([&](const Pane& p) { return Has(p, monitor.other); });
    EXPECT_TRUE(Has(other, monitor.other)) << Joined(other);
}

// The state letter of process `pid` in /proc, polled (boundedly) until it reads `wanted`.
char WaitForProcessState(int pid, char wanted) {
    char state = '?';
    for (int attempt = 0; attempt < 1000 && state != wanted; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t nameEnd = line.rfind(')');  // the name may hold blanks and parentheses
        if (nameEnd != std::string::npos && nameEnd + 2 < line.size()) {
            state = line[nameEnd + 2];
        }
    }
    return state;
}

// The first child of process `pid`, polled (boundedly) until there is one; 0 if none came.
int WaitForChild(int pid) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                               "/children");
        int child = 0;
        if (children >> child) return child;
    }
    return 0;
}

// Ctrl+Z under a shell with job control gives the shell its terminal before the program stops;
// brought back with fg, the program paints its whole screen again and reads keys one by one.
TEST_P(OddTerminal, CtrlZGivesTheShellItsTerminalAndFgBringsTheScreenBack) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const Monitor& monitor = *GetParam();
    StillStation station;
    // The shell waits for a line once the job has stopped, then continues it in the foreground.
    const std::string job = std::string("set -m; '") + monitor.program + "'; read line; fg";
    TmuxSession tmux("bash", station.RuntimeDir(), 84, 26, "", "-c \"" + job + "\"");
    ASSERT_TRUE(Shows(tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); }), monitor));
    const int pid = WaitForChild(tmux.ProgramPid());
    ASSERT_GT(pid, 1);
    tmux.SendKeys("C-z");
    EXPECT_EQ(WaitForProcessState(pid, 'T'), 'T') << "stopped";
    EXPECT_EQ(tmux.WaitForFormat("#{alternate_on}", "0"), "0") << "the shell's screen back";
    EXPECT_EQ(tmux.WaitForFormat("#{cursor_flag}", "1"), "1") << "cursor visible again";

    tmux.SendKeys("Enter");
    EXPECT_EQ(tmux.WaitForFormat("#{alternate_on}", "1"), "1");
    Pane again = tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); });
    EXPECT_TRUE(Shows(again, monitor)) << "repainted\n" << Joined(again);
    tmux.SendKeys(monitor.otherKey);
    Pane other = tmux.WaitFor([&](const Pane& p) { return Has(p, monitor.other); });
    EXPECT_TRUE(Has(other, monitor.other)) << Joined(other);
}

TEST_P(OddTerminal, TheSizeComesFromTheTerminalNotFromLinesAndColumns) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const Monitor& monitor = *GetParam();
    StillStation station;
    TmuxSession tmux(monitor.program, station.RuntimeDir(), 84, 26, "LINES=10 COLUMNS=20");
    Pane pane = tmux.WaitFor([&](const Pane& p) { return Shows(p, monitor); });
    EXPECT_TRUE(Shows(pane, monitor)) << Joined(pane);
}

INSTANTIATE_TEST_SUITE_P(BothMonitors, OddTerminal, testing::Values(&kRingeye, &kTallyer),
                         [](const testing::TestParamInfo<const Monitor*>& info) {
                             return std::string(info.param->name);
                         });

// A program that cannot draw says why in one line and ends with status 2.
TEST(UnusableTerminal, IsRefusedAtStartWithOneLineAndStatusTwo) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const struct {
        const Monitor* monitor;
        const char* environment;
        const char* redirection;
        const char* line;
    } cases[] = {
        {&kRingeye, "", "</dev/null", "ringeye: standard input is not a terminal"},
        {&kRingeye, "", ">/dev/null", "ringeye: standard output is not a terminal"},
        {&kTallyer, "", "</dev/null", "Tallyer: standard input is not a terminal"},
        {&kRingeye, "TERM=dumb", "", "ringeye: terminal type 'dumb' cannot move the cursor"},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(std::string(refused.monitor->name) + " " + refused.environment +
                     refused.redirection);
        test_support::TempRuntimeDir runtimeDir;
        TmuxSession tmux(refused.monitor->program, runtimeDir.Path(), 84, 26, refused.environment,
                         refused.redirection);
        const std::string expected = std::string(refused.line) + "\nprogram ended 2\n";
        Pane pane = tmux.WaitFor(
            [&](const Pane& p) { return Joined(p).find("program ended") != std::string::npos; });
        EXPECT_EQ(Joined(pane).substr(0, expected.size()), expected) << Joined(pane);
    }
}

}  // namespace
