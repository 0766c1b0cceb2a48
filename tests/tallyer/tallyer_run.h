// Runs the statistics monitor once inside a test.
#pragma once

#include <cstdint>

#include "platform/vtwin/vtwin.h"
#include "tests/harness/monitor_harness.h"

// The monitor returns with the window library still open, as a process does just before it
// ends. The test ends the library's use in its place, so that the next run can open it again and
// the library keeps no pointer to this harness's display.
inline int RunTallyerOnce(MonitorHarness& harness, uint64_t exitAtMs) {
    const int status = harness.RunTallyer(exitAtMs);
    vtEnd();
    return status;
}
