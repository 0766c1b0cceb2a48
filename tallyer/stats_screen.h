// The driver's statistics record and the screen that shows its 36 counters.
#pragma once

#include <cstdint>

#include "platform/vtwin/vtwin.h"

namespace tallyer {

extern VtHandle MainWindow;

// 37 words in host byte order, exchanged in place with the driver. Word 0 carries the device
// instance in the request and the first counter in the answer; word 36 is not shown.
constexpr int kStatsWords = 37;
struct DriverStatsRecord {
    uint32_t words[kStatsWords];
};
static_assert(sizeof(DriverStatsRecord) == 148, "the driver's statistics record is 148 bytes");

extern const char CommandBar[];

// Writes the command bar, blanks row 1, and draws the headings and the 36 counter lines. An
// error counter that rose since the previous call, for the same device instance, is marked as
// trouble until the next call.
void PaintStatistics(const DriverStatsRecord& record);
// Forgets the previous counters, as at process start: the next call marks nothing.
void ForgetCounterReadings();

}  // namespace tallyer
