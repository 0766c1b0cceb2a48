// Load on the stand-in driver: well-behaved clients that use the device calls exactly as the
// monitors do (open, one request, close), each on a thread of its own, and one garbage client
// that does everything a client should not. The driver must be serving \\.\qd4682 in this
// process's XDG_RUNTIME_DIR.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace load {

struct ClientTally {
    uint64_t requests = 0;  // answered in full
    uint64_t failures = 0;  // refused, failed or short
    std::string firstFailure;
};

struct GarbageTally {
    uint64_t connections = 0;
    uint64_t bytes = 0;
};

struct LoadRun {
    std::vector<ClientTally> clients;
    GarbageTally garbage;
    double seconds = 0;
    uint64_t Requests() const;
    uint64_t Failures() const;
};

// Runs `clients` well-behaved clients, each asking in turn for the station monitor's attribute
// groups and the statistics record of instance (client number mod `instances`), and with
// `garbage` the garbage client, until `duration` has passed.
LoadRun Run(int clients, uint32_t instances, std::chrono::milliseconds duration, bool garbage);

// The process serving \\.\qd4682 (from the peer credentials of a connection); -1 if none.
pid_t DriverPid();
// Resident memory of a process in kB, from /proc; -1 if unknown.
long ResidentKb(pid_t pid);

}  // namespace load
