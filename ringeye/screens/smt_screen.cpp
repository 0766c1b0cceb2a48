// Screen 2: the station-level attributes of the SMT object. The first page holds the station
// configuration counts and paths on the left and identification, status and MIB operation on
// the right; the connection policy matrix and the notification and trace settings fill the
// second page.
#include "ringeye/screens/screens.h"
#include "ringeye/screens/trouble_marks.h"
#include "ringeye/screens/value_fields.h"
#include "smtmib/smt_retrieval.h"

constexpr LabelEntry SmtLabels[] = {
    {0, 1, 1, ":Poll Rate "},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {5, 4, 1, "Station Config Group"},
    {6, 2, 2, "MAC_Ct         : "},
    {7, 2, 2, "NonMaster_Ct   : "},
    {8, 2, 2, "Master_Ct      : "},
    {9, 4, 1, "AvailablePaths"},
    {10, 2, 2, "Primary        : "},
    {11, 2, 2, "Secondary      : "},
    {12, 2, 2, "Local          : "},
    {13, 4, 1, "ConfigCapabilities"},
    {14, 2, 2, "Hold Available      : "},
    {15, 2, 2, "CF_Wrap_AB          : "},
    {16, 4, 1, "ConfigPolicy"},
    {17, 2, 2, "ConfigurationHold   : "},
    {22, 30, 1, "ConnectionPolicy"},
    {23, 16, 2, "reject A-A : "},
    {23, 42, 2, "reject A-B : "},
    {24, 16, 2, "reject A-S : "},
    {24, 42, 2, "reject A-M : "},
    {25, 16, 2, "reject B-A : "},
    {25, 42, 2, "reject B-B : "},
    {26, 16, 2, "reject B-S : "},
    {26, 42, 2, "reject B-M : "},
    {27, 16, 2, "reject S-A : "},
    {27, 42, 2, "reject S-B : "},
    {28, 16, 2, "reject S-S : "},
    {28, 42, 2, "reject S-M : "},
    {29, 16, 2, "reject M-A : "},
    {29, 42, 2, "reject M-B : "},
    {30, 16, 2, "reject M-S : "},
    {30, 42, 2, "reject M-M : "},
    {31, 24, 2, "T_Notify      Seconds : "},
    {32, 24, 2, "StatRptPolicy         : "},
    {33, 24, 2, "Trace_MaxExpiration   : "},
    {34, 24, 2, "PORTIndexes           : "},
    {35, 24, 2, "MACIndexes            : "},
    {36, 24, 2, "BypassPresent         : "},
    {5, 43, 1, "StationId Group"},
    {6, 41, 2, "OpVersion Id          : "},
    {7, 41, 2, "HiVersion Id          : "},
    {8, 41, 2, "LoVersion Id          : "},
    {9, 43, 1, "Status Group"},
    {10, 41, 2, "ECM State             : "},
    {11, 41, 2, "CF_State              : "},
    {12, 41, 2, "HoldState             : "},
    {13, 41, 2, "RemoteDisconnectFlag  : "},
    {14, 41, 2, "StationStatus         : "},
    {15, 41, 2, "PeerWrapFlag          : "},
    {16, 43, 2, "MIB Operation Group"},
    {17, 41, 2, "TimeStamp             : "},
    {18, 41, 2, "TransitionTimeStamp   : "},
    {19, 41, 2, "SetCount              : "},
    {20, 41, 2, "SetCount Timestamp    : "},
    {21, 41, 2, "LastSetStationId      : "},
    {0, 35, 2, "SMT Data"},
    {0, 0, 0, nullptr},
};

namespace {

// Mixed-case state texts of this screen, apart from the upper-case names of the header.
const char* const EcmStateTexts[] = {"Out",       "In",     "Trace", "Leave",
                                     "Path_Test", "Insert", "Check", "Deinsert"};
const char* const CfStateTexts[] = {"Isolated", "Local_A",  "Local_B", "Local_AB", "Local_S",
                                    "Wrap_A",   "Wrap_B",   "Wrap_AB", "Wrap_S",   "C_Wrap_A",
                                    "C_Wrap_B", "C_Wrap_S", "Thru"};
// HoldState 1 names no hold state and reads like any number beyond the table.
const char* const HoldStateTexts[] = {"Not Holding", "None", "Holding On Primary",
                                      "Holding On Secondary"};
const char* const StationStatusTexts[] = {"Concatenated", "Separated", "Thru"};

constexpr TextTable kEcmStates = MakeTextTable(EcmStateTexts, "None");
constexpr TextTable kCfStates = MakeTextTable(CfStateTexts, "None");
constexpr TextTable kHoldStates = MakeTextTable(HoldStateTexts, "None");
constexpr TextTable kStationStatuses = MakeTextTable(StationStatusTexts, "Unknown");

using R = ValueRead;
using S = ValueShow;

// Every value of the screen in painting order. Beside the labels of the MIB operation group
// there is room for one half of an eight-byte time stamp or station ID only: the high half is
// written first, one cell narrower, and the low half always covers it.
constexpr ValueField kSmtFields[] = {
    {5, 0x1015, R::kByte3, S::kNumber, "0x%02X"},
    {6, 0x1016, R::kByte3, S::kNumber, "0x%02X"},
    {7, 0x1017, R::kByte3, S::kNumber, "0x%02X"},
    {9, 0x1018, R::kByte3, S::kFlag, nullptr, 1u << 0},  // primary path
    {10, 0x1018, R::kByte3, S::kFlag, nullptr, 1u << 1},
    {11, 0x1018, R::kByte3, S::kFlag, nullptr, 1u << 2},
    {13, 0x1019, R::k16At2, S::kFlag, nullptr, 1u << 0},  // hold available
    {14, 0x1019, R::k16At2, S::kFlag, nullptr, 1u << 1},
    {16, 0x101A, R::k16At2, S::kFlag, nullptr, 1u << 0},  // configuration hold
    {18, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 0},  // reject A-A
    {19, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 1},
    {20, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 2},
    {21, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 3},
    {22, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 4},
    {23, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 5},
    {24, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 6},
    {25, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 7},
    {26, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 8},
    {27, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 9},
    {28, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 10},
    {29, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 11},
    {30, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 12},
    {31, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 13},
    {32, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 14},
    {33, 0x101B, R::k16At2, S::kFlag, nullptr, 1u << 15},  // reject M-M
    {34, 0x101D, R::k16At2, S::kNumber, "%d"},
    {35, 0x101E, R::kByte3, S::kFlag},
    {36, 0x101F, R::k32At0, S::kTime, "%7.3f ms"},
    {37, 0x1020, R::k16At2, S::kNumber, "0x%04X"},
    {38, 0x1021, R::k16At2, S::kNumber, "0x%04X"},
    {39, 0x1022, R::kByte3, S::kFlag},
    {41, 0x100D, R::k16At2, S::kNumber, "0x%04X"},
    {42, 0x100E, R::k16At2, S::kNumber, "0x%04X"},
    {43, 0x100F, R::k16At2, S::kNumber, "0x%04X"},
    {45, 0x1029, R::kByte3, S::kText, nullptr, 0, &kEcmStates},
    {46, 0x102A, R::kByte3, S::kText, nullptr, 0, &kCfStates},
    {47, 0x102B, R::kByte3, S::kText, nullptr, 0, &kHoldStates},
    {48, 0x102C, R::kByte3, S::kFlag},
    {49, 0x102D, R::kByte3, S::kText, nullptr, 0, &kStationStatuses},
    {50, 0x102E, R::kByte3, S::kFlag},
    {52, 0x1033, R::k32At0, S::kNumber, " %08X"},  // TimeStamp, high half
    {52, 0x1033, R::k32At4, S::kNumber, "0x%08X"},
    {53, 0x1034, R::k32At0, S::kNumber, " %08X"},  // TransitionTimeStamp
    {53, 0x1034, R::k32At4, S::kNumber, "0x%08X"},
    {54, 0x1035, R::k32At0, S::kNumber, "0x%08X"},  // SetCount's count
    {55, 0x1035, R::k32At4, S::kNumber, " %08X"},   // SetCount's time stamp
    {55, 0x1035, R::k32At8, S::kNumber, "0x%08X"},
    {56, 0x1036, R::k32At0, S::kNumber, " %08X"},  // LastSetStationId
    {56, 0x1036, R::k32At4, S::kNumber, "0x%08X"},
};
static_assert(ValidFieldTable(kSmtFields, SmtLabels), "a value without its label or format");

constexpr TroubleRule kSmtTrouble[] = {
    // Entity coordination other than In: the station is not inserted in the ring.
    {{45, 0x1029, R::kByte3, S::kText, nullptr, 0, &kEcmStates}, TroubleTest::kUnless, 1},
    // Configuration other than Thru: the station wrapped, is isolated or joined locally.
    {{46, 0x102A, R::kByte3, S::kText, nullptr, 0, &kCfStates}, TroubleTest::kUnless, 12},
    // Holding on a path: a fault on the ring made the station hold it instead of wrapping.
    {{47, 0x102B, R::kByte3, S::kText, nullptr, 0, &kHoldStates},
     TroubleTest::kOneOf,
     (1u << 2) | (1u << 3)},
    // The station was disconnected from the network by remote management.
    {{48, 0x102C, R::kByte3, S::kFlag}, TroubleTest::kSet},
    // Configuration management sees a wrapped peer: the dual ring is broken somewhere.
    {{50, 0x102E, R::kByte3, S::kFlag}, TroubleTest::kSet},
};
static_assert(ValidTroubleTable(kSmtTrouble, SmtLabels), "a rule without its value");

}  // namespace

int PaintSmtScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(SmtLabels);
    PaintFields(kSmtFields, SmtLabels);
    MarkTrouble(MakeTroubleTable(kSmtTrouble), SmtLabels);
    return 0;
}
