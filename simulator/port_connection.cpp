// The physical connection management (PCM) of the station's ports. A port that loses its
// neighbour's light falls to Break and then cycles Break-Connect until the light returns; a
// connection attempt with light goes Connect, three rounds of Next and Signal (the last with
// the link confidence test), Join, Verify and Active, in 0.2 to 1 s.
#include "simulator/noise.h"
#include "simulator/station_model.h"

namespace sim {
namespace {

constexpr uint8_t kSignalRounds = 3;

uint8_t ConnectStateOf(uint8_t pcmState) {
    if (pcmState == pcm::kOff) return connect_state::kDisabled;
    if (pcmState == pcm::kActive) return connect_state::kActive;
    return connect_state::kConnecting;
}

}  // namespace

// Puts port p into a PCM state for `durationMs`, after which StepPcm decides what follows.
// Off and Active last until something happens to the port.
void Station::EnterPcm(size_t p, uint8_t pcmState, uint32_t durationMs) {
    PortState& port = state_.ports[p];
    const bool wasActive = port.pcmState == pcm::kActive;
    port.pcmState = pcmState;
    port.connectState = ConnectStateOf(pcmState);
    const bool waits = pcmState == pcm::kOff || pcmState == pcm::kActive;
    port.pcmNextMs = waits ? kNever : nowMs_ + (durationMs > 0 ? durationMs : 1);
    if (pcmState == pcm::kActive) {
        port.lineState = line_state::kActive;
        port.activeSinceMs = nowMs_;
        // A new connection starts the link error monitor afresh.
        port.lerEstimateTenths = 150;
        port.lerFlag = 0;
        port.lemAtWindowStart = counters_.Total(PortCounterId(p, PortCounter::kLemCt));
    } else {
        port.lineState = port.signal && port.enabled ? line_state::kIdle : line_state::kQuiet;
    }
    if (wasActive != (pcmState == pcm::kActive)) Reconfigure();
}

void Station::StepPcm(size_t p) {
    PortState& port = state_.ports[p];
    const uint8_t now = port.pcmState;
    if (!port.signal && now != pcm::kBreak) {
        EnterPcm(p, pcm::kBreak, Jitter(p, 150, 250));
        return;
    }
    switch (now) {
        case pcm::kBreak:
            // Without light, Connect waits for it until its timer sends the port back to Break.
            EnterPcm(p, pcm::kConnect, port.signal ? Jitter(p, 40, 100) : Jitter(p, 700, 900));
            return;
        case pcm::kConnect:
            port.signalRounds = 0;
            EnterPcm(p, pcm::kNext, Jitter(p, 30, 80));
            return;
        case pcm::kNext:
            EnterPcm(p, pcm::kSignal, Jitter(p, 30, 80));
            return;
        case pcm::kSignal:
            if (++port.signalRounds < kSignalRounds) {
                EnterPcm(p, pcm::kNext, Jitter(p, 30, 80));
            } else if (port.lctWillFail) {
                port.lctWillFail = false;
                counters_.Add(PortCounterId(p, PortCounter::kLctFailCt), 1);
                EnterPcm(p, pcm::kBreak, Jitter(p, 150, 250));
            } else {
                EnterPcm(p, pcm::kJoin, Jitter(p, 10, 30));
            }
            return;
        case pcm::kJoin:
            EnterPcm(p, pcm::kVerify, Jitter(p, 10, 30));
            return;
        case pcm::kVerify:
            EnterPcm(p, pcm::kActive, 0);
            return;
        default:
            port.pcmNextMs = kNever;
            return;
    }
}

void Station::LoseLink(size_t p) {
    PortState& port = state_.ports[p];
    port.signal = false;
    if (port.pcmState != pcm::kOff) EnterPcm(p, pcm::kBreak, Jitter(p, 100, 200));
}

void Station::RestoreLink(size_t p) {
    PortState& port = state_.ports[p];
    port.signal = true;
    if (port.pcmState == pcm::kOff) return;
    port.lineState = line_state::kIdle;
    // A port waiting in Connect sees the light at once.
    const uint64_t soon = nowMs_ + Jitter(p, 20, 80);
    if (port.pcmState == pcm::kConnect && port.pcmNextMs > soon) port.pcmNextMs = soon;
}

// The link error monitor rejected the link: the port starts a new connection, and its first
// link confidence test may fail.
void Station::RestartPort(size_t p) {
    counters_.Add(PortCounterId(p, PortCounter::kLemRejectCt), 1);
    state_.ports[p].lctWillFail = Jitter(p, 0, 1) == 1;
    EnterPcm(p, pcm::kBreak, Jitter(p, 100, 200));
}

// Holds port p in Off. The caller reconfigures the station once all its ports are done, so
// that a station leaving the ring does not pass through a wrap on the way.
void Station::DisablePort(size_t p) {
    PortState& port = state_.ports[p];
    port.enabled = false;
    port.pcmState = pcm::kOff;
    port.connectState = connect_state::kDisabled;
    port.lineState = line_state::kQuiet;
    port.pcmNextMs = kNever;
}

void Station::EnablePort(size_t p) {
    state_.ports[p].enabled = true;
    EnterPcm(p, pcm::kBreak, Jitter(p, 50, 150));
}

}  // namespace sim
