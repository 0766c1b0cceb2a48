// Screen 3: the first MAC's capabilities, configuration, addresses and operational timers. The
// ring neighbours, the duplicate-address test and the requested paths fill the second page.
#include "ringeye/screens/screens.h"

namespace {

const char* const CurrentPathTexts[] = {"Isolated", "Local",        "Secondary",
                                        "Primary",  "Concatenated", "Thru"};
const char* const DupAddrTestTexts[] = {"None", "Pass", "Fail"};
// Unlike the header's port letters, a type beyond M reads "None" here.
const char* const DownstreamPortTypeTexts[] = {"A", "B", "S", "M"};

constexpr TextTable kCurrentPaths = MakeTextTable(CurrentPathTexts, "?");
constexpr TextTable kDupAddrTests = MakeTextTable(DupAddrTestTexts, "Unknown");
constexpr TextTable kDownstreamPortTypes = MakeTextTable(DownstreamPortTypeTexts, "None");

using R = Read;

// A long address is value bytes 6 to 11, after the record's index and two pad bytes; a short
// one is value bytes 6 and 7.
constexpr uint8_t kAddressAt = 6;
constexpr const char* kLongAddress = " %02X%02X %02X%02X %02X%02X";
constexpr const char* kShortAddress = "%02X%02X";
constexpr const char* kTime = "%7.3f";  // the heading names the unit

constexpr uint16_t kRequestedPaths = 0x2020;

constexpr Row kMacRows[] = {
    Heading(5, 8, "Capabilities Group"),
    Heading(6, 7, "FrameStatusFunctions"),
    At(7, 2, "FS-Repeating: ").Flag(0x200B, R::k16At6, 1u << 0),
    At(8, 2, "FS-Setting  : ").Flag(0x200B, R::k16At6, 1u << 1),
    At(9, 2, "FS-Clearing : ").Flag(0x200B, R::k16At6, 1u << 2),
    Heading(10, 4, "BridgeFunction"),
    At(11, 2, "Transparent Bridging : ").Flag(0x200C, R::k16At6, 1u << 0),
    At(12, 2, "Source Routing       : ").Flag(0x200C, R::k16At6, 1u << 1),
    At(13, 2, "Src Routing Transp.  : ").Flag(0x200C, R::k16At6, 1u << 2),
    At(14, 2, "T_MaxCapability :").Time(0x200D, R::k32At4, "%7.3f ms"),
    At(15, 2, "TVXCapability   :").Time(0x200E, R::k32At4, "%7.3f ms"),
    Heading(16, 8, "Config Group"),
    Heading(17, 7, "AvailablePaths"),
    At(18, 2, "Primary     : ").Flag(0x2016, R::kByte7, 1u << 0),
    At(19, 2, "Secondary   : ").Flag(0x2016, R::kByte7, 1u << 1),
    At(20, 2, "Local       : ").Flag(0x2016, R::kByte7, 1u << 2),
    // The MAC is inserted in no path: it takes no part in the ring.
    At(21, 2, "CurrentPath : ").Text(0x2017, R::k16At6, kCurrentPaths).OneOf(1u << 0),

    At(22, 2, "UpstreamNbr         :").Octets(0x2018, kAddressAt, kLongAddress),
    At(23, 2, "DownstreamNbr       :").Octets(0x2019, kAddressAt, kLongAddress),
    At(24, 2, "Old UpstreamNbr     :").Octets(0x201A, kAddressAt, kLongAddress),
    At(25, 2, "Old DownstreamNbr   :").Octets(0x201B, kAddressAt, kLongAddress),
    // Another station on the ring uses this MAC's address.
    At(26, 2, "Dup_Addr_Test       : ").Text(0x201D, R::k16At6, kDupAddrTests).OneOf(1u << 2),
    Heading(28, 15, "RequestedPaths"),
    At(30, 2, "Local          : ").Flag(kRequestedPaths, R::kByte7, 1u << 0),
    At(30, 27, "Secondary-Alt  : ").Flag(kRequestedPaths, R::kByte7, 1u << 1),
    At(31, 2, "Primary-Alt    : ").Flag(kRequestedPaths, R::kByte7, 1u << 2),
    At(31, 27, "Concat-Alt     : ").Flag(kRequestedPaths, R::kByte7, 1u << 3),
    At(32, 2, "Secondary-Pref : ").Flag(kRequestedPaths, R::kByte7, 1u << 4),
    At(32, 27, "Primary-Pref   : ").Flag(kRequestedPaths, R::kByte7, 1u << 5),
    At(33, 2, "Concat-Pref    : ").Flag(kRequestedPaths, R::kByte7, 1u << 6),
    At(33, 27, "Thru           : ").Flag(kRequestedPaths, R::kByte7, 1u << 7),
    At(26, 44, "DownstreamPORTType : ").Text(0x2021, R::k16At6, kDownstreamPortTypes),

    Heading(5, 43, "Address Group"),
    At(6, 41, "SMTAddress    :").Octets(0x2029, kAddressAt, kLongAddress),
    At(7, 41, "LongGrpAddrs  :").Octets(0x202C, kAddressAt, kLongAddress),
    At(8, 41, "ShortGrpAddrs : ").Octets(0x202D, kAddressAt, kShortAddress),

    Heading(11, 43, "Operation Group in (ms)"),
    At(12, 41, "T_Req    : ").Time(0x2033, R::k32At4, kTime),
    At(13, 41, "T_Neg    : ").Time(0x2034, R::k32At4, kTime),
    At(14, 41, "T_MAx    : ").Time(0x2035, R::k32At4, kTime),
    At(15, 41, "Tvx Value: ").Time(0x2036, R::k32At4, kTime),
    At(16, 41, "T_Pri[0] : ").Time(0x2038, R::k32At4, kTime),
    At(16, 61, "T_Pri[1] : ").Time(0x2039, R::k32At4, kTime),
    At(17, 41, "T_Pri[2] : ").Time(0x203A, R::k32At4, kTime),
    At(17, 61, "T_Pri[3] : ").Time(0x203B, R::k32At4, kTime),
    At(18, 41, "T_Pri[4] : ").Time(0x203C, R::k32At4, kTime),
    At(18, 61, "T_Pri[5] : ").Time(0x203D, R::k32At4, kTime),
    At(19, 41, "T_Pri[6] : ").Time(0x203E, R::k32At4, kTime),
};
static_assert(ValidRows(kMacRows), "a value without its format or texts");

}  // namespace

const ScreenEntry MacScreen = {3, "MAC Configs & Ops Data", MakeRowTable(kMacRows), -1, nullptr};
