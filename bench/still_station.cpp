// A driver whose station never changes: a healthy dual-attachment station and fixed counters,
// served on \\.\qd4682 until SIGINT or SIGTERM. With it, a refresh changes nothing on the screen
// but the spinner, which is what the terminal-output figure of bench/run measures.
//
//   still_station [--verbose] [--toggle]
//     --verbose: one line per request on stderr
//     --toggle:  one error counter rises at every second refresh, so its value toggles between
//                trouble and not at every refresh (the MAC's Error-Ct for ringeye's first
//                screen, the transmit error total for Tallyer)
#include <signal.h>

#include <cstdio>
#include <cstring>

#include "tests/harness/fake_station.h"
#include "tests/support/scripted_socket_driver.h"

namespace {

class LoggedStation : public FakeStation {
  public:
    LoggedStation(bool verbose, bool toggle) : verbose_(verbose), toggle_(toggle) {
        FillHealthy(2);
        for (uint32_t word = 0; word < 37; ++word)
            stats[word] = 1234567 * word;
    }
    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override {
        if (toggle_) ToggleOnceARefresh(controlCode, input, inputLength);
        const uint32_t status =
            FakeStation::Serve(controlCode, input, inputLength, output, outputLength, answerLength);
        requests.clear();  // the station runs for as long as it is measured
        if (verbose_)
            std::fprintf(stderr, "request 0x%08X %s\n", controlCode, status ? "refused" : "served");
        return status;
    }

  private:
    // ringeye asks for the MAC counter group once per refresh of its first screen, Tallyer for
    // the statistics record once per refresh.
    void ToggleOnceARefresh(uint32_t controlCode, const uint8_t* input, uint32_t inputLength) {
        constexpr uint32_t kSmtGet = 0xA0286044, kMacCounters = 0x2046, kErrorCt = 0x2051;
        constexpr size_t kTransmitErrors = 20;
        uint32_t code = 0;
        if (inputLength >= 8) std::memcpy(&code, input + 4, sizeof code);
        const bool smtRefresh = controlCode == kSmtGet && code == kMacCounters;
        if (!smtRefresh && controlCode == kSmtGet) return;
        if (++refreshes_ % 2 != 0) return;
        ++errors_;
        if (smtRefresh)
            SetObject(kErrorCt, errors_);
        else
            ++stats[kTransmitErrors];
    }

    bool verbose_;
    bool toggle_;
    uint32_t refreshes_ = 0;
    uint32_t errors_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    bool verbose = false, toggle = false;
    for (int i = 1; i < argc; ++i) {
        verbose = verbose || std::strcmp(argv[i], "--verbose") == 0;
        toggle = toggle || std::strcmp(argv[i], "--toggle") == 0;
    }
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    // Blocked before the driver's thread starts, so that only sigwait below takes them.
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    LoggedStation station(verbose, toggle);
    test_support::ScriptedSocketDriver driver("qd4682", &station);
    std::printf("still_station: serving at %s\n", driver.SocketPath().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
