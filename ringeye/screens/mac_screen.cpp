// Screen 3: the first MAC's capabilities, configuration, addresses and operational timers. The
// ring neighbours, the duplicate-address test and the requested paths fill the second page.
#include <cstdio>

#include "ringeye/screens/screens.h"
#include "ringeye/screens/trouble_marks.h"
#include "ringeye/screens/value_fields.h"
#include "smtmib/smt_retrieval.h"

constexpr LabelEntry MacLabels[] = {
    {0, 1, 1, ":Poll Rate "},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {5, 8, 1, "Capabilities Group"},
    {6, 7, 1, "FrameStatusFunctions"},
    {7, 2, 2, "FS-Repeating: "},
    {8, 2, 2, "FS-Setting  : "},
    {9, 2, 2, "FS-Clearing : "},
    {10, 4, 1, "BridgeFunction"},
    {11, 2, 2, "Transparent Bridging : "},
    {12, 2, 2, "Source Routing       : "},
    {13, 2, 2, "Src Routing Transp.  : "},
    {14, 2, 2, "T_MaxCapability :"},
    {15, 2, 2, "TVXCapability   :"},
    {16, 8, 1, "Config Group"},
    {17, 7, 1, "AvailablePaths"},
    {18, 2, 2, "Primary     : "},
    {19, 2, 2, "Secondary   : "},
    {20, 2, 2, "Local       : "},
    {21, 2, 2, "CurrentPath : "},
    {22, 2, 2, "UpstreamNbr         :"},
    {23, 2, 2, "DownstreamNbr       :"},
    {24, 2, 2, "Old UpstreamNbr     :"},
    {25, 2, 2, "Old DownstreamNbr   :"},
    {26, 2, 2, "Dup_Addr_Test       : "},
    {28, 15, 1, "RequestedPaths"},
    {30, 2, 2, "Local          : "},
    {30, 27, 2, "Secondary-Alt  : "},
    {31, 2, 2, "Primary-Alt    : "},
    {31, 27, 2, "Concat-Alt     : "},
    {32, 2, 2, "Secondary-Pref : "},
    {32, 27, 2, "Primary-Pref   : "},
    {33, 2, 2, "Concat-Pref    : "},
    {33, 27, 2, "Thru           : "},
    {26, 44, 2, "DownstreamPORTType : "},
    {5, 43, 1, "Address Group"},
    {6, 41, 2, "SMTAddress    :"},
    {7, 41, 2, "LongGrpAddrs  :"},
    {8, 41, 2, "ShortGrpAddrs : "},
    {11, 43, 1, "Operation Group in (ms)"},
    {12, 41, 2, "T_Req    : "},
    {13, 41, 2, "T_Neg    : "},
    {14, 41, 2, "T_MAx    : "},
    {15, 41, 2, "Tvx Value: "},
    {16, 41, 2, "T_Pri[0] : "},
    {16, 61, 2, "T_Pri[1] : "},
    {17, 41, 2, "T_Pri[2] : "},
    {17, 61, 2, "T_Pri[3] : "},
    {18, 41, 2, "T_Pri[4] : "},
    {18, 61, 2, "T_Pri[5] : "},
    {19, 41, 2, "T_Pri[6] : "},
    {0, 35, 2, "MAC Configs & Ops Data"},
    {0, 0, 0, nullptr},
};

namespace {

const char* const CurrentPathTexts[] = {"Isolated", "Local",        "Secondary",
                                        "Primary",  "Concatenated", "Thru"};
const char* const DupAddrTestTexts[] = {"None", "Pass", "Fail"};
// Unlike the header's port letters, a type beyond M reads "None" here.
const char* const DownstreamPortTypeTexts[] = {"A", "B", "S", "M"};

constexpr TextTable kCurrentPaths = MakeTextTable(CurrentPathTexts, "?");
constexpr TextTable kDupAddrTests = MakeTextTable(DupAddrTestTexts, "Unknown");
constexpr TextTable kDownstreamPortTypes = MakeTextTable(DownstreamPortTypeTexts, "None");

using R = ValueRead;
using S = ValueShow;

// The values before the neighbour addresses: capabilities and the configured paths.
constexpr ValueField kCapabilityAndPathFields[] = {
    {6, 0x200B, R::k16At6, S::kFlag, nullptr, 1u << 0},  // FS repeating
    {7, 0x200B, R::k16At6, S::kFlag, nullptr, 1u << 1},
    {8, 0x200B, R::k16At6, S::kFlag, nullptr, 1u << 2},
    {10, 0x200C, R::k16At6, S::kFlag, nullptr, 1u << 0},  // transparent bridging
    {11, 0x200C, R::k16At6, S::kFlag, nullptr, 1u << 1},
    {12, 0x200C, R::k16At6, S::kFlag, nullptr, 1u << 2},
    {13, 0x200D, R::k32At4, S::kTime, "%7.3f ms"},
    {14, 0x200E, R::k32At4, S::kTime, "%7.3f ms"},
    {17, 0x2016, R::kByte7, S::kFlag, nullptr, 1u << 0},  // primary path
    {18, 0x2016, R::kByte7, S::kFlag, nullptr, 1u << 1},
    {19, 0x2016, R::kByte7, S::kFlag, nullptr, 1u << 2},
    {20, 0x2017, R::k16At6, S::kText, nullptr, 0, &kCurrentPaths},
};

// The values between the neighbour addresses and the station's own addresses.
constexpr ValueField kNeighbourTestAndRequestFields[] = {
    {25, 0x201D, R::k16At6, S::kText, nullptr, 0, &kDupAddrTests},
    {27, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 0},  // local
    {28, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 1},
    {29, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 2},
    {30, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 3},
    {31, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 4},
    {32, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 5},
    {33, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 6},
    {34, 0x2020, R::kByte7, S::kFlag, nullptr, 1u << 7},  // thru
    {35, 0x2021, R::k16At6, S::kText, nullptr, 0, &kDownstreamPortTypes},
};

// The operation group's timers; the heading names their unit.
constexpr ValueField kOperationFields[] = {
    {41, 0x2033, R::k32At4, S::kTime, "%7.3f"},  // T_Req
    {42, 0x2034, R::k32At4, S::kTime, "%7.3f"},
    {43, 0x2035, R::k32At4, S::kTime, "%7.3f"},
    {44, 0x2036, R::k32At4, S::kTime, "%7.3f"},
    {45, 0x2038, R::k32At4, S::kTime, "%7.3f"},  // T_Pri[0]
    {46, 0x2039, R::k32At4, S::kTime, "%7.3f"},
    {47, 0x203A, R::k32At4, S::kTime, "%7.3f"},
    {48, 0x203B, R::k32At4, S::kTime, "%7.3f"},
    {49, 0x203C, R::k32At4, S::kTime, "%7.3f"},
    {50, 0x203D, R::k32At4, S::kTime, "%7.3f"},
    {51, 0x203E, R::k32At4, S::kTime, "%7.3f"},  // T_Pri[6]
};

static_assert(ValidFieldTable(kCapabilityAndPathFields, MacLabels), "a value without its label");
static_assert(ValidFieldTable(kNeighbourTestAndRequestFields, MacLabels),
              "a value without its label");
static_assert(ValidFieldTable(kOperationFields, MacLabels), "a value without its label");

constexpr TroubleRule kMacTrouble[] = {
    // The MAC is inserted in no path: it takes no part in the ring.
    {{20, 0x2017, R::k16At6, S::kText, nullptr, 0, &kCurrentPaths}, TroubleTest::kOneOf, 1u << 0},
    // Another station on the ring uses this MAC's address.
    {{25, 0x201D, R::k16At6, S::kText, nullptr, 0, &kDupAddrTests}, TroubleTest::kOneOf, 1u << 2},
};
static_assert(ValidTroubleTable(kMacTrouble, MacLabels), "a rule without its value");

// A long address: value bytes 6 to 11, after the record's index and two pad bytes. The label
// is taken from the table at compile time, so an entry beyond it does not build.
struct AddressField {
    const LabelEntry* label;
    uint16_t type;
};
constexpr AddressField kNeighbourAddresses[] = {
    {&MacLabels[21], 0x2018},  // UpstreamNbr
    {&MacLabels[22], 0x2019},
    {&MacLabels[23], 0x201A},
    {&MacLabels[24], 0x201B},  // Old DownstreamNbr
};
constexpr AddressField kOwnAddresses[] = {
    {&MacLabels[37], 0x2029},  // SMTAddress
    {&MacLabels[38], 0x202C},  // LongGrpAddrs
};
constexpr AddressField kShortGroupAddress = {&MacLabels[39], 0x202D};

template <size_t N>
void PaintAddresses(const AddressField (&addresses)[N]) {
    for (const AddressField& address : addresses) {
        const ParamSlot& slot = SlotOf(address.type);
        std::snprintf(TextBuffer, sizeof TextBuffer, " %02X%02X %02X%02X %02X%02X",
                      ValueByte(slot, 6), ValueByte(slot, 7), ValueByte(slot, 8),
                      ValueByte(slot, 9), ValueByte(slot, 10), ValueByte(slot, 11));
        PutText(TextBuffer, *address.label);
    }
}

// A short address is two bytes, value bytes 6 and 7.
void PaintShortGroupAddress() {
    const ParamSlot& slot = SlotOf(kShortGroupAddress.type);
    std::snprintf(TextBuffer, sizeof TextBuffer, "%02X%02X", ValueByte(slot, 6),
                  ValueByte(slot, 7));
    PutText(TextBuffer, *kShortGroupAddress.label);
}

}  // namespace

int PaintMacScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(MacLabels);
    PaintFields(kCapabilityAndPathFields, MacLabels);
    PaintAddresses(kNeighbourAddresses);
    PaintFields(kNeighbourTestAndRequestFields, MacLabels);
    PaintAddresses(kOwnAddresses);
    PaintShortGroupAddress();
    PaintFields(kOperationFields, MacLabels);
    MarkTrouble(MakeTroubleTable(kMacTrouble), MacLabels);
    return 0;
}
