// The watching agent with the real tools: the stand-in driver's wrap reaches the agent's event
// log and its standard error, and snmpd, with the monitor lines shipped for it, sends the trap
// for PeerWrapFlag to snmptrapd. A logrotate-style move and SIGHUP gives a fresh file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tests/ringagent/snmp_world.h"

namespace {

using agent_test::SnmpWorld;

// The shipped configuration with its trap destination pointed at the test's snmptrapd.
std::string ShippedMonitorLines(int trapPort) {
    std::ifstream in(TRAPS_CONFIG);
    std::ostringstream lines;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("trap2sink ", 0) == 0)
            line = "trap2sink 127.0.0.1:" + std::to_string(trapPort) + " public";
        lines << line << "\n";
    }
    return lines.str();
}

bool Contains(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
}

TEST(RingAgentWatch, AWrapReachesTheJournalAndSnmpdSendsItsTrap) {
    SnmpWorld world;
    world.StartSimulator({"--scenario", "wrap", "--seed", "7"});
    world.StartTrapReceiver();
    world.StartSnmpd(ShippedMonitorLines(world.TrapPort()));
    world.StartAgent({"--watch", "1", "--event-log", world.PathOf("events.jsonl")});

    const std::string wrapEntry =
        "\"object\":\"SMT\",\"event\":\"PeerWrap\",\"report\":\"SMT Peer Wrap\","
        "\"condition\":\"asserted\"";
    const std::string wrapTrap =
        "\"fddiPeerWrap\"\t.1.3.6.1.2.1.88.2.1.2.0 = \"\"\t.1.3.6.1.2.1.88.2.1.3.0 = \"\"\t"
        ".1.3.6.1.2.1.88.2.1.4.0 = OID: .1.3.6.1.2.1.10.15.73.1.2.1.23.1\t"
        ".1.3.6.1.2.1.88.2.1.5.0 = INTEGER: 1";
    // The wrap comes 20 s after the driver starts.
    ASSERT_TRUE(SnmpWorld::WaitFor([&] {
        return Contains(world.FileText("events.jsonl"), wrapEntry) &&
               Contains(world.TrapLog(), wrapTrap);
    })) << world.Logs()
        << "events:\n"
        << world.FileText("events.jsonl") << "traps:\n"
        << world.TrapLog();

    const std::regex stderrLine(
        "(^|\n)\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z ringagent: adapter 0 SMT: SMT "
        "Peer Wrap asserted\n");
    EXPECT_TRUE(std::regex_search(world.AgentLog(), stderrLine)) << world.AgentLog();
    const std::regex jsonLine(
        "\\{\"time\":\"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z\",\"instance\":0,"
        "\"station\":\"00-00-08-00(-[0-9A-F]{2}){4}\"," +
        wrapEntry + ",\"priority\":4,\"message\":\"adapter 0 SMT: SMT Peer Wrap asserted\"\\}\n");
    EXPECT_TRUE(std::regex_search(world.FileText("events.jsonl"), jsonLine))
        << world.FileText("events.jsonl");

    // logrotate moves the file away and says SIGHUP: the agent opens a new one and goes on.
    ASSERT_EQ(
        std::rename(world.PathOf("events.jsonl").c_str(), world.PathOf("events.jsonl.1").c_str()),
        0);
    world.SignalAgent(SIGHUP);
    struct stat reopened = {};
    EXPECT_TRUE(SnmpWorld::WaitFor(
        [&] { return stat(world.PathOf("events.jsonl").c_str(), &reopened) == 0; }));
    EXPECT_EQ(world.SmtNumber(), 1) << world.Logs();
    EXPECT_EQ(world.StopAgent(), 0) << world.Logs();
}

}  // namespace
