// How the station joins its ports and its MAC to the ring (the configuration machine), and the
// ring's own state as the MAC sees it (RMT). Both follow from which ports are Active: a dual
// attachment station with both ports up is Thru; with one port down it wraps on the other,
// and its MAC's neighbour on the broken side changes; with none it is isolated.
#include "simulator/station_model.h"

namespace sim {
namespace {

constexpr MacAddress kUnknownAddress = {{0x00, 0x00, 0xF8, 0x00, 0x00, 0x00}};
// The MAC's resource index, as a port's MAC Placement.
constexpr uint16_t kMacIndex = 1;

struct PortRole {
    uint8_t currentPath;
    uint16_t macPlacement;
};

// Everything the configuration machine decides.
struct Configuration {
    uint8_t cfState;
    uint8_t stationStatus;
    uint8_t peerWrapFlag;
    uint8_t macPath;
    uint8_t downstreamPortType;
    PortRole ports[2];
    MacAddress upstream;
    MacAddress downstream;
};

constexpr PortRole kIsolatedPort = {port_path::kIsolated, 0};
constexpr PortRole kWrappedPort = {port_path::kConcatenated, kMacIndex};

Configuration DualAttachment(bool aActive, bool bActive, const RingPeers& peers) {
    if (aActive && bActive) {
        return {cf::kThru,
                station_status::kThru,
                0,
                ring_path::kPrimary,
                port_type::kB,
                {{port_path::kThru, 0}, {port_path::kThru, kMacIndex}},
                peers.upstream,
                peers.downstream};
    }
    if (aActive) {
        return {cf::kCWrapA,
                station_status::kConcatenated,
                1,
                ring_path::kPrimary,
                port_type::kA,
                {kWrappedPort, kIsolatedPort},
                peers.upstream,
                peers.wrapDownstream};
    }
    if (bActive) {
        return {cf::kCWrapB,
                station_status::kConcatenated,
                1,
                ring_path::kPrimary,
                port_type::kB,
                {kIsolatedPort, kWrappedPort},
                peers.wrapUpstream,
                peers.downstream};
    }
    return {cf::kIsolated,
            station_status::kSeparated,
            0,
            ring_path::kIsolated,
            port_type::kB,
            {kIsolatedPort, kIsolatedPort},
            kUnknownAddress,
            kUnknownAddress};
}

Configuration SingleAttachment(bool sActive, const RingPeers& peers) {
    if (sActive) {
        return {cf::kCWrapS,
                station_status::kConcatenated,
                0,
                ring_path::kPrimary,
                port_type::kS,
                {kWrappedPort, kIsolatedPort},
                peers.upstream,
                peers.downstream};
    }
    return {cf::kIsolated,
            station_status::kSeparated,
            0,
            ring_path::kIsolated,
            port_type::kS,
            {kIsolatedPort, kIsolatedPort},
            kUnknownAddress,
            kUnknownAddress};
}

bool RingOperational(uint8_t rmtState) {
    return rmtState == rmt::kRingOp || rmtState == rmt::kRingOpDup;
}

}  // namespace

// Called whenever a port enters or leaves PCM Active. A change of configuration while the MAC
// stays on the ring makes the ring re-initialise: RMT drops to Non_Op and the claim brings it
// back to Ring_Op a few ms later.
void Station::Reconfigure() {
    StationState& s = state_;
    const bool first = s.ports[0].pcmState == pcm::kActive;
    const bool second = s.portCount == 2 && s.ports[1].pcmState == pcm::kActive;
    const Configuration c = s.attachment == Attachment::kDual
                                ? DualAttachment(first, second, s.peers)
                                : SingleAttachment(first, s.peers);
    const bool changed = c.cfState != s.smt.cfState;
    s.smt.stationStatus = c.stationStatus;
    s.smt.peerWrapFlag = c.peerWrapFlag;
    s.mac.currentPath = c.macPath;
    s.mac.downstreamPortType = c.downstreamPortType;
    for (size_t p = 0; p < s.portCount; ++p) {
        s.ports[p].currentPath = c.ports[p].currentPath;
        s.ports[p].macPlacement = c.ports[p].macPlacement;
    }
    SetNeighbours(c.upstream, c.downstream);
    SetCfState(c.cfState);
    UpdateUnitdataAvailable();
    if (!changed) return;
    if (c.cfState == cf::kIsolated) {
        SetRmtState(rmt::kIsolated);
        s.mac.rmtNextMs = kNever;
        return;
    }
    SetRmtState(s.duplicateAddress ? rmt::kNonOpDup : rmt::kNonOp);
    ScheduleRmt(s.duplicateAddress ? rmt::kRingOpDup : rmt::kRingOp, Jitter(10, 2, 9));
}

// A neighbour that changes leaves its address in the old neighbour attribute.
void Station::SetNeighbours(const MacAddress& upstream, const MacAddress& downstream) {
    MacState& mac = state_.mac;
    if (upstream != mac.upstream) {
        mac.oldUpstream = mac.upstream;
        mac.upstream = upstream;
    }
    if (downstream != mac.downstream) {
        mac.oldDownstream = mac.downstream;
        mac.downstream = downstream;
    }
}

void Station::SetCfState(uint8_t cfState) {
    if (state_.smt.cfState == cfState) return;
    state_.smt.cfState = cfState;
    state_.smt.transitionMs = UpMs();
}

void Station::SetEcmState(uint8_t ecmState) {
    if (state_.smt.ecmState == ecmState) return;
    state_.smt.ecmState = ecmState;
    state_.smt.transitionMs = UpMs();
}

void Station::SetRmtState(uint8_t rmtState) {
    if (state_.mac.rmtState == rmtState) return;
    state_.mac.rmtState = rmtState;
    state_.smt.transitionMs = UpMs();
}

void Station::ScheduleRmt(uint8_t rmtState, uint32_t delayMs) {
    state_.mac.rmtNextState = rmtState;
    state_.mac.rmtNextMs = nowMs_ + (delayMs > 0 ? delayMs : 1);
}

// The pending RMT transition is due; reaching an operational ring counts a re-initialisation.
void Station::StepRmt() {
    const bool wasOperational = RingOperational(state_.mac.rmtState);
    state_.mac.rmtNextMs = kNever;
    SetRmtState(state_.mac.rmtNextState);
    if (!wasOperational && RingOperational(state_.mac.rmtState)) {
        AddReinitialisationBurst(seed_, ++ringEvents_, &counters_);
    }
}

void Station::UpdateUnitdataAvailable() {
    state_.mac.unitdataAvailable =
        !state_.duplicateAddress && state_.smt.cfState != cf::kIsolated ? 1 : 0;
}

}  // namespace sim
