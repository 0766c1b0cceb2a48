// A simulated day of the `wrap` scenario watched at 1 s, on a virtual clock, through the
// agent's own cache, journal and outputs (standard error lines and a JSON Lines file): the heap
// it grows by and the allocations the agent's side makes. The in-process driver's own work is
// not counted. Prints tab-separated rows: figure, value, goal.
//
//   watch_day EVENT_LOG 2>/dev/null
#include <malloc.h>

#include <cstdio>

#include "platform/clock.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "ringagent/journal_outputs.h"
#include "ringagent/station_journal.h"
#include "simulator/station_driver.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);

namespace {

bool Counting = false;
unsigned long long Allocations = 0;

// The driver answers inside the agent's fetch; what it allocates is the simulator's.
class UncountedDriver : public wire::DeviceHandler {
  public:
    explicit UncountedDriver(sim::StationDriver& driver) : driver_(driver) {}
    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override {
        const bool was = Counting;
        Counting = false;
        const uint32_t status =
            driver_.Serve(controlCode, input, inputLength, output, outputLength, answerLength);
        Counting = was;
        return status;
    }

  private:
    sim::StationDriver& driver_;
};

// Counts entries on their way to the real outputs.
class CountingSink : public EntrySink {
  public:
    explicit CountingSink(EntrySink& next) : next_(next) {}
    void Write(const JournalEntry& entry) override {
        ++entries;
        next_.Write(entry);
    }
    unsigned long long entries = 0;

  private:
    EntrySink& next_;
};

}  // namespace

extern "C" void* malloc(size_t size) {
    if (Counting) ++Allocations;
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    if (Counting) ++Allocations;
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* pointer, size_t size) {
    if (Counting) ++Allocations;
    return __libc_realloc(pointer, size);
}

int main(int argc, char** argv) {
    const char* eventLog = argc > 1 ? argv[1] : "/dev/null";
    platform::VirtualClock clock;
    platform::SetClock(&clock);
    sim::DriverConfig config;
    config.scenario = sim::Scenario::kWrap;
    config.instances = 3;
    sim::StationDriver driver(config, clock);
    UncountedDriver device(driver);
    platform::RegisterInProcessDevice("qd4682", &device);
    JournalOutputs outputs(LogTarget::kStderr, eventLog);
    CountingSink sink(outputs);
    StationJournal journal(sink);
    StationCache cache(clock, 1000, nullptr, 3000);
    cache.SetObserver(&journal);

    constexpr int kWarmUpSeconds = 120, kDaySeconds = 86400;
    for (int second = 0; second < kWarmUpSeconds; ++second) {
        cache.FetchNow();
        clock.SleepMs(1000);
    }
    const size_t heapBefore = mallinfo2().uordblks;
    Counting = true;
    for (int second = 0; second < kDaySeconds; ++second) {
        cache.FetchNow();
        clock.SleepMs(1000);
    }
    Counting = false;
    const size_t heapAfter = mallinfo2().uordblks;
    std::printf(
        "ringagent --watch 1: heap growth over a simulated day of wrap, 3 adapters (bytes)"
        "\t%lld\t0\n",
        static_cast<long long>(heapAfter) - static_cast<long long>(heapBefore));
    std::printf(
        "ringagent --watch 1: the agent's heap allocations in that day (%llu entries)"
        "\t%llu\t0\n",
        sink.entries, Allocations);
    platform::RegisterInProcessDevice("qd4682", nullptr);
    platform::SetClock(nullptr);
    return 0;
}
