// Both monitors against a driver that takes nearly its whole reply limit for every request, on
// the virtual clock: a key with a command acts within one reply time, not after the rest of a
// long refresh cycle, and keys that piled up meanwhile are all read before the next request.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/win32_on_linux/in_process_device.h"
#include "tests/harness/monitor_harness.h"
#include "tests/support/slow_handler.h"

namespace {

constexpr uint32_t kReplyMs = 1900;
// ringeye against a healthy dual-attachment station: requests in one refresh cycle.
constexpr uint64_t kRingeyeCycleRequests = 26;
constexpr uint64_t kNeverMs = 100'000'000;  // the harness's closing Esc, never reached

struct SlowRun {
    MonitorHarness h;
    test_support::SlowHandler slow{h.station, [this] { h.clock.SleepMs(kReplyMs); }};
    SlowRun() {
        h.station.FillHealthy(2);
        platform::RegisterInProcessDevice("qd4682", &slow);
    }
};

struct Interruption {
    const char* name;
    bool ringeye;
    std::vector<std::pair<uint64_t, const char*>> keys;
    uint64_t checkAtMs;
    // What must hold at checkAtMs (or at the end, if the program ended before), and the latest
    // the program may have ended; kNeverMs when the keys do not end it.
    std::function<bool(SlowRun&)> holds;
    uint64_t endsByMs;
};

TEST(SlowDriver, CommandKeysActWithinOneReplyAndPiledUpKeysAreReadAtOnce) {
    // ringeye's first cycle starts at 0 with one request every kReplyMs; the Tallyer asks at 0,
    // 2900 (a second after its first reply) and so on.
    const Interruption cases[] = {
        {"ringeye: Esc in the middle of a cycle",
         true,
         {{3000, "\x1b"}},
         0,
         nullptr,
         3000 + kReplyMs},
        {"ringeye: a screen key abandons the cycle and enters its screen",
         true,
         {{3000, "2"}},
         2 * kReplyMs + kRingeyeCycleRequests * kReplyMs + 100,
         [](SlowRun& run) { return run.h.Cells(0, 35, 8) == "SMT Data"; },
         kNeverMs},
        {"Tallyer: xyz then Esc during one request",
         false,
         {{3000, "xyz"}, {3100, "\x1b"}},
         0,
         nullptr,
         3000 + kReplyMs},
        {"Tallyer: three keys that ask for a refresh make one",
         false,
         {{3000, "xyz"}},
         // after the reply at 4800 one refresh (4800-6700), then the usual second's wait
         7000,
         [](SlowRun& run) { return run.slow.Requests() == 3; },
         kNeverMs},
    };
    for (const Interruption& interruption : cases) {
        SCOPED_TRACE(interruption.name);
        SlowRun run;
        for (const auto& typed : interruption.keys)
            run.h.KeysAt(typed.first, typed.second);
        bool held = interruption.holds == nullptr;
        if (interruption.holds) {
            run.h.At(interruption.checkAtMs, [&] { held = interruption.holds(run); });
        }
        const uint64_t exitAtMs =
            interruption.endsByMs == kNeverMs ? interruption.checkAtMs + 1 : kNeverMs;
        if (interruption.ringeye) {
            run.h.RunRingeye(exitAtMs);
        } else {
            run.h.RunTallyer(exitAtMs);
        }
        EXPECT_TRUE(held);
        if (interruption.endsByMs != kNeverMs) {
            EXPECT_LE(run.h.clock.NowMs(), interruption.endsByMs);
        }
    }
}

}  // namespace
