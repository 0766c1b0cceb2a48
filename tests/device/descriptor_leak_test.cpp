// No descriptor and no handle survives a request, whichever way it ends.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32_on_linux/in_process_device.h"
#include "platform/win32_on_linux/win32.h"
#include "tests/device/canned_handler.h"
#include "tests/device/device_call.h"
#include "tests/support/test_support.h"

namespace {

using test_support::DriverFault;

TEST(DescriptorLeakTest, ThousandFailedAndThousandServedRequests) {
    test_support::TempRuntimeDir runtimeDir;
    test_support::LeaveStaleSocket("crashed");
    const int fdsBefore = test_support::CountOpenFds();
    {
        CannedHandler handler;
        handler.answer = {1, 2, 3, 4};
        test_support::ScriptedSocketDriver driver("qd4682", &handler);
        const char* kPath = "\\\\.\\qd4682";
        using Failure = std::function<CallResult()>;
        // Only a stalled request waits out the reply limit, so only it gets a short one; opens
        // and the other requests get limits that no loaded machine comes near.
        platform::SetOpenTimeoutMs(60000);
        auto withFault = [&](DriverFault fault) {
            return [&driver, kPath, fault] {
                driver.InjectFault(fault);
                platform::SetReplyTimeoutMs(fault == DriverFault::kStall ? 5 : 60000);
                return OpenRequestClose(kPath, {1}, 16);
            };
        };
        const std::vector<Failure> failures = {
            [] { return OpenRequestClose("\\\\.\\absent", {1}, 16); },
            [] { return OpenRequestClose("\\\\.\\crashed", {1}, 16); },
            [] { return OpenRequestClose("no device", {1}, 16); },
            [kPath] { return OpenRequestClose(kPath, {1}, 65537); },
            withFault(DriverFault::kErrorStatus),
            withFault(DriverFault::kCountAboveOutput),
            withFault(DriverFault::kShortReply),
            withFault(DriverFault::kCloseMidReply),
        };
        for (int i = 0; i < 1000; ++i) {
            // A few timeouts too; each costs the (shortened) reply limit in real time.
            CallResult result =
                i % 100 == 0 ? withFault(DriverFault::kStall)() : failures[i % failures.size()]();
            ASSERT_FALSE(result.ok) << "request " << i;
        }
        platform::SetReplyTimeoutMs(60000);
        for (int i = 0; i < 1000; ++i) {
            ASSERT_TRUE(OpenRequestClose(kPath, {1}, 16).ok) << "request " << i;
        }
        EXPECT_EQ(platform::OpenDeviceHandleCount(), 0);
    }
    platform::SetOpenTimeoutMs(2000);
    platform::SetReplyTimeoutMs(2000);
    EXPECT_EQ(test_support::CountOpenFds(), fdsBefore);
}

}  // namespace
