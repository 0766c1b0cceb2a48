// A driver program (qd4682sim, or the still station) run as a child process that serves
// \\.\qd4682 in this process's XDG_RUNTIME_DIR, for benchmarks that go through the socket.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class DriverProcess {
  public:
    // Starts `program` with `arguments`, its output thrown away, and waits (up to 10 s) until a
    // device request reaches it.
    DriverProcess(const std::string& program, const std::vector<std::string>& arguments);
    // Stops it with SIGTERM and reaps it.
    ~DriverProcess();
    DriverProcess(const DriverProcess&) = delete;
    DriverProcess& operator=(const DriverProcess&) = delete;

    bool Serving() const { return serving_; }
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    bool serving_ = false;
};
