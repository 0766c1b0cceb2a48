// Start-up, the frame, the spinner and the keys of the station monitor.
#include <gtest/gtest.h>

#include "ringeye/monitor_state.h"
#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"

namespace {

const char kTopBar[] =
    "-- Exit-<ESC> or 0 ------------------ Menu --------------------- More-<Space> --";
const char kDualBar[] =
    " 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-A 6:Port-B 7:Path 8:Dev#   9:Delay";
const char kSingleBar[] =
    " 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-S 6:       7:Path 8:Dev#   9:Delay";

TEST(RingeyeStartup, ShowsCompositeFrameAndMenuBars) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::vector<std::string> shown;
    h.At(500, [&] { shown = h.Rows(0, 23); });
    EXPECT_EQ(h.RunRingeye(600), 1);
    ASSERT_EQ(shown.size(), 24u);
    EXPECT_EQ(shown[0].substr(1, 20), ":Poll Rate = 1000 MS");
    EXPECT_EQ(shown[0].substr(35, 14), "Composite Data");
    EXPECT_EQ(shown[22], Padded(kTopBar));
    EXPECT_EQ(shown[23], Padded(kDualBar));
    EXPECT_EQ(h.display.Title(), "ringeye SMT 7.3");
    EXPECT_TRUE(h.display.WasClosed());
}

TEST(RingeyeStartup, FetchesAndPaintsTwiceBeforeTheFirstWait) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    size_t beforeWait = 0, afterFirstRefresh = 0;
    h.At(2, [&] { beforeWait = h.station.requests.size(); });
    h.At(1002, [&] { afterFirstRefresh = h.station.requests.size(); });
    h.RunRingeye(1500);
    EXPECT_EQ(beforeWait, 52u);
    EXPECT_EQ(afterFirstRefresh, 78u);
}

TEST(RingeyeStartup, SpinnerTurnsOncePerRefresh) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::string spinner;
    for (uint64_t t = 500; t < 5000; t += 1000) {
        h.At(t, [&] { spinner += h.Row(0)[0]; });
    }
    h.RunRingeye(5200);
    EXPECT_EQ(spinner, "\\|/-\\");
}

TEST(RingeyeKeys, EscAndZeroEndTheProgramWithStatusOne) {
    for (int key : {27, int{'0'}}) {
        MonitorHarness h;
        h.station.FillHealthy(2);
        h.KeyAt(300, key);
        EXPECT_EQ(h.RunRingeye(100000), 1);
        EXPECT_LT(h.clock.NowMs(), 100000u) << "key " << key;
        EXPECT_TRUE(h.display.WasClosed());
    }
}

TEST(RingeyeKeys, UnmappedKeysNeitherEndNorRestartTheWait) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    size_t atKeys = 0, justBeforeRefresh = 0, afterRefresh = 0;
    h.At(300, [&] { atKeys = h.station.requests.size(); });
    h.KeysAt(300, "abx!");
    h.At(900, [&] { h.display.PushKeys("q"); });
    h.At(1000, [&] { justBeforeRefresh = h.station.requests.size(); });
    h.At(1002, [&] { afterRefresh = h.station.requests.size(); });
    h.RunRingeye(1500);
    EXPECT_EQ(justBeforeRefresh, atKeys);
    EXPECT_EQ(afterRefresh, atKeys + 26);
}

TEST(RingeyeKeys, CurrentScreenDigitRefreshesAtOnce) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    size_t before = 0, after = 0;
    h.At(299, [&] { before = h.station.requests.size(); });
    h.KeyAt(300, '1');
    h.At(301, [&] { after = h.station.requests.size(); });
    h.RunRingeye(500);
    EXPECT_EQ(after, before + 26);
}

TEST(RingeyeKeys, SixIsRefusedOnASingleAttachmentStation) {
    MonitorHarness h;
    h.station.FillHealthy(1);
    std::string title, bar;
    h.KeyAt(300, '6');
    h.At(400, [&] {
        title = h.Cells(0, 35, 14);
        bar = h.Row(23);
    });
    h.RunRingeye(500);
    EXPECT_EQ(title, "Composite Data");
    EXPECT_EQ(bar, Padded(kSingleBar));
}

TEST(RingeyeKeys, SixWorksBeforeThePortCountIsKnown) {
    MonitorHarness h;
    h.SetDevicePresent(false);
    std::string bar;
    int screen = 0;
    h.KeyAt(300, '6');
    h.At(400, [&] {
        bar = h.Row(23);
        screen = CurrentScreen;
    });
    h.RunRingeye(500);
    EXPECT_EQ(bar, Padded(kDualBar));
    EXPECT_EQ(screen, 6);
}

}  // namespace
