// The statistics monitor marks each error counter that rose since the previous refresh, for that
// refresh only, as `watch -d` marks what changed; packet, byte and interrupt counters never.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/harness/monitor_harness.h"

namespace {

constexpr int kFirstCounterRow = 3, kReceiveColumn = 40, kValueEnd = 38;
constexpr int kFirstErrorWord = 20, kLastErrorWord = 33;

// The marks of every counter value: one entry per word, the marked cells of its value field.
std::vector<std::string> ValueMarks(const MonitorHarness& h) {
    std::vector<std::string> marks;
    for (int word = 0; word < 36; ++word) {
        const int row = kFirstCounterRow + word / 2;
        const int column = (word % 2 ? kReceiveColumn : 0) + kValueEnd - 12;
        marks.push_back(h.display.Marks(row, column, 12));
    }
    return marks;
}

// Every error counter marked over its digits (`digits` of them), the others plain.
std::vector<std::string> ErrorCountersMarked(int digits) {
    std::vector<std::string> marks;
    for (int word = 0; word < 36; ++word) {
        const bool error = word >= kFirstErrorWord && word <= kLastErrorWord;
        marks.push_back(std::string(12 - (error ? digits : 0), ' ') +
                        std::string(error ? digits : 0, '^'));
    }
    return marks;
}

TEST(TallyerMarks, ErrorCountersThatRoseAreMarkedForOneRefresh) {
    struct Case {
        const char* name;
        std::function<void(MonitorHarness&)> afterMarking;
    } cases[] = {
        {"the counters stand still", [](MonitorHarness&) {}},
        // The report erases the window; the recovered screen compares with the last reading.
        {"a failure report", [](MonitorHarness& h) { h.SetDevicePresent(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorHarness h;
        h.station.stats.assign(37, 100);
        std::vector<std::string> steady, risen, next, recovered;
        h.At(500, [&] { steady = ValueMarks(h); });
        h.At(700, [&] {
            for (uint32_t& word : h.station.stats)
                ++word;
        });
        h.At(1500, [&] { risen = ValueMarks(h); });
        h.At(1600, [&] { c.afterMarking(h); });
        h.At(2500, [&] { next = ValueMarks(h); });
        h.At(2600, [&] { h.SetDevicePresent(true); });
        h.At(3500, [&] { recovered = ValueMarks(h); });
        h.RunTallyer(3600);
        EXPECT_EQ(steady, ErrorCountersMarked(0));
        EXPECT_EQ(risen, ErrorCountersMarked(3));
        EXPECT_EQ(next, ErrorCountersMarked(0));
        EXPECT_EQ(recovered, ErrorCountersMarked(0));
    }
}

// Counters of another adapter are no rise of this one's.
TEST(TallyerMarks, AnotherInstanceStartsWithoutMarks) {
    MonitorHarness h;
    h.station.stats.assign(37, 5);
    std::vector<std::string> switched;
    h.At(700, [&] { h.station.stats.assign(37, 900); });
    h.KeyAt(800, '1');
    h.KeysAt(810, "1\n");
    h.At(1500, [&] { switched = ValueMarks(h); });
    h.RunTallyer(1600);
    EXPECT_EQ(switched, ErrorCountersMarked(0));
}

}  // namespace
