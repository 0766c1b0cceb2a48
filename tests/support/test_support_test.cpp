// The helpers other tests build on: they must clean up after themselves.
#include "tests/support/test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32_on_linux/in_process_device.h"
#include "platform/win32_on_linux/win32.h"
#include "platform/wire/device_handler.h"

namespace {

class SilentHandler : public wire::DeviceHandler {
  public:
    uint32_t Serve(uint32_t, const uint8_t*, uint32_t, uint8_t*, uint32_t,
                   uint32_t* answerLength) override {
        *answerLength = 0;
        return 0;
    }
};

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

TEST(TempRuntimeDirTest, SetsRestoresAndRemoves) {
    test_support::TempRuntimeDir restoresEnvironment;
    for (const char* previous : {static_cast<const char*>(nullptr), "/run/user/4242"}) {
        SCOPED_TRACE(previous ? previous : "(unset)");
        if (previous) {
            setenv("XDG_RUNTIME_DIR", previous, 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        std::string made;
        {
            test_support::TempRuntimeDir runtimeDir;
            made = runtimeDir.Path();
            EXPECT_STREQ(std::getenv("XDG_RUNTIME_DIR"), made.c_str());
            EXPECT_TRUE(Exists(made));
            test_support::LeaveStaleSocket("leftover");
            EXPECT_TRUE(Exists(made + "/leftover"));
        }
        EXPECT_FALSE(Exists(made));
        const char* restored = std::getenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(restored ? std::string(restored) : "(unset)", previous ? previous : "(unset)");
    }
}

TEST(CountOpenFdsTest, SeesOneMoreDescriptor) {
    int before = test_support::CountOpenFds();
    int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(test_support::CountOpenFds(), before + 1);
    close(fd);
    EXPECT_EQ(test_support::CountOpenFds(), before);
}

// A driver torn down while clients are still connected, one of them on a stalled request, stops
// at once and takes its descriptors and its socket file with it; the clients then see a
// disconnected device.
TEST(ScriptedSocketDriverTest, ShutsDownCleanlyWithClientsConnected) {
    test_support::TempRuntimeDir runtimeDir;
    SilentHandler handler;
    int fdsBefore = test_support::CountOpenFds();
    std::string socketPath;
    HANDLE idle;
    HANDLE stalled;
    {
        test_support::ScriptedSocketDriver driver("qd4682", &handler);
        socketPath = driver.SocketPath();
        EXPECT_TRUE(Exists(socketPath));
        idle = CreateFileA("\\\\.\\qd4682", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        stalled = CreateFileA("\\\\.\\qd4682", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(idle, INVALID_HANDLE_VALUE);
        ASSERT_NE(stalled, INVALID_HANDLE_VALUE);
        driver.InjectFault(test_support::DriverFault::kStall);
        uint8_t buffer[4] = {};
        DWORD count = 0;
        // The stalled request waits its full limit, then gives up; the driver keeps the
        // connection.
        platform::SetReplyTimeoutMs(50);
        EXPECT_FALSE(DeviceIoControl(stalled, 1, buffer, 4, buffer, 4, &count, nullptr));
        platform::SetReplyTimeoutMs(2000);
    }
    EXPECT_FALSE(Exists(socketPath));
    uint8_t buffer[4] = {};
    DWORD count = 0;
    EXPECT_FALSE(DeviceIoControl(idle, 1, buffer, 4, buffer, 4, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    CloseHandle(idle);
    CloseHandle(stalled);
    EXPECT_EQ(test_support::CountOpenFds(), fdsBefore);
}

}  // namespace
