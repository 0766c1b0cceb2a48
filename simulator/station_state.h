// The state of one simulated FDDI station, as plain data. The numbers are the codes the station
// reports in its SMT attributes, so encoding them is a matter of byte layout only.
#pragma once

#include <cstdint>

namespace sim {

enum class Attachment { kDual, kSingle };

struct MacAddress {
    uint8_t bytes[6];
};

inline bool operator==(const MacAddress& a, const MacAddress& b) {
    for (int i = 0; i < 6; ++i) {
        if (a.bytes[i] != b.bytes[i]) return false;
    }
    return true;
}
inline bool operator!=(const MacAddress& a, const MacAddress& b) {
    return !(a == b);
}

// State codes of the station's machines, numbered as SMT reports them.
namespace ecm {
enum : uint8_t { kOut = 0, kIn = 1, kTrace = 2, kPathTest = 4 };
}
namespace cf {
enum : uint8_t { kIsolated = 0, kCWrapA = 9, kCWrapB = 10, kCWrapS = 11, kThru = 12 };
}
namespace rmt {
enum : uint8_t {
    kIsolated = 0,
    kNonOp = 1,
    kRingOp = 2,
    kDetect = 3,
    kNonOpDup = 4,
    kRingOpDup = 5,
    kDirected = 6,
    kTrace = 7,
};
}
namespace pcm {
enum : uint8_t {
    kOff = 0,
    kBreak = 1,
    kConnect = 3,
    kNext = 4,
    kSignal = 5,
    kJoin = 6,
    kVerify = 7,
    kActive = 8,
};
}
namespace connect_state {
enum : uint8_t { kDisabled = 0, kConnecting = 1, kActive = 3 };
}
namespace line_state {
enum : uint8_t { kQuiet = 0, kIdle = 1, kActive = 4 };
}
namespace port_type {
enum : uint8_t { kA = 0, kB = 1, kS = 2, kM = 3 };
}
// A port's CurrentPath.
namespace port_path {
enum : uint8_t { kIsolated = 0, kConcatenated = 4, kThru = 5 };
}
// A MAC's CurrentPath and the path codes of the PATH configuration list.
namespace ring_path {
enum : uint8_t { kIsolated = 0, kPrimary = 3, kConcatenated = 4 };
}
namespace station_status {
enum : uint8_t { kConcatenated = 0, kSeparated = 1, kThru = 2 };
}
namespace dup_addr_test {
enum : uint8_t { kNone = 0, kPass = 1, kFail = 2 };
}
// PATH TraceStatus bits.
namespace trace_status {
enum : uint16_t { kInitiated = 1, kPropagated = 2, kTerminated = 4 };
}

constexpr uint64_t kNever = UINT64_MAX;

struct PortState {
    uint16_t index = 0;  // resource index: 1 for port A or S, 2 for port B
    uint8_t myType = 0;
    uint8_t neighborType = 0;
    uint8_t tVal = 0;  // MACIndicated
    uint8_t rVal = 0;
    uint8_t requestedPaths[3] = {};  // None, Tree, Peer
    uint8_t currentPath = port_path::kThru;
    uint16_t macPlacement = 0;
    uint8_t lineState = line_state::kActive;  // PC_LS, the line state received
    uint8_t connectState = connect_state::kActive;
    uint8_t pcmState = pcm::kActive;
    uint16_t lerEstimateTenths = 150;  // link error rate estimate, smoothed, in tenths
    uint8_t lerFlag = 0;

    // What drives the PCM machine.
    bool signal = true;        // the neighbour's port sends light
    bool enabled = true;       // ECM lets the port connect; false holds PCM in Off
    bool lctWillFail = false;  // the next link confidence test fails once
    uint8_t signalRounds = 0;  // Next/Signal rounds done in this connection attempt
    uint64_t pcmNextMs = kNever;

    uint64_t lemAtWindowStart = 0;  // Lem_Ct when the current 8 s window began
    uint64_t activeSinceMs = 0;     // when the port last reached PCM Active
};

struct MacState {
    uint8_t currentPath = ring_path::kPrimary;
    uint8_t dupAddrTest = dup_addr_test::kPass;
    uint8_t downstreamPortType = port_type::kB;
    uint8_t rmtState = rmt::kRingOp;
    uint8_t daFlag = 0;
    uint8_t unitdataAvailable = 1;
    MacAddress upstream = {};
    MacAddress downstream = {};
    MacAddress oldUpstream = {};
    MacAddress oldDownstream = {};
    uint8_t rmtNextState = rmt::kRingOp;  // where the pending RMT transition leads
    uint64_t rmtNextMs = kNever;
};

struct SmtState {
    uint16_t opVersion = 2;
    uint16_t hiVersion = 2;
    uint16_t loVersion = 2;
    uint8_t ecmState = ecm::kIn;
    uint8_t cfState = cf::kThru;
    uint8_t stationStatus = station_status::kThru;
    uint8_t peerWrapFlag = 0;
    uint64_t transitionMs = 0;  // last change of ECM, CF or RMT, ms since power-up
    uint64_t startedMs = 0;     // when SMT started, ms since power-up
};

// The stations around this one on the ring.
struct RingPeers {
    MacAddress upstream;        // beyond port A (a single-attachment station: the ring's upstream)
    MacAddress downstream;      // beyond port B
    MacAddress wrapUpstream;    // what the MAC hears first while the ring is wrapped on port B
    MacAddress wrapDownstream;  // whom the MAC reaches first while the ring is wrapped on port A
};

struct StationState {
    Attachment attachment = Attachment::kDual;
    uint8_t portCount = 2;
    MacAddress address = {};
    MacAddress groupAddress = {};
    SmtState smt;
    MacState mac;
    uint16_t traceStatus = 0;  // PATH TraceStatus
    PortState ports[2];
    RingPeers peers = {};
    bool duplicateAddress = false;
    bool lerStressOnFirstPort = false;  // the ler scenario: errors grow on port A
    uint64_t upMsAtStart = 0;           // ms from power-up to model time 0
};

}  // namespace sim
