// Screens 5 and 6: the PORT objects of the station, port A (or S) and port B. Both share one
// label table and one routine; PortIndex chooses which port's copies in PortAreas are shown.
#include <iterator>

#include "ringeye/monitor_state.h"
#include "ringeye/screens/screens.h"
#include "ringeye/screens/trouble_marks.h"
#include "ringeye/screens/value_fields.h"
#include "smtmib/smt_retrieval.h"

constexpr LabelEntry PortLabels[] = {
    {0, 1, 1, ":Poll Rate "},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {5, 4, 1, "Config Group"},
    {6, 2, 2, "My_Type            : "},
    {7, 2, 2, "NeighborType       : "},
    {8, 4, 1, "ConnectionPolicies"},
    {9, 2, 2, "Pc-MAC-Lct         : "},
    {10, 2, 2, "Pc-MAC-Loop        : "},
    {11, 4, 1, "MACIndicated"},
    {12, 2, 2, "T_Val              : "},
    {13, 2, 2, "R_Val              : "},
    {14, 2, 2, "CurrentPath        : "},
    {15, 4, 1, "Requested Paths"},
    {16, 2, 2, "None               : "},
    {17, 2, 2, "Tree               : "},
    {18, 2, 2, "Peer               : "},
    {19, 2, 2, "MAC Placement      : "},
    {20, 4, 1, "Available Paths"},
    {21, 2, 2, "Primary            : "},
    {22, 2, 2, "Secondary          : "},
    {23, 2, 2, "Local              : "},
    {24, 2, 2, "MAC Loop_Time      : "},
    {25, 2, 2, "PMD Class          : "},
    {26, 4, 1, "ConnectCapabilities: "},
    {27, 2, 2, "PC_MAC_Lct         : "},
    {28, 2, 2, "PC_MAC_Loop        : "},
    {29, 43, 1, "Operation Group"},
    {30, 41, 2, "Maint Line State   : "},
    {31, 41, 2, "BS_Flag            : "},
    {32, 41, 2, "PC_LS              : "},
    {5, 43, 1, "Error Ctrs Group"},
    {6, 41, 2, "EB Error_Ct: "},
    {7, 41, 2, "LCT Fail_Ct: "},
    {8, 43, 1, "Ler Group"},
    {9, 41, 2, "Ler_Estimate       : "},
    {10, 41, 2, "Lem_Reject_Ct      : "},
    {11, 41, 2, "Lem_Ct             : "},
    {12, 41, 2, "Ler_Cutoff         : "},
    {13, 41, 2, "Ler_Alarm          : "},
    {22, 43, 1, "Status Group"},
    {23, 41, 2, "Connect State      : "},
    {24, 41, 2, "PCM State          : "},
    {25, 41, 2, "PC_WithHold        : "},
    {26, 41, 2, "Ler Flag           : "},
    {27, 41, 2, "Hardware Present   : "},
    {0, 35, 2, "  PORT Data"},
    {0, 0, 0, nullptr},
};

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

const TextTable kPortTypes = MakeTextTable(PortTypeTexts, "?");
const TextTable kPortPaths = MakeTextTable(PortPathTexts, "None");
const TextTable kPmdClasses = MakeTextTable(PmdClassTexts, "unspecified");
const TextTable kLineStates = MakeTextTable(LineStateTexts, "??");
const TextTable kConnectStates = MakeTextTable(ConnectStateTexts, "None");
const TextTable kPcmStates = MakeTextTable(PcmStateTexts, "None");
const TextTable kWithholds = MakeTextTable(WithholdTexts, "Unavailable");

constexpr const char* kCounter = "0x%08X";
constexpr const char* kByte = "0x%02X";

// Bits of the one-byte path and policy sets.
constexpr uint32_t kBit0 = 0x01, kBit1 = 0x02, kBit2 = 0x04;

// In painting order; every slot is read from the shown port's copy.
constexpr ValueField kPortFields[] = {
    {5, 0x400C, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kPortTypes},  // My_Type
    {6, 0x400D, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kPortTypes},  // NeighborType
    {8, 0x400E, ValueRead::kByte7, ValueShow::kFlag, nullptr, kBit0},           // Pc-MAC-Lct
    {9, 0x400E, ValueRead::kByte7, ValueShow::kFlag, nullptr, kBit1},           // Pc-MAC-Loop
    {11, 0x400F, ValueRead::k32At4, ValueShow::kFlag},  // T_Val: any of the four bytes
    {12, 0x400F, ValueRead::k16At6, ValueShow::kFlag},  // R_Val: the last two bytes
    {13, 0x4010, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kPortPaths},   // CurrentPath
    {15, 0x4011, ValueRead::kByte5, ValueShow::kNumber, kByte},                   // None
    {16, 0x4011, ValueRead::kByte6, ValueShow::kNumber, kByte},                   // Tree
    {17, 0x4011, ValueRead::kByte7, ValueShow::kNumber, kByte},                   // Peer
    {18, 0x4012, ValueRead::k16At6, ValueShow::kNumber, "0x%04X"},                // MAC Placement
    {20, 0x4013, ValueRead::kByte7, ValueShow::kFlag, nullptr, kBit0},            // Primary
    {21, 0x4013, ValueRead::kByte7, ValueShow::kFlag, nullptr, kBit1},            // Secondary
    {22, 0x4013, ValueRead::kByte7, ValueShow::kFlag, nullptr, kBit2},            // Local
    {23, 0x4015, ValueRead::k32At4, ValueShow::kTime, "%7.3f ms"},                // MAC Loop_Time
    {24, 0x4016, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kPmdClasses},  // PMD Class
    {26, 0x4017, ValueRead::kByte7, ValueShow::kFlag, nullptr, kBit0},            // PC_MAC_Lct
    {27, 0x4017, ValueRead::kByte7, ValueShow::kFlag, nullptr, kBit1},            // PC_MAC_Loop
    {29, 0x401F, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kLineStates},  // Maint LS
    {30, 0x4021, ValueRead::kByte7, ValueShow::kFlag},                            // BS_Flag
    {31, 0x4022, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kLineStates},  // PC_LS
    {33, 0x4029, ValueRead::k32At4, ValueShow::kNumber, kCounter},                // EB Error_Ct
    {34, 0x402A, ValueRead::k32At4, ValueShow::kNumber, kCounter},                // LCT Fail_Ct
    {36, 0x4033, ValueRead::kByte7, ValueShow::kNumber, kByte},                   // Ler_Estimate
    {37, 0x4034, ValueRead::k32At4, ValueShow::kNumber, kCounter},                // Lem_Reject_Ct
    {38, 0x4035, ValueRead::k32At4, ValueShow::kNumber, kCounter},                // Lem_Ct
    {39, 0x403A, ValueRead::kByte7, ValueShow::kNumber, kByte},                   // Ler_Cutoff
    {40, 0x403B, ValueRead::kByte7, ValueShow::kNumber, kByte},                   // Ler_Alarm
    {42, 0x403D, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kConnectStates},  // Connect
    {43, 0x403E, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kPcmStates},      // PCM State
    {44, 0x403F, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kWithholds},      // PC_WithHold
    {45, 0x4040, ValueRead::kByte7, ValueShow::kFlag},                               // Ler Flag
    {46, 0x4041, ValueRead::kByte7, ValueShow::kFlag},  // Hardware Present
};
static_assert(ValidFieldTable(kPortFields, PortLabels),
              "a value without its label, format or texts");

constexpr uint16_t kHardwarePresent = 0x4041;

constexpr TroubleRule kPortTrouble[] = {
    // The port keeps its PHY in Break: its connection does not come up in time.
    {{30, 0x4021, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kSet},
    // Elasticity buffer overflows or underflows: the neighbour's clock drifts.
    {{33, 0x4029, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // The link confidence test failed when the connection was being made.
    {{34, 0x402A, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // The link's error rate reached the level at which the port raises its alarm.
    {{36, 0x4033, ValueRead::kByte7, ValueShow::kNumber, kByte},
     TroubleTest::kAtOrBelow,
     0,
     0x403B,
     kShownPort,
     kHardwarePresent},
    // The link error monitor rejected the link.
    {{37, 0x4034, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // Link errors counted by the link error monitor.
    {{38, 0x4035, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // A present port that is not Active carries no ring traffic.
    {{42, 0x403D, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kConnectStates},
     TroubleTest::kUnless,
     3,
     0,
     kShownPort,
     kHardwarePresent},
    // Its physical connection management has not brought the link up (Break, Trace, ...).
    {{43, 0x403E, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kPcmStates},
     TroubleTest::kUnless,
     8,
     0,
     kShownPort,
     kHardwarePresent},
    // The connection is withheld: the policy forbids this neighbour type, or M to M.
    {{44, 0x403F, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kWithholds},
     TroubleTest::kUnless,
     0},
    // The link error estimate is at or below the alarm.
    {{45, 0x4040, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kSet},
    // The port's hardware is missing.
    {{46, 0x4041, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kClear},
};
static_assert(ValidTroubleTable(kPortTrouble, PortLabels), "a rule without its value");

// The title is the table's last label; the port letter goes over the first of its two leading
// blanks.
constexpr size_t kTitleEntry = std::size(PortLabels) - 2;
const char* const PortLetters[] = {"A", "B"};
// A single-attachment station's one port is its S port, as the menu bar and My_Type say.
const char* const kSinglePortLetter = "S";

}  // namespace

int PaintPortScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(PortLabels);
    const int port = PortIndex == 1 ? 1 : 0;
    PaintFields(kPortFields, PortLabels, port);
    const LabelEntry& title = PortLabels[kTitleEntry];
    const char* letter = port == 0 && PortCount == 1 ? kSinglePortLetter : PortLetters[port];
    PutAt(letter, title.row, title.col, title.style);
    MarkTrouble(MakeTroubleTable(kPortTrouble), PortLabels, port);
    return 0;
}
