// What the statistics monitor shows: the 36 counter lines, the command bar with the spinner,
// and the failure reports with the recovery after them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"

namespace {

constexpr int kScreenWidth = 84, kScreenRows = 24;
constexpr int kFirstCounterRow = 3, kCounterRows = 18;
const std::string kCommandBar =
    "-- Commands: 0 or <ESC>=EXIT    1=Select Device Instance   ---------------------";

std::string RightAligned(uint32_t value) {
    const std::string digits = std::to_string(value);
    return std::string(12 - digits.size(), ' ') + digits;
}

// Labels of rows 3 to 20: transmit counters on the left, receive counters on the right.
const char* const kLeftLabels[kCounterRows] = {
    "Xmit packets",           "Xmit bytes",
    "Xmit Broadcast packets", "Xmit Broadcast bytes",
    "Xmit Multicast packets", "Xmit Multicast bytes",
    "Xmit Loopback packets",  "Xmit Loopback bytes",
    "Xmit Directed packets",  "Xmit Directed bytes",
    "Xmit errors (Total)",    "Xmit port errors",
    "Xmit abort errors",      "Underrun errors",
    "Xmit parity errors",     "Xmit bad packets",
    "NO Xmit buffers",        "Total FSI Interrupts",
};
const char* const kRightLabels[kCounterRows] = {
    "Recv packets",           "Recv bytes",
    "Recv Broadcast packets", "Recv Broadcast bytes",
    "Recv Multicast packets", "Recv Multicast bytes",
    "Recv Loopback packets",  "Recv Loopback bytes",
    "Recv Directed packets",  "Recv Directed bytes",
    "Recv  errors (Total)",   "Recv E-Flag errors",
    "Recv CRC errors",        "Overrun errors",
    "Recv  parity errors",    "Recv bad packets",
    "Xmit RING FULL",         "Total RC Interrupts",
};

// Label and value of the left column span columns 0 to 37, of the right column 40 to 77.
std::string CounterRow(int line, const std::vector<uint32_t>& words) {
    const std::string left = Padded(kLeftLabels[line], 26) + RightAligned(words[2 * line]);
    const std::string right = Padded(kRightLabels[line], 26) + RightAligned(words[2 * line + 1]);
    return Padded(Padded(left, 40) + right, kScreenWidth);
}

// A record whose 36 shown words differ; the largest counter in both columns. Word 36 is not
// shown.
std::vector<uint32_t> DistinctRecord() {
    std::vector<uint32_t> words(37);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = 1000003u * static_cast<uint32_t>(i) + 17;
    words[0] = 4294967295u;
    words[33] = 4294967294u;
    words[36] = 777777777u;
    return words;
}

// The screen of a good cycle, with `spinner` in cell (0,0).
std::vector<std::string> CountersScreen(char spinner, const std::vector<uint32_t>& words) {
    std::vector<std::string> rows(kScreenRows, Padded("", kScreenWidth));
    rows[0] = Padded(std::string(1, spinner) + kCommandBar.substr(1), kScreenWidth);
    rows[2] = Padded(Padded("Xmit statistics:", 40) + "Recv statistics:", kScreenWidth);
    for (int line = 0; line < kCounterRows; ++line) {
        rows[kFirstCounterRow + line] = CounterRow(line, words);
    }
    return rows;
}

// The screen of a failed cycle: bar from column 1, the message from (1,1), nothing else.
std::vector<std::string> FailureScreen(char spinner, const std::string& message) {
    std::vector<std::string> rows(kScreenRows, Padded("", kScreenWidth));
    rows[0] = Padded(std::string(1, spinner) + kCommandBar, kScreenWidth);
    rows[1] = Padded(" " + message, kScreenWidth);
    return rows;
}

void ExpectScreen(const std::vector<std::string>& shown, const std::vector<std::string>& expected,
                  const char* when) {
    ASSERT_EQ(shown.size(), expected.size()) << when;
    for (size_t row = 0; row < expected.size(); ++row) {
        EXPECT_EQ(shown[row], expected[row]) << when << ", row " << row;
    }
}

TEST(TallyerScreen, ShowsEveryCounterUnderItsLabel) {
    MonitorHarness h;
    h.station.stats = DistinctRecord();
    std::vector<std::string> shown;
    h.At(500, [&] { shown = h.Rows(0, kScreenRows - 1); });
    EXPECT_EQ(h.RunTallyer(600), 0);
    ExpectScreen(shown, CountersScreen('|', DistinctRecord()), "first cycle");
}

TEST(TallyerScreen, AbsentDeviceIsReportedUntilItAnswers) {
    MonitorHarness h;
    h.station.stats = DistinctRecord();
    h.SetDevicePresent(false);
    std::vector<std::string> absent, recovered;
    h.At(500, [&] { absent = h.Rows(0, kScreenRows - 1); });
    h.At(1500, [&] { h.SetDevicePresent(true); });
    h.At(2500, [&] { recovered = h.Rows(0, kScreenRows - 1); });
    EXPECT_EQ(h.RunTallyer(2600), 0);
    ExpectScreen(absent, FailureScreen('|', "***Error***: Cannot detect 4682 device"), "absent");
    ExpectScreen(recovered, CountersScreen('-', DistinctRecord()), "next cycle");
}

TEST(TallyerScreen, RefusedRequestShowsInstanceAndErrorCode) {
    MonitorHarness h;
    h.station.ServeInstances(2);
    std::vector<std::string> refused;
    h.KeyAt(1500, '1');
    h.KeysAt(1510, "2\n");
    h.At(2000, [&] { refused = h.Rows(0, kScreenRows - 1); });
    EXPECT_EQ(h.RunTallyer(2100), 0);
    ExpectScreen(
        refused,
        FailureScreen('-', "***ERROR***: IOCTL Failed for DevInstance 2, GetLastError = 1f"),
        "refused");
}

// A "successful" answer shorter than the record shows no stale or partial counters: it is a
// failed request, and the next cycle asks again.
TEST(TallyerScreen, ShortAnswerIsAFailedRequestRetriedNextCycle) {
    MonitorHarness h;
    h.station.stats = DistinctRecord();
    std::vector<uint32_t> later = DistinctRecord();
    later[0] = 5;
    const std::string kInvalidData =
        "***ERROR***: IOCTL Failed for DevInstance 0, GetLastError = d";
    std::vector<std::string> empty, oneShort, whole;
    h.At(800, [&] {
        h.station.stats = later;
        h.station.AnswerAtMost(0);
    });
    h.At(1500, [&] { empty = h.Rows(0, kScreenRows - 1); });
    h.At(1800, [&] { h.station.AnswerAtMost(147); });
    h.At(2500, [&] { oneShort = h.Rows(0, kScreenRows - 1); });
    h.At(2800, [&] { h.station.AnswerAtMost(-1); });
    h.At(3500, [&] { whole = h.Rows(0, kScreenRows - 1); });
    EXPECT_EQ(h.RunTallyer(3600), 0);
    ExpectScreen(empty, FailureScreen('/', kInvalidData), "no bytes");
    ExpectScreen(oneShort, FailureScreen('-', kInvalidData), "one byte short");
    ExpectScreen(whole, CountersScreen('\\', later), "whole again");
}

}  // namespace
