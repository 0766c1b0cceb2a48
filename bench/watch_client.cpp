// The least a program can do to watch the adapters as `ringagent --watch` does: every period,
// one fetch cycle of each of the three device instances into a snapshot of its own, and
// nothing else. bench/watch_cost runs it beside the agent to set the agent's CPU against it.
//
//   watch_client [PERIOD_SECONDS]   (default 1; runs until SIGTERM or SIGINT)
#include <time.h>

#include <cstdlib>

#include "common/device_channel.h"
#include "smtmib/smt_retrieval.h"

namespace {

StationSnapshot snapshots[3];

}  // namespace

int main(int argc, char** argv) {
    const long period = argc > 1 ? std::atol(argv[1]) : 1;
    InitDevicePath();
    timespec next = {};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (;;) {
        for (int instance = 0; instance < 3; ++instance) {
            snapshots[instance] = StationSnapshot{};
            FetchCycle(snapshots[instance], instance);
        }
        next.tv_sec += period;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
}
