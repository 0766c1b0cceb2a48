// The Composite screen: every value at its place on both pages, the port lines of dual- and
// single-attachment stations, and the transmitted-frames rate.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/harness/monitor_harness.h"

namespace {

constexpr int kScreenWidth = 84;
constexpr int kFirstPageRow = 5, kLastPageRow = 21;

struct Piece {
    int column;
    std::string text;
};

// A shown row: blanks with each piece at its column.
std::string Line(std::initializer_list<Piece> pieces = {}) {
    std::string row(kScreenWidth, ' ');
    for (const Piece& piece : pieces)
        row.replace(piece.column, piece.text.size(), piece.text);
    return row;
}

struct PortValues {
    uint32_t myType, connectionPolicies, lerCutoff, lerAlarm, connectState, neighborType,
        macIndicated, pcmState, lerEstimate, lemCount, lemRejectCount;
};

const PortValues kFirstPort = {0, 0x0A1B, 7, 8, 1, 3, 0x00000100, 8, 15, 0x1001, 0x1002};
// The second port's neighbour indicates T_Val alone: no MAC upstream of it (RemoteMAC 0).
const PortValues kSecondPort = {1, 0x2C3D, 9, 10, 2, 0, 0x00010000, 6, 12, 0x2001, 0x2002};

void SetPort(FakeStation& station, uint32_t port, const PortValues& values) {
    station.SetObject(0x400C, values.myType, port);
    station.SetObject(0x400D, values.neighborType, port);
    station.SetObject(0x400E, values.connectionPolicies, port);
    station.SetObject(0x400F, values.macIndicated, port);
    station.SetObject(0x4033, values.lerEstimate, port);
    station.SetObject(0x4034, values.lemRejectCount, port);
    station.SetObject(0x4035, values.lemCount, port);
    station.SetObject(0x403A, values.lerCutoff, port);
    station.SetObject(0x403B, values.lerAlarm, port);
    station.SetObject(0x403D, values.connectState, port);
    station.SetObject(0x403E, values.pcmState, port);
}

uint32_t FddiTime(int32_t units) {
    return static_cast<uint32_t>(units);
}

// A station whose every shown value differs from every other. Both ports' records exist; a
// single-attachment station (ports 1) is never asked for the second.
void SetDistinctStation(FakeStation& station, uint32_t ports) {
    station.FillHealthy(ports);
    station.SetSmt(0x100E, 0x0103);
    station.SetSmt(0x100F, 0x0101);
    station.SetSmt(0x1015, 0x00000A05);  // only the low byte is the count
    station.SetSmt(0x1017, 0x06);
    station.SetSmt(0x1018, 0x07);
    station.SetSmt(0x1019, 0xFFFF0011);  // only the low 16 bits are the value
    station.SetSmt(0x101A, 0x0022);
    station.SetSmt(0x101B, 0x0033);
    station.SetAddress(0x2018, {0x08, 0x00, 0x5A, 0x01, 0x02, 0x03});
    station.SetAddress(0x2019, {0x08, 0x00, 0x5A, 0x04, 0x05, 0x06});
    station.SetAddress(0x201A, {0x08, 0x00, 0x5A, 0x07, 0x08, 0x09});
    station.SetAddress(0x201B, {0x08, 0x00, 0x5A, 0x0A, 0x0B, 0x0C});
    station.SetObject(0x200D, FddiTime(-12500));
    station.SetObject(0x200E, FddiTime(-31250));
    station.SetObject(0x2033, FddiTime(-2062500));
    station.SetObject(0x2034, FddiTime(-12345));
    station.SetObject(0x2035, FddiTime(-2000000));
    station.SetObject(0x2036, FddiTime(-25000));
    station.SetObject(0x2047, 0x00A1B2C3);
    station.SetObject(0x2048, 0x00B2C3D4);
    station.SetObject(0x2049, 0x00C3D4E5);
    station.SetObject(0x204A, 0x00D4E5F6);
    station.SetObject(0x2056, 0x00000007);
    station.SetObject(0x2051, 0x0000E001);
    station.SetObject(0x2052, 0x0000E002);
    station.SetObject(0x2053, 0x0000E003);
    station.SetObject(0x2054, 0x0000E004);
    station.SetObject(0x2055, 0x00012345);
    PortValues first = kFirstPort;
    if (ports == 1) first.myType = 2;
    SetPort(station, 1, first);
    SetPort(station, 2, kSecondPort);
}

const std::string kMacHeading =
    "MAC:  UpStreamNbr    DownStreamNbr  :  OldUpStreamNbr  OldDownStreamNbr";
const std::string kPortHeading =
    "PHY: ConPol Cutoff Alarm ConState    RemoteType RemoteMAC   PCM    LER";
const std::string kFirstPortLine =
    " A    0A1B     7     8   CONNECTING      M          1      ACTIVE   15 ";
const std::string kSecondPortLine =
    " B    2C3D     9    10   STANDBY         A          0      JOIN     12 ";

// Screen rows 5 to 21 of the first page of the distinct station, the second port line aside.
std::vector<std::string> FirstPage(const std::string& firstPortLine,
                                   const std::string& secondPortRow) {
    return {
        Line({{2, "SMT Version Op : 0x0002"}, {29, "Hi: 0x0103"}, {41, "Lo: 0x0101"}}),
        Line(),
        Line({{2, kMacHeading}}),
        Line({{2, " 1   0800 5A01 0203  0800 5A04 0506 : "},
              {40, " 0800 5A07 0809  0800 5A0A 0B0C"}}),
        Line(),
        Line({{2, kPortHeading}}),
        Line({{2, firstPortLine}}),
        secondPortRow,
        Line({{2, "T-MAX Low:   1.000 ms"}, {44, "MAC Attribute Counts"}}),
        Line({{2, "TVX   Low:   2.500 ms"},
              {27, "Frame    : 0x00A1B2C3"},
              {52, "Error     : 0x0000E001"}}),
        Line({{2, "T-Req    : 165.000 ms"},
              {27, "Copied   : 0x00B2C3D4"},
              {52, "Lost      : 0x0000E002"}}),
        Line({{2, "T-Neg    :   0.988 ms"},
              {27, "Transmit : 0x00C3D4E5"},
              {52, "TvxExpired: 0x0000E003"}}),
        Line({{2, "T-Max    : 160.000 ms"},
              {27, "Frame/sec: 0x00000000"},
              {52, "NotCopied : 0x0000E004"}}),
        Line({{2, "TvxValue :   2.000 ms"},
              {27, "Token    : 0x00D4E5F6"},
              {52, "Late      :     0x2345"}}),
        Line({{27, "RingOp   : 0x00000007"}}),
        Line(),
        Line(),
    };
}

// Screen rows 5 to 21 of the second page (pad rows 22 to 38).
std::vector<std::string> SecondPage(const std::string& secondPortLemRow,
                                    const std::string& nonMaster) {
    std::vector<std::string> rows = {
        Line({{2, "Lem PHYA: 0x00001001"}, {23, "Reject: 0x00001002"}}),
        secondPortLemRow,
        Line(),
        Line({{2, "MAC Count:   0x05"}, {23, "ConfigCap  : 0x0011"}}),
        Line({{2, "NonMaster:   " + nonMaster}, {23, "ConfigPol  : 0x0022"}}),
        Line({{2, "Master   :   0x06"}, {23, "ConnectPol : 0x0033"}}),
        Line({{2, "PathsAval:   0x07"}}),
    };
    rows.resize(kLastPageRow - kFirstPageRow + 1, Line());
    return rows;
}

struct Pages {
    std::vector<std::string> first, second;
};

Pages ShowBothPages(uint32_t ports) {
    MonitorHarness h;
    SetDistinctStation(h.station, ports);
    Pages pages;
    h.At(500, [&] { pages.first = h.Rows(kFirstPageRow, kLastPageRow); });
    h.KeyAt(600, ' ');
    h.At(700, [&] { pages.second = h.Rows(kFirstPageRow, kLastPageRow); });
    h.RunRingeye(800);
    return pages;
}

void ExpectRows(const std::vector<std::string>& shown, const std::vector<std::string>& expected,
                const char* page) {
    ASSERT_EQ(shown.size(), expected.size()) << page;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(shown[i], expected[i]) << page << ", screen row " << kFirstPageRow + i;
    }
}

TEST(CompositeScreen, DualAttachmentStationShowsEveryValueInItsPlace) {
    const Pages pages = ShowBothPages(2);
    ExpectRows(pages.first, FirstPage(kFirstPortLine, Line({{2, kSecondPortLine}})), "page 1");
    ExpectRows(pages.second,
               SecondPage(Line({{2, "Lem PHYB: 0x00002001"}, {23, "Reject: 0x00002002"}}), "0x02"),
               "page 2");
}

TEST(CompositeScreen, SingleAttachmentStationShowsOnePortOnly) {
    const Pages pages = ShowBothPages(1);
    const std::string singlePortLine =
        " S    0A1B     7     8   CONNECTING      M          1      ACTIVE   15 ";
    ExpectRows(pages.first, FirstPage(singlePortLine, Line()), "page 1");
    ExpectRows(pages.second, SecondPage(Line({{2, "Lem PHYB:"}, {23, "Reject:"}}), "0x01"),
               "page 2");
}

TEST(CompositeScreen, StateNumbersBeyondTheirTablesShowAQuestionMark) {
    MonitorHarness h;
    SetDistinctStation(h.station, 2);
    SetPort(h.station, 1, {5, 0, 0, 0, 4, 0xFFFFFFFF, 0, 10, 0, 0, 0});
    SetPort(h.station, 2, {0x80000000, 0xFFFF, 0, 0, 0x7FFFFFFF, 5, 1, 0xFFFFFFFF, 0, 0, 0});
    std::vector<std::string> portLines;
    h.At(500, [&] { portLines = h.Rows(11, 12); });
    h.RunRingeye(600);
    ASSERT_EQ(portLines.size(), 2u);
    EXPECT_EQ(
        portLines[0],
        Line({{2, " ?    0000     0     0   ?               ?          0      ?         0 "}}));
    EXPECT_EQ(
        portLines[1],
        Line({{2, " ?    FFFF     0     0   ?               ?          1      ?         0 "}}));
}

// Transmit-Ct is set before the run and between refreshes (at 0, 1000, 2000, ...); the rate is
// read after each refresh.
struct RateStep {
    uint32_t transmitCount;
    const char* shownRate;
};

std::vector<std::string> ShownRates(const std::vector<RateStep>& steps) {
    MonitorHarness h;
    SetDistinctStation(h.station, 2);
    std::vector<std::string> shown(steps.size());
    h.station.SetObject(0x2049, steps[0].transmitCount);
    for (size_t i = 0; i < steps.size(); ++i) {
        const uint64_t refresh = 1000 * i;
        if (i > 0)
            h.At(refresh - 300,
                 [&h, &steps, i] { h.station.SetObject(0x2049, steps[i].transmitCount); });
        h.At(refresh + 500, [&h, &shown, i] { shown[i] = h.Cells(17, 38, 10); });
    }
    h.RunRingeye(1000 * steps.size());
    return shown;
}

TEST(CompositeScreen, FrameRateFollowsTheTransmitCounter) {
    const struct {
        const char* name;
        std::vector<RateStep> steps;
    } cases[] = {
        {"first reading", {{0x12345678, "0x00000000"}, {0x12345678 + 250, "0x000000FA"}}},
        {"counter that stays 0, then starts",
         {{0, "0x00000000"}, {0, "0x00000000"}, {1000, "0x00000000"}, {1250, "0x000000FA"}}},
        // A counter that falls has wrapped around.
        {"counter that falls", {{1000, "0x00000000"}, {1250, "0x000000FA"}, {1000, "0xFFFFFF06"}}},
        {"rise whose thousandfold passes 32 bits",
         {{1, "0x00000000"}, {1 + 0x02000000, "0x02000000"}, {1 + 0x06000000, "0x04000000"}}},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> shown = ShownRates(c.steps);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            EXPECT_EQ(shown[i], c.steps[i].shownRate) << c.name << ", refresh " << i;
        }
    }
}

TEST(CompositeScreen, FrameRateIsPerSecondOfTheChosenDelay) {
    MonitorHarness h;
    SetDistinctStation(h.station, 2);
    h.station.SetObject(0x2049, 5000);
    std::string oneSecond, fiveSeconds;
    h.At(600, [&] { h.station.SetObject(0x2049, 5250); });
    h.At(1500, [&] { oneSecond = h.Cells(17, 38, 10); });
    h.KeyAt(1600, '9');
    h.KeysAt(1610, "5\n");
    h.At(1700, [&] { h.station.SetObject(0x2049, 5500); });
    h.At(7000, [&] { fiveSeconds = h.Cells(17, 38, 10); });
    h.RunRingeye(7100);
    EXPECT_EQ(oneSecond, "0x000000FA");
    EXPECT_EQ(fiveSeconds, "0x00000032");
}

TEST(CompositeScreen, PageStaysAcrossScreenChanges) {
    MonitorHarness h;
    SetDistinctStation(h.station, 2);
    std::string secondPage, afterOtherScreen, backToFirst;
    h.KeyAt(300, ' ');
    h.At(500, [&] { secondPage = h.Cells(5, 0, 12); });
    h.KeyAt(1000, '2');
    h.KeyAt(1500, '1');
    h.At(2000, [&] { afterOtherScreen = h.Cells(5, 0, 12); });
    h.KeyAt(2100, ' ');
    h.At(2500, [&] { backToFirst = h.Cells(5, 0, 19); });
    h.RunRingeye(2600);
    EXPECT_EQ(secondPage, "  Lem PHYA: ");
    EXPECT_EQ(afterOtherScreen, "  Lem PHYA: ");
    EXPECT_EQ(backToFirst, "  SMT Version Op : ");
}

}  // namespace
