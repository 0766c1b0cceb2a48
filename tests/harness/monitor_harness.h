// Runs the station monitor's real program entry inside the test process: a headless display,
// a virtual clock and a fake station served as an in-process device. Tests schedule keys,
// station changes and screen checks at virtual times, then run the program to its end.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/vtwin/headless_display.h"
#include "tests/harness/fake_station.h"
#include "tests/support/temp_runtime_dir.h"

class MonitorHarness;

// The middle region of a screen on both of its pages, and the first cells of its title.
struct ScreenPages {
    std::vector<std::string> first, second;
    std::string title;
};

// Runs ringeye: enters screen `screenKey` at 100 ms, takes its first page (screen rows 5 to 21)
// and `titleLength` cells of the title, turns to the second page at 300 ms, takes it, and ends.
ScreenPages ShowBothPages(MonitorHarness& h, char screenKey, int titleLength);

class MonitorHarness {
  public:
    MonitorHarness();
    ~MonitorHarness();

    // First, so that no device socket outside the test is ever reached.
    test_support::TempRuntimeDir runtimeDir;
    platform::VirtualClock clock;
    vtwin::HeadlessDisplay display{&clock};
    FakeStation station;

    void At(uint64_t ms, std::function<void()> event) { clock.At(ms, std::move(event)); }
    void KeyAt(uint64_t ms, int key);
    void KeysAt(uint64_t ms, const std::string& keys);
    // Takes the station off the device (opens fail) or puts it back.
    void SetDevicePresent(bool present);

    // The shown screen row, and `length` cells of it from `column`.
    std::string Row(int row) const { return display.Row(row); }
    std::string Cells(int row, int column, int length) const {
        return display.Cells(row, column, length);
    }
    // Shown rows first..last.
    std::vector<std::string> Rows(int first, int last) const;

    // Runs the station monitor; an Esc is scheduled at `exitAtMs` so the run always ends.
    int RunRingeye(uint64_t exitAtMs);
    // Runs the statistics monitor the same way.
    int RunTallyer(uint64_t exitAtMs);
};
