// lstrcpyA, Sleep and the per-thread last error.
#include <thread>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/win32_on_linux/win32.h"
#include "tests/device/device_call.h"

namespace {

TEST(Win32HelpersTest, LstrcpyCopiesTheWholeString) {
    char path[16];
    EXPECT_EQ(lstrcpyA(path, "\\\\.\\qd4682"), path);
    EXPECT_STREQ(path, "\\\\.\\qd4682");
    EXPECT_EQ(lstrcpyA(nullptr, "x"), nullptr);
    EXPECT_EQ(lstrcpyA(path, nullptr), nullptr);
    EXPECT_STREQ(path, "\\\\.\\qd4682");
}

TEST(Win32HelpersTest, SleepGoesThroughTheCurrentClock) {
    platform::VirtualClock clock;
    bool eventRan = false;
    clock.At(1500, [&] { eventRan = true; });
    platform::SetClock(&clock);
    Sleep(1000);
    EXPECT_EQ(clock.NowMs(), 1000u);
    EXPECT_FALSE(eventRan);
    Sleep(1000);
    EXPECT_TRUE(eventRan);
    EXPECT_EQ(clock.NowMs(), 2000u);
    platform::SetClock(nullptr);
}

TEST(Win32HelpersTest, LastErrorBelongsToTheThread) {
    OpenDevice("no device");
    DWORD otherThreadsError = 0;
    std::thread other([&] {
        CloseHandle(nullptr);
        otherThreadsError = GetLastError();
    });
    other.join();
    EXPECT_EQ(otherThreadsError, ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

}  // namespace
