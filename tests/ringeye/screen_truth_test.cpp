// What the station monitor shows after the station changed between two refreshes: the same
// screen as entering it with the new state would show, nothing left of the old state; and a
// frames-per-second rate over the time that really passed.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/harness/monitor_harness.h"

namespace {

using StationStep = std::function<void(MonitorHarness&)>;

// The whole shown screen but the spinner's cell: screen rows 0 to 23 on the first page, then
// rows 5 to 21 of the second.
std::vector<std::string> ShownScreen(char screenKey, const StationStep& setUp,
                                     const StationStep& change) {
    MonitorHarness h;
    setUp(h);
    h.KeyAt(100, screenKey);
    change(h);  // schedules its events between 1500 and 2500 ms
    std::vector<std::string> shown;
    h.At(4500, [&] {
        shown = h.Rows(0, 23);
        shown[0] = shown[0].substr(1);
    });
    h.KeyAt(4600, ' ');
    h.At(4700, [&] {
        for (const std::string& row : h.Rows(5, 21))
            shown.push_back(row);
    });
    h.RunRingeye(4800);
    return shown;
}

struct ChangeCase {
    const char* name;
    char screenKey;
    StationStep before, change, after;  // `after` alone gives the station `change` leaves
};

// The screen after the change equals the screen entered on the changed station.
void ExpectAsIfEnteredAfterTheChange(const ChangeCase& c) {
    const StationStep none = [](MonitorHarness&) {};
    const StationStep afterAlone = [&c](MonitorHarness& h) {
        c.before(h);
        c.after(h);
    };
    EXPECT_EQ(ShownScreen(c.screenKey, c.before, c.change),
              ShownScreen(c.screenKey, afterAlone, none))
        << c.name;
}

// One attribute whose text shortens: `from` before the change, `to` after it.
struct TextChange {
    uint16_t type;
    bool smt;  // an SMT attribute, else a MAC, PATH or PORT one of resource 1
    uint32_t from, to;
};

void SetAll(MonitorHarness& h, const std::vector<TextChange>& changes, bool after) {
    for (const TextChange& c : changes) {
        const uint32_t value = after ? c.to : c.from;
        if (c.smt)
            h.station.SetSmt(c.type, value);
        else
            h.station.SetObject(c.type, value);
    }
}

ChangeCase ShorterTexts(const char* name, char screenKey, std::vector<TextChange> changes) {
    return {
        name, screenKey,
        [changes](MonitorHarness& h) {
            h.station.FillHealthy(2);
            SetAll(h, changes, false);
        },
        [changes](MonitorHarness& h) { h.At(1500, [&h, changes] { SetAll(h, changes, true); }); },
        [changes](MonitorHarness& h) { SetAll(h, changes, true); }};
}

TEST(ScreenTruth, AShorterTextLeavesNothingOfTheLongerOne) {
    const ChangeCase cases[] = {
        // RING_OP_DUP to RING_OP, WRAP_AB to THRU in the header; CONNECT to NEXT in a port line.
        ShorterTexts("header", '1',
                     {{0x206F, false, 5, 2}, {0x102A, true, 7, 12}, {0x403E, false, 3, 4}}),
        // Holding On Secondary to None, Concatenated to Thru.
        ShorterTexts("SMT", '2', {{0x102B, true, 3, 1}, {0x102D, true, 0, 2}}),
        // Concatenated to Thru, Unknown to None.
        ShorterTexts("MAC", '3', {{0x2017, false, 4, 5}, {0x201D, false, 7, 0}}),
        ShorterTexts("Counters", '4', {{0x206F, false, 4, 1}}),  // Non_Op_Dup to Non_Op
        // Connecting to Active, Connect to Next, Active to Idle, lowcost fiber to multimode.
        ShorterTexts("PORT", '5',
                     {{0x403D, false, 1, 3},
                      {0x403E, false, 3, 4},
                      {0x4022, false, 4, 1},
                      {0x4016, false, 4, 0}}),
        ShorterTexts("PATH", '7', {{0x320E, false, 0x0004, 0x0010}}),  // terminated to none
    };
    for (const ChangeCase& c : cases)
        ExpectAsIfEnteredAfterTheChange(c);
}

StationStep Healthy(uint32_t ports) {
    return [ports](MonitorHarness& h) { h.station.FillHealthy(ports); };
}

// The station as another adapter: `after` ports from 1500 ms on, or from the start.
ChangeCase PortsBecome(const char* name, char screenKey, uint32_t before, uint32_t after) {
    return {
        name, screenKey, Healthy(before),
        [after](MonitorHarness& h) { h.At(1500, [&h, after] { h.station.FillHealthy(after); }); },
        Healthy(after)};
}

TEST(ScreenTruth, RepaintsAsOnEnteringAfterAFailureAnInstanceOrAPortCountChange) {
    const StationStep nothing = [](MonitorHarness&) {};
    const ChangeCase cases[] = {
        {"refused requests, then served again", '3', Healthy(2),
         [](MonitorHarness& h) {
             h.At(1500, [&h] { h.station.RefuseWith(0x1F); });
             h.At(2500, [&h] { h.station.RefuseWith(0); });
         },
         nothing},
        {"refused instance, then instance 0", '3',
         [](MonitorHarness& h) {
             h.station.FillHealthy(2);
             h.station.ServeInstances(2);
         },
         [](MonitorHarness& h) {
             h.KeyAt(1500, '8');
             h.KeysAt(1510, "2\n");
             h.KeyAt(2300, '8');
             h.KeysAt(2310, "0\n");
         },
         nothing},
        {"instance of a single-attachment adapter", '1', Healthy(2),
         [](MonitorHarness& h) {
             h.KeyAt(1500, '8');
             h.At(1505, [&h] { h.station.FillHealthy(1); });
             h.KeysAt(1510, "1\n");
         },
         Healthy(1)},
        PortsBecome("composite, two ports to one", '1', 2, 1),
        PortsBecome("port screen, two ports to one", '5', 2, 1),
        PortsBecome("port screen, one port to two", '5', 1, 2),
    };
    for (const ChangeCase& c : cases)
        ExpectAsIfEnteredAfterTheChange(c);
}

// A transmit counter that grows by 1000 frames a second, one every millisecond; the counter's
// steps are scheduled before the keys, so a refresh at any millisecond reads the count of that
// millisecond. The rate is read on screen row 17 at each capture time.
std::vector<std::string> RatesShown(const std::vector<std::pair<uint64_t, char>>& keys,
                                    const std::vector<uint64_t>& captures) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    constexpr uint64_t kEnd = 6000;
    for (uint64_t t = 0; t < kEnd; ++t) {
        const uint32_t count = 1000 + static_cast<uint32_t>(t);
        h.At(t, [&h, count] { h.station.SetObject(0x2049, count); });
    }
    for (const auto& [at, key] : keys)
        h.KeyAt(at, key);
    std::vector<std::string> shown;
    for (uint64_t at : captures)
        h.At(at, [&h, &shown] { shown.push_back(h.Cells(17, 38, 10)); });
    h.RunRingeye(kEnd);
    return shown;
}

TEST(ScreenTruth, FrameRateIsOverTheTimeThatPassed) {
    const std::string kSteady = "0x000003E8";  // 1000
    const struct {
        const char* name;
        std::vector<std::pair<uint64_t, char>> keys;
        std::vector<uint64_t> captures;
        std::vector<std::string> shown;
    } cases[] = {
        {"first reading, then every second",
         {},
         {500, 1500, 2500},
         {"0x00000000", kSteady, kSteady}},
        {"refreshes by key 0.2 s and 0.35 s apart",
         {{1200, '1'}, {1400, '1'}, {1750, '1'}},
         {1300, 1500, 1800},
         {kSteady, kSteady, kSteady}},
        {"back on screen 1 after 3.7 s elsewhere", {{1300, '2'}, {5000, '1'}}, {5100}, {kSteady}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RatesShown(c.keys, c.captures), c.shown) << c.name;
}

}  // namespace
