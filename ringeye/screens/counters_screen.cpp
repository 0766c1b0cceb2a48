// Screen 4: the frame counters, error-condition thresholds and ratios, and status flags of the
// station's first MAC.
#include "ringeye/screens/screens.h"

namespace {

// Mixed case here; the header shows the same attribute from the upper-case RmtStateNames.
const char* const RmtStateTexts[] = {"Isolated",   "Non_Op",      "Ring_Op",  "Detect",
                                     "Non_Op_Dup", "Ring_Op_Dup", "Directed", "Trace"};
constexpr TextTable kRmtStates = MakeTextTable(RmtStateTexts, "None");

using R = Read;

constexpr const char* kCounter = "0x%08X";
constexpr const char* kSixteenBits = "0x%04X";

// The counters are shown as they stand: no differences, no rates.
constexpr Row kCountersRows[] = {
    Heading(5, 10, "Counters Group"),
    At(6, 2, "Frame_Ct           : ").Number(0x2047, R::k32At4, kCounter),
    At(7, 2, "Copied_Ct          : ").Number(0x2048, R::k32At4, kCounter),
    At(8, 2, "Transmit_Ct        : ").Number(0x2049, R::k32At4, kCounter),
    At(9, 2, "Token_Ct           : ").Number(0x204A, R::k32At4, kCounter),
    // Frames this MAC found in error that no MAC before it had marked.
    At(10, 2, "Error_Ct           : ").Number(0x2051, R::k32At4, kCounter).WhenRose(),
    // Frames received with a format error: lost.
    At(11, 2, "Lost_Ct            : ").Number(0x2052, R::k32At4, kCounter).WhenRose(),
    // The valid-transmission timer expired: the ring went quiet for too long.
    At(12, 2, "TvxExpired_Ct      : ").Number(0x2053, R::k32At4, kCounter).WhenRose(),
    // Frames addressed to this station that it could not copy: lost for want of buffers.
    At(13, 2, "NotCopied_Ct       : ").Number(0x2054, R::k32At4, kCounter).WhenRose(),
    // The token came late: the ring's rotation time ran out.
    At(14, 2, "Late_Ct            : ").Number(0x2055, R::k32At4, kCounter).WhenRose(),
    // The ring became operational again: it had been down since the previous refresh.
    At(15, 2, "RingOp_Ct          : ").Number(0x2056, R::k32At4, kCounter).WhenRose(),
    At(16, 2, "FrameErrorThreshold: ").Number(0x205F, R::k16At6, kSixteenBits),
    At(17, 2, "FrameErrorRatio    : ").Number(0x2060, R::k16At6, kSixteenBits),
    At(18, 2, "NotCopiedThreshold : ").Number(0x2067, R::k16At6, kSixteenBits),
    At(19, 2, "NotCopiedRatio     : ").Number(0x2069, R::k16At6, kSixteenBits),

    Heading(5, 48, "Status Group"),
    // Ring management other than Ring_Op: the ring is not operational for this MAC.
    At(6, 41, "RMTState                  : ").Text(0x206F, R::kByte7, kRmtStates).Unless(2),
    // This MAC's address is used by another station on the ring.
    At(7, 41, "DA_Flag                   : ").Flag(0x2070, R::kByte7).WhenSet(),
    // The upstream neighbour's address is duplicated.
    At(8, 41, "UNDA_Flag                 : ").Flag(0x2071, R::kByte7).WhenSet(),
    // The ratio of frames in error passed its threshold.
    At(9, 41, "FrameErrorFlag            : ").Flag(0x2072, R::kByte7).WhenSet(),
    // The ratio of frames not copied passed its threshold.
    At(10, 41, "NotCopiedFlag             : ").Flag(0x2073, R::kByte7).WhenSet(),
    // The MAC cannot pass frames to and from the station's users.
    At(11, 41, "MA_UnitdataAvailable      : ").Flag(0x2074, R::kByte7).WhenClear(),
    // The MAC's hardware is missing.
    At(12, 41, "HardwarePresent           : ").Flag(0x2075, R::kByte7).WhenClear(),
    At(13, 41, "MA-UnitdataEnable         : ").Flag(0x2076, R::kByte7),
};
static_assert(ValidRows(kCountersRows), "a value without its format or texts");

}  // namespace

const ScreenEntry CountersScreen = {4, "MAC Counters & Status Data", MakeRowTable(kCountersRows),
                                    -1, nullptr};
