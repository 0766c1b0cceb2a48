// Screen 4: the frame counters, error-condition thresholds and ratios, and status flags of the
// station's first MAC.
#include "ringeye/screens/screens.h"
#include "ringeye/screens/trouble_marks.h"
#include "ringeye/screens/value_fields.h"
#include "smtmib/smt_retrieval.h"

constexpr LabelEntry CountersLabels[] = {
    {0, 1, 1, ":Poll Rate "},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {5, 10, 1, "Counters Group"},
    {6, 2, 2, "Frame_Ct           : "},
    {7, 2, 2, "Copied_Ct          : "},
    {8, 2, 2, "Transmit_Ct        : "},
    {9, 2, 2, "Token_Ct           : "},
    {10, 2, 2, "Error_Ct           : "},
    {11, 2, 2, "Lost_Ct            : "},
    {12, 2, 2, "TvxExpired_Ct      : "},
    {13, 2, 2, "NotCopied_Ct       : "},
    {14, 2, 2, "Late_Ct            : "},
    {15, 2, 2, "RingOp_Ct          : "},
    {16, 2, 2, "FrameErrorThreshold: "},
    {17, 2, 2, "FrameErrorRatio    : "},
    {18, 2, 2, "NotCopiedThreshold : "},
    {19, 2, 2, "NotCopiedRatio     : "},
    {5, 48, 1, "Status Group"},
    {6, 41, 2, "RMTState                  : "},
    {7, 41, 2, "DA_Flag                   : "},
    {8, 41, 2, "UNDA_Flag                 : "},
    {9, 41, 2, "FrameErrorFlag            : "},
    {10, 41, 2, "NotCopiedFlag             : "},
    {11, 41, 2, "MA_UnitdataAvailable      : "},
    {12, 41, 2, "HardwarePresent           : "},
    {13, 41, 2, "MA-UnitdataEnable         : "},
    {0, 35, 2, "MAC Counters & Status Data"},
    {0, 0, 0, nullptr},
};

namespace {

// Mixed case here; the header shows the same attribute from the upper-case RmtStateNames.
const char* const RmtStateTexts[] = {"Isolated",   "Non_Op",      "Ring_Op",  "Detect",
                                     "Non_Op_Dup", "Ring_Op_Dup", "Directed", "Trace"};
const TextTable kRmtStates = MakeTextTable(RmtStateTexts, "None");

constexpr const char* kCounter = "0x%08X";
constexpr const char* kSixteenBits = "0x%04X";

// In painting order. The counters are shown as they stand: no differences, no rates.
constexpr ValueField kCountersFields[] = {
    {5, 0x2047, ValueRead::k32At4, ValueShow::kNumber, kCounter},       // Frame_Ct
    {6, 0x2048, ValueRead::k32At4, ValueShow::kNumber, kCounter},       // Copied_Ct
    {7, 0x2049, ValueRead::k32At4, ValueShow::kNumber, kCounter},       // Transmit_Ct
    {8, 0x204A, ValueRead::k32At4, ValueShow::kNumber, kCounter},       // Token_Ct
    {9, 0x2051, ValueRead::k32At4, ValueShow::kNumber, kCounter},       // Error_Ct
    {10, 0x2052, ValueRead::k32At4, ValueShow::kNumber, kCounter},      // Lost_Ct
    {11, 0x2053, ValueRead::k32At4, ValueShow::kNumber, kCounter},      // TvxExpired_Ct
    {12, 0x2054, ValueRead::k32At4, ValueShow::kNumber, kCounter},      // NotCopied_Ct
    {13, 0x2055, ValueRead::k32At4, ValueShow::kNumber, kCounter},      // Late_Ct
    {14, 0x2056, ValueRead::k32At4, ValueShow::kNumber, kCounter},      // RingOp_Ct
    {15, 0x205F, ValueRead::k16At6, ValueShow::kNumber, kSixteenBits},  // FrameErrorThreshold
    {16, 0x2060, ValueRead::k16At6, ValueShow::kNumber, kSixteenBits},  // FrameErrorRatio
    {17, 0x2067, ValueRead::k16At6, ValueShow::kNumber, kSixteenBits},  // NotCopiedThreshold
    {18, 0x2069, ValueRead::k16At6, ValueShow::kNumber, kSixteenBits},  // NotCopiedRatio
    {20, 0x206F, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kRmtStates},  // RMTState
    {21, 0x2070, ValueRead::kByte7, ValueShow::kFlag},                           // DA_Flag
    {22, 0x2071, ValueRead::kByte7, ValueShow::kFlag},                           // UNDA_Flag
    {23, 0x2072, ValueRead::kByte7, ValueShow::kFlag},                           // FrameErrorFlag
    {24, 0x2073, ValueRead::kByte7, ValueShow::kFlag},                           // NotCopiedFlag
    {25, 0x2074, ValueRead::kByte7, ValueShow::kFlag},  // MA_UnitdataAvailable
    {26, 0x2075, ValueRead::kByte7, ValueShow::kFlag},  // HardwarePresent
    {27, 0x2076, ValueRead::kByte7, ValueShow::kFlag},  // MA-UnitdataEnable
};

static_assert(ValidFieldTable(kCountersFields, CountersLabels),
              "a value without its label, format or texts");

constexpr TroubleRule kCountersTrouble[] = {
    // Frames this MAC found in error that no MAC before it had marked.
    {{9, 0x2051, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // Frames received with a format error: lost.
    {{10, 0x2052, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // The valid-transmission timer expired: the ring went quiet for too long.
    {{11, 0x2053, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // Frames addressed to this station that it could not copy: lost for want of buffers.
    {{12, 0x2054, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // The token came late: the ring's rotation time ran out.
    {{13, 0x2055, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // The ring became operational again: it had been down since the previous refresh.
    {{14, 0x2056, ValueRead::k32At4, ValueShow::kNumber, kCounter}, TroubleTest::kRose},
    // Ring management other than Ring_Op: the ring is not operational for this MAC.
    {{20, 0x206F, ValueRead::kByte7, ValueShow::kText, nullptr, 0, &kRmtStates},
     TroubleTest::kUnless,
     2},
    // This MAC's address is used by another station on the ring.
    {{21, 0x2070, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kSet},
    // The upstream neighbour's address is duplicated.
    {{22, 0x2071, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kSet},
    // The ratio of frames in error passed its threshold.
    {{23, 0x2072, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kSet},
    // The ratio of frames not copied passed its threshold.
    {{24, 0x2073, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kSet},
    // The MAC cannot pass frames to and from the station's users.
    {{25, 0x2074, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kClear},
    // The MAC's hardware is missing.
    {{26, 0x2075, ValueRead::kByte7, ValueShow::kFlag}, TroubleTest::kClear},
};
static_assert(ValidTroubleTable(kCountersTrouble, CountersLabels), "a rule without its value");

}  // namespace

int PaintCountersScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(CountersLabels);
    PaintFields(kCountersFields, CountersLabels);
    MarkTrouble(MakeTroubleTable(kCountersTrouble), CountersLabels);
    return 0;
}
