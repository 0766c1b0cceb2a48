// The device-instance and refresh-delay dialogs, driven key by key.
#include <gtest/gtest.h>

#include "ringeye/monitor_state.h"
#include "tests/harness/monitor_harness.h"

namespace {

constexpr char kEnter = 10, kBackspace = 8, kEsc = 27;

// A row of a boxed dialog: border, one blank, the text, blanks, border.
std::string BoxRow(const std::string& text, size_t width) {
    std::string row = "* " + text;
    row.resize(width - 1, ' ');
    return row + "*";
}

// Opens the dialog with `opener` at 300 ms, types `keys` one every 10 ms, and reports the
// instance of the last request and the refresh count at the end.
struct DialogOutcome {
    uint32_t instance;
    int32_t refreshCount;
};

DialogOutcome RunDialog(char opener, const std::string& keys) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    h.KeyAt(300, opener);
    uint64_t t = 310;
    for (char key : keys)
        h.KeyAt(t += 10, key);
    int32_t refresh = 0;
    h.At(t + 5, [&] { refresh = RefreshCount; });
    h.RunRingeye(t + 7000);
    return {h.station.requests.back().instance, refresh};
}

struct InstanceCase {
    const char* name;
    std::string keys;
    uint32_t expected;
};

TEST(DeviceInstanceDialog, AcceptsOnlyZeroToTwo) {
    const std::string enter(1, kEnter);
    const InstanceCase cases[] = {
        {"Enter alone keeps the instance", enter, 0},
        {"2 then Enter", "2" + enter, 2},
        {"3 refused", "3" + enter + enter, 0},
        {"12 refused", "12" + enter + enter, 0},
        {"-1 refused", "-1" + enter + enter, 0},
        {"1 and a blank refused", "1 " + enter + enter, 0},
        {"Backspace on empty does nothing", std::string(1, kBackspace) + "2" + enter, 2},
        {"5, Backspace, 1", "5" + std::string(1, kBackspace) + "1" + enter, 1},
        {"five characters and a sixth key",
         "00001"
         "2" +
             enter,
         0},
        {"Esc is a character", std::string(1, kEsc) + enter + enter, 0},
        {"refused then accepted", "7" + enter + "1" + enter, 1},
    };
    for (const InstanceCase& c : cases) {
        EXPECT_EQ(RunDialog('8', c.keys).instance, c.expected) << c.name;
    }
}

TEST(DelayDialog, AcceptsOneToFiveSeconds) {
    const std::string enter(1, kEnter);
    struct {
        const char* name;
        std::string keys;
        int32_t expected;
    } cases[] = {
        {"Enter alone", enter, 100},
        {"5", "5" + enter, 500},
        {"0", "0" + enter + enter, 100},
        {"6", "6" + enter + enter, 100},
        {"five digits", "00003" + enter + enter, 100},
        {"letter", "2a" + enter + enter, 100},
        {"0002", "0002" + enter, 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunDialog('9', c.keys).refreshCount, c.expected) << c.name;
    }
}

TEST(DelayDialog, ShowsPromptAndNewRateAndWaitsFiveSeconds) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::vector<std::string> dialog;
    std::string pollRate;
    size_t afterClose = 0, fourSecondsLater = 0, fiveSecondsLater = 0;
    h.KeyAt(300, '9');
    h.At(305, [&] { dialog = h.Rows(10, 16); });
    h.KeysAt(310, "5\n");
    h.At(320, [&] {
        pollRate = h.Cells(0, 11, 20);
        afterClose = h.station.requests.size();
    });
    h.At(4300, [&] { fourSecondsLater = h.station.requests.size(); });
    h.At(5330, [&] { fiveSecondsLater = h.station.requests.size(); });
    h.RunRingeye(5400);
    ASSERT_EQ(dialog.size(), 7u);
    EXPECT_EQ(dialog[0].substr(31, 33), std::string(33, '*'));
    EXPECT_EQ(dialog[1].substr(30, 35), BoxRow("Current Screen Update Rate: 1 S", 35));
    EXPECT_EQ(dialog[3].substr(30, 35), BoxRow("Enter New delay Time: ", 35));
    EXPECT_EQ(dialog[4].substr(30, 35), BoxRow("Choices: 1 to 5 sec", 35));
    EXPECT_EQ(pollRate, " = 5000 MS          ");
    EXPECT_EQ(fourSecondsLater, afterClose);
    EXPECT_EQ(fiveSecondsLater, afterClose + 26);
}

TEST(DeviceInstanceDialog, EchoIsClippedAtTheBorder) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::string field;
    h.KeyAt(300, '8');
    h.KeysAt(310, "abcde");
    h.At(320, [&] { field = h.Cells(13, 30, 30); });
    h.KeyAt(330, kEnter);
    h.KeysAt(340, "\n");
    h.RunRingeye(1000);
    EXPECT_EQ(field, "* Enter New Dev Instance: abcd");
}

TEST(Dialogs, ReturnToTheSameScreenAndPageWithLabels) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::string title, bar;
    int page = -1;
    h.KeyAt(300, '3');
    h.KeyAt(400, ' ');
    h.KeyAt(500, '8');
    h.KeysAt(510, "\n");
    h.At(520, [&] {
        title = h.Cells(0, 35, 22);
        bar = h.Cells(22, 0, 5);
        page = MorePage;
    });
    h.RunRingeye(600);
    EXPECT_EQ(title, "MAC Configs & Ops Data");
    EXPECT_EQ(bar, "-- Ex");
    EXPECT_EQ(page, 1);
}

}  // namespace
