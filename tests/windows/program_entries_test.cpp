// Both monitors through their real program entries, built for Windows and run under Wine, with
// the device served by the test device layer: the screens they show with a station, without a
// driver and with a refusing one, their exit statuses, and that no device handle stays open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/windows/windows_harness.h"

namespace {

constexpr int kEsc = 27;
const std::string kOpenFailure = "***Error***: Cannot detect 4682 device";
const std::string kTopBar =
    "-- Exit-<ESC> or 0 ------------------ Menu --------------------- More-<Space> --";
const std::string kDualBar =
    " 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-A 6:Port-B 7:Path 8:Dev#   9:Delay";
const std::string kCommandBar =
    "-- Commands: 0 or <ESC>=EXIT    1=Select Device Instance   ---------------------";

std::string Padded(const std::string& text, size_t width = 84) {
    std::string padded = text;
    padded.resize(width, ' ');
    return padded;
}

TEST(RingeyeOnWindows, ShowsTheCompositeScreenOfAStation) {
    WindowsHarness h;
    h.station.FillHealthy(2);
    std::vector<std::string> shown;
    h.At(500, [&] { shown = h.Rows(0, 23); });
    EXPECT_EQ(h.RunRingeye(600), 1);
    ASSERT_EQ(shown.size(), 24u);
    EXPECT_EQ(shown[0].substr(1, 20), ":Poll Rate = 1000 MS");
    EXPECT_EQ(shown[0].substr(35, 14), "Composite Data");
    EXPECT_EQ(shown[1].substr(19, 20), "0800 3E12 3456  ECM-");
    EXPECT_EQ(shown[22], Padded(kTopBar));
    EXPECT_EQ(shown[23], Padded(kDualBar));
    EXPECT_EQ(h.display.Title(), "ringeye SMT 7.3");
    EXPECT_TRUE(h.display.WasClosed());
    EXPECT_GT(h.device.Opens(), 0);
    EXPECT_EQ(h.device.OpenHandles(), 0);
}

TEST(RingeyeOnWindows, MissingDriverIsShownUntilTheDeviceAppears) {
    WindowsHarness h;
    h.station.FillHealthy(2);
    h.device.SetPresent(false);
    std::vector<std::string> absent;
    std::string header;
    h.At(500, [&] { absent = h.Rows(0, 23); });
    h.At(1500, [&] { h.device.SetPresent(true); });
    h.At(2500, [&] { header = h.Cells(1, 19, 20); });
    EXPECT_EQ(h.RunRingeye(2600), 1);
    ASSERT_EQ(absent.size(), 24u);
    // Cell (0,0) is the spinner's; the message starts beside it.
    EXPECT_EQ(absent[0].substr(1), Padded(kOpenFailure, 83));
    for (int row = 1; row <= 21; ++row)
        EXPECT_EQ(absent[row], Padded("")) << row;
    EXPECT_EQ(absent[22], Padded(kTopBar));
    EXPECT_EQ(absent[23], Padded(kDualBar));
    EXPECT_EQ(header, "0800 3E12 3456  ECM-");
    EXPECT_EQ(h.device.OpenHandles(), 0);
}

TEST(RingeyeOnWindows, RefusedRequestShowsTheInstanceAndTheErrorCode) {
    WindowsHarness h;
    h.station.FillHealthy(2);
    std::string message;
    h.KeyAt(300, '8');
    h.KeysAt(310, "2\r");
    h.At(400, [&] { h.station.RefuseWith(0x57); });
    h.At(1500, [&] { message = h.Row(0); });
    h.RunRingeye(1600);
    EXPECT_EQ(message.substr(1), Padded("IOCTL Failed for DevInstance 2, GetLastError = 57", 83));
    EXPECT_EQ(h.device.OpenHandles(), 0);
}

TEST(RingeyeOnWindows, EscAndZeroEndWithStatusOne) {
    for (int key : {kEsc, int{'0'}}) {
        WindowsHarness h;
        h.station.FillHealthy(2);
        h.KeyAt(300, key);
        EXPECT_EQ(h.RunRingeye(100000), 1) << key;
        EXPECT_LT(h.clock.NowMs(), 100000u) << key;
    }
}

TEST(TallyerOnWindows, ShowsTheCountersAndEndsWithStatusZero) {
    for (int key : {kEsc, int{'0'}}) {
        WindowsHarness h;
        for (size_t i = 0; i < h.station.stats.size(); ++i) {
            h.station.stats[i] = static_cast<uint32_t>(1000 + i);
        }
        std::vector<std::string> shown;
        h.At(1500, [&] { shown = h.Rows(0, 23); });
        h.KeyAt(1600, key);
        EXPECT_EQ(h.RunTallyer(100000), 0) << key;
        ASSERT_EQ(shown.size(), 24u);
        // Over a station the bar starts in column 0, under the spinner.
        EXPECT_EQ(shown[0].substr(1), Padded(kCommandBar).substr(1));
        EXPECT_EQ(shown[3].substr(0, 38), Padded("Xmit packets", 26) + "        1000");
        EXPECT_EQ(shown[3].substr(40, 38), Padded("Recv packets", 26) + "        1001");
        EXPECT_EQ(h.display.Title(), "4682 Tallyer");
        EXPECT_EQ(h.device.OpenHandles(), 0);
    }
}

TEST(TallyerOnWindows, MissingDriverIsShownBelowTheCommandBar) {
    WindowsHarness h;
    h.device.SetPresent(false);
    std::vector<std::string> shown;
    h.At(1500, [&] { shown = h.Rows(0, 2); });
    EXPECT_EQ(h.RunTallyer(1600), 0);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].substr(1), Padded(kCommandBar, 83));
    EXPECT_EQ(shown[1], Padded(" " + kOpenFailure));
    EXPECT_EQ(shown[2], Padded(""));
}

}  // namespace
