// Screen 1, the overview shown at start-up: station identity and versions, the MAC's ring
// neighbours, one line per port, the MAC timers and counters with a transmit rate, the ports'
// link error counts and the station configuration (the last two on the second page).
#include "ringeye/screens/screens.h"

namespace {

using R = Read;

constexpr uint16_t kTransmitCt = 0x2049;
constexpr uint16_t kPortPresent = 0x4041;
// A neighbour address is value bytes 6 to 11, after the padding, the resource index and two
// more bytes of padding.
constexpr uint8_t kAddressFirstByte = 6;

constexpr const char* kTime = "%7.3f ms";
constexpr const char* kCounter = "0x%08X";
constexpr const char* kLate = "    0x%04X";  // only the low-order half of Late-Ct fits the column
constexpr uint64_t kMsPerSecond = 1000;
// The shortest time a rate is taken over. Entering a screen paints it twice a few milliseconds
// apart; a rate over so short a time would swing with every single frame.
constexpr uint64_t kShortestRateWindowMs = 100;

// Transmitted frames per second between the last two readings, over the time that actually
// passed between them: the delay dialog's period is only the wait after a refresh, and a key or
// a visit to another screen makes the gap shorter or longer. The first nonzero reading has
// nothing to compare with and counts as no traffic; a reading less than kShortestRateWindowMs
// after the last one keeps the rate shown before and waits for a longer window.
uint32_t FrameRate(PaintContext& context) {
    FrameRateMemory& last = context.memory.frameRate;
    const uint32_t transmitted = Value32(SlotOf(context.station, kTransmitCt), 4);
    const uint64_t now = context.nowMs;
    if (last.transmitCount == 0) {
        last = {transmitted, now, 0};
    }
    if (now >= last.atMs + kShortestRateWindowMs) {
        const uint64_t difference = transmitted - last.transmitCount;
        const uint64_t rate = difference * kMsPerSecond / (now - last.atMs);
        last = {transmitted, now, rate > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(rate)};
    }
    return last.rate;
}

// One port line below the PHY heading, its columns in order. Marked where they stand on the
// line: a port that is not Active (it carries no ring traffic), connection management that has
// not brought the link up (Break, Trace, ...), and a link error rate at the level at which the
// port raises its alarm. RemoteMAC is R_Val of MACIndicated: the neighbour's MAC is there.
// clang-format off
#define PORT_LINE(row, port)                                                                   \
    At(row, 2, "").Text(0x400C, R::k32At4, PortTypeLetters, " %1s").OfPort(port),              \
    Then().Number(0x400E, R::k32At4, "    %04X").OfPort(port),                                 \
    Then().Number(0x403A, R::k32At4, "    %2d").OfPort(port),                                  \
    Then().Number(0x403B, R::k32At4, "    %2d").OfPort(port),                                  \
    Then().Text(0x403D, R::k32At4, ConnectStateNames, "   %-10s").OfPort(port)                 \
        .Unless(3).WhenPresent(kPortPresent),                                                  \
    Then().Text(0x400D, R::k32At4, PortTypeLetters, "      %1s").OfPort(port),                 \
    Then().Bit(0x400F, R::k16At6, "          %d").OfPort(port),                                \
    Then().Text(0x403E, R::k32At4, PcmStateNames, "      %-7s").OfPort(port)                   \
        .Unless(8).WhenPresent(kPortPresent),                                                  \
    Then().Number(0x4033, R::k32At4, "  %2d ").OfPort(port)                                    \
        .AtOrBelow(0x403B).WhenPresent(kPortPresent)
// clang-format on

constexpr Row kCompositeRows[] = {
    At(5, 2, "SMT Version Op : ").Number(0x100D, R::k16At2, "0x%04X"),
    At(5, 29, "Hi: ").Number(0x100E, R::k16At2, "0x%04X"),
    At(5, 41, "Lo: ").Number(0x100F, R::k16At2, "0x%04X"),

    Heading(7, 2, "MAC:  UpStreamNbr    DownStreamNbr  :  OldUpStreamNbr  OldDownStreamNbr"),
    At(8, 2, "").Octets(0x2018, kAddressFirstByte, " 1   %02X%02X %02X%02X %02X%02X"),
    Then().Octets(0x2019, kAddressFirstByte, "  %02X%02X %02X%02X %02X%02X : "),
    At(8, 40, "").Octets(0x201A, kAddressFirstByte, " %02X%02X %02X%02X %02X%02X"),
    Then().Octets(0x201B, kAddressFirstByte, "  %02X%02X %02X%02X %02X%02X"),

    Heading(10, 2, "PHY: ConPol Cutoff Alarm ConState    RemoteType RemoteMAC   PCM    LER"),
    PORT_LINE(11, 0),
    PORT_LINE(12, 1),

    At(13, 2, "T-MAX Low: ").Time(0x200D, R::k32At4, kTime),
    At(14, 2, "TVX   Low: ").Time(0x200E, R::k32At4, kTime),
    At(15, 2, "T-Req    : ").Time(0x2033, R::k32At4, kTime),
    At(16, 2, "T-Neg    : ").Time(0x2034, R::k32At4, kTime),
    At(17, 2, "T-Max    : ").Time(0x2035, R::k32At4, kTime),
    At(18, 2, "TvxValue : ").Time(0x2036, R::k32At4, kTime),

    Heading(13, 44, "MAC Attribute Counts"),
    At(14, 27, "Frame    : ").Number(0x2047, R::k32At4, kCounter),
    At(15, 27, "Copied   : ").Number(0x2048, R::k32At4, kCounter),
    At(16, 27, "Transmit : ").Number(kTransmitCt, R::k32At4, kCounter),
    At(17, 27, "Frame/sec: ").Number(0, R::k32At4, kCounter).Computed(FrameRate),
    At(18, 27, "Token    : ").Number(0x204A, R::k32At4, kCounter),
    // The ring became operational again: it had been down since the previous refresh.
    At(19, 27, "RingOp   : ").Number(0x2056, R::k32At4, kCounter).WhenRose(),
    // Frames this MAC found in error that no MAC before it had marked.
    At(14, 52, "Error     : ").Number(0x2051, R::k32At4, kCounter).WhenRose(),
    // Frames received with a format error: lost.
    At(15, 52, "Lost      : ").Number(0x2052, R::k32At4, kCounter).WhenRose(),
    // The valid-transmission timer expired: the ring went quiet for too long.
    At(16, 52, "TvxExpired: ").Number(0x2053, R::k32At4, kCounter).WhenRose(),
    // Frames addressed to this station that it could not copy: lost for want of buffers.
    At(17, 52, "NotCopied : ").Number(0x2054, R::k32At4, kCounter).WhenRose(),
    // The token came late: the ring's rotation time ran out.
    At(18, 52, "Late      : ").Number(0x2055, R::k16At6, kLate).WhenRose(),

    // Link errors counted by each port's link error monitor, and links it rejected.
    At(22, 2, "Lem PHYA: ").Number(0x4035, R::k32At4, kCounter).OfPort(0).WhenRose(),
    At(22, 23, "Reject: ").Number(0x4034, R::k32At4, kCounter).OfPort(0).WhenRose(),
    At(23, 2, "Lem PHYB: ").Number(0x4035, R::k32At4, kCounter).OfPort(1).WhenRose(),
    At(23, 23, "Reject: ").Number(0x4034, R::k32At4, kCounter).OfPort(1).WhenRose(),

    At(25, 2, "MAC Count: ").Number(0x1015, R::kByte3, "  0x%02X"),
    At(26, 2, "NonMaster: ").Number(0x1016, R::kByte3, "  0x%02X"),
    At(27, 2, "Master   : ").Number(0x1017, R::kByte3, "  0x%02X"),
    At(28, 2, "PathsAval: ").Number(0x1018, R::kByte3, "  0x%02X"),
    At(25, 23, "ConfigCap  : ").Number(0x1019, R::k16At2, "0x%04X"),
    At(26, 23, "ConfigPol  : ").Number(0x101A, R::k16At2, "0x%04X"),
    At(27, 23, "ConnectPol : ").Number(0x101B, R::k16At2, "0x%04X"),
};
#undef PORT_LINE
static_assert(ValidRows(kCompositeRows), "a value without its format or texts");

}  // namespace

const ScreenEntry CompositeScreen = {1, "Composite Data", MakeRowTable(kCompositeRows), -1,
                                     nullptr};
