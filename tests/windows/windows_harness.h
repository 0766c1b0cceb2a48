// Runs a monitor's real program entry inside a Windows test program, as tests/harness does on
// Linux: the library's in-process copy on a headless display, a virtual clock, and a fake
// station served through the test device layer (in_process_device.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/vtwin/headless_display.h"
#include "tests/harness/fake_station.h"
#include "tests/windows/in_process_device.h"

class WindowsHarness {
  public:
    WindowsHarness();
    ~WindowsHarness();

    platform::VirtualClock clock;
    vtwin::HeadlessDisplay display{&clock};
    FakeStation station;
    InProcessDevice device{&station};

    void At(uint64_t ms, std::function<void()> event) { clock.At(ms, std::move(event)); }
    void KeyAt(uint64_t ms, int key);
    void KeysAt(uint64_t ms, const std::string& keys);

    std::string Row(int row) const { return display.Row(row); }
    std::string Cells(int row, int column, int length) const {
        return display.Cells(row, column, length);
    }
    std::vector<std::string> Rows(int first, int last) const;

    // Runs a monitor through its entry; an Esc at `exitAtMs` ends every run.
    int RunRingeye(uint64_t exitAtMs);
    int RunTallyer(uint64_t exitAtMs);
};
