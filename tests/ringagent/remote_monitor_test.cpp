// ringeye watching a station through SNMP: a still station's driver -> ringagent -> a private
// snmpd -> `ringeye AGENT` in tmux, side by side with the local ringeye on the same driver. Every
// value the MIB serves reads the same on both; the others are blank on the remote one. Failures
// (no answer, a refused community, a row or the whole MIB missing) show in SNMP's terms and
// clear on the next refresh that succeeds.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/harness/fake_station.h"
#include "tests/ringagent/snmp_world.h"
#include "tests/robustness/tmux_session.h"
#include "tests/support/scripted_socket_driver.h"

namespace {

using agent_test::SnmpWorld;
using robustness::CellsOf;
using robustness::Joined;
using robustness::Pane;
using robustness::TmuxSession;

constexpr int kColumns = 84, kRows = 26;

// A station that never changes, served in this process on the world's driver socket, with snmpd
// and ringagent in front of it.
struct StillWorld {
    SnmpWorld world;
    FakeStation station;
    std::unique_ptr<test_support::ScriptedSocketDriver> driver;

    explicit StillWorld(bool withAgent = true) {
        setenv("XDG_RUNTIME_DIR", world.Dir().c_str(), 1);
        station.FillHealthy(2);
        station.ServeInstances(1);
        driver = std::make_unique<test_support::ScriptedSocketDriver>("qd4682", &station);
        world.StartSnmpd();
        if (withAgent) {
            world.StartAgent();
            EXPECT_TRUE(SnmpWorld::WaitFor([&] { return world.SmtNumber() == 1; })) << world.Logs();
        }
    }
    std::string Agent() const { return "127.0.0.1:" + std::to_string(world.Port()); }
    // ringeye with `options` before the agent's address; no options at all: the local adapter.
    std::unique_ptr<TmuxSession> Monitor(const std::string& options, bool remote = true) const {
        const std::string environment =
            "MIBS= HOME=" + world.Dir() + " SNMP_PERSISTENT_DIR=" + world.Dir() + "/ringeye";
        return std::make_unique<TmuxSession>(RINGEYE_PROGRAM, world.Dir(), kColumns, kRows,
                                             environment, remote ? options + " " + Agent() : "");
    }
};

bool Shows(const Pane& pane, const std::string& text) {
    return Joined(pane).find(text) != std::string::npos;
}

// The screen's rows below the spinner's cell, the screen as both monitors paint it.
Pane Screen(const Pane& pane) {
    Pane screen;
    for (size_t row = 0; row < pane.size() && row < 24; ++row)
        screen.push_back(row == 0 ? CellsOf(pane, 0, 1, 80) : CellsOf(pane, row, 0, 80));
    return screen;
}

// Cells where the remote monitor differs from the local one and is not blank.
std::string Mismatches(const Pane& local, const Pane& remote) {
    std::string found;
    for (size_t row = 0; row < local.size() && row < remote.size(); ++row) {
        for (size_t column = 0; column < 80; ++column) {
            const char l = column < local[row].size() ? local[row][column] : ' ';
            const char r = column < remote[row].size() ? remote[row][column] : ' ';
            if (l != r && r != ' ') {
                found += "row " + std::to_string(row) + ": local '" + local[row] +
                         "'\n       remote '" + remote[row] + "'\n";
                break;
            }
        }
    }
    return found;
}

// The first cells after `label` on the screen: blank where a value is blank.
std::string FieldAfter(const Pane& pane, const std::string& label) {
    constexpr size_t kCells = 7;
    for (const std::string& line : pane) {
        const size_t at = line.find(label);
        if (at == std::string::npos) continue;
        std::string field = line.size() > at + label.size() ? line.substr(at + label.size()) : "";
        field.resize(kCells, ' ');
        return field.substr(0, kCells);
    }
    return "<no such label>";
}

// Each screen and page, the key that shows it, and the values the MIB has no object for.
struct ScreenCase {
    const char* keys;   // typed one after the other, from the screen before
    const char* title;  // at the top, once the screen is there
    std::vector<std::string> blankLabels;
};

const std::vector<ScreenCase> kScreens = {
    {"1", "Composite Data", {"ManufactureData: "}},
    {"2",
     "SMT Data",
     {"HoldState             : ", "SetCount              : ", "LastSetStationId      : "}},
    {" ", "SMT Data", {"PORTIndexes           : ", "MACIndexes            : "}},
    {" 3", "MAC Configs & Ops Data", {"LongGrpAddrs  :", "ShortGrpAddrs : ", "T_Pri[0] : "}},
    {"4", "MAC Counters & Status Data", {"ManufactureData: "}},
    {"5", "A PORT Data", {"EB Error_Ct: "}},
    {" ",
     "A PORT Data",
     {"MAC Loop_Time      : ", "Maint Line State   : ", "PC_LS              : "}},
    {" 6", "B PORT Data", {"EB Error_Ct: "}},
    {"7",
     "PATH Data",
     {"RingLatency         : ", "TraceStatus         : ", "SbaPayload          : ",
      "T_Rmode             : "}},
};

// Screen `title` once the monitor has refreshed it after painting it first: the spinner in the
// top left cell has turned since.
Pane Settled(TmuxSession& session, const std::string& title) {
    const auto showing = [&](const Pane& p) {
        return p.size() > 20 && CellsOf(p, 0, 35, title.size()) == title &&
               Shows(p, "StationID      : 0");
    };
    const Pane first = session.WaitFor(showing);
    return Screen(session.WaitFor([&](const Pane& p) {
        return showing(p) && CellsOf(p, 0, 0, 1) != CellsOf(first, 0, 0, 1);
    }));
}

// Every screen and page of the remote monitor against the local one on the same still station,
// under a title that names the agent.
void CompareEveryScreen(StillWorld& still, const std::string& options) {
    auto local = still.Monitor("", false);
    auto remote = still.Monitor(options);
    const std::string title = "ringeye SMT 7.3 - " + still.Agent();
    EXPECT_EQ(remote->WaitForFormat("#{pane_title}", title), title);
    for (const ScreenCase& screen : kScreens) {
        SCOPED_TRACE(std::string("keys '") + screen.keys + "': " + screen.title);
        for (const char* key = screen.keys; *key; ++key) {
            const std::string typed = *key == ' ' ? "Space" : std::string(1, *key);
            local->SendKeys(typed);
            remote->SendKeys(typed);
        }
        const Pane remotePane = Settled(*remote, screen.title);
        const Pane localPane = Settled(*local, screen.title);
        EXPECT_EQ(Mismatches(localPane, remotePane), "");
        for (const std::string& label : screen.blankLabels)
            EXPECT_EQ(FieldAfter(remotePane, label), "       ") << label;
        EXPECT_EQ(remotePane[1], localPane[1]);  // the station ID and the states
    }
}

TEST(RemoteMonitor, EveryScreenMatchesTheLocalMonitorOverSnmpV2c) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    StillWorld still;
    CompareEveryScreen(still, "-v 2c -c public");
}

TEST(RemoteMonitor, EveryScreenMatchesTheLocalMonitorOverSnmpV3AuthPriv) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    StillWorld still;
    CompareEveryScreen(still, std::string("-v 3 -l authPriv -u ") + SnmpWorld::kUser +
                                  " -a SHA -A " + SnmpWorld::kAuthPass + " -x AES -X " +
                                  SnmpWorld::kPrivPass);
}

// net-snmp reads the command line; what it refuses ends the program with status 2 before the
// screen is touched.
TEST(RemoteMonitor, CommandLineIsReadAsSnmpgetReadsIt) {
    sim_test::TempDir dir;
    const struct {
        const char* arguments;
        int status;
        const char* output;  // part of what the program printed, standard error included
    } cases[] = {
        {"--help", 0, "ringeye [SNMP options] AGENT"},
        {"--help", 0, "-x DES|AES"},
        {"-v 9 host", 2, "Invalid version specified after -v flag"},
        {"-v 2c -c public", 2, "No hostname specified"},
        {"-v 2c -c public host extra", 2, "unrecognised argument 'extra'"},
    };
    for (const auto& c : cases) {
        const std::string command =
            "env HOME=" + dir.path() + " SNMP_PERSISTENT_DIR=" + dir.path() +
            " MIBS= " + RINGEYE_PROGRAM + " " + c.arguments + " 2>&1 </dev/null";
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buffer[4096];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        const int status = pclose(pipe);
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.arguments;
        EXPECT_NE(output.find(c.output), std::string::npos) << c.arguments << ":\n" << output;
    }
}

// Failures that come and go: each shows its message and the station comes back after it.
struct FailureCase {
    const char* name;
    const char* options;
    bool withAgent;
    std::function<void(StillWorld&)> fail, recover;
    const char* message;
};

TEST(RemoteMonitor, FailuresShowInSnmpTermsAndClearWhenTheStationAnswers) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const auto nothing = [](StillWorld&) {};
    const std::function<void(StillWorld&)> stays = nullptr;
    const std::vector<FailureCase> cases = {
        {"agent stops answering", "-v 2c -c public -t 1 -r 0", true,
         [](StillWorld& s) { s.world.StopSnmpd(); }, [](StillWorld& s) { s.world.StartSnmpd(); },
         "No answer from 127.0.0.1:"},
        {"SMT row goes away", "-v 2c -c public -t 1 -r 0", true,
         [](StillWorld& s) { s.station.RefuseWith(31); },
         [](StillWorld& s) { s.station.RefuseWith(0); }, "has no station of SMT index 1"},
        {"community refused", "-v 2c -c nobody -t 1 -r 0", true, nothing, stays,
         "No answer from 127.0.0.1:"},
        {"no FDDI MIB", "-v 2c -c public -t 1 -r 0", false, nothing,
         [](StillWorld& s) { s.world.StartAgent(); }, "does not serve the FDDI SMT MIB"},
        {"wrong privacy passphrase",
         "-v 3 -l authPriv -u watcher -a SHA -A watcher-auth-pass -x AES -X wrong-priv-pass "
         "-t 1 -r 0",
         true, nothing, stays, "No answer from 127.0.0.1:"},
        {"wrong authentication passphrase",
         "-v 3 -l authPriv -u watcher -a SHA -A wrong-auth-pass -x AES -X watcher-priv-pass "
         "-t 1 -r 0",
         true, nothing, stays, "SNMPv3 authentication or privacy failed"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        StillWorld still(c.withAgent);
        auto remote = still.Monitor(c.options);
        // A case that recovers starts from a station on the screen.
        if (c.recover && c.withAgent) {
            remote->WaitFor([](const Pane& p) { return Shows(p, "RMT-RING_OP"); });
        }
        c.fail(still);
        const Pane failed = remote->WaitFor([&](const Pane& p) { return Shows(p, c.message); });
        EXPECT_TRUE(Shows(failed, c.message)) << Joined(failed);
        if (!c.recover) continue;
        c.recover(still);
        const Pane back = remote->WaitFor([](const Pane& p) { return Shows(p, "RMT-RING_OP"); });
        EXPECT_TRUE(Shows(back, "RMT-RING_OP")) << Joined(back);
    }
}

// An agent that never answers: a UDP socket nobody reads. Esc ends the monitor all the same.
TEST(RemoteMonitor, EscEndsTheMonitorWhileTheAgentNeverAnswers) {
    if (!TmuxSession::TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    const int silent = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
    sim_test::TempDir dir;
    TmuxSession remote(
        RINGEYE_PROGRAM, dir.path(), kColumns, kRows,
        "MIBS= HOME=" + dir.path() + " SNMP_PERSISTENT_DIR=" + dir.path(),
        "-v 2c -c public -t 600 -r 0 127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    // The first refresh waits for its answer before it shows anything: the terminal is the
    // monitor's once the alternate screen is on.
    ASSERT_EQ(remote.WaitForFormat("#{alternate_on}", "1"), "1");
    remote.SendKeys("Escape");
    const Pane ended = remote.WaitFor([](const Pane& p) { return Shows(p, "program ended 1"); });
    EXPECT_TRUE(Shows(ended, "program ended 1")) << Joined(ended);
    close(silent);
}

}  // namespace
