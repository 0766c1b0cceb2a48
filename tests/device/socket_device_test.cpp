// The device calls against a fake driver on the device socket.
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32_on_linux/in_process_device.h"
#include "platform/win32_on_linux/win32.h"
#include "tests/device/canned_handler.h"
#include "tests/device/device_call.h"
#include "tests/support/test_support.h"

namespace {

using test_support::DriverFault;

constexpr char kPath[] = "\\\\.\\qd4682";
constexpr int kGenerousMs = 60000;

class SocketDeviceTest : public ::testing::Test {
  protected:
    // Opens and answered requests get limits that no loaded machine comes near; a test shortens
    // the reply limit only around a request that is never answered.
    void SetUp() override {
        platform::SetOpenTimeoutMs(kGenerousMs);
        platform::SetReplyTimeoutMs(kGenerousMs);
    }
    void TearDown() override {
        platform::SetOpenTimeoutMs(2000);
        platform::SetReplyTimeoutMs(2000);
    }

    test_support::TempRuntimeDir runtimeDir;
    CannedHandler handler;
    test_support::ScriptedSocketDriver driver{"qd4682", &handler};
};

enum class Setup { kNone, kHandlerStatus, kHandlerOverclaims, kFault, kHandlerStatusAndTrailing };

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
    {"reply in pieces", Setup::kFault, DriverFault::kReplyInPieces, 0, true},
    // The reply is whole and stands; what came after it would be taken for the next reply.
    {"bytes after the reply", Setup::kFault, DriverFault::kTrailingBytes, 0, false},
    {"bytes after a refusal", Setup::kHandlerStatusAndTrailing, DriverFault::kTrailingBytes, 0x1F,
     false},
};

TEST_F(SocketDeviceTest, RepliesAndFaults) {
    const std::vector<uint8_t> answer = {1, 2, 3, 4};
    for (const ReplyCase& c : kReplyCases) {
        SCOPED_TRACE(c.name);
        handler = CannedHandler();
        handler.answer = answer;
        handler.scribbleWholeOutput = true;
        if (c.setup == Setup::kHandlerStatus || c.setup == Setup::kHandlerStatusAndTrailing) {
            handler.status = 0x1F;
        }
        if (c.setup == Setup::kHandlerOverclaims) handler.claimedLength = 17;
        if (c.setup == Setup::kFault || c.setup == Setup::kHandlerStatusAndTrailing) {
            driver.InjectFault(c.fault);
        }

        HANDLE device = OpenDevice(kPath);
        ASSERT_NE(device, INVALID_HANDLE_VALUE);
        // Only the request that is never answered waits out its limit, so only it gets a short
        // one.
        const bool stalls = c.setup == Setup::kFault && c.fault == DriverFault::kStall;
        if (stalls) platform::SetReplyTimeoutMs(5);
        CallResult result = RequestOn(device, {9, 8, 7}, 16);
        platform::SetReplyTimeoutMs(kGenerousMs);

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

// Signals sent to the calling thread every few milliseconds, as a window being resized sends
// them, until stopped or until a generous number has been sent.
class SignalRain {
  public:
    SignalRain() : target_(pthread_self()) {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        sigaction(SIGUSR1, &action, &previous_);  // no SA_RESTART: every wait is interrupted
        thread_ = std::thread([this] {
            while (!stop_ && sent_ < kMostSignals) {
                pthread_kill(target_, SIGUSR1);
                ++sent_;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~SignalRain() {
        Stop();
        sigaction(SIGUSR1, &previous_, nullptr);
    }
    // False when the rain had already ended by itself.
    bool Stop() {
        const bool endedByItself = sent_ >= kMostSignals;
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return !endedByItself;
    }

  private:
    static constexpr int kMostSignals = 4000;  // 20 s and more
    pthread_t target_;
    struct sigaction previous_ {};
    std::atomic<bool> stop_{false};
    std::atomic<int> sent_{0};
    std::thread thread_;
};

// A socket whose listen queue is full and which never accepts: a connect to it waits.
int ListenerWithFullQueue(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    listen(listener, 0);
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            break;
        }
    }
    return listener;
}

// However many signals interrupt the waits, the open and the reply each end at their one
// deadline; a fresh time limit after each signal would keep them waiting while the signals last.
TEST_F(SocketDeviceTest, SignalsDoNotExtendTheTimeLimits) {
    platform::SetOpenTimeoutMs(300);
    platform::SetReplyTimeoutMs(300);
    const std::string queueFullPath = runtimeDir.Path() + "/busy";
    const int listener = ListenerWithFullQueue(queueFullPath);
    struct Case {
        const char* name;
        const char* devicePath;
    } cases[] = {
        {"open while the driver's queue is full", "\\\\.\\busy"},
        {"reply that never comes", kPath},
    };
    driver.InjectFault(DriverFault::kStall);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SignalRain rain;
        const DWORD error = OpenRequestClose(c.devicePath, {1}, 4).error;
        EXPECT_TRUE(rain.Stop()) << "the call only ended when the signals did";
        EXPECT_EQ(error, ERROR_SEM_TIMEOUT);
    }
    close(listener);
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

// Without XDG_RUNTIME_DIR, for one test: the socket of a device of this process's own lives in
// /tmp/NAME-UID/, which is removed with everything in it at the end.
class FallbackPlace {
  public:
    FallbackPlace()
        : name_("devtest-" + std::to_string(getpid())),
          directory_("/tmp/" + name_ + "-" + std::to_string(getuid())),
          devicePath_("\\\\.\\" + name_) {
        unsetenv("XDG_RUNTIME_DIR");
    }
    ~FallbackPlace() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
        std::filesystem::remove_all(directory_ + ".elsewhere", ignored);
    }
    const char* name() const { return name_.c_str(); }
    const std::string& directory() const { return directory_; }
    std::string socket() const { return directory_ + "/" + name_; }
    DWORD OpenError() const { return OpenRequestClose(devicePath_.c_str(), {1}, 4).error; }

  private:
    test_support::TempRuntimeDir restoresTheEnvironment_;
    std::string name_, directory_, devicePath_;
};

// Both ends find the socket in the same place: in XDG_RUNTIME_DIR when that is an absolute path,
// otherwise in the private directory /tmp/NAME-UID.
TEST(SocketPlaceTest, DriverAndCallsAgree) {
    FallbackPlace fallback;
    const std::string runtimeDir = "/tmp/" + std::string(fallback.name()) + "-rt";
    std::filesystem::create_directory(runtimeDir);
    struct Case {
        const char* runtimeDir;  // nullptr: unset
        std::string socket;
    } cases[] = {
        {runtimeDir.c_str(), runtimeDir + "/" + fallback.name()},
        {nullptr, fallback.socket()},
        {"", fallback.socket()},
        {"relative/dir", fallback.socket()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runtimeDir ? c.runtimeDir : "(unset)");
        if (c.runtimeDir) {
            setenv("XDG_RUNTIME_DIR", c.runtimeDir, 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        CannedHandler handler;
        test_support::ScriptedSocketDriver driver(fallback.name(), &handler);
        EXPECT_EQ(driver.SocketPath(), c.socket);
        EXPECT_EQ(fallback.OpenError(), 0u);
    }
    std::filesystem::remove_all(runtimeDir);
    struct stat st;
    EXPECT_NE(lstat(fallback.directory().c_str(), &st), 0) << "the driver removes its directory";
}

// A directory in /tmp that anybody could have made, or a socket reached through a symlink, is
// never used: the open fails with ERROR_ACCESS_DENIED and a driver will not listen there.
TEST(SocketPlaceTest, FallbackDirectoryMustBeOursAndPrivate) {
    using Craft = void (*)(const FallbackPlace&);
    struct Case {
        const char* name;
        Craft craft;  // applied with a driver listening in the proper place
        DWORD error;
    } cases[] = {
        {"private", [](const FallbackPlace&) {}, 0},
        {"open to the group", [](const FallbackPlace& f) { chmod(f.directory().c_str(), 0750); },
         ERROR_ACCESS_DENIED},
        {"open to others", [](const FallbackPlace& f) { chmod(f.directory().c_str(), 0703); },
         ERROR_ACCESS_DENIED},
        {"a symlink to a private directory",
         [](const FallbackPlace& f) {
             rename(f.directory().c_str(), (f.directory() + ".elsewhere").c_str());
             ASSERT_EQ(symlink((f.directory() + ".elsewhere").c_str(), f.directory().c_str()), 0);
         },
         ERROR_ACCESS_DENIED},
        {"the socket a symlink",
         [](const FallbackPlace& f) {
             mkdir((f.directory() + ".elsewhere").c_str(), 0700);
             const std::string moved = f.directory() + ".elsewhere/socket";
             rename(f.socket().c_str(), moved.c_str());
             ASSERT_EQ(symlink(moved.c_str(), f.socket().c_str()), 0);
         },
         ERROR_ACCESS_DENIED},
        {"a file",
         [](const FallbackPlace& f) {
             std::filesystem::remove_all(f.directory());
             std::ofstream(f.directory()) << "x";
         },
         ERROR_ACCESS_DENIED},
        {"nothing", [](const FallbackPlace& f) { std::filesystem::remove_all(f.directory()); },
         ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FallbackPlace fallback;
        CannedHandler handler;
        test_support::ScriptedSocketDriver driver(fallback.name(), &handler);
        struct stat st;
        ASSERT_EQ(lstat(fallback.directory().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        c.craft(fallback);
        EXPECT_EQ(fallback.OpenError(), c.error);
        EXPECT_EQ(handler.calls, c.error == 0 ? 1 : 0);
        // The fake driver, like the real one, makes its socket only in a directory that passes.
        if (c.error == ERROR_ACCESS_DENIED && std::string(c.name) != "the socket a symlink") {
            EXPECT_THROW(test_support::ScriptedSocketDriver(fallback.name(), &handler),
                         std::runtime_error);
        }
    }
    EXPECT_EQ(platform::OpenDeviceHandleCount(), 0);
}

}  // namespace
