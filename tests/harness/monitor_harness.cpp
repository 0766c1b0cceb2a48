#include "tests/harness/monitor_harness.h"

#include "platform/vtwin/vtwin.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "ringeye/ringeye_main.h"

namespace {
constexpr char kDeviceName[] = "qd4682";
}

MonitorHarness::MonitorHarness() {
    platform::SetClock(&clock);
    vtwin::SetDisplay(&display);
    platform::RegisterInProcessDevice(kDeviceName, &station);
}

MonitorHarness::~MonitorHarness() {
    // The Tallyer leaves the library open, as a process that exits right after may.
    vtEnd();
    platform::RegisterInProcessDevice(kDeviceName, nullptr);
    vtwin::SetDisplay(nullptr);
    platform::SetClock(nullptr);
}

void MonitorHarness::KeyAt(uint64_t ms, int key) {
    clock.At(ms, [this, key] { display.PushKey(key); });
}

void MonitorHarness::KeysAt(uint64_t ms, const std::string& keys) {
    clock.At(ms, [this, keys] { display.PushKeys(keys); });
}

void MonitorHarness::SetDevicePresent(bool present) {
    platform::RegisterInProcessDevice(kDeviceName, present ? &station : nullptr);
}

std::vector<std::string> MonitorHarness::Rows(int first, int last) const {
    std::vector<std::string> rows;
    for (int row = first; row <= last; ++row)
        rows.push_back(display.Row(row));
    return rows;
}

int MonitorHarness::RunRingeye(uint64_t exitAtMs) {
    KeyAt(exitAtMs, 27);
    return RingeyeMain(nullptr, nullptr, nullptr, 0);
}

ScreenPages ShowBothPages(MonitorHarness& h, char screenKey, int titleLength) {
    ScreenPages pages;
    h.KeyAt(100, screenKey);
    h.At(200, [&] {
        pages.first = h.Rows(5, 21);
        pages.title = h.Cells(0, 35, titleLength);
    });
    h.KeyAt(300, ' ');
    h.At(400, [&] { pages.second = h.Rows(5, 21); });
    h.RunRingeye(500);
    return pages;
}
