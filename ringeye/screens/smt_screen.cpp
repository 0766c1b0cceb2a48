// Screen 2: the station-level attributes of the SMT object. The first page holds the station
// configuration counts and paths on the left and identification, status and MIB operation on
// the right; the connection policy matrix and the notification and trace settings fill the
// second page.
#include "ringeye/screens/screens.h"

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

using R = Read;

constexpr uint16_t kConnectionPolicy = 0x101B;

// Beside the labels of the MIB operation group there is room for one half of an eight-byte time
// stamp or station ID only: the high half is written first, one cell narrower, and the low half
// always covers it.
constexpr Row kSmtRows[] = {
    Heading(5, 4, "Station Config Group"),
    At(6, 2, "MAC_Ct         : ").Number(0x1015, R::kByte3, "0x%02X"),
    At(7, 2, "NonMaster_Ct   : ").Number(0x1016, R::kByte3, "0x%02X"),
    At(8, 2, "Master_Ct      : ").Number(0x1017, R::kByte3, "0x%02X"),
    Heading(9, 4, "AvailablePaths"),
    At(10, 2, "Primary        : ").Flag(0x1018, R::kByte3, 1u << 0),
    At(11, 2, "Secondary      : ").Flag(0x1018, R::kByte3, 1u << 1),
    At(12, 2, "Local          : ").Flag(0x1018, R::kByte3, 1u << 2),
    Heading(13, 4, "ConfigCapabilities"),
    At(14, 2, "Hold Available      : ").Flag(0x1019, R::k16At2, 1u << 0),
    At(15, 2, "CF_Wrap_AB          : ").Flag(0x1019, R::k16At2, 1u << 1),
    Heading(16, 4, "ConfigPolicy"),
    At(17, 2, "ConfigurationHold   : ").Flag(0x101A, R::k16At2, 1u << 0),

    Heading(22, 30, "ConnectionPolicy"),
    At(23, 16, "reject A-A : ").Flag(kConnectionPolicy, R::k16At2, 1u << 0),
    At(23, 42, "reject A-B : ").Flag(kConnectionPolicy, R::k16At2, 1u << 1),
    At(24, 16, "reject A-S : ").Flag(kConnectionPolicy, R::k16At2, 1u << 2),
    At(24, 42, "reject A-M : ").Flag(kConnectionPolicy, R::k16At2, 1u << 3),
    At(25, 16, "reject B-A : ").Flag(kConnectionPolicy, R::k16At2, 1u << 4),
    At(25, 42, "reject B-B : ").Flag(kConnectionPolicy, R::k16At2, 1u << 5),
    At(26, 16, "reject B-S : ").Flag(kConnectionPolicy, R::k16At2, 1u << 6),
    At(26, 42, "reject B-M : ").Flag(kConnectionPolicy, R::k16At2, 1u << 7),
    At(27, 16, "reject S-A : ").Flag(kConnectionPolicy, R::k16At2, 1u << 8),
    At(27, 42, "reject S-B : ").Flag(kConnectionPolicy, R::k16At2, 1u << 9),
    At(28, 16, "reject S-S : ").Flag(kConnectionPolicy, R::k16At2, 1u << 10),
    At(28, 42, "reject S-M : ").Flag(kConnectionPolicy, R::k16At2, 1u << 11),
    At(29, 16, "reject M-A : ").Flag(kConnectionPolicy, R::k16At2, 1u << 12),
    At(29, 42, "reject M-B : ").Flag(kConnectionPolicy, R::k16At2, 1u << 13),
    At(30, 16, "reject M-S : ").Flag(kConnectionPolicy, R::k16At2, 1u << 14),
    At(30, 42, "reject M-M : ").Flag(kConnectionPolicy, R::k16At2, 1u << 15),
    At(31, 24, "T_Notify      Seconds : ").Number(0x101D, R::k16At2, "%d"),
    At(32, 24, "StatRptPolicy         : ").Flag(0x101E, R::kByte3),
    At(33, 24, "Trace_MaxExpiration   : ").Time(0x101F, R::k32At0, "%7.3f ms"),
    At(34, 24, "PORTIndexes           : ").Number(0x1020, R::k16At2, "0x%04X"),
    At(35, 24, "MACIndexes            : ").Number(0x1021, R::k16At2, "0x%04X"),
    At(36, 24, "BypassPresent         : ").Flag(0x1022, R::kByte3),

    Heading(5, 43, "StationId Group"),
    At(6, 41, "OpVersion Id          : ").Number(0x100D, R::k16At2, "0x%04X"),
    At(7, 41, "HiVersion Id          : ").Number(0x100E, R::k16At2, "0x%04X"),
    At(8, 41, "LoVersion Id          : ").Number(0x100F, R::k16At2, "0x%04X"),
    Heading(9, 43, "Status Group"),
    // Entity coordination other than In: the station is not inserted in the ring.
    At(10, 41, "ECM State             : ").Text(0x1029, R::kByte3, kEcmStates).Unless(1),
    // Configuration other than Thru (C_Wrap_S on a single-attachment station): the station
    // wrapped, is isolated or joined locally.
    At(11, 41, "CF_State              : ")
        .Text(0x102A, R::kByte3, kCfStates)
        .Unless(12)
        .OrOnSingleAttachment(11),
    // Holding on a path: a fault on the ring made the station hold it instead of wrapping.
    At(12, 41, "HoldState             : ")
        .Text(0x102B, R::kByte3, kHoldStates)
        .OneOf((1u << 2) | (1u << 3)),
    // The station was disconnected from the network by remote management.
    At(13, 41, "RemoteDisconnectFlag  : ").Flag(0x102C, R::kByte3).WhenSet(),
    At(14, 41, "StationStatus         : ").Text(0x102D, R::kByte3, kStationStatuses),
    // Configuration management sees a wrapped peer: the dual ring is broken somewhere.
    At(15, 41, "PeerWrapFlag          : ").Flag(0x102E, R::kByte3).WhenSet(),
    Heading(16, 43, "MIB Operation Group"),
    At(17, 41, "TimeStamp             : ").Number(0x1033, R::k32At0, " %08X"),
    Over().Number(0x1033, R::k32At4, "0x%08X"),
    At(18, 41, "TransitionTimeStamp   : ").Number(0x1034, R::k32At0, " %08X"),
    Over().Number(0x1034, R::k32At4, "0x%08X"),
    At(19, 41, "SetCount              : ").Number(0x1035, R::k32At0, "0x%08X"),  // its count
    At(20, 41, "SetCount Timestamp    : ").Number(0x1035, R::k32At4, " %08X"),
    Over().Number(0x1035, R::k32At8, "0x%08X"),
    At(21, 41, "LastSetStationId      : ").Number(0x1036, R::k32At0, " %08X"),
    Over().Number(0x1036, R::k32At4, "0x%08X"),
};
static_assert(ValidRows(kSmtRows), "a value without its format or texts");

}  // namespace

const ScreenEntry SmtScreen = {2, "SMT Data", MakeRowTable(kSmtRows), -1, nullptr};
