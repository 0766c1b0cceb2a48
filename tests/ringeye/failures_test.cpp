// What the station monitor shows when the driver is missing or refuses, and how it recovers.
#include <gtest/gtest.h>

#include "platform/win32_on_linux/in_process_device.h"
#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"
#include "tests/support/test_support.h"

namespace {

TEST(RingeyeFailures, AbsentDriverThenRecoveryWithoutAKey) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    h.SetDevicePresent(false);
    std::vector<std::string> absent;
    std::string header;
    h.At(500, [&] { absent = h.Rows(0, 23); });
    h.At(1500, [&] { h.SetDevicePresent(true); });
    h.At(2500, [&] { header = h.Cells(1, 19, 20); });
    h.RunRingeye(2600);
    ASSERT_EQ(absent.size(), 24u);
    EXPECT_EQ(absent[0].substr(1), Padded("***Error***: Cannot detect 4682 device", 83));
    for (int row = 1; row <= 21; ++row)
        EXPECT_EQ(absent[row], Padded("")) << row;
    EXPECT_EQ(absent[22].substr(0, 18), "-- Exit-<ESC> or 0");
    EXPECT_EQ(absent[23].substr(0, 12), " 1:Composite");
    EXPECT_EQ(header, "0800 3E12 3456  ECM-");
}

TEST(RingeyeFailures, RefusedRequestShowsInstanceInDecimalAndErrorInHex) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::string message;
    h.KeyAt(300, '8');
    h.KeysAt(310, "2\n");
    h.At(400, [&] { h.station.RefuseWith(0x57); });
    h.At(1500, [&] { message = h.Row(0); });
    h.RunRingeye(1600);
    EXPECT_EQ(message.substr(1), Padded("IOCTL Failed for DevInstance 2, GetLastError = 57", 83));
}

TEST(RingeyeFailures, NoDescriptorIsLeftAfterManyFailedCyclesOverTheSocket) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    h.SetDevicePresent(false);  // requests go to the socket
    int before = 0, whileAbsent = 0, whileRefused = 0;
    std::unique_ptr<test_support::ScriptedSocketDriver> driver;
    h.At(500, [&] { before = test_support::CountOpenFds(); });
    h.At(300500, [&] { whileAbsent = test_support::CountOpenFds(); });
    h.At(300600, [&] {
        h.station.RefuseWith(0x1F);
        driver = std::make_unique<test_support::ScriptedSocketDriver>("qd4682", &h.station);
    });
    h.At(600500, [&] {
        driver.reset();
        whileRefused = test_support::CountOpenFds();
    });
    h.RunRingeye(600600);
    EXPECT_EQ(whileAbsent, before);
    EXPECT_EQ(whileRefused, before);
    EXPECT_GT(h.station.requests.size(), 250u);
    EXPECT_EQ(platform::OpenDeviceHandleCount(), 0);
}

// An SMT answer that stops short of its first record or inside a record it declares is a failed
// request, whatever the driver's status said; the next refresh asks again.
TEST(RingeyeFailures, ShortAnswerIsAFailedRequestRetriedNextRefresh) {
    // None, header cut, header words alone, record header cut, value cut.
    const int64_t kShortCounts[] = {0, 15, 16, 18, 21};
    const std::string kInvalidData = Padded("IOCTL Failed for DevInstance 0, GetLastError = d", 83);
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::vector<std::string> shown;
    std::string header;
    uint64_t at = 500;
    for (int64_t count : kShortCounts) {
        h.At(at, [&h, count] { h.station.AnswerAtMost(count); });
        h.At(at + 1500, [&] { shown.push_back(h.Row(0).substr(1)); });
        at += 2000;
    }
    h.At(at, [&] { h.station.AnswerAtMost(-1); });
    h.At(at + 1500, [&] { header = h.Cells(1, 19, 20); });
    h.RunRingeye(at + 1600);
    ASSERT_EQ(shown.size(), std::size(kShortCounts));
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], kInvalidData) << kShortCounts[i] << " bytes";
    EXPECT_EQ(header, "0800 3E12 3456  ECM-");
}

}  // namespace
