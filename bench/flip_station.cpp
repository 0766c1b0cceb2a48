// A driver whose station wraps and unwraps (PeerWrapFlag and CF state) at times it writes down:
// for bench/watch_cost's figure of the time from a change at the driver to its journal entry.
// Serves \\.\qd4682 and prints one line per change, "flip EPOCH_MS asserted|deasserted", then
// waits for SIGTERM.
//
//   flip_station COUNT INTERVAL_MS
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "tests/harness/fake_station.h"
#include "tests/support/scripted_socket_driver.h"

namespace {

// The driver's thread serves while the main thread changes the records.
class FlippingStation : public FakeStation {
  public:
    FlippingStation() {
        FillHealthy(2);
        ServeInstances(1);
    }
    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override {
        std::lock_guard<std::mutex> hold(lock_);
        const uint32_t status =
            FakeStation::Serve(controlCode, input, inputLength, output, outputLength, answerLength);
        requests.clear();
        return status;
    }
    void Wrap(bool wrapped) {
        std::lock_guard<std::mutex> hold(lock_);
        SetSmt(0x102E, wrapped ? 1 : 0);
        SetSmt(0x102A, wrapped ? 9 : 12);  // C_Wrap_A, Thru
    }

  private:
    std::mutex lock_;
};

long long EpochMs() {
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10;
    const long interval = argc > 2 ? std::atol(argv[2]) : 2300;
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    FlippingStation station;
    test_support::ScriptedSocketDriver driver("qd4682", &station);
    std::printf("serving\n");
    std::fflush(stdout);
    // The watcher's first fetch sees the healthy station.
    usleep(3000 * 1000);
    for (int i = 0; i < count; ++i) {
        const bool wrapped = i % 2 == 0;
        station.Wrap(wrapped);
        std::printf("flip %lld %s\n", EpochMs(), wrapped ? "asserted" : "deasserted");
        std::fflush(stdout);
        usleep(static_cast<useconds_t>(interval) * 1000);
    }
    std::printf("done\n");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
