#include "tallyer/tallyer_main.h"
#include "tests/harness/monitor_harness.h"

int MonitorHarness::RunTallyer(uint64_t exitAtMs) {
    KeyAt(exitAtMs, 27);
    return TallyerMain(nullptr, nullptr, nullptr, 0);
}
