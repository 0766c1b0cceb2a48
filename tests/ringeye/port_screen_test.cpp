// Screens 5 and 6: one PORT layout, showing the station's first or second port.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ringeye/monitor_state.h"
#include "tests/harness/monitor_harness.h"
#include "tests/harness/screen_text.h"

namespace {

using Bytes = FakeStation::Bytes;

// Row 0 without its first cell, where the spinner turns.
std::string TitleRow(const char* title) {
    return Line({{1, ":Poll Rate = 1000 MS"}, {35, title}}).substr(1);
}

struct PortView {
    std::string title;                       // row 0 from column 1
    std::vector<std::string> first, second;  // screen rows 5-21 of each page
    // Pad rows 5 to 38: pad row r at r - 5.
    std::vector<std::string> Pad() const {
        std::vector<std::string> pad = first;
        pad.insert(pad.end(), second.begin(), second.end());
        return pad;
    }
};

void CaptureTitle(MonitorHarness& h, uint64_t at, PortView& view) {
    h.At(at, [&h, &view] { view.title = h.Row(0).substr(1); });
}

void CapturePage(MonitorHarness& h, uint64_t at, std::vector<std::string>& page) {
    h.At(at, [&h, &page] { page = h.Rows(5, 21); });
}

// Screen 5 entered, its first page, then its second.
PortView ShowFirstPort(MonitorHarness& h) {
    PortView view;
    h.KeyAt(300, '5');
    CaptureTitle(h, 600, view);
    CapturePage(h, 600, view.first);
    h.KeyAt(700, ' ');
    CapturePage(h, 900, view.second);
    h.RunRingeye(1000);
    return view;
}

struct PortValue {
    uint16_t type;
    uint32_t first, second;  // the field of each port
};

// Two ports that differ in every value. Counters carry their type in the low byte and the
// port in the high one.
const PortValue kDualPorts[] = {
    {0x400C, 0, 1},
    {0x400D, 1, 3},
    {0x400E, 0x01, 0x02},
    {0x400F, 0x00010001, 0},
    {0x4010, 3, 2},
    {0x4011, 0x00010203, 0xFF0A0B0C},
    {0x4012, 0x00000001, 0xABCD0102},
    {0x4013, 0x05, 0x02},
    {0x4015, static_cast<uint32_t>(-3125), static_cast<uint32_t>(-12500)},
    {0x4016, 0, 5},
    {0x4017, 0x02, 0x01},
    {0x401F, 1, 4},
    {0x4021, 1, 0},
    {0x4022, 2, 3},
    {0x4029, 0xA0000029, 0xB0000029},
    {0x402A, 0xA000002A, 0xB000002A},
    {0x4033, 0x33, 0xB3},
    {0x4034, 0xA0000034, 0xB0000034},
    {0x4035, 0xA0000035, 0xB0000035},
    {0x403A, 0x3A, 0xBA},
    {0x403B, 0x3B, 0xBB},
    {0x403D, 3, 2},
    {0x403E, 8, 5},
    {0x403F, 0, 2},
    {0x4040, 0, 1},
    {0x4041, 1, 0},
};

const std::vector<std::string> kPortAPad = {
    Line({{4, "Config Group"}, {43, "Error Ctrs Group"}}),
    Line({{2, "My_Type            : A"}, {41, "EB Error_Ct: 0xA0000029"}}),
    Line({{2, "NeighborType       : B"}, {41, "LCT Fail_Ct: 0xA000002A"}}),
    Line({{4, "ConnectionPolicies"}, {43, "Ler Group"}}),
    Line({{2, "Pc-MAC-Lct         : True "}, {41, "Ler_Estimate       : 0x33"}}),
    Line({{2, "Pc-MAC-Loop        : False"}, {41, "Lem_Reject_Ct      : 0xA0000034"}}),
    Line({{4, "MACIndicated"}, {41, "Lem_Ct             : 0xA0000035"}}),
    Line({{2, "T_Val              : True "}, {41, "Ler_Cutoff         : 0x3A"}}),
    Line({{2, "R_Val              : True "}, {41, "Ler_Alarm          : 0x3B"}}),
    Line({{2, "CurrentPath        : Primary"}}),
    Line({{4, "Requested Paths"}}),
    Line({{2, "None               : 0x01"}}),
    Line({{2, "Tree               : 0x02"}}),
    Line({{2, "Peer               : 0x03"}}),
    Line({{2, "MAC Placement      : 0x0001"}}),
    Line({{4, "Available Paths"}}),
    Line({{2, "Primary            : True "}}),
    Line({{2, "Secondary          : False"}, {43, "Status Group"}}),
    Line({{2, "Local              : True "}, {41, "Connect State      : Active"}}),
    Line({{2, "MAC Loop_Time      :   0.250 ms"}, {41, "PCM State          : Active"}}),
    Line({{2, "PMD Class          : multimode"}, {41, "PC_WithHold        : None"}}),
    Line({{4, "ConnectCapabilities: "}, {41, "Ler Flag           : False"}}),
    Line({{2, "PC_MAC_Lct         : False"}, {41, "Hardware Present   : True "}}),
    Line({{2, "PC_MAC_Loop        : True "}}),
    Line({{43, "Operation Group"}}),
    Line({{41, "Maint Line State   : Idle"}}),
    Line({{41, "BS_Flag            : True "}}),
    Line({{41, "PC_LS              : Master"}}),
    Line(),
    Line(),
    Line(),
    Line(),
    Line(),
    Line(),
};

const std::vector<std::string> kPortBPad = {
    Line({{4, "Config Group"}, {43, "Error Ctrs Group"}}),
    Line({{2, "My_Type            : B"}, {41, "EB Error_Ct: 0xB0000029"}}),
    Line({{2, "NeighborType       : M"}, {41, "LCT Fail_Ct: 0xB000002A"}}),
    Line({{4, "ConnectionPolicies"}, {43, "Ler Group"}}),
    Line({{2, "Pc-MAC-Lct         : False"}, {41, "Ler_Estimate       : 0xB3"}}),
    Line({{2, "Pc-MAC-Loop        : True "}, {41, "Lem_Reject_Ct      : 0xB0000034"}}),
    Line({{4, "MACIndicated"}, {41, "Lem_Ct             : 0xB0000035"}}),
    Line({{2, "T_Val              : False"}, {41, "Ler_Cutoff         : 0xBA"}}),
    Line({{2, "R_Val              : False"}, {41, "Ler_Alarm          : 0xBB"}}),
    Line({{2, "CurrentPath        : Secondary"}}),
    Line({{4, "Requested Paths"}}),
    Line({{2, "None               : 0x0A"}}),
    Line({{2, "Tree               : 0x0B"}}),
    Line({{2, "Peer               : 0x0C"}}),
    Line({{2, "MAC Placement      : 0x0102"}}),
    Line({{4, "Available Paths"}}),
    Line({{2, "Primary            : False"}}),
    Line({{2, "Secondary          : True "}, {43, "Status Group"}}),
    Line({{2, "Local              : False"}, {41, "Connect State      : Standby"}}),
    Line({{2, "MAC Loop_Time      :   1.000 ms"}, {41, "PCM State          : Signal"}}),
    Line({{2, "PMD Class          : twisted pair"}, {41, "PC_WithHold        : Other"}}),
    Line({{4, "ConnectCapabilities: "}, {41, "Ler Flag           : True "}}),
    Line({{2, "PC_MAC_Lct         : True "}, {41, "Hardware Present   : False"}}),
    Line({{2, "PC_MAC_Loop        : False"}}),
    Line({{43, "Operation Group"}}),
    Line({{41, "Maint Line State   : Active"}}),
    Line({{41, "BS_Flag            : False"}}),
    Line({{41, "PC_LS              : Halt"}}),
    Line(),
    Line(),
    Line(),
    Line(),
    Line(),
    Line(),
};

TEST(PortScreen, ScreensFiveAndSixShowTheirOwnPort) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    for (const PortValue& v : kDualPorts) {
        h.station.SetObject(v.type, v.first, 1);
        h.station.SetObject(v.type, v.second, 2);
    }
    PortView portA, portB;
    h.KeyAt(300, '5');
    CaptureTitle(h, 600, portA);
    CapturePage(h, 600, portA.first);
    h.KeyAt(700, ' ');
    CapturePage(h, 900, portA.second);
    // The second page stays chosen when screen 6 is entered.
    h.KeyAt(1000, '6');
    CaptureTitle(h, 1300, portB);
    CapturePage(h, 1300, portB.second);
    h.KeyAt(1400, ' ');
    CapturePage(h, 1600, portB.first);
    h.RunRingeye(1700);

    EXPECT_EQ(portA.title, TitleRow("A PORT Data"));
    EXPECT_EQ(portA.Pad(), kPortAPad);
    EXPECT_EQ(portB.title, TitleRow("B PORT Data"));
    EXPECT_EQ(portB.Pad(), kPortBPad);
}

TEST(PortScreen, SingleAttachmentStationShowsItsSPortUnderTheLetterS) {
    MonitorHarness h;
    h.station.FillHealthy(1);
    std::string title, myType;
    int screen = 0;
    h.KeyAt(300, '5');
    h.KeyAt(500, '6');  // refused: there is no second port
    h.At(800, [&] {
        title = h.Row(0).substr(1);
        myType = h.Row(6);
        screen = CurrentScreen;
    });
    h.RunRingeye(900);
    EXPECT_EQ(screen, 5);
    EXPECT_EQ(title, TitleRow("S PORT Data"));
    EXPECT_EQ(myType, Line({{2, "My_Type            : S"}, {41, "EB Error_Ct: 0x00000000"}}));
}

struct EdgeCase {
    const char* name;
    uint16_t type;
    Bytes field;                                     // value bytes 4-7 of the first port
    std::vector<std::pair<int, std::string>> shown;  // pad row, whole row
};

TEST(PortScreen, ShowsEdgeValuesAndTheCodesAtTheEndsOfEveryTable) {
    // Every other value of the port is zero, its states Active.
    auto myType = [](const char* value) {
        return Line({{2, value}, {41, "EB Error_Ct: 0x00000000"}});
    };
    auto neighbor = [](const char* value) {
        return Line({{2, value}, {41, "LCT Fail_Ct: 0x00000000"}});
    };
    auto connectState = [](const char* value) {
        return Line({{2, "Local              : False"}, {41, value}});
    };
    auto pcmState = [](const char* value) {
        return Line({{2, "MAC Loop_Time      :   0.000 ms"}, {41, value}});
    };
    auto pmdClass = [](const char* value) {
        return Line({{2, value}, {41, "PC_WithHold        : None"}});
    };
    auto withhold = [](const char* value) {
        return Line({{2, "PMD Class          : multimode"}, {41, value}});
    };
    const EdgeCase cases[] = {
        {"requested paths from bytes 5 to 7",
         0x4011,
         {0x00, 0x01, 0x02, 0x03},
         {{16, Line({{2, "None               : 0x01"}})},
          {17, Line({{2, "Tree               : 0x02"}})},
          {18, Line({{2, "Peer               : 0x03"}})}}},
        {"MACIndicated first byte",
         0x400F,
         {0x01, 0x00, 0x00, 0x00},
         {{12, Line({{2, "T_Val              : True "}, {41, "Ler_Cutoff         : 0x00"}})},
          {13, Line({{2, "R_Val              : False"}, {41, "Ler_Alarm          : 0x00"}})}}},
        {"MACIndicated last byte",
         0x400F,
         {0x00, 0x00, 0x00, 0x01},
         {{12, Line({{2, "T_Val              : False"}, {41, "Ler_Cutoff         : 0x00"}})},
          {13, Line({{2, "R_Val              : True "}, {41, "Ler_Alarm          : 0x00"}})}}},
        {"MAC placement from bytes 6 and 7",
         0x4012,
         {0xFF, 0xFF, 0x00, 0x01},
         {{19, Line({{2, "MAC Placement      : 0x0001"}})}}},
        {"loop time",
         0x4015,
         {0xFF, 0xFF, 0xF3, 0xCB},
         {{24,
           Line({{2, "MAC Loop_Time      :   0.250 ms"}, {41, "PCM State          : Active"}})}}},
        {"both connection policies",
         0x400E,
         {0, 0, 0, 0x03},
         {{9, Line({{2, "Pc-MAC-Lct         : True "}, {41, "Ler_Estimate       : 0x00"}})},
          {10,
           Line({{2, "Pc-MAC-Loop        : True "}, {41, "Lem_Reject_Ct      : 0x00000000"}})}}},
        {"a policy bit of neither",
         0x400E,
         {0, 0, 0, 0x04},
         {{9, Line({{2, "Pc-MAC-Lct         : False"}, {41, "Ler_Estimate       : 0x00"}})},
          {10,
           Line({{2, "Pc-MAC-Loop        : False"}, {41, "Lem_Reject_Ct      : 0x00000000"}})}}},
        {"port type M", 0x400C, {0, 0, 0, 3}, {{6, myType("My_Type            : M")}}},
        {"port type 4", 0x400C, {0, 0, 0, 4}, {{6, myType("My_Type            : None")}}},
        {"port type 5", 0x400C, {0, 0, 0, 5}, {{6, myType("My_Type            : ?")}}},
        {"port type 7", 0x400C, {0, 0, 0, 7}, {{6, myType("My_Type            : ?")}}},
        {"port type from the last byte",
         0x400C,
         {1, 0, 0, 2},
         {{6, myType("My_Type            : S")}}},
        {"neighbour type beyond the table",
         0x400D,
         {0, 0, 0, 0xFF},
         {{7, neighbor("NeighborType       : ?")}}},
        {"path 4", 0x4010, {0, 0, 0, 4}, {{14, Line({{2, "CurrentPath        : Concatenated"}})}}},
        {"path 5", 0x4010, {0, 0, 0, 5}, {{14, Line({{2, "CurrentPath        : Thru"}})}}},
        {"path 6", 0x4010, {0, 0, 0, 6}, {{14, Line({{2, "CurrentPath        : None"}})}}},
        {"PMD class 6", 0x4016, {0, 0, 0, 6}, {{25, pmdClass("PMD Class          : unknown")}}},
        {"PMD class 7", 0x4016, {0, 0, 0, 7}, {{25, pmdClass("PMD Class          : unspecified")}}},
        {"PMD class 9", 0x4016, {0, 0, 0, 9}, {{25, pmdClass("PMD Class          : unspecified")}}},
        {"line state 6", 0x401F, {0, 0, 0, 6}, {{30, Line({{41, "Maint Line State   : Noise"}})}}},
        {"line state 7", 0x401F, {0, 0, 0, 7}, {{30, Line({{41, "Maint Line State   : ??"}})}}},
        {"PC_LS beyond the table",
         0x4022,
         {0, 0, 0, 7},
         {{32, Line({{41, "PC_LS              : ??"}})}}},
        {"connect state 4",
         0x403D,
         {0, 0, 0, 4},
         {{23, connectState("Connect State      : None")}}},
        {"PCM state 9", 0x403E, {0, 0, 0, 9}, {{24, pcmState("PCM State          : Maint")}}},
        {"PCM state 10", 0x403E, {0, 0, 0, 10}, {{24, pcmState("PCM State          : None")}}},
        {"withhold 2", 0x403F, {0, 0, 0, 2}, {{25, withhold("PC_WithHold        : Other")}}},
        {"withhold 3", 0x403F, {0, 0, 0, 3}, {{25, withhold("PC_WithHold        : Unavailable")}}},
    };
    for (const EdgeCase& c : cases) {
        MonitorHarness h;
        h.station.FillHealthy(2);
        h.station.SetObjectData(c.type, c.field, 1);
        const std::vector<std::string> pad = ShowFirstPort(h).Pad();
        ASSERT_EQ(pad.size(), 34u) << c.name;
        for (const auto& [row, shown] : c.shown)
            EXPECT_EQ(pad[row - 5], shown) << c.name;
    }
}

}  // namespace
