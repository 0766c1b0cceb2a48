// The monitors run for hours, so a refresh cycle must not touch the heap: not the device calls
// over the socket, not the painting, not the display. Every allocation of this program is
// counted (allocation_counter.h), but only on the monitor's thread, not on the driver's.
// bench/run reads the counts this test prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/win32_on_linux/in_process_device.h"
#include "platform/win32_on_linux/socket_transport.h"
#include "simulator/station_driver.h"
#include "tests/harness/monitor_harness.h"
#include "tests/robustness/allocation_counter.h"
#include "tests/support/test_support.h"

namespace {

constexpr int kCycles = 1000;
constexpr uint64_t kCycleMs = 1000;      // both monitors refresh once a second by default
constexpr uint64_t kCountFromMs = 2500;  // start-up and the first screen are behind us
constexpr int kRingeyeRequestsPerCycle = 26;
constexpr int kPatientLimitMs = 60000;

// Runs a monitor against the simulator's station, served on the device socket by a driver
// thread and living on the run's virtual clock, and counts the allocations of kCycles refresh
// periods from kCountFromMs on.
struct SteadyRun {
    MonitorHarness h;
    sim::StationDriver station{sim::DriverConfig{}, h.clock};
    std::unique_ptr<test_support::ScriptedSocketDriver> driver;
    long allocations = -1;
    int requests = 0;
    std::string lastRows;  // rows 0 to 3 as the last counted cycle left them

    SteadyRun() {
        h.SetDevicePresent(false);  // the station answers on the socket only
        // The limits are real time: a loaded machine must not turn a slow open or a slow answer
        // into a failure.
        platform::SetOpenTimeoutMs(kPatientLimitMs);
        platform::SetReplyTimeoutMs(kPatientLimitMs);
        driver = std::make_unique<test_support::ScriptedSocketDriver>("qd4682", &station);
        h.At(kCountFromMs, [this] {
            requests = -driver->RequestsAnswered();
            allocations = -alloc_count::Count();
            alloc_count::Resume();
        });
        h.At(EndMs(), [this] {
            alloc_count::Pause();
            allocations += alloc_count::Count();
            requests += driver->RequestsAnswered();
            for (int row = 0; row < 4; ++row)
                lastRows += h.Row(row) + "\n";
        });
    }
    ~SteadyRun() {
        platform::SetOpenTimeoutMs(platform::device::kDefaultOpenTimeoutMs);
        platform::SetReplyTimeoutMs(platform::device::kDefaultReplyTimeoutMs);
    }
    uint64_t EndMs() const { return kCountFromMs + kCycles * kCycleMs; }
    void KeyAt(uint64_t ms, int key) {
        h.At(ms, [this, key] {
            alloc_count::Paused testCode;
            h.display.PushKey(key);
        });
    }
    // The last cycle painted values rather than a failure report.
    bool EndedWell() const {
        return lastRows.find("rror") == std::string::npos &&
               lastRows.find("Failed") == std::string::npos;
    }
};

// Where the allocations below go, so that the compiler cannot leave them out.
const void* volatile escaped;

// The zero counts below mean something only if the counter sees C++ and C allocations alike.
TEST(SteadyLoops, CounterSeesEveryKindOfAllocation) {
    const long before = alloc_count::Count();
    alloc_count::Resume();
    std::unique_ptr<int> object = std::make_unique<int>(1);
    escaped = object.get();
    void* block = std::malloc(64);
    escaped = block;
    std::string text(100, 'x');
    escaped = text.data();
    alloc_count::Pause();
    std::free(block);
    void* uncounted = std::malloc(64);
    escaped = uncounted;
    std::free(uncounted);
    EXPECT_EQ(alloc_count::Count() - before, 3);
}

TEST(SteadyLoops, RingeyeCyclesThroughEveryScreenWithoutAllocating) {
    SteadyRun run;
    // Every screen in turn, each page of the last, all inside the counted stretch.
    const char keys[] = "234567 1";
    const uint64_t stretch = kCycles * kCycleMs / sizeof keys;
    for (size_t i = 0; i + 1 < sizeof keys; ++i) {
        run.KeyAt(kCountFromMs + (i + 1) * stretch + kCycleMs / 2, keys[i]);
    }
    run.h.RunRingeye(run.EndMs() + kCycleMs / 2);
    std::printf("ringeye: %d requests in %d cycles, %ld allocations\n", run.requests, kCycles,
                run.allocations);
    EXPECT_GE(run.requests, kCycles * kRingeyeRequestsPerCycle);
    EXPECT_TRUE(run.EndedWell()) << run.lastRows;
    EXPECT_EQ(run.allocations, 0);
}

TEST(SteadyLoops, TallyerRefreshesWithoutAllocating) {
    SteadyRun run;
    run.KeyAt(kCountFromMs + kCycles * kCycleMs / 2, 'x');  // a key that only refreshes
    run.h.RunTallyer(run.EndMs() + kCycleMs / 2);
    std::printf("Tallyer: %d requests in %d cycles, %ld allocations\n", run.requests, kCycles,
                run.allocations);
    EXPECT_GE(run.requests, kCycles);
    EXPECT_TRUE(run.EndedWell()) << run.lastRows;
    EXPECT_EQ(run.allocations, 0);
}

}  // namespace
