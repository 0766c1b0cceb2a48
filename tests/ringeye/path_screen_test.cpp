// Screen 7: the first PATH object's configuration values and its list of resources.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"

namespace {

using Bytes = FakeStation::Bytes;

struct ListEntry {
    uint32_t type;
    uint16_t index, path;
};

// The configuration record's data: the pad-and-index field, then the entries, cut or padded
// with zeros to `length` bytes.
Bytes Configuration(const std::vector<ListEntry>& entries, size_t length) {
    Bytes value = {0, 0, 0, 1};
    for (const ListEntry& e : entries) {
        const Bytes bytes = {static_cast<uint8_t>(e.type >> 24), static_cast<uint8_t>(e.type >> 16),
                             static_cast<uint8_t>(e.type >> 8),  static_cast<uint8_t>(e.type),
                             static_cast<uint8_t>(e.index >> 8), static_cast<uint8_t>(e.index),
                             static_cast<uint8_t>(e.path >> 8),  static_cast<uint8_t>(e.path)};
        value.insert(value.end(), bytes.begin(), bytes.end());
    }
    value.resize(length, 0);
    return value;
}

void SetConfiguration(FakeStation& station, const std::vector<ListEntry>& entries, size_t length) {
    station.Set(0x3212, Configuration(entries, length), 1);
}

// Seven entries: their texts at columns 40, 48 and 55 of list rows 1 to 5; the last two have no
// row.
const std::vector<ListEntry> kSevenEntries = {
    {4, 2, 3}, {2, 1, 1}, {9, 300, 2}, {2, 4, 0}, {4, 5, 4}, {4, 6, 5}, {2, 7, 5},
};
const Texts kEntryTexts[] = {
    {{40, "PORT"}, {48, " 2"}, {55, "primary"}},      {{40, "MAC"}, {48, " 1"}, {55, "local"}},
    {{40, "None"}, {48, "300"}, {55, "secondary"}},   {{40, "MAC"}, {48, " 4"}, {55, "isolated"}},
    {{40, "PORT"}, {48, " 5"}, {55, "concatenated"}},
};

// The values of the left column the tests below share.
void SetPathValues(FakeStation& station) {
    station.SetObject(0x320B, 1);
    station.SetObject(0x320D, static_cast<uint32_t>(-12500));
    station.SetObject(0x320E, 0x0006);
    station.SetObject(0x320F, 0);
    station.SetObject(0x3210, 291);
    station.SetObject(0x3213, 0x0000ABCD);
    station.SetObject(0x3214, 0x00001234);
    station.SetObject(0x3215, static_cast<uint32_t>(-2062500));
    station.SetObject(0x3216, static_cast<uint32_t>(-3125));
    station.SetObject(0x3217, 0);
}

// The left column of list rows 1 to 5 (pad rows 9 to 13).
const Texts kLeftOfList[] = {
    {{2, "TraceStatus         : propogated"}}, {{2, "SbaPayload          : 0x0000"}},
    {{2, "SbaOverhead         : 0x123"}},      {},
    {{2, "T_Rmode             : 0x0000ABCD"}},
};

// Screen rows 5 to 21 once screen 7 has been entered; `change` runs at 1500 ms, and the rows
// are taken again two refreshes later.
struct PathView {
    std::vector<std::string> entered, changed;
};

PathView ShowPath(
    MonitorHarness& h, std::function<void()> change = [] {}) {
    PathView view;
    h.KeyAt(300, '7');
    h.At(600, [&] { view.entered = h.Rows(5, 21); });
    h.At(1500, change);
    h.At(3500, [&] { view.changed = h.Rows(5, 21); });
    h.RunRingeye(3600);
    return view;
}

TEST(PathScreen, PaintsEveryValueInItsPlace) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    SetPathValues(h.station);
    SetConfiguration(h.station, {kSevenEntries.begin(), kSevenEntries.begin() + 3}, 28);
    const std::vector<std::string> expected = {
        Line(),
        Line({{4, "Config Group"}, {46, "Configuration"}}),
        Line({{2, "Index               : 1"}, {40, "Type   Index   CurrentPath"}}),
        Line({{2, "RingLatency         :   1.000 ms"}}),
        Line({{2, "TraceStatus         : propogated"}, {40, "PORT"}, {48, " 2"}, {55, "primary"}}),
        Line({{2, "SbaPayload          : 0x0000"}, {40, "MAC"}, {48, " 1"}, {55, "local"}}),
        Line({{2, "SbaOverhead         : 0x123"}, {40, "None"}, {48, "300"}, {55, "secondary"}}),
        Line(),
        Line({{2, "T_Rmode             : 0x0000ABCD"}}),
        Line({{2, "SbaAvailable        : 0x00001234"}}),
        Line({{2, "TVXLowerBound       : 165.000 ms"}}),
        Line({{2, "T_MaxLowerBound     :   0.250 ms"}}),
        Line({{2, "MaxT_Req            :   0.000 ms"}}),
        Line(),
        Line(),
        Line(),
        Line(),
    };
    EXPECT_EQ(ShowPath(h).entered, expected);
}

struct ListCase {
    size_t length;  // of the configuration record
    size_t shown;   // entries listed
    const char* mark;
};

// The list rows for `shown` entries, with the left column beside them.
std::vector<std::string> ListRows(size_t shown, const char* mark) {
    std::vector<std::string> rows;
    for (size_t i = 0; i < 5; ++i) {
        Texts texts = kLeftOfList[i];
        if (i < shown) texts.insert(texts.end(), kEntryTexts[i].begin(), kEntryTexts[i].end());
        if (i == 4 && mark) texts.push_back({68, mark});
        rows.push_back(Line(texts));
    }
    return rows;
}

TEST(PathScreen, ListsTheEntriesTheLengthHolds) {
    const ListCase cases[] = {
        {4, 0, nullptr},  {11, 0, nullptr}, {12, 1, nullptr},   {28, 3, nullptr},
        {36, 4, nullptr}, {44, 5, nullptr}, {60, 5, "+2 more"},
    };
    for (const ListCase& c : cases) {
        MonitorHarness h;
        h.station.FillHealthy(2);
        SetPathValues(h.station);
        SetConfiguration(h.station, kSevenEntries, c.length);
        const std::vector<std::string> shown = ShowPath(h).entered;
        ASSERT_EQ(shown.size(), 17u);
        const std::vector<std::string> listRows(shown.begin() + 4, shown.begin() + 9);
        EXPECT_EQ(listRows, ListRows(c.shown, c.mark)) << "length " << c.length;
    }
}

TEST(PathScreen, AShorterListBlanksTheRowsAndTheMarkItNoLongerUses) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    SetPathValues(h.station);
    SetConfiguration(h.station, kSevenEntries, 60);
    const PathView view = ShowPath(h, [&] { SetConfiguration(h.station, {kSevenEntries[0]}, 12); });
    const std::vector<std::string> listRows(view.changed.begin() + 4, view.changed.begin() + 9);
    EXPECT_EQ(listRows, ListRows(1, nullptr));
}

// A shorter type, a shorter index and a path code without a text leave nothing of the entry
// shown before.
TEST(PathScreen, AChangedEntryKeepsNothingOfTheEarlierOne) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    SetPathValues(h.station);
    SetConfiguration(h.station, {{4, 300, 4}}, 12);
    const PathView view = ShowPath(h, [&] { SetConfiguration(h.station, {{2, 2, 6}}, 12); });
    EXPECT_EQ(view.entered[4], Line({{2, "TraceStatus         : propogated"},
                                     {40, "PORT"},
                                     {48, "300"},
                                     {55, "concatenated"}}));
    EXPECT_EQ(view.changed[4],
              Line({{2, "TraceStatus         : propogated"}, {40, "MAC"}, {48, " 2"}}));
}

TEST(PathScreen, TraceStatusNamesItsLowestSetBit) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0x0006, "propogated"}, {0x0010, "none"},    {0x000F, "initiated"},
        {0x0004, "terminated"}, {0x0018, "timeout"}, {0x0100, "none"},
    };
    for (const auto& [status, text] : cases) {
        MonitorHarness h;
        h.station.FillHealthy(2);
        h.station.SetObject(0x320E, status);
        const std::vector<std::string> shown = ShowPath(h).entered;
        ASSERT_EQ(shown.size(), 17u);
        const std::string value = std::string("TraceStatus         : ") + text;
        EXPECT_EQ(shown[4], Line({{2, value.c_str()}})) << std::hex << status;
    }
}

}  // namespace
