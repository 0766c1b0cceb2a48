// A private SNMP world for one test: a real snmpd as AgentX master on a free UDP port of
// 127.0.0.1, the stand-in driver and ringagent, all in one temporary directory that is also
// their XDG_RUNTIME_DIR; and net-snmp's tools to ask them. Every wait is for a condition.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/simulator/sim_process.h"

namespace agent_test {

// A program run with its output in a log file; ended with SIGKILL if still running at the end.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& logPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Sends `signal` and waits for the exit; its status, or -1 after a signal death or timeout.
    int Stop(int signal, int timeoutMs);
    // Waits for the exit without a signal: its status, or -1 (killed) after `timeoutMs`.
    int Wait(int timeoutMs) { return Stop(0, timeoutMs); }
    // Sends `signal` and leaves the program running.
    void Signal(int signal);

  private:
    pid_t pid_ = -1;
};

// One value as the tools print it with -On -Ox: its type ("INTEGER", "Counter32", "Hex-STRING")
// and text ("3", "00 00 08 00 ...").
struct SnmpValue {
    std::string type;
    std::string text;
};
using SnmpWalk = std::map<std::string, SnmpValue>;  // by numeric OID without the leading dot

class SnmpWorld {
  public:
    SnmpWorld();
    ~SnmpWorld();

    void StartSimulator(const std::vector<std::string>& args);
    void StopSimulator();
    // `extraConfig`: lines after the master's own (monitors, users, trap sinks).
    void StartSnmpd(const std::string& extraConfig = "");
    void StopSnmpd();
    void StartAgent(const std::vector<std::string>& args = {});
    void SignalAgent(int signal);
    int StopAgent();
    // snmptrapd on a free UDP port of 127.0.0.1, logging every trap it takes with numeric OIDs.
    void StartTrapReceiver();
    int TrapPort() const { return trapPort_; }
    std::string TrapLog() const;
    // A file in the world's directory, and its contents ("" while it does not exist).
    std::string PathOf(const std::string& name) const { return dir_.path() + "/" + name; }
    std::string FileText(const std::string& name) const;
    // Runs another agent beside the first until it ends by itself; its exit status.
    int RunSecondAgent();

    // snmpbulkwalk of the fddimib subtree; empty when the master does not answer.
    SnmpWalk Walk() const;
    // snmpget of one OID; type "" when there is no answer.
    SnmpValue Get(const std::string& oid) const;
    // The tool's whole output for a SET with the read-write community.
    std::string Set(const std::string& oid, const std::string& typeAndValue) const;

    // Polls `condition` until it holds; false after a minute, which no healthy run nears.
    static bool WaitFor(const std::function<bool()>& condition);
    // fddimibSMTNumber, or -1 while nobody answers it.
    int SmtNumber() const;

    // The UDP port snmpd listens on (127.0.0.1), and the directory everything runs in.
    int Port() const { return port_; }
    const std::string& Dir() const { return dir_.path(); }
    // The SNMPv3 user snmpd knows, with SHA authentication and AES privacy.
    static constexpr const char* kUser = "watcher";
    static constexpr const char* kAuthPass = "watcher-auth-pass";
    static constexpr const char* kPrivPass = "watcher-priv-pass";

    std::string Logs() const;
    std::string AgentLog() const;
    std::string SecondAgentLog() const;

  private:
    std::string Tool(const std::string& tool, const std::string& community,
                     const std::string& args) const;

    sim_test::TempDir dir_;
    int port_ = 0;
    int trapPort_ = 0;
    std::unique_ptr<ChildProcess> trapReceiver_;
    std::unique_ptr<sim_test::SimProcess> simulator_;
    std::unique_ptr<ChildProcess> snmpd_;
    std::unique_ptr<ChildProcess> agent_;
};

}  // namespace agent_test
