// Screens 5 and 6: the PORT objects of the station, port A (or S) and port B. Both share one
// table of rows; the screen entry chooses which port's slots are shown.
#include "ringeye/screens/screens.h"

namespace {

// Code 4 reads "None" here, unlike the "?" of the Composite screen's PortTypeLetters.
const char* const PortTypeTexts[] = {"A", "B", "S", "M", "None"};
const char* const PortPathTexts[] = {"Isolated", "Local",        "Secondary",
                                     "Primary",  "Concatenated", "Thru"};
const char* const PmdClassTexts[] = {"multimode",     "single-mode1", "single-mode2", "sonet",
                                     "lowcost fiber", "twisted pair", "unknown"};
const char* const LineStateTexts[] = {"Quiet",  "Idle",    "Master", "Halt",
                                      "Active", "Unknown", "Noise"};
const char* const ConnectStateTexts[] = {"Disabled", "Connecting", "Standby", "Active"};
const char* const PcmStateTexts[] = {"Off",    "Break", "Trace",  "Connect", "Next",
                                     "Signal", "Join",  "Verify", "Active",  "Maint"};
const char* const WithholdTexts[] = {"None", "M-M", "Other"};
// The title's port: a single-attachment station's one port is its S port, as the menu bar
// and My_Type say.
const char* const TitlePortTexts[] = {"A", "B", "S"};

constexpr TextTable kPortTypes = MakeTextTable(PortTypeTexts, "?");
constexpr TextTable kPortPaths = MakeTextTable(PortPathTexts, "None");
constexpr TextTable kPmdClasses = MakeTextTable(PmdClassTexts, "unspecified");
constexpr TextTable kLineStates = MakeTextTable(LineStateTexts, "??");
constexpr TextTable kConnectStates = MakeTextTable(ConnectStateTexts, "None");
constexpr TextTable kPcmStates = MakeTextTable(PcmStateTexts, "None");
constexpr TextTable kWithholds = MakeTextTable(WithholdTexts, "Unavailable");
constexpr TextTable kTitlePorts = MakeTextTable(TitlePortTexts, "?");

using R = Read;

constexpr const char* kCounter = "0x%08X";
constexpr const char* kByte = "0x%02X";
constexpr uint16_t kHardwarePresent = 0x4041;
// Bits of the one-byte path and policy sets.
constexpr uint32_t kBit0 = 0x01, kBit1 = 0x02, kBit2 = 0x04;

uint32_t TitlePort(PaintContext& context) {
    return context.port == 0 && context.station.PortCount == 1
               ? 2u
               : static_cast<uint32_t>(context.port);
}

constexpr Row kPortRows[] = {
    Heading(5, 4, "Config Group"),
    At(6, 2, "My_Type            : ").Text(0x400C, R::kByte7, kPortTypes),
    At(7, 2, "NeighborType       : ").Text(0x400D, R::kByte7, kPortTypes),
    Heading(8, 4, "ConnectionPolicies"),
    At(9, 2, "Pc-MAC-Lct         : ").Flag(0x400E, R::kByte7, kBit0),
    At(10, 2, "Pc-MAC-Loop        : ").Flag(0x400E, R::kByte7, kBit1),
    Heading(11, 4, "MACIndicated"),
    At(12, 2, "T_Val              : ").Flag(0x400F, R::k16At4),  // T_Val9, bytes 4 and 5
    At(13, 2, "R_Val              : ").Flag(0x400F, R::k16At6),  // R_Val9, bytes 6 and 7
    At(14, 2, "CurrentPath        : ").Text(0x4010, R::kByte7, kPortPaths),
    Heading(15, 4, "Requested Paths"),
    At(16, 2, "None               : ").Number(0x4011, R::kByte5, kByte),
    At(17, 2, "Tree               : ").Number(0x4011, R::kByte6, kByte),
    At(18, 2, "Peer               : ").Number(0x4011, R::kByte7, kByte),
    At(19, 2, "MAC Placement      : ").Number(0x4012, R::k16At6, "0x%04X"),
    Heading(20, 4, "Available Paths"),
    At(21, 2, "Primary            : ").Flag(0x4013, R::kByte7, kBit0),
    At(22, 2, "Secondary          : ").Flag(0x4013, R::kByte7, kBit1),
    At(23, 2, "Local              : ").Flag(0x4013, R::kByte7, kBit2),
    At(24, 2, "MAC Loop_Time      : ").Time(0x4015, R::k32At4, "%7.3f ms"),
    At(25, 2, "PMD Class          : ").Text(0x4016, R::kByte7, kPmdClasses),
    Heading(26, 4, "ConnectCapabilities: "),
    At(27, 2, "PC_MAC_Lct         : ").Flag(0x4017, R::kByte7, kBit0),
    At(28, 2, "PC_MAC_Loop        : ").Flag(0x4017, R::kByte7, kBit1),
    Heading(29, 43, "Operation Group"),
    At(30, 41, "Maint Line State   : ").Text(0x401F, R::kByte7, kLineStates),
    // The port keeps its PHY in Break: its connection does not come up in time.
    At(31, 41, "BS_Flag            : ").Flag(0x4021, R::kByte7).WhenSet(),
    At(32, 41, "PC_LS              : ").Text(0x4022, R::kByte7, kLineStates),

    Heading(5, 43, "Error Ctrs Group"),
    // Elasticity buffer overflows or underflows: the neighbour's clock drifts.
    At(6, 41, "EB Error_Ct: ").Number(0x4029, R::k32At4, kCounter).WhenRose(),
    // The link confidence test failed when the connection was being made.
    At(7, 41, "LCT Fail_Ct: ").Number(0x402A, R::k32At4, kCounter).WhenRose(),
    Heading(8, 43, "Ler Group"),
    // The link's error rate reached the level at which the port raises its alarm.
    At(9, 41, "Ler_Estimate       : ")
        .Number(0x4033, R::kByte7, kByte)
        .AtOrBelow(0x403B)
        .WhenPresent(kHardwarePresent),
    // The link error monitor rejected the link.
    At(10, 41, "Lem_Reject_Ct      : ").Number(0x4034, R::k32At4, kCounter).WhenRose(),
    // Link errors counted by the link error monitor.
    At(11, 41, "Lem_Ct             : ").Number(0x4035, R::k32At4, kCounter).WhenRose(),
    At(12, 41, "Ler_Cutoff         : ").Number(0x403A, R::kByte7, kByte),
    At(13, 41, "Ler_Alarm          : ").Number(0x403B, R::kByte7, kByte),
    Heading(22, 43, "Status Group"),
    // A present port that is not Active carries no ring traffic.
    At(23, 41, "Connect State      : ")
        .Text(0x403D, R::kByte7, kConnectStates)
        .Unless(3)
        .WhenPresent(kHardwarePresent),
    // Its physical connection management has not brought the link up (Break, Trace, ...).
    At(24, 41, "PCM State          : ")
        .Text(0x403E, R::kByte7, kPcmStates)
        .Unless(8)
        .WhenPresent(kHardwarePresent),
    // The connection is withheld: the policy forbids this neighbour type, or M to M.
    At(25, 41, "PC_WithHold        : ").Text(0x403F, R::kByte7, kWithholds).Unless(0),
    // The link error estimate is at or below the alarm.
    At(26, 41, "Ler Flag           : ").Flag(0x4040, R::kByte7).WhenSet(),
    // The port's hardware is missing.
    At(27, 41, "Hardware Present   : ").Flag(0x4041, R::kByte7).WhenClear(),

    // The port letter goes over the first of the title's two leading blanks.
    At(0, 35, "").Text(0, R::k32At4, kTitlePorts, "%s").Computed(TitlePort),
};
static_assert(ValidRows(kPortRows), "a value without its format or texts");

constexpr const char* kTitle = "  PORT Data";

}  // namespace

// Port A, or S on a single-attachment station.
const ScreenEntry PortAScreen = {5, kTitle, MakeRowTable(kPortRows), 0, nullptr};
const ScreenEntry PortBScreen = {6, kTitle, MakeRowTable(kPortRows), 1, nullptr};
