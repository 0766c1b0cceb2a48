// Runs qd4682sim as a separate process for the server tests, with its own runtime directory
// so that tests can run in parallel. Every wait is bounded.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sim_test {

// A fresh directory (mkdtemp) that is removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

class SimProcess {
  public:
    // Starts the simulator with XDG_RUNTIME_DIR set to `runtimeDir`; its output goes to files
    // in `logDir`. A `descriptorLimit` above 0 lowers its limit of open descriptors, as
    // `ulimit -n` does.
    SimProcess(const std::string& runtimeDir, const std::string& logDir,
               const std::vector<std::string>& args = {}, int descriptorLimit = 0);
    // Kills the process if it still runs.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // True once it has announced that it serves.
    bool WaitUntilServing(int timeoutMs);
    // Its exit status, or -1 when it has not exited within `timeoutMs` (or died of a signal).
    int WaitForExit(int timeoutMs);
    void Signal(int signal);
    std::string Output() const;
    std::string Errors() const;
    std::string SocketPath() const { return runtimeDir_ + "/qd4682"; }

  private:
    std::string runtimeDir_;
    std::string outPath_;
    std::string errPath_;
    pid_t pid_ = -1;
    bool exited_ = false;
};

}  // namespace sim_test
