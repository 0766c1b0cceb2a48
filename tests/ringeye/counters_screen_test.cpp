// Screen 4: the first MAC's counters, condition values and status flags.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"

namespace {

using Bytes = FakeStation::Bytes;

struct CountersPages {
    std::vector<std::string> first, second;  // screen rows 5 to 21 of each page
};

CountersPages ShowCounters(MonitorHarness& h) {
    CountersPages pages;
    h.KeyAt(300, '4');
    h.At(600, [&] { pages.first = h.Rows(5, 21); });
    h.KeyAt(700, ' ');
    h.At(900, [&] { pages.second = h.Rows(5, 21); });
    h.RunRingeye(1000);
    return pages;
}

TEST(CountersScreen, PaintsEveryValueAtItsLabel) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    const uint16_t counters[] = {0x2047, 0x2048, 0x2049, 0x204A, 0x2051,
                                 0x2052, 0x2053, 0x2054, 0x2055, 0x2056};
    for (uint32_t k = 0; k < std::size(counters); ++k) {
        h.station.SetObject(counters[k], 0xA1B2C301 + k);
    }
    // Value bytes 4-5 of the thresholds and ratios are not part of their numbers.
    h.station.SetObject(0x205F, 0xEEEE1111);
    h.station.SetObject(0x2060, 0xEEEE2222);
    h.station.SetObject(0x2067, 0xEEEE3333);
    h.station.SetObject(0x2069, 0xEEEE4444);
    h.station.SetObject(0x206F, 5);
    const std::pair<uint16_t, uint32_t> flags[] = {{0x2070, 1},    {0x2071, 0}, {0x2072, 0},
                                                   {0x2073, 0x40}, {0x2074, 0}, {0x2075, 1},
                                                   {0x2076, 0xFF}};
    for (const auto& [type, value] : flags)
        h.station.SetObject(type, value);

    const std::vector<std::string> expected = {
        Line({{10, "Counters Group"}, {48, "Status Group"}}),
        Line({{2, "Frame_Ct           : 0xA1B2C301"},
              {41, "RMTState                  : Ring_Op_Dup"}}),
        Line({{2, "Copied_Ct          : 0xA1B2C302"}, {41, "DA_Flag                   : True "}}),
        Line({{2, "Transmit_Ct        : 0xA1B2C303"}, {41, "UNDA_Flag                 : False"}}),
        Line({{2, "Token_Ct           : 0xA1B2C304"}, {41, "FrameErrorFlag            : False"}}),
        Line({{2, "Error_Ct           : 0xA1B2C305"}, {41, "NotCopiedFlag             : True "}}),
        Line({{2, "Lost_Ct            : 0xA1B2C306"}, {41, "MA_UnitdataAvailable      : False"}}),
        Line({{2, "TvxExpired_Ct      : 0xA1B2C307"}, {41, "HardwarePresent           : True "}}),
        Line({{2, "NotCopied_Ct       : 0xA1B2C308"}, {41, "MA-UnitdataEnable         : True "}}),
        Line({{2, "Late_Ct            : 0xA1B2C309"}}),
        Line({{2, "RingOp_Ct          : 0xA1B2C30A"}}),
        Line({{2, "FrameErrorThreshold: 0x1111"}}),
        Line({{2, "FrameErrorRatio    : 0x2222"}}),
        Line({{2, "NotCopiedThreshold : 0x3333"}}),
        Line({{2, "NotCopiedRatio     : 0x4444"}}),
        Line(),
        Line(),
    };
    const CountersPages pages = ShowCounters(h);
    EXPECT_EQ(pages.first, expected);
    // Everything lies on the first page; the second stays empty.
    EXPECT_EQ(pages.second, std::vector<std::string>(17, Line()));
}

struct EdgeCase {
    const char* name;
    uint16_t type;
    Bytes field;  // value bytes 4-7
    int row;      // pad row, on the first page
    std::string shown;
};

TEST(CountersScreen, ShowsEdgeValues) {
    // Every other value of the station is zero, and its RMT state Ring_Op.
    const Texts ringOp = {{41, "RMTState                  : Ring_Op"}};
    auto frameCount = [&](const char* value) {
        Texts texts = ringOp;
        texts.push_back({2, value});
        return Line(texts);
    };
    auto rmtState = [](const char* value) {
        return Line({{2, "Frame_Ct           : 0x00000000"}, {41, value}});
    };
    const Texts copiedZero = {{2, "Copied_Ct          : 0x00000000"}};
    auto daFlag = [&](const char* value) {
        Texts texts = copiedZero;
        texts.push_back({41, value});
        return Line(texts);
    };
    const EdgeCase cases[] = {
        {"counter with leading zeros",
         0x2047,
         {0x00, 0x01, 0x86, 0xA0},
         6,
         frameCount("Frame_Ct           : 0x000186A0")},
        {"counter shown unsigned",
         0x2047,
         {0xFF, 0xFF, 0xFF, 0xFF},
         6,
         frameCount("Frame_Ct           : 0xFFFFFFFF")},
        {"threshold from its last two bytes",
         0x205F,
         {0xAB, 0xCD, 0x00, 0x01},
         16,
         Line({{2, "FrameErrorThreshold: 0x0001"}})},
        {"last RMT state", 0x206F, {0, 0, 0, 7}, 6, rmtState("RMTState                  : Trace")},
        {"RMT state beyond the table",
         0x206F,
         {0, 0, 0, 8},
         6,
         rmtState("RMTState                  : None")},
        {"RMT state from its last byte",
         0x206F,
         {0, 0, 1, 3},
         6,
         rmtState("RMTState                  : Detect")},
        {"flag of the high bit",
         0x2070,
         {0, 0, 0, 0x80},
         7,
         daFlag("DA_Flag                   : True ")},
        {"flag from its last byte only",
         0x2070,
         {0x01, 0, 0, 0},
         7,
         daFlag("DA_Flag                   : False")},
    };
    for (const EdgeCase& c : cases) {
        MonitorHarness h;
        h.station.FillHealthy(2);
        h.station.SetObjectData(c.type, c.field);
        const CountersPages pages = ShowCounters(h);
        ASSERT_EQ(pages.first.size(), 17u) << c.name;
        EXPECT_EQ(pages.first[c.row - 5], c.shown) << c.name;
    }
}

}  // namespace
