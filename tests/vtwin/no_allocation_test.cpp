// After the windows are made, drawing, refreshing, updating and reading keys must not touch the
// heap: the programs run these in their refresh loops for as long as they live. Every allocation
// of this test program is counted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "platform/clock.h"
#include "platform/vtwin/headless_display.h"
#include "platform/vtwin/vtwin.h"
#include "platform/vtwin/window.h"

namespace {
long allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

TEST(RefreshLoop, DrawsAndShowsWithoutAllocating) {
    platform::VirtualClock clock;
    vtwin::HeadlessDisplay display(&clock);
    vtwin::SetDisplay(&display);
    platform::SetClock(&clock);
    VtHandle mainWindow = nullptr;
    ASSERT_NE(vtOpenMain(nullptr, nullptr, 0, "loop", &mainWindow, 26, 84, "Courier", 7), 0);
    VtHandle pad = vtNewPad(42, 80);
    vtStartInput();
    mainWindow->WindowOptions |= kVtHideCursor | kVtNoWait;
    vtStartKeys();
    display.PushKey('x');

    long before = allocations;
    for (int cycle = 0; cycle < 50; ++cycle) {
        vtErase(pad);
        vtMove(pad, 5, 0);
        vtPrintf(pad, "counter %12lu %s", static_cast<unsigned long>(cycle), "value\n");
        vtMove(mainWindow, 0, 0);
        vtPutChar(mainWindow, "\\|/-"[cycle % 4]);
        vtPrintAt(1, 0, "\n");
        vtBox(pad, '*', '*');
        vtShowPad(pad, 0, 0, 0, 0, 4, 79);
        vtShowPad(pad, 22, 0, 5, 0, 21, 79);
        vtShowPad(pad, 40, 0, 22, 0, 23, 79);
        vtUpdate();
        vtRefresh(mainWindow);
        vtWaitKey(mainWindow, 10);
        vtGetKey(mainWindow);
    }
    EXPECT_EQ(allocations - before, 0);

    vtEnd();
    vtwin::SetDisplay(nullptr);
    platform::SetClock(nullptr);
}

}  // namespace
