// Times one refresh cycle of each monitor, the way the loop runs it between two waits: every
// device request of the cycle, the painting and the showing (on the headless display). In
// process, the station answers from inside this process with no socket; over the socket, the
// stand-in driver serves it from a process of its own, as in real use.
//
//   refresh_bench [Google Benchmark flags] QD4682SIM [its options]
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/driver_process.h"
#include "bench/replay_station.h"
#include "platform/vtwin/headless_display.h"
#include "platform/vtwin/vtwin.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "ringeye/monitor_state.h"
#include "ringeye/ringeye_main.h"
#include "simulator/station_driver.h"
#include "smtmib/fetch_list.h"
#include "smtmib/smt_retrieval.h"
#include "tallyer/tallyer_main.h"
#include "tests/support/temp_runtime_dir.h"

namespace {

constexpr char kDeviceName[] = "qd4682";

DriverProcess* simulator = nullptr;

// Where the requests go for one benchmark: inside this process, the simulator's station whose
// answers are replayed after the first time, or the simulator's socket.
class DeviceChoice {
  public:
    explicit DeviceChoice(bool inProcess) {
        if (inProcess) platform::RegisterInProcessDevice(kDeviceName, &replay_);
    }
    ~DeviceChoice() { platform::RegisterInProcessDevice(kDeviceName, nullptr); }

  private:
    sim::StationDriver station_{sim::DriverConfig{}, platform::CurrentClock()};
    ReplayStation replay_{station_};
};

class HeadlessRun {
  public:
    HeadlessRun() { vtwin::SetDisplay(&display_); }
    ~HeadlessRun() {
        vtEnd();
        vtwin::SetDisplay(nullptr);
    }
    // True when the screen shows a failure report instead of values.
    bool ShowsFailure() const {
        for (int row = 0; row < 3; ++row) {
            const std::string text = display_.Row(row);
            if (text.find("rror") != std::string::npos ||
                text.find("Failed") != std::string::npos) {
                return true;
            }
        }
        return false;
    }

  private:
    vtwin::HeadlessDisplay display_;
};

bool Ready(benchmark::State& state, bool inProcess) {
    if (inProcess || (simulator && simulator->Serving())) return true;
    state.SkipWithError("qd4682sim is not serving");
    return false;
}

// The cycle's requests: the MAC configuration, the version and the port count, then the fetch
// list entries within the port count.
int RingeyeRequestsPerCycle() {
    int requests = 3;
    for (const FetchRequest* entry = FetchList; entry->code != 0; ++entry) {
        if (entry->index <= Monitor.station.PortCount) ++requests;
    }
    return requests;
}

void RingeyeCycle(benchmark::State& state, bool inProcess) {
    if (!Ready(state, inProcess)) return;
    DeviceChoice device(inProcess);
    HeadlessRun run;
    RingeyeStartUp(nullptr, nullptr, 0);
    EnterScreen(static_cast<int>(state.range(0)));
    RefreshScreen();
    for (auto _ : state)
        RefreshScreen();
    if (run.ShowsFailure()) state.SkipWithError("the cycles failed");
    state.counters["requests"] = RingeyeRequestsPerCycle();
    state.SetItemsProcessed(state.iterations() * RingeyeRequestsPerCycle());
    Shutdown();
}

void TallyerCycle(benchmark::State& state, bool inProcess) {
    if (!Ready(state, inProcess)) return;
    DeviceChoice device(inProcess);
    HeadlessRun run;
    TallyerStartUp(nullptr, nullptr, 0);
    TallyerRefresh();
    for (auto _ : state)
        TallyerRefresh();
    if (run.ShowsFailure()) state.SkipWithError("the cycles failed");
    state.counters["requests"] = 1;
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(RingeyeCycle, in_process, true)->DenseRange(1, 7)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(TallyerCycle, in_process, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RingeyeCycle, socket, false)->DenseRange(1, 7)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(TallyerCycle, socket, false)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    test_support::TempRuntimeDir runtimeDir;
    std::unique_ptr<DriverProcess> driver;
    if (argc > 1) {
        driver = std::make_unique<DriverProcess>(argv[1],
                                                 std::vector<std::string>(argv + 2, argv + argc));
        simulator = driver.get();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
