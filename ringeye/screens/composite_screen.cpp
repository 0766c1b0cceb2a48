// Screen 1, the overview shown at start-up: station identity and versions, the MAC's ring
// neighbours, one line per port, the MAC timers and counters with a transmit rate, the ports'
// link error counts and the station configuration (the last two on the second page).
#include <cstdint>
#include <cstdio>

#include "platform/clock.h"
#include "ringeye/monitor_state.h"
#include "ringeye/screens/screens.h"
#include "ringeye/screens/trouble_marks.h"
#include "ringeye/screens/value_fields.h"
#include "smtmib/smt_retrieval.h"

const LabelEntry CompositeLabels[] = {
    {0, 1, 1, ":Poll Rate"},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {7, 2, 1, "MAC:  UpStreamNbr    DownStreamNbr  :  OldUpStreamNbr  OldDownStreamNbr"},
    {10, 2, 1, "PHY: ConPol Cutoff Alarm ConState    RemoteType RemoteMAC   PCM    LER"},
    {13, 2, 2, "T-MAX Low: "},
    {14, 2, 2, "TVX   Low: "},
    {15, 2, 2, "T-Req    : "},
    {16, 2, 2, "T-Neg    : "},
    {17, 2, 2, "T-Max    : "},
    {18, 2, 2, "TvxValue : "},
    {13, 44, 1, "MAC Attribute Counts"},
    {14, 27, 2, "Frame    : "},
    {15, 27, 2, "Copied   : "},
    {16, 27, 2, "Transmit : "},
    {17, 27, 2, "Frame/sec: "},
    {18, 27, 2, "Token    : "},
    {19, 27, 2, "RingOp   : "},
    {14, 52, 2, "Error     : "},
    {15, 52, 2, "Lost      : "},
    {16, 52, 2, "TvxExpired: "},
    {17, 52, 2, "NotCopied : "},
    {18, 52, 2, "Late      : "},
    {22, 2, 2, "Lem PHYA: "},
    {22, 23, 2, "Reject: "},
    {23, 2, 2, "Lem PHYB: "},
    {23, 23, 2, "Reject: "},
    {5, 2, 2, "SMT Version Op : "},
    {5, 29, 2, "Hi: "},
    {5, 41, 2, "Lo: "},
    {25, 2, 2, "MAC Count: "},
    {26, 2, 2, "NonMaster: "},
    {27, 2, 2, "Master   : "},
    {28, 2, 2, "PathsAval: "},
    {25, 23, 2, "ConfigCap  : "},
    {26, 23, 2, "ConfigPol  : "},
    {27, 23, 2, "ConnectPol : "},
    {0, 35, 2, "Composite Data"},
    {0, 0, 0, nullptr},
};

uint32_t PreviousTransmitCount = 0;

namespace {

// When the last Transmit-Ct reading was taken, on the program's clock, and the rate it gave.
uint64_t PreviousTransmitMs = 0;
uint32_t PreviousFrameRate = 0;

// Label entries that carry more than a ValueField row: the neighbour and port headings, whose
// lines go one and two rows below them, and the rate.
constexpr int kMacHeading = 4, kPortHeading = 5, kFrameRate = 16;
// The second part of the neighbour line continues the first without a gap.
constexpr int kMacLineSecondPartOffset = 38;

constexpr uint16_t kTransmitCt = 0x2049;
constexpr uint16_t kUpstreamNbr = 0x2018, kDownstreamNbr = 0x2019;
constexpr uint16_t kOldUpstreamNbr = 0x201A, kOldDownstreamNbr = 0x201B;
constexpr uint16_t kMyType = 0x400C, kNeighborType = 0x400D, kConnectionPolicies = 0x400E,
                   kMacIndicated = 0x400F, kLerEstimate = 0x4033, kLerCutoff = 0x403A,
                   kLerAlarm = 0x403B, kConnectState = 0x403D, kPcmState = 0x403E;
// A neighbour address is value bytes 6 to 11, after the padding, the resource index and two
// more bytes of padding.
constexpr size_t kAddressFirstByte = 6;

constexpr const char* kTime = "%7.3f ms";
constexpr uint64_t kMsPerSecond = 1000;
// The shortest time a rate is taken over. Entering a screen paints it twice a few milliseconds
// apart; a rate over so short a time would swing with every single frame.
constexpr uint64_t kShortestRateWindowMs = 100;
constexpr const char* kCounter = "0x%08X";

// In painting order; the transmit rate goes between Transmit and Token.
const ValueField kTimerAndFirstCounterFields[] = {
    {6, 0x200D, ValueRead::k32At4, ValueShow::kTime, kTime},        // T-MaxCapability
    {7, 0x200E, ValueRead::k32At4, ValueShow::kTime, kTime},        // TVXCapability
    {8, 0x2033, ValueRead::k32At4, ValueShow::kTime, kTime},        // T-Req
    {9, 0x2034, ValueRead::k32At4, ValueShow::kTime, kTime},        // T-Neg
    {10, 0x2035, ValueRead::k32At4, ValueShow::kTime, kTime},       // T-Max
    {11, 0x2036, ValueRead::k32At4, ValueShow::kTime, kTime},       // TvxValue
    {13, 0x2047, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // Frame-Ct
    {14, 0x2048, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // Copied-Ct
    {15, kTransmitCt, ValueRead::k32At4, ValueShow::kNumber, kCounter},
};

const ValueField kOtherCounterFields[] = {
    {17, 0x204A, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // Token-Ct
    {18, 0x2056, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // RingOp-Ct
    {19, 0x2051, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // Error-Ct
    {20, 0x2052, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // Lost-Ct
    {21, 0x2053, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // TvxExpired-Ct
    {22, 0x2054, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // NotCopied-Ct
    // Only the low-order half of Late-Ct fits the column.
    {23, 0x2055, ValueRead::k16At6, ValueShow::kNumber, "    0x%04X"},
};

const ValueField kFirstPortLemFields[] = {
    {24, 0x4035, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // Lem-Ct
    {25, 0x4034, ValueRead::k32At4, ValueShow::kNumber, kCounter},  // LemReject-Ct
};

const ValueField kSecondPortLemFields[] = {
    {26, 0x4035, ValueRead::k32At4, ValueShow::kNumber, kCounter},
    {27, 0x4034, ValueRead::k32At4, ValueShow::kNumber, kCounter},
};

const ValueField kStationFields[] = {
    {28, 0x100D, ValueRead::k16At2, ValueShow::kNumber, "0x%04X"},    // OpVersionId
    {29, 0x100E, ValueRead::k16At2, ValueShow::kNumber, "0x%04X"},    // HiVersionId
    {30, 0x100F, ValueRead::k16At2, ValueShow::kNumber, "0x%04X"},    // LoVersionId
    {31, 0x1015, ValueRead::kByte3, ValueShow::kNumber, "  0x%02X"},  // MAC-Ct
    {32, 0x1016, ValueRead::kByte3, ValueShow::kNumber, "  0x%02X"},  // NonMaster-Ct
    {33, 0x1017, ValueRead::kByte3, ValueShow::kNumber, "  0x%02X"},  // Master-Ct
    {34, 0x1018, ValueRead::kByte3, ValueShow::kNumber, "  0x%02X"},  // AvailablePaths
    {35, 0x1019, ValueRead::k16At2, ValueShow::kNumber, "0x%04X"},    // ConfigCapabilities
    {36, 0x101A, ValueRead::k16At2, ValueShow::kNumber, "0x%04X"},    // ConfigPolicy
    {37, 0x101B, ValueRead::k16At2, ValueShow::kNumber, "0x%04X"},    // ConnectionPolicy
};

uint32_t AddressByte(uint16_t type, size_t n) {
    return ValueByte(SlotOf(type), kAddressFirstByte + n);
}

void PaintNeighbourLine(const LabelEntry& heading) {
    const int32_t row = heading.row + 1;
    std::snprintf(TextBuffer, sizeof TextBuffer,
                  " %s   %02X%02X %02X%02X %02X%02X  %02X%02X %02X%02X %02X%02X : ", "1",
                  AddressByte(kUpstreamNbr, 0), AddressByte(kUpstreamNbr, 1),
                  AddressByte(kUpstreamNbr, 2), AddressByte(kUpstreamNbr, 3),
                  AddressByte(kUpstreamNbr, 4), AddressByte(kUpstreamNbr, 5),
                  AddressByte(kDownstreamNbr, 0), AddressByte(kDownstreamNbr, 1),
                  AddressByte(kDownstreamNbr, 2), AddressByte(kDownstreamNbr, 3),
                  AddressByte(kDownstreamNbr, 4), AddressByte(kDownstreamNbr, 5));
    PutAt(TextBuffer, row, heading.col, 0);
    std::snprintf(TextBuffer, sizeof TextBuffer,
                  " %02X%02X %02X%02X %02X%02X  %02X%02X %02X%02X %02X%02X",
                  AddressByte(kOldUpstreamNbr, 0), AddressByte(kOldUpstreamNbr, 1),
                  AddressByte(kOldUpstreamNbr, 2), AddressByte(kOldUpstreamNbr, 3),
                  AddressByte(kOldUpstreamNbr, 4), AddressByte(kOldUpstreamNbr, 5),
                  AddressByte(kOldDownstreamNbr, 0), AddressByte(kOldDownstreamNbr, 1),
                  AddressByte(kOldDownstreamNbr, 2), AddressByte(kOldDownstreamNbr, 3),
                  AddressByte(kOldDownstreamNbr, 4), AddressByte(kOldDownstreamNbr, 5));
    PutAt(TextBuffer, row, heading.col + kMacLineSecondPartOffset, 0);
}

uint32_t PortNumber(uint16_t type, int port) {
    return Value32(SlotOf(type, port), 4);
}

// Where the port line's state names and link error estimate stand: after the fields before
// them, formatted as PaintPortLine formats them, so a wide number moves the mark with its text.
int32_t PortLineConnectColumn(int port) {
    return std::snprintf(nullptr, 0, " %1s    %04X    %2d    %2d   ",
                         TextOf(PortTypeLetters, PortNumber(kMyType, port), kUnknownName),
                         PortNumber(kConnectionPolicies, port),
                         static_cast<int32_t>(PortNumber(kLerCutoff, port)),
                         static_cast<int32_t>(PortNumber(kLerAlarm, port)));
}

int32_t PortLinePcmColumn(int port) {
    return PortLineConnectColumn(port) +
           std::snprintf(nullptr, 0, "%-10s      %1s          %d      ",
                         TextOf(ConnectStateNames, PortNumber(kConnectState, port), kUnknownName),
                         TextOf(PortTypeLetters, PortNumber(kNeighborType, port), kUnknownName),
                         PortNumber(kMacIndicated, port) != 0 ? 1 : 0);
}

int32_t PortLineLerColumn(int port) {
    return PortLinePcmColumn(port) +
           std::snprintf(nullptr, 0, "%-7s  ",
                         TextOf(PcmStateNames, PortNumber(kPcmState, port), kUnknownName));
}

template <int32_t (*Column)(int)>
void OnPortLine(const LabelEntry& heading, int port, int32_t* row, int32_t* column) {
    *row = heading.row + 1 + port;
    *column = heading.col + Column(port);
}

const TextTable kConnectNames = MakeTextTable(ConnectStateNames, kUnknownName);
const TextTable kPcmNames = MakeTextTable(PcmStateNames, kUnknownName);
constexpr uint16_t kPortPresent = 0x4041;

// The port line's values as PaintPortLine shows them, and where they stand on it.
constexpr ValueField kConnectName = {
    kPortHeading, kConnectState, ValueRead::k32At4, ValueShow::kText, nullptr, 0, &kConnectNames};
constexpr ValueField kPcmName = {kPortHeading, kPcmState, ValueRead::k32At4, ValueShow::kText,
                                 nullptr,      0,         &kPcmNames};
constexpr ValueField kLerNumber = {kPortHeading, kLerEstimate, ValueRead::k32At4,
                                   ValueShow::kNumber, "%2d"};
constexpr TroublePlace kConnectAt = OnPortLine<PortLineConnectColumn>;
constexpr TroublePlace kPcmAt = OnPortLine<PortLinePcmColumn>;
constexpr TroublePlace kLerAt = OnPortLine<PortLineLerColumn>;

using T = TroubleTest;

// The port line rules hold for a port whose hardware is present, port 1 only on a station with
// two ports.
constexpr TroubleRule kCompositeTrouble[] = {
    // A port that is not Active carries no ring traffic.
    {kConnectName, T::kUnless, 3, 0, 0, kPortPresent, kConnectAt},
    {kConnectName, T::kUnless, 3, 0, 1, kPortPresent, kConnectAt},
    // Its physical connection management has not brought the link up (Break, Trace, ...).
    {kPcmName, T::kUnless, 8, 0, 0, kPortPresent, kPcmAt},
    {kPcmName, T::kUnless, 8, 0, 1, kPortPresent, kPcmAt},
    // The link's error rate reached the level at which the port raises its alarm.
    {kLerNumber, T::kAtOrBelow, 0, kLerAlarm, 0, kPortPresent, kLerAt},
    {kLerNumber, T::kAtOrBelow, 0, kLerAlarm, 1, kPortPresent, kLerAt},
    // Frames this MAC found in error that no MAC before it had marked.
    {{19, 0x2051, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose},
    // Frames received with a format error: lost.
    {{20, 0x2052, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose},
    // The valid-transmission timer expired: the ring went quiet for too long.
    {{21, 0x2053, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose},
    // Frames addressed to this station that it could not copy: lost for want of buffers.
    {{22, 0x2054, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose},
    // The token came late: the ring's rotation time ran out.
    {{23, 0x2055, ValueRead::k16At6, ValueShow::kNumber, "    0x%04X"}, T::kRose},
    // The ring became operational again: it had been down since the previous refresh.
    {{18, 0x2056, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose},
    // Link errors counted by each port's link error monitor, and links it rejected.
    {{24, 0x4035, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose, 0, 0, 0},
    {{25, 0x4034, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose, 0, 0, 0},
    {{26, 0x4035, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose, 0, 0, 1},
    {{27, 0x4034, ValueRead::k32At4, ValueShow::kNumber, kCounter}, T::kRose, 0, 0, 1},
};

// Port `port` (0 or 1) on the row `port` + 1 below the heading.
void PaintPortLine(const LabelEntry& heading, int port) {
    std::snprintf(TextBuffer, sizeof TextBuffer,
                  " %1s    %04X    %2d    %2d   %-10s      %1s          %d      %-7s  %2d ",
                  TextOf(PortTypeLetters, PortNumber(kMyType, port), kUnknownName),
                  PortNumber(kConnectionPolicies, port),
                  static_cast<int32_t>(PortNumber(kLerCutoff, port)),
                  static_cast<int32_t>(PortNumber(kLerAlarm, port)),
                  TextOf(ConnectStateNames, PortNumber(kConnectState, port), kUnknownName),
                  TextOf(PortTypeLetters, PortNumber(kNeighborType, port), kUnknownName),
                  PortNumber(kMacIndicated, port) != 0 ? 1 : 0,
                  TextOf(PcmStateNames, PortNumber(kPcmState, port), kUnknownName),
                  static_cast<int32_t>(PortNumber(kLerEstimate, port)));
    PutAt(TextBuffer, heading.row + 1 + port, heading.col, 0);
}

// Transmitted frames per second between the last two readings, over the time that actually
// passed between them: the delay dialog's period is only the wait after a refresh, and a key or
// a visit to another screen makes the gap shorter or longer. The first nonzero reading has
// nothing to compare with and counts as no traffic; a reading less than kShortestRateWindowMs
// after the last one keeps the rate shown before and waits for a longer window.
void PaintFrameRate(const LabelEntry& label) {
    const uint32_t transmitted = Value32(SlotOf(kTransmitCt), 4);
    const uint64_t now = platform::CurrentClock().NowMs();
    if (PreviousTransmitCount == 0) {
        PreviousTransmitCount = transmitted;
        PreviousTransmitMs = now;
        PreviousFrameRate = 0;
    }
    if (now >= PreviousTransmitMs + kShortestRateWindowMs) {
        const uint64_t difference = transmitted - PreviousTransmitCount;
        const uint64_t rate = difference * kMsPerSecond / (now - PreviousTransmitMs);
        PreviousFrameRate = rate > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(rate);
        PreviousTransmitCount = transmitted;
        PreviousTransmitMs = now;
    }
    PutValue(kCounter, static_cast<int32_t>(PreviousFrameRate), label);
}

}  // namespace

void ResetFrameRate() {
    PreviousTransmitCount = 0;
    PreviousTransmitMs = 0;
    PreviousFrameRate = 0;
}

int PaintCompositeScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(CompositeLabels);
    PaintNeighbourLine(CompositeLabels[kMacHeading]);
    PaintPortLine(CompositeLabels[kPortHeading], 0);
    if (PortCount == 2) PaintPortLine(CompositeLabels[kPortHeading], 1);
    PaintFields(kTimerAndFirstCounterFields, CompositeLabels);
    PaintFrameRate(CompositeLabels[kFrameRate]);
    PaintFields(kOtherCounterFields, CompositeLabels);
    PaintFields(kFirstPortLemFields, CompositeLabels, 0);
    if (PortCount == 2) PaintFields(kSecondPortLemFields, CompositeLabels, 1);
    PaintFields(kStationFields, CompositeLabels);
    MarkTrouble(MakeTroubleTable(kCompositeTrouble), CompositeLabels);
    return 0;
}
