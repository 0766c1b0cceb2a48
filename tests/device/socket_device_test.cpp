// The device calls against a fake driver on the device socket.
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/in_process_device.h"
#include "platform/win32/win32.h"
#include "tests/device/canned_handler.h"
#include "tests/device/device_call.h"
#include "tests/support/test_support.h"

namespace {

using test_support::DriverFault;

constexpr char kPath[] = "\\\\.\\qd4682";

class SocketDeviceTest : public ::testing::Test {
  protected:
    void TearDown() override { platform::SetReplyTimeoutMs(2000); }

    test_support::TempRuntimeDir runtimeDir;
    CannedHandler handler;
    test_support::ScriptedSocketDriver driver{"qd4682", &handler};
};

enum class Setup { kNone, kHandlerStatus, kHandlerOverclaims, kFault };

struct ReplyCase {
    const char* name;
    Setup setup;
    DriverFault fault;
    DWORD expectedError;  // 0: the request succeeds
    bool handleUsableAfter;
};

const ReplyCase kReplyCases[] = {
    {"short answer", Setup::kNone, DriverFault::kStall, 0, true},
    {"handler status", Setup::kHandlerStatus, DriverFault::kStall, 0x1F, true},
    {"injected status", Setup::kFault, DriverFault::kErrorStatus, 31, true},
    {"short reply", Setup::kFault, DriverFault::kShortReply, ERROR_DEVICE_NOT_CONNECTED, false},
    {"close mid-reply", Setup::kFault, DriverFault::kCloseMidReply, ERROR_DEVICE_NOT_CONNECTED,
     false},
    {"count above output", Setup::kFault, DriverFault::kCountAboveOutput, ERROR_INVALID_DATA,
     false},
    {"handler claims too much", Setup::kHandlerOverclaims, DriverFault::kStall, ERROR_INVALID_DATA,
     false},
    {"no reply in time", Setup::kFault, DriverFault::kStall, ERROR_SEM_TIMEOUT, false},
};

TEST_F(SocketDeviceTest, RepliesAndFaults) {
    platform::SetReplyTimeoutMs(100);
    const std::vector<uint8_t> answer = {1, 2, 3, 4};
    for (const ReplyCase& c : kReplyCases) {
        SCOPED_TRACE(c.name);
        handler = CannedHandler();
        handler.answer = answer;
        handler.scribbleWholeOutput = true;
        if (c.setup == Setup::kHandlerStatus) handler.status = 0x1F;
        if (c.setup == Setup::kHandlerOverclaims) handler.claimedLength = 17;
        if (c.setup == Setup::kFault) driver.InjectFault(c.fault);

        HANDLE device = OpenDevice(kPath);
        ASSERT_NE(device, INVALID_HANDLE_VALUE);
        CallResult result = RequestOn(device, {9, 8, 7}, 16);

        std::vector<uint8_t> expected(16, kUntouched);
        if (c.expectedError == 0) {
            std::copy(answer.begin(), answer.end(), expected.begin());
            EXPECT_TRUE(result.ok);
            EXPECT_EQ(result.bytesReturned, 4u);
        } else {
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(result.error, c.expectedError);
            EXPECT_EQ(result.bytesReturned, 0u);
        }
        EXPECT_EQ(result.output, expected);

        // A connection that lost step with the driver refuses further requests without sending.
        int receivedBefore = driver.RequestsReceived();
        CallResult again = RequestOn(device, {1}, 16);
        if (c.handleUsableAfter) {
            EXPECT_NE(again.error, ERROR_DEVICE_NOT_CONNECTED);
            EXPECT_EQ(driver.RequestsReceived(), receivedBefore + 1);
        } else {
            EXPECT_FALSE(again.ok);
            EXPECT_EQ(again.error, ERROR_DEVICE_NOT_CONNECTED);
        }
        EXPECT_TRUE(CloseHandle(device));

        // Whatever happened, the next connection is served properly.
        handler = CannedHandler();
        handler.answer = answer;
        int receivedBeforeFresh = driver.RequestsReceived();
        EXPECT_TRUE(OpenRequestClose(kPath, {5}, 16).ok);
        EXPECT_EQ(driver.RequestsReceived(), receivedBeforeFresh + 1);
    }
    EXPECT_EQ(platform::OpenDeviceHandleCount(), 0);
}

TEST_F(SocketDeviceTest, SendsTheRequestAsGiven) {
    handler.answer = {0xAA};
    EXPECT_TRUE(OpenRequestClose(kPath, {1, 2, 3, 4, 5}, 2064).ok);
    EXPECT_EQ(handler.lastControlCode, kControlCode);
    EXPECT_EQ(handler.lastInput, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(handler.lastOutputLength, 2064u);
}

TEST_F(SocketDeviceTest, LengthsAboveTheLimitSendNothing) {
    const uint32_t kTooLong = 65537;
    EXPECT_EQ(OpenRequestClose(kPath, std::vector<uint8_t>(kTooLong), 16).error,
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(OpenRequestClose(kPath, {1}, kTooLong).error, ERROR_INVALID_PARAMETER);

    HANDLE device = OpenDevice(kPath);
    DWORD count = 7;
    EXPECT_FALSE(DeviceIoControl(device, kControlCode, nullptr, 4, nullptr, 0, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(count, 0u);
    CloseHandle(device);

    // The largest lengths pass, and the driver saw exactly this one request.
    EXPECT_TRUE(OpenRequestClose(kPath, std::vector<uint8_t>(65536, 3), 65536).ok);
    EXPECT_EQ(driver.RequestsReceived(), 1);
    EXPECT_EQ(driver.BytesReceived(), 12u + 65536u);
}

TEST_F(SocketDeviceTest, OneConnectionCarriesManyRequests) {
    handler.echoReversed = true;
    HANDLE device = OpenDevice(kPath);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    for (uint8_t i = 0; i < 5; ++i) {
        handler.status = i == 2 ? 0x1F : 0;  // a refused request does not spoil the connection
        CallResult result = RequestOn(device, {i, uint8_t(i + 10)}, 4);
        if (i == 2) {
            EXPECT_EQ(result.error, 0x1Fu);
            continue;
        }
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.output,
                  (std::vector<uint8_t>{uint8_t(i + 10), i, kUntouched, kUntouched}));
    }
    CloseHandle(device);
    EXPECT_EQ(driver.ConnectionsAccepted(), 1);
    EXPECT_EQ(driver.RequestsReceived(), 5);
    EXPECT_EQ(driver.RequestsAnswered(), 5);
}

TEST_F(SocketDeviceTest, OneBufferForInputAndOutput) {
    handler.echoReversed = true;
    uint8_t buffer[6] = {1, 2, 3, 4, 5, 6};
    DWORD count = 0;
    HANDLE device = OpenDevice(kPath);
    EXPECT_TRUE(DeviceIoControl(device, kControlCode, buffer, 4, buffer, 6, &count, nullptr));
    CloseHandle(device);
    EXPECT_EQ(handler.lastInput, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 6), (std::vector<uint8_t>{4, 3, 2, 1, 5, 6}));
    EXPECT_EQ(count, 4u);
}

TEST_F(SocketDeviceTest, MissingDriverIsFileNotFound) {
    EXPECT_EQ(OpenRequestClose("\\\\.\\absent", {}, 0).error, ERROR_FILE_NOT_FOUND);
    test_support::LeaveStaleSocket("crashed");
    EXPECT_EQ(OpenRequestClose("\\\\.\\crashed", {}, 0).error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(platform::OpenDeviceHandleCount(), 0);
}

// Both ends find the socket in the same place: in XDG_RUNTIME_DIR when that is an absolute path,
// otherwise at /tmp/NAME-UID.
TEST(SocketPlaceTest, DriverAndCallsAgree) {
    test_support::TempRuntimeDir runtimeDir;
    const std::string name = "devtest-" + std::to_string(getpid());
    const std::string inTmp = "/tmp/" + name + "-" + std::to_string(getuid());
    const std::string path = "\\\\.\\" + name;
    struct Case {
        const char* runtimeDir;  // nullptr: unset
        std::string socket;
    } cases[] = {
        {runtimeDir.Path().c_str(), runtimeDir.Path() + "/" + name},
        {nullptr, inTmp},
        {"", inTmp},
        {"relative/dir", inTmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runtimeDir ? c.runtimeDir : "(unset)");
        if (c.runtimeDir) {
            setenv("XDG_RUNTIME_DIR", c.runtimeDir, 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        CannedHandler handler;
        test_support::ScriptedSocketDriver driver(name.c_str(), &handler);
        EXPECT_EQ(driver.SocketPath(), c.socket);
        EXPECT_TRUE(OpenRequestClose(path.c_str(), {1}, 4).ok);
    }
}

}  // namespace
