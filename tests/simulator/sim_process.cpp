#include "tests/simulator/sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace sim_test {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int Counter() {
    static int next = 0;
    return next++;
}

}  // namespace

TempDir::TempDir() {
    char pattern[] = "/tmp/qd4682sim-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "";
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

SimProcess::SimProcess(const std::string& runtimeDir, const std::string& logDir,
                       const std::vector<std::string>& args, int descriptorLimit)
    : runtimeDir_(runtimeDir) {
    const std::string name = logDir + "/sim" + std::to_string(Counter());
    outPath_ = name + ".out";
    errPath_ = name + ".err";
    std::vector<std::string> argv = {QD4682SIM_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtimeDir_};
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::string(*e).rfind("XDG_RUNTIME_DIR=", 0) != 0) env.push_back(*e);
    }
    // Everything the child needs is made before the fork: after it, only exec-safe calls.
    std::vector<char*> argPointers;
    for (std::string& a : argv)
        argPointers.push_back(a.data());
    argPointers.push_back(nullptr);
    std::vector<char*> envPointers;
    for (std::string& e : env)
        envPointers.push_back(e.data());
    envPointers.push_back(nullptr);
    pid_ = fork();
    if (pid_ != 0) return;
    const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0) _exit(127);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    close(out);
    close(err);
    if (descriptorLimit > 0) {
        const rlimit limit{static_cast<rlim_t>(descriptorLimit),
                           static_cast<rlim_t>(descriptorLimit)};
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(127);
    }
    execve(argPointers[0], argPointers.data(), envPointers.data());
    _exit(127);
}

SimProcess::~SimProcess() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool SimProcess::WaitUntilServing(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (Output().find("serving") != std::string::npos) return true;
        if (exited_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            return Output().find("serving") != std::string::npos;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int SimProcess::WaitForExit(int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

void SimProcess::Signal(int signal) {
    if (pid_ > 0 && !exited_) kill(pid_, signal);
}

std::string SimProcess::Output() const {
    return ReadFile(outPath_);
}
std::string SimProcess::Errors() const {
    return ReadFile(errPath_);
}

}  // namespace sim_test
