#include "tests/windows/windows_harness.h"

#include "platform/vtwin/vtwin.h"
#include "ringeye/ringeye_main.h"
#include "tallyer/tallyer_main.h"

WindowsHarness::WindowsHarness() {
    platform::SetClock(&clock);
    vtwin::SetDisplay(&display);
}

WindowsHarness::~WindowsHarness() {
    // The Tallyer leaves the library open, as a process that ends right after may.
    vtEnd();
    vtwin::SetDisplay(nullptr);
    platform::SetClock(nullptr);
}

void WindowsHarness::KeyAt(uint64_t ms, int key) {
    clock.At(ms, [this, key] { display.PushKey(key); });
}

void WindowsHarness::KeysAt(uint64_t ms, const std::string& keys) {
    clock.At(ms, [this, keys] { display.PushKeys(keys); });
}

std::vector<std::string> WindowsHarness::Rows(int first, int last) const {
    std::vector<std::string> rows;
    for (int row = first; row <= last; ++row)
        rows.push_back(display.Row(row));
    return rows;
}

int WindowsHarness::RunRingeye(uint64_t exitAtMs) {
    KeyAt(exitAtMs, 27);
    return RingeyeMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}

int WindowsHarness::RunTallyer(uint64_t exitAtMs) {
    KeyAt(exitAtMs, 27);
    return TallyerMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
