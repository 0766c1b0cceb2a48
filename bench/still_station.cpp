// A driver whose station never changes: a healthy dual-attachment station and fixed counters,
// served on \\.\qd4682 until SIGINT or SIGTERM. With it, a refresh changes nothing on the screen
// but the spinner, which is what the terminal-output figure of bench/run measures.
//
//   still_station [--verbose]   (--verbose: one line per request on stderr)
#include <signal.h>

#include <cstdio>
#include <cstring>

#include "tests/harness/fake_station.h"
#include "tests/support/scripted_socket_driver.h"

namespace {

class LoggedStation : public FakeStation {
  public:
    explicit LoggedStation(bool verbose) : verbose_(verbose) {
        FillHealthy(2);
        for (uint32_t word = 0; word < 37; ++word)
            stats[word] = 1234567 * word;
    }
    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override {
        const uint32_t status =
            FakeStation::Serve(controlCode, input, inputLength, output, outputLength, answerLength);
        requests.clear();  // the station runs for as long as it is measured
        if (verbose_)
            std::fprintf(stderr, "request 0x%08X %s\n", controlCode, status ? "refused" : "served");
        return status;
    }

  private:
    bool verbose_;
};

}  // namespace

int main(int argc, char** argv) {
    const bool verbose = argc > 1 && std::strcmp(argv[1], "--verbose") == 0;
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    // Blocked before the driver's thread starts, so that only sigwait below takes them.
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    LoggedStation station(verbose);
    test_support::ScriptedSocketDriver driver("qd4682", &station);
    std::printf("still_station: serving at %s\n", driver.SocketPath().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
