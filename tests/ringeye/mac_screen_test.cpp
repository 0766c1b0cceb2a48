// Screen 3, the first MAC, through the real program entry: every value at its place on both
// pages, enumerations and bits, addresses, timers with and without unit, clipping at the pad's
// edge and stale tails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"

namespace {

uint32_t Negative(int32_t value) {
    return static_cast<uint32_t>(value);
}

// A healthy dual-attachment station whose MAC values all differ.
void SetMacFixture(FakeStation& station) {
    station.FillHealthy(2);
    station.SetObject(0x200B, 0x0005);
    station.SetObject(0x200C, 0x0006);
    station.SetObject(0x200D, Negative(-12500));
    station.SetObject(0x200E, Negative(-31250));
    station.SetObject(0x2016, 0x03);
    station.SetObject(0x2017, 4);
    station.SetAddress(0x2018, {0x00, 0x00, 0xF8, 0x12, 0x34, 0x56});
    station.SetAddress(0x2019, {0x08, 0x00, 0x3E, 0xAA, 0xBB, 0xCC});
    station.SetAddress(0x201A, {0x08, 0x00, 0x3E, 0x01, 0x02, 0x03});
    station.SetAddress(0x201B, {0x08, 0x00, 0x3E, 0x04, 0x05, 0x06});
    station.SetObject(0x201D, 2);
    station.SetObject(0x2020, 0x5A);
    station.SetObject(0x2021, 3);
    station.SetAddress(0x2029, {0x08, 0x00, 0x3E, 0x12, 0x34, 0x56});
    station.SetAddress(0x202C, {0x01, 0x80, 0xC2, 0x00, 0x00, 0x0F});
    station.Set(0x202D, {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xC0, 0x01}, 1);
    const int32_t timers[][2] = {
        {0x2033, -100000}, {0x2034, -112500}, {0x2035, -2062500}, {0x2036, -31250},
        {0x2038, -12500},  {0x2039, -25000},  {0x203A, -37500},   {0x203B, -50000},
        {0x203C, -62500},  {0x203D, -75000},  {0x203E, -87500},
    };
    for (const auto& timer : timers) {
        station.SetObject(static_cast<uint16_t>(timer[0]), Negative(timer[1]));
    }
}

// The fixture's page rows, screen rows 5 to 21.
const Rows kFixtureFirstPage = PaddedRows({
    "        Capabilities Group                 Address Group",
    "       FrameStatusFunctions              SMTAddress    : 0800 3E12 3456",
    "  FS-Repeating: True                     LongGrpAddrs  : 0180 C200 000F",
    "  FS-Setting  : False                    ShortGrpAddrs : C001",
    "  FS-Clearing : True",
    "    BridgeFunction",
    "  Transparent Bridging : False             Operation Group in (ms)",
    "  Source Routing       : True            T_Req    :   8.000",
    "  Src Routing Transp.  : True            T_Neg    :   9.000",
    "  T_MaxCapability :  1.000 ms            T_MAx    : 165.000",
    "  TVXCapability   :  2.500 ms            Tvx Value:   2.500",
    "        Config Group                     T_Pri[0] :   1.000  T_Pri[1] :   2.000",
    "       AvailablePaths                    T_Pri[2] :   3.000  T_Pri[3] :   4.000",
    "  Primary     : True                     T_Pri[4] :   5.000  T_Pri[5] :   6.000",
    "  Secondary   : True                     T_Pri[6] :   7.000",
    "  Local       : False",
    "  CurrentPath : Concatenated",
});
const Rows kFixtureSecondPage = PaddedRows({
    "  UpstreamNbr         : 0000 F812 3456",
    "  DownstreamNbr       : 0800 3EAA BBCC",
    "  Old UpstreamNbr     : 0800 3E01 0203",
    "  Old DownstreamNbr   : 0800 3E04 0506",
    "  Dup_Addr_Test       : Fail                DownstreamPORTType : M",
    "",
    "               RequestedPaths",
    "",
    "  Local          : False   Secondary-Alt  : True",
    "  Primary-Alt    : False   Concat-Alt     : True",
    "  Secondary-Pref : True    Primary-Pref   : False",
    "  Concat-Pref    : True    Thru           : False",
    "",
    "",
    "",
    "",
    "",
});
TEST(MacScreen, ShowsEveryValueOnBothPages) {
    MonitorHarness h;
    SetMacFixture(h.station);
    const ScreenPages pages = ShowBothPages(h, '3', 22);
    EXPECT_EQ(pages.title, "MAC Configs & Ops Data");
    EXPECT_EQ(pages.first, kFixtureFirstPage);
    EXPECT_EQ(pages.second, kFixtureSecondPage);
}

struct ValueCase {
    const char* name;
    uint16_t type;
    uint32_t value;
    bool secondPage;
    int firstRow;  // screen row of rows[0]
    Rows rows;
};

TEST(MacScreen, ShowsEachValueEdgeInItsRowsOnly) {
    const ValueCase cases[] = {
        {"CurrentPath 3", 0x2017, 3, false, 21, {"  CurrentPath : Primary"}},
        {"CurrentPath 6", 0x2017, 6, false, 21, {"  CurrentPath : ?"}},
        {"Dup_Addr_Test 1",
         0x201D,
         1,
         true,
         9,
         {"  Dup_Addr_Test       : Pass                DownstreamPORTType : M"}},
        {"Dup_Addr_Test 3",
         0x201D,
         3,
         true,
         9,
         {"  Dup_Addr_Test       : Unknown             DownstreamPORTType : M"}},
        {"DownstreamPORTType 1",
         0x2021,
         1,
         true,
         9,
         {"  Dup_Addr_Test       : Fail                DownstreamPORTType : B"}},
        {"DownstreamPORTType 4",
         0x2021,
         4,
         true,
         9,
         {"  Dup_Addr_Test       : Fail                DownstreamPORTType : None"}},
        {"RequestedPaths 0x80 is Thru only",
         0x2020,
         0x80,
         true,
         13,
         {"  Local          : False   Secondary-Alt  : False",
          "  Primary-Alt    : False   Concat-Alt     : False",
          "  Secondary-Pref : False   Primary-Pref   : False",
          "  Concat-Pref    : False   Thru           : True"}},
        {"RequestedPaths 0x01 is Local only",
         0x2020,
         0x01,
         true,
         13,
         {"  Local          : True    Secondary-Alt  : False",
          "  Primary-Alt    : False   Concat-Alt     : False",
          "  Secondary-Pref : False   Primary-Pref   : False",
          "  Concat-Pref    : False   Thru           : False"}},
        {"FrameStatusFunctions 0x0007",
         0x200B,
         0x0007,
         false,
         7,
         {"  FS-Repeating: True                     LongGrpAddrs  : 0180 C200 000F",
          "  FS-Setting  : True                     ShortGrpAddrs : C001", "  FS-Clearing : True"}},
        {"BridgeFunction 0x0002",
         0x200C,
         0x0002,
         false,
         11,
         {"  Transparent Bridging : False             Operation Group in (ms)",
          "  Source Routing       : True            T_Req    :   8.000",
          "  Src Routing Transp.  : False           T_Neg    :   9.000"}},
        {"T_Pri[1] of 10000 ms is clipped at the last column, not wrapped",
         0x2039,
         Negative(-125000000),
         false,
         16,
         {"        Config Group                     T_Pri[0] :   1.000  T_Pri[1] : 10000.00",
          "       AvailablePaths                    T_Pri[2] :   3.000  T_Pri[3] :   4.000"}},
    };
    for (const ValueCase& c : cases) {
        MonitorHarness h;
        SetMacFixture(h.station);
        h.station.SetObject(c.type, c.value);
        const ScreenPages pages = ShowBothPages(h, '3', 22);
        const Rows& changed = c.secondPage ? pages.second : pages.first;
        const Rows& other = c.secondPage ? pages.first : pages.second;
        const Rows& fixture = c.secondPage ? kFixtureSecondPage : kFixtureFirstPage;
        const Rows& otherFixture = c.secondPage ? kFixtureFirstPage : kFixtureSecondPage;
        EXPECT_EQ(changed, Replaced(fixture, c.firstRow, c.rows)) << c.name;
        EXPECT_EQ(other, otherFixture) << c.name;
    }
}

}  // namespace
