// Which paths name a device, where its socket lives and whom we accept as its driver.
#include "platform/wire/device_path.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/win32_on_linux/in_process_device.h"
#include "platform/win32_on_linux/win32.h"
#include "tests/device/device_call.h"
#include "tests/support/temp_runtime_dir.h"

namespace {

TEST(DevicePathTest, OpenJudgesThePath) {
    test_support::TempRuntimeDir runtimeDir;  // no driver in it: a good path ends in "not found"
    const std::string longest = "\\\\.\\" + std::string(64, 'n');
    const std::string tooLong = "\\\\.\\" + std::string(65, 'n');
    struct Case {
        const char* path;
        DWORD error;
    } cases[] = {
        {nullptr, ERROR_INVALID_NAME},
        {"", ERROR_INVALID_NAME},
        {"qd4682", ERROR_INVALID_NAME},
        {"\\\\.\\", ERROR_INVALID_NAME},
        {tooLong.c_str(), ERROR_INVALID_NAME},
        {"\\\\.\\a/b", ERROR_INVALID_NAME},
        {"\\\\.\\a b", ERROR_INVALID_NAME},
        {"\\\\.\\..", ERROR_INVALID_NAME},
        {"\\\\.\\qd4682\\x", ERROR_INVALID_NAME},
        {"\\\\?\\qd4682", ERROR_INVALID_NAME},
        {"//./qd4682", ERROR_INVALID_NAME},
        {"\\\\.\\qd\xe9", ERROR_INVALID_NAME},
        {longest.c_str(), ERROR_FILE_NOT_FOUND},
        {"\\\\.\\a", ERROR_FILE_NOT_FOUND},
        {"\\\\.\\Az_09-", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "(null)");
        EXPECT_EQ(OpenDevice(c.path), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(platform::OpenDeviceHandleCount(), 0);
}

TEST(DevicePathTest, SocketPlace) {
    const std::string longDir = "/" + std::string(100, 'd');
    struct Case {
        const char* runtimeDir;
        const char* path;  // nullptr: no usable path
    } cases[] = {
        {"/run/user/1000", "/run/user/1000/qd4682"},
        {"/run/user/1000/", "/run/user/1000/qd4682"},
        {"/", "/qd4682"},
        {nullptr, "/tmp/qd4682-1000/qd4682"},
        {"", "/tmp/qd4682-1000/qd4682"},
        {"run/user/1000", "/tmp/qd4682-1000/qd4682"},
        {longDir.c_str(), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runtimeDir ? c.runtimeDir : "(unset)");
        platform::SocketPath path;
        EXPECT_EQ(platform::DeviceSocketPathFor("qd4682", c.runtimeDir, 1000, path),
                  c.path != nullptr);
        EXPECT_STREQ(path, c.path ? c.path : "");
    }
    platform::SocketPath path;
    EXPECT_FALSE(platform::DeviceSocketPathFor("../etc", "/run", 1000, path));
}

TEST(DevicePathTest, OnlyRootOrOurselvesMayServe) {
    EXPECT_TRUE(platform::PeerUidAllowed(0, 1000));
    EXPECT_TRUE(platform::PeerUidAllowed(1000, 1000));
    EXPECT_TRUE(platform::PeerUidAllowed(0, 0));
    EXPECT_FALSE(platform::PeerUidAllowed(1001, 1000));
    EXPECT_FALSE(platform::PeerUidAllowed(1000, 0));
}

}  // namespace
