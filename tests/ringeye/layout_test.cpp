// Value formatting and the station header every screen paints first.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "ringeye/layout.h"
#include "tests/harness/monitor_harness.h"

namespace {

TEST(PutTimeMs, ConvertsNegativeCountsOf80Nanoseconds) {
    const struct {
        int32_t value;
        const char* shown;
    } cases[] = {
        {-12500, "  1.000 ms"}, {-2062500, "165.000 ms"},     {0, "  0.000 ms"},
        {1, " -0.000 ms"},      {INT32_MIN, "171798.692 ms"}, {-3125, "  0.250 ms"},
    };
    for (const auto& c : cases) {
        char text[64];
        std::snprintf(text, sizeof text, "%7.3f ms", TimeToMs(c.value));
        EXPECT_STREQ(text, c.shown) << c.value;
    }
}

TEST(TextTables, NumbersBeyondATableShowTheFallback) {
    EXPECT_STREQ(TextOf(EcmStateNames, 7), "DEINSERT");
    EXPECT_STREQ(TextOf(EcmStateNames, 8), "?");
    EXPECT_STREQ(TextOf(CfStateNames, 0xFFFFFFFFu), "?");
}

struct HeaderCase {
    const char* name;
    FakeStation::Bytes manufacturer, user;
    uint32_t ecm, cf, rmt;
    std::string row1, row2, row3;  // from column 19
};

TEST(StationHeader, PaintsIdentityAndStates) {
    FakeStation::Bytes longText = {0x08, 0x00, 0x3E};
    for (int i = 0; i < 29; ++i)
        longText.push_back(static_cast<uint8_t>('a' + i % 26));
    FakeStation::Bytes shortUser(32, 'x');
    shortUser[5] = 0;
    std::string longShown(longText.begin() + 3, longText.end());
    const HeaderCase cases[] = {
        {"healthy", longText, shortUser, 1, 12, 2,
         "0800 3E12 3456  ECM-IN       CFM-THRU     RMT-RING_OP ", longShown,
         "xxxxx" + std::string(27, ' ')},
        {"beyond the tables", longText, shortUser, 8, 13, 9,
         "0800 3E12 3456  ECM-?        CFM-?        RMT-?       ", longShown,
         "xxxxx" + std::string(27, ' ')},
    };
    for (const HeaderCase& c : cases) {
        MonitorHarness h;
        h.station.FillHealthy(2);
        h.station.Set(0x1010, c.manufacturer);
        h.station.Set(0x1011, c.user);
        h.station.SetSmt(0x1029, c.ecm);
        h.station.SetSmt(0x102A, c.cf);
        h.station.SetObject(0x206F, c.rmt);
        std::string row1, row2, row3;
        h.At(500, [&] {
            row1 = h.Cells(1, 19, 54);
            row2 = h.Cells(2, 19, 29);
            row3 = h.Cells(3, 19, 32);
        });
        h.RunRingeye(600);
        EXPECT_EQ(row1, c.row1) << c.name;
        EXPECT_EQ(row2, c.row2) << c.name;
        EXPECT_EQ(row3, c.row3) << c.name;
    }
}

}  // namespace
