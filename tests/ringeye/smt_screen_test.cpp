// Screen 2, the SMT object, through the real program entry: every value at its place on both
// pages, the text tables' fallbacks, flags, clipping at the pad's edge and stale tails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"

namespace {

uint32_t Negative(int32_t value) {
    return static_cast<uint32_t>(value);
}

// A healthy dual-attachment station whose SMT values all differ, with bytes beside the read
// ones set where a wider read would show them.
void SetSmtFixture(FakeStation& station) {
    station.FillHealthy(2);
    station.SetSmt(0x1015, 1);
    station.SetSmt(0x1016, 2);
    station.SetSmt(0x1017, 3);
    station.SetSmt(0x1018, 0x05);
    station.SetSmt(0x1019, 0x0002);
    station.SetSmt(0x101A, 0x0001);
    station.SetSmt(0x101B, 0x8021);
    station.SetSmt(0x101D, 0x1234FFF0);
    station.SetSmt(0x101E, 0x80);
    station.SetSmt(0x101F, Negative(-12500));
    station.SetSmt(0x1020, 0x00010002);
    station.SetSmt(0x1021, 0x0001);
    station.SetSmt(0x1022, 0);
    station.SetSmt(0x100E, 0x0104);
    station.SetSmt(0x100F, 0x0001);
    station.SetSmt(0x1029, 5);
    station.SetSmt(0x102A, 9);
    station.SetSmt(0x102B, 0);
    station.SetSmt(0x102C, 0xFF);
    station.SetSmt(0x102D, 1);
    station.SetSmt(0x102E, 0);
    station.Set(0x1033, {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x2A});
    station.Set(0x1034, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0});
    station.Set(0x1035, {0x00, 0x00, 0x00, 0x07, 0xFF, 0xEE, 0xDD, 0xCC, 0x00, 0x0F, 0x42, 0x40});
    station.Set(0x1036, {0x00, 0x00, 0x08, 0x00, 0x3E, 0x12, 0x34, 0x56});
}

// The fixture's page rows, screen rows 5 to 21.
const Rows kFixtureFirstPage = PaddedRows({
    "    Station Config Group                   StationId Group",
    "  MAC_Ct         : 0x01                  OpVersion Id          : 0x0002",
    "  NonMaster_Ct   : 0x02                  HiVersion Id          : 0x0104",
    "  Master_Ct      : 0x03                  LoVersion Id          : 0x0001",
    "    AvailablePaths                         Status Group",
    "  Primary        : True                  ECM State             : Insert",
    "  Secondary      : False                 CF_State              : C_Wrap_A",
    "  Local          : True                  HoldState             : Not Holding",
    "    ConfigCapabilities                   RemoteDisconnectFlag  : True",
    "  Hold Available      : False            StationStatus         : Separated",
    "  CF_Wrap_AB          : True             PeerWrapFlag          : False",
    "    ConfigPolicy                           MIB Operation Group",
    "  ConfigurationHold   : True             TimeStamp             : 0x0000002A",
    "                                         TransitionTimeStamp   : 0x9ABCDEF0",
    "                                         SetCount              : 0x00000007",
    "                                         SetCount Timestamp    : 0x000F4240",
    "                                         LastSetStationId      : 0x3E123456",
});
const Rows kFixtureSecondPage = PaddedRows({
    "                              ConnectionPolicy",
    "                reject A-A : True         reject A-B : False",
    "                reject A-S : False        reject A-M : False",
    "                reject B-A : False        reject B-B : True",
    "                reject B-S : False        reject B-M : False",
    "                reject S-A : False        reject S-B : False",
    "                reject S-S : False        reject S-M : False",
    "                reject M-A : False        reject M-B : False",
    "                reject M-S : False        reject M-M : True",
    "                        T_Notify      Seconds : 65520",
    "                        StatRptPolicy         : True",
    "                        Trace_MaxExpiration   :   1.000 ms",
    "                        PORTIndexes           : 0x0002",
    "                        MACIndexes            : 0x0001",
    "                        BypassPresent         : False",
    "",
    "",
});
TEST(SmtScreen, ShowsEveryValueOnBothPages) {
    MonitorHarness h;
    SetSmtFixture(h.station);
    const ScreenPages pages = ShowBothPages(h, '2', 8);
    EXPECT_EQ(pages.title, "SMT Data");
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

TEST(SmtScreen, ShowsEachValueEdgeInItsRowsOnly) {
    const ValueCase cases[] = {
        {"ConnectionPolicy 0x8000 rejects M-M only",
         0x101B,
         0x8000,
         true,
         6,
         {"                reject A-A : False        reject A-B : False",
          "                reject A-S : False        reject A-M : False",
          "                reject B-A : False        reject B-B : False",
          "                reject B-S : False        reject B-M : False",
          "                reject S-A : False        reject S-B : False",
          "                reject S-S : False        reject S-M : False",
          "                reject M-A : False        reject M-B : False",
          "                reject M-S : False        reject M-M : True"}},
        {"ConnectionPolicy 0x0001 rejects A-A only",
         0x101B,
         0x0001,
         true,
         6,
         {"                reject A-A : True         reject A-B : False",
          "                reject A-S : False        reject A-M : False",
          "                reject B-A : False        reject B-B : False",
          "                reject B-S : False        reject B-M : False",
          "                reject S-A : False        reject S-B : False",
          "                reject S-S : False        reject S-M : False",
          "                reject M-A : False        reject M-B : False",
          "                reject M-S : False        reject M-M : False"}},
        {"HoldState 1 has no text of its own",
         0x102B,
         1,
         false,
         12,
         {"  Local          : True                  HoldState             : None"}},
        {"ECM state 8",
         0x1029,
         8,
         false,
         10,
         {"  Primary        : True                  ECM State             : None"}},
        {"CF state 13",
         0x102A,
         13,
         false,
         11,
         {"  Secondary      : False                 CF_State              : None"}},
        {"CF state 255",
         0x102A,
         255,
         false,
         11,
         {"  Secondary      : False                 CF_State              : None"}},
        {"StationStatus 3",
         0x102D,
         3,
         false,
         14,
         {"  Hold Available      : False            StationStatus         : Unknown"}},
        {"HoldState 3 is clipped at the last column, not wrapped",
         0x102B,
         3,
         false,
         12,
         {"  Local          : True                  HoldState             : Holding On Seco",
          "    ConfigCapabilities                   RemoteDisconnectFlag  : True"}},
        {"PeerWrapFlag 0x02",
         0x102E,
         0x02,
         false,
         15,
         {"  CF_Wrap_AB          : True             PeerWrapFlag          : True"}},
        {"RemoteDisconnectFlag with its last byte zero",
         0x102C,
         0xFFFFFF00,
         false,
         13,
         {"    ConfigCapabilities                   RemoteDisconnectFlag  : False"}},
        {"BypassPresent 0x40",
         0x1022,
         0x40,
         true,
         19,
         {"                        BypassPresent         : True"}},
        {"StatRptPolicy with its last byte zero",
         0x101E,
         0x00000100,
         true,
         15,
         {"                        StatRptPolicy         : False"}},
        {"Trace_MaxExpiration of 7 s",
         0x101F,
         Negative(-87500000),
         true,
         16,
         {"                        Trace_MaxExpiration   : 7000.000 ms"}},
    };
    for (const ValueCase& c : cases) {
        MonitorHarness h;
        SetSmtFixture(h.station);
        h.station.SetSmt(c.type, c.value);
        const ScreenPages pages = ShowBothPages(h, '2', 8);
        const Rows& changed = c.secondPage ? pages.second : pages.first;
        const Rows& other = c.secondPage ? pages.first : pages.second;
        const Rows& fixture = c.secondPage ? kFixtureSecondPage : kFixtureFirstPage;
        const Rows& otherFixture = c.secondPage ? kFixtureFirstPage : kFixtureSecondPage;
        EXPECT_EQ(changed, Replaced(fixture, c.firstRow, c.rows)) << c.name;
        EXPECT_EQ(other, otherFixture) << c.name;
    }
}

const char kNoPortsRow[] =
    "  NonMaster_Ct   : 0x00                  HiVersion Id          : 0x0104";

TEST(SmtScreen, MibOperationGroupKeepsItsValuesWhileNoPortIsCounted) {
    MonitorHarness h;
    SetSmtFixture(h.station);
    Rows shown;
    h.KeyAt(100, '2');
    h.At(1500, [&] {
        h.station.SetSmt(0x1016, 0);
        h.station.Set(0x1033, {0, 0, 0, 0, 0, 0, 0, 0x77});
        h.station.Set(0x1036, {0, 0, 0, 0, 0, 0, 0, 0x77});
    });
    h.At(2600, [&] { shown = h.Rows(5, 21); });
    h.RunRingeye(2700);
    EXPECT_EQ(shown, Replaced(kFixtureFirstPage, 7, {kNoPortsRow}));
}

TEST(SmtScreen, MibOperationGroupShowsZerosBeforeAnyFill) {
    MonitorHarness h;
    SetSmtFixture(h.station);
    h.station.SetSmt(0x1016, 0);
    const ScreenPages pages = ShowBothPages(h, '2', 8);
    const Rows zeros = {
        "  ConfigurationHold   : True             TimeStamp             : 0x00000000",
        "                                         TransitionTimeStamp   : 0x00000000",
        "                                         SetCount              : 0x00000000",
        "                                         SetCount Timestamp    : 0x00000000",
        "                                         LastSetStationId      : 0x00000000",
    };
    EXPECT_EQ(pages.first, Replaced(Replaced(kFixtureFirstPage, 7, {kNoPortsRow}), 17, zeros));
}

}  // namespace
