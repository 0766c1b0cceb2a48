// A device served inside the process must answer exactly as the same driver over the socket.
#include "platform/win32_on_linux/in_process_device.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32_on_linux/handle_table.h"
#include "platform/win32_on_linux/win32.h"
#include "tests/device/canned_handler.h"
#include "tests/device/device_call.h"
#include "tests/support/test_support.h"

namespace {

struct ParityCase {
    const char* name;
    std::function<void(CannedHandler&)> configure;
    size_t inputLength;
    uint32_t outputLength;
};

const ParityCase kParityCases[] = {
    {"short answer",
     [](CannedHandler& h) {
         h.answer = {1, 2, 3};
     },
     4, 16},
    {"answer beyond its count",
     [](CannedHandler& h) {
         h.answer = {1, 2, 3};
         h.scribbleWholeOutput = true;
     },
     4, 16},
    {"empty request", [](CannedHandler&) {}, 0, 0},
    {"status",
     [](CannedHandler& h) {
         h.status = 0x57;
         h.scribbleWholeOutput = true;
     },
     4, 16},
    {"claims more than the output",
     [](CannedHandler& h) {
         h.scribbleWholeOutput = true;
         h.claimedLength = 17;
     },
     4, 16},
    {"input too long", [](CannedHandler&) {}, 65537, 16},
    {"output too long", [](CannedHandler&) {}, 4, 65537},
};

TEST(InProcessDeviceTest, AnswersAsOverTheSocket) {
    test_support::TempRuntimeDir runtimeDir;
    CannedHandler socketHandler;
    CannedHandler inProcessHandler;
    test_support::ScriptedSocketDriver driver("viasocket", &socketHandler);
    platform::RegisterInProcessDevice("inprocess", &inProcessHandler);
    for (const ParityCase& c : kParityCases) {
        SCOPED_TRACE(c.name);
        socketHandler = CannedHandler();
        inProcessHandler = CannedHandler();
        c.configure(socketHandler);
        c.configure(inProcessHandler);
        std::vector<uint8_t> input(c.inputLength, 0x11);
        CallResult overSocket = OpenRequestClose("\\\\.\\viasocket", input, c.outputLength);
        CallResult inProcess = OpenRequestClose("\\\\.\\inprocess", input, c.outputLength);
        EXPECT_EQ(inProcess, overSocket);
        EXPECT_EQ(inProcessHandler.calls, socketHandler.calls);
    }
    platform::RegisterInProcessDevice("inprocess", nullptr);
}

TEST(InProcessDeviceTest, OneBufferForInputAndOutput) {
    CannedHandler handler;
    handler.echoReversed = true;
    platform::RegisterInProcessDevice("inprocess", &handler);
    uint8_t buffer[6] = {1, 2, 3, 4, 5, 6};
    DWORD count = 0;
    HANDLE device = OpenDevice("\\\\.\\inprocess");
    EXPECT_TRUE(DeviceIoControl(device, kControlCode, buffer, 4, buffer, 6, &count, nullptr));
    CloseHandle(device);
    platform::RegisterInProcessDevice("inprocess", nullptr);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 6), (std::vector<uint8_t>{4, 3, 2, 1, 5, 6}));
}

TEST(InProcessDeviceTest, OpensWithoutDescriptorsAndDisconnectsWhenRemoved) {
    test_support::TempRuntimeDir runtimeDir;
    CannedHandler handler;
    platform::RegisterInProcessDevice("inprocess", &handler);
    int fdsBefore = test_support::CountOpenFds();
    HANDLE device = OpenDevice("\\\\.\\inprocess");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(test_support::CountOpenFds(), fdsBefore);
    EXPECT_EQ(platform::OpenDeviceHandleCount(), 1);

    platform::RegisterInProcessDevice("inprocess", nullptr);
    EXPECT_EQ(RequestOn(device, {1}, 4).error, ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(handler.calls, 0);
    EXPECT_TRUE(CloseHandle(device));
    EXPECT_EQ(OpenRequestClose("\\\\.\\inprocess", {}, 0).error, ERROR_FILE_NOT_FOUND);
}

TEST(HandleTest, TableFullAndUnknownHandles) {
    CannedHandler handler;
    platform::RegisterInProcessDevice("inprocess", &handler);
    std::vector<HANDLE> handles;
    for (size_t i = 0; i < platform::device::kMaxOpenHandles; ++i) {
        handles.push_back(OpenDevice("\\\\.\\inprocess"));
        ASSERT_NE(handles.back(), INVALID_HANDLE_VALUE);
        ASSERT_NE(handles.back(), nullptr);
    }
    EXPECT_EQ(OpenDevice("\\\\.\\inprocess"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    for (HANDLE handle : handles)
        EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(platform::OpenDeviceHandleCount(), 0);

    // A reopened record gets a new handle value, so the old one stays dead.
    HANDLE reopened = OpenDevice("\\\\.\\inprocess");
    for (HANDLE stale : {handles[0], static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE,
                         reinterpret_cast<HANDLE>(uintptr_t{0x1234})}) {
        EXPECT_FALSE(CloseHandle(stale));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RequestOn(stale, {1}, 4).error, ERROR_INVALID_HANDLE);
    }
    EXPECT_TRUE(CloseHandle(reopened));
    platform::RegisterInProcessDevice("inprocess", nullptr);
}

}  // namespace
