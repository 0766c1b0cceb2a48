#include "tests/ringagent/snmp_world.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace agent_test {
namespace {

constexpr char kFddimib[] = "1.3.6.1.2.1.10.15.73";
constexpr int kStopTimeoutMs = 20000;

// A UDP port on 127.0.0.1 that nothing uses now.
int FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \n\"");
    const size_t last = text.find_last_not_of(" \n\"");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// Lines ".OID = TYPE: VALUE"; a long octet string goes on over the following lines.
SnmpWalk ParseValues(const std::string& output) {
    SnmpWalk values;
    std::istringstream lines(output);
    std::string line;
    SnmpValue* last = nullptr;
    while (std::getline(lines, line)) {
        const size_t equals = line.find(" = ");
        if (line.empty() || line[0] != '.' || equals == std::string::npos) {
            if (last) last->text = Trim(last->text + " " + line);
            continue;
        }
        const std::string oid = line.substr(1, equals - 1);
        const std::string rest = line.substr(equals + 3);
        const size_t colon = rest.find(": ");
        SnmpValue value = colon == std::string::npos
                              ? SnmpValue{rest, ""}
                              : SnmpValue{rest.substr(0, colon), Trim(rest.substr(colon + 2))};
        last = &(values[oid] = value);
    }
    return values;
}

std::vector<std::string> WithRuntimeDir(const std::string& dir) {
    std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + dir,
                                    "MIBS=", "SNMP_PERSISTENT_DIR=" + dir + "/persist"};
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 && entry.rfind("MIBS=", 0) != 0 &&
            entry.rfind("SNMP_PERSISTENT_DIR=", 0) != 0) {
            env.push_back(entry);
        }
    }
    return env;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env, const std::string& logPath) {
    std::vector<std::string> args = argv, environment = env;
    std::vector<char*> argPointers, envPointers;
    for (std::string& a : args)
        argPointers.push_back(a.data());
    argPointers.push_back(nullptr);
    for (std::string& e : environment)
        envPointers.push_back(e.data());
    envPointers.push_back(nullptr);
    pid_ = fork();
    if (pid_ != 0) return;
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (log < 0) _exit(127);
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    execve(argPointers[0], argPointers.data(), envPointers.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) Stop(SIGKILL, kStopTimeoutMs);
}

int ChildProcess::Stop(int signal, int timeoutMs) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return -1;
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

SnmpWorld::SnmpWorld() : port_(FreeUdpPort()) {}

SnmpWorld::~SnmpWorld() {
    agent_.reset();
    trapReceiver_.reset();
    snmpd_.reset();
    simulator_.reset();
}

void SnmpWorld::StartSimulator(const std::vector<std::string>& args) {
    simulator_ = std::make_unique<sim_test::SimProcess>(dir_.path(), dir_.path(), args);
    simulator_->WaitUntilServing(60000);
}

void SnmpWorld::StopSimulator() {
    simulator_.reset();
}

void SnmpWorld::StartSnmpd(const std::string& extraConfig) {
    const std::string config = dir_.path() + "/snmpd.conf";
    std::ofstream(config) << "agentaddress udp:127.0.0.1:" << port_ << "\n"
                          << "rocommunity public 127.0.0.1\n"
                          << "rwcommunity private 127.0.0.1\n"
                          << "createUser " << kUser << " SHA " << kAuthPass << " AES " << kPrivPass
                          << "\n"
                          << "rouser " << kUser << " priv\n"
                          << "master agentx\n"
                          << "agentXSocket " << dir_.path() << "/agentx\n"
                          << extraConfig;
    snmpd_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{SNMPD_PATH, "-f", "-Lo", "-C", "-c", config},
        WithRuntimeDir(dir_.path()), dir_.path() + "/snmpd.log");
}

void SnmpWorld::StopSnmpd() {
    if (snmpd_) snmpd_->Stop(SIGTERM, kStopTimeoutMs);
    snmpd_.reset();
}

void SnmpWorld::StartAgent(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {RINGAGENT_PATH, "-f", "-x", dir_.path() + "/agentx"};
    argv.insert(argv.end(), args.begin(), args.end());
    agent_ = std::make_unique<ChildProcess>(argv, WithRuntimeDir(dir_.path()),
                                            dir_.path() + "/ringagent.log");
}

int SnmpWorld::RunSecondAgent() {
    ChildProcess second({RINGAGENT_PATH, "-f", "-x", dir_.path() + "/agentx"},
                        WithRuntimeDir(dir_.path()), dir_.path() + "/ringagent2.log");
    return second.Wait(kStopTimeoutMs);
}

void SnmpWorld::SignalAgent(int signal) {
    if (agent_) agent_->Signal(signal);
}

void SnmpWorld::StartTrapReceiver() {
    trapPort_ = FreeUdpPort();
    const std::string config = dir_.path() + "/snmptrapd.conf";
    std::ofstream(config) << "disableAuthorization yes\n";
    trapReceiver_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{SNMPTRAPD_PATH, "-f", "-On", "-Lf", dir_.path() + "/traps.log",
                                 "-C", "-c", config, "udp:127.0.0.1:" + std::to_string(trapPort_)},
        WithRuntimeDir(dir_.path()), dir_.path() + "/snmptrapd.out");
}

std::string SnmpWorld::TrapLog() const {
    return ReadFile(dir_.path() + "/traps.log");
}

std::string SnmpWorld::FileText(const std::string& name) const {
    return ReadFile(PathOf(name));
}

int SnmpWorld::StopAgent() {
    const int status = agent_ ? agent_->Stop(SIGTERM, kStopTimeoutMs) : -1;
    agent_.reset();
    return status;
}

std::string SnmpWorld::Tool(const std::string& tool, const std::string& community,
                            const std::string& args) const {
    const std::string command = tool + " -v2c -c " + community + " -m '' -On -Ox -t 1 -r 0 " +
                                "127.0.0.1:" + std::to_string(port_) + " " + args + " 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

SnmpWalk SnmpWorld::Walk() const {
    return ParseValues(Tool("snmpbulkwalk", "public", kFddimib));
}

SnmpValue SnmpWorld::Get(const std::string& oid) const {
    const SnmpWalk values = ParseValues(Tool("snmpget", "public", oid));
    const auto found = values.find(oid);
    return found == values.end() ? SnmpValue{} : found->second;
}

std::string SnmpWorld::Set(const std::string& oid, const std::string& typeAndValue) const {
    return Tool("snmpset", "private", oid + " " + typeAndValue);
}

bool SnmpWorld::WaitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

int SnmpWorld::SmtNumber() const {
    const SnmpValue value = Get(std::string(kFddimib) + ".1.1.0");
    return value.type == "INTEGER" ? std::stoi(value.text) : -1;
}

std::string SnmpWorld::Logs() const {
    return "snmpd:\n" + ReadFile(dir_.path() + "/snmpd.log") + "ringagent:\n" + AgentLog() +
           "second ringagent:\n" + SecondAgentLog();
}

std::string SnmpWorld::AgentLog() const {
    return ReadFile(dir_.path() + "/ringagent.log");
}

std::string SnmpWorld::SecondAgentLog() const {
    return ReadFile(dir_.path() + "/ringagent2.log");
}

}  // namespace agent_test
