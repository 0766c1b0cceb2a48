#include "simulator/station_model.h"

#include "simulator/noise.h"

namespace sim {
namespace {

// The station's clock starts at power-up; SMT comes up a little later, the ring after that,
// and model time 0 is at least this long after power-up.
constexpr uint64_t kBootMs = 5000;

// What SMT reports for a neighbour it does not know.
constexpr MacAddress kUnknownAddress = {{0x00, 0x00, 0xF8, 0x00, 0x00, 0x00}};

MacAddress DrawAddress(uint64_t seed, uint64_t what) {
    const uint64_t h = Hash(seed, Draw::kProfile, 100 + what);
    return {{0x08, 0x00, 0x3E, static_cast<uint8_t>(h >> 16), static_cast<uint8_t>(h >> 8),
             static_cast<uint8_t>(h)}};
}

void SetUpPort(PortState* port, uint16_t index, uint8_t myType, uint8_t neighborType, uint8_t tVal,
               uint8_t rVal, const uint8_t (&requested)[3], uint8_t currentPath,
               uint16_t macPlacement) {
    port->index = index;
    port->myType = myType;
    port->neighborType = neighborType;
    port->tVal = tVal;
    port->rVal = rVal;
    for (size_t i = 0; i < 3; ++i)
        port->requestedPaths[i] = requested[i];
    port->currentPath = currentPath;
    port->macPlacement = macPlacement;
}

// Requested paths (None, Tree, Peer) of an A port and of a B or S port.
constexpr uint8_t kPortARequestedPaths[3] = {0x01, 0x19, 0x99};
constexpr uint8_t kPortBRequestedPaths[3] = {0x01, 0x21, 0xE1};

}  // namespace

Station::Station(const StationConfig& config)
    : config_(config),
      seed_(Hash(config.seed, Draw::kProfile, config.instance, 0xADA)),
      profile_(DrawTrafficProfile(seed_)) {
    StationState& s = state_;
    s.attachment = config.attachment;
    s.address = DrawAddress(seed_, 0);
    s.groupAddress = {{0x01, 0x80, 0xC2, 0x00, 0x01, 0x10}};
    s.peers.upstream = DrawAddress(seed_, 1);
    s.peers.downstream = DrawAddress(seed_, 2);
    s.peers.wrapUpstream = DrawAddress(seed_, 3);
    s.peers.wrapDownstream = DrawAddress(seed_, 4);
    if (config.attachment == Attachment::kDual) {
        s.portCount = 2;
        SetUpPort(&s.ports[0], 1, port_type::kA, port_type::kB, 0, 1, kPortARequestedPaths,
                  port_path::kThru, 0);
        SetUpPort(&s.ports[1], 2, port_type::kB, port_type::kA, 1, 0, kPortBRequestedPaths,
                  port_path::kThru, 1);
        s.mac.downstreamPortType = port_type::kB;
        s.smt.cfState = cf::kThru;
        s.smt.stationStatus = station_status::kThru;
    } else {
        s.portCount = 1;
        SetUpPort(&s.ports[0], 1, port_type::kS, port_type::kM, 1, 0, kPortBRequestedPaths,
                  port_path::kConcatenated, 1);
        s.mac.downstreamPortType = port_type::kS;
        s.smt.cfState = cf::kCWrapS;
        s.smt.stationStatus = station_status::kConcatenated;
    }
    s.mac.upstream = s.peers.upstream;
    s.mac.downstream = s.peers.downstream;
    s.mac.oldUpstream = kUnknownAddress;
    s.mac.oldDownstream = kUnknownAddress;
    if (config.scenario == Scenario::kOldFirmware) {
        s.smt.opVersion = 3;
        s.smt.hiVersion = 3;
    }
    s.lerStressOnFirstPort = config.scenario == Scenario::kLer;

    s.upMsAtStart = config.uptimeSeconds * 1000ull + kBootMs;
    s.smt.startedMs = 2000 + Jitter(1, 0, 999);
    s.smt.transitionMs = s.smt.startedMs + 1500 + Jitter(2, 0, 999);

    // The counts of the time the station has already been up, and the one ring
    // initialisation that brought it onto the ring.
    AddTraffic(MeanTraffic(profile_, config.uptimeSeconds), &counters_);
    AddReinitialisationBurst(seed_, ringEvents_, &counters_);
    for (size_t p = 0; p < s.portCount; ++p) {
        const CounterId lem = PortCounterId(p, PortCounter::kLemCt);
        counters_.Add(lem, Jitter(3 + p, 0, 5));
        s.ports[p].lemAtWindowStart = counters_.Total(lem);
    }
    AdvanceTo(0);
}

uint32_t Station::Jitter(uint64_t what, uint32_t lo, uint32_t hi) {
    return Uniform(Hash(seed_, Draw::kPcm, jitterDraws_++, what), lo, hi);
}

uint32_t Station::Counter(CounterId id) const {
    return counters_.Read(id, static_cast<uint32_t>(nowMs_ - second_ * 1000));
}

uint8_t Station::LerEstimate(size_t port) const {
    return static_cast<uint8_t>((state_.ports[port].lerEstimateTenths + 5) / 10);
}

bool Station::RefusesRequests() const {
    if (config_.scenario != Scenario::kFlaky) return false;
    const uint64_t tenSeconds = nowMs_ / 10000;
    const uint64_t unreadySecond = Hash(seed_, Draw::kNotReady, tenSeconds) % 10;
    return (nowMs_ / 1000) % 10 == unreadySecond;
}

// The order of things is fixed so that the station at a time does not depend on the steps by
// which it got there: a second's growth is drawn when the second starts, from the state at
// that moment; second boundaries come before timers due at the same moment; timers run in
// time order.
void Station::AdvanceTo(uint64_t ms) {
    if (ms < nowMs_) return;
    for (;;) {
        if (!secondStarted_) StartSecond();
        const uint64_t secondEnd = (second_ + 1) * 1000;
        const uint64_t timer = NextTimerMs();
        if (timer < secondEnd && timer <= ms) {
            nowMs_ = timer;
            RunTimersDue();
            continue;
        }
        if (secondEnd <= ms) {
            nowMs_ = secondEnd;
            counters_.CloseSecond();
            ++second_;
            secondStarted_ = false;
            continue;
        }
        break;
    }
    nowMs_ = ms;
}

void Station::StartSecond() {
    secondStarted_ = true;
    if (second_ > 0 && second_ % kLerWindowSeconds == 0) EvaluateLinkErrors();
    SetSecondGrowth(DrawSecond(profile_, seed_, second_, nowMs_, state_), &counters_);
}

uint64_t Station::NextScriptMs() const {
    const ScenarioScript& script = ScriptOf(config_.scenario);
    if (script.stepCount == 0) return kNever;
    return script.firstCycleMs + scriptCycle_ * script.periodMs +
           script.steps[scriptStep_].offsetMs;
}

uint64_t Station::NextTimerMs() const {
    uint64_t next = NextScriptMs();
    if (state_.mac.rmtNextMs < next) next = state_.mac.rmtNextMs;
    for (size_t p = 0; p < state_.portCount; ++p) {
        if (state_.ports[p].pcmNextMs < next) next = state_.ports[p].pcmNextMs;
    }
    return next;
}

void Station::RunTimersDue() {
    if (NextScriptMs() <= nowMs_) {
        const ScenarioScript& script = ScriptOf(config_.scenario);
        const RingEvent event = script.steps[scriptStep_].event;
        if (++scriptStep_ == script.stepCount) {
            scriptStep_ = 0;
            ++scriptCycle_;
        }
        ApplyScenarioEvent(event);
    }
    for (size_t p = 0; p < state_.portCount; ++p) {
        if (state_.ports[p].pcmNextMs <= nowMs_) StepPcm(p);
    }
    if (state_.mac.rmtNextMs <= nowMs_) StepRmt();
}

namespace {

// The estimate one window's errors give: 15 for none, otherwise 10 less the number of decimal
// digits of the count (1-9: 9, 10-99: 8, 100-999: 7, ...), at least 1.
uint16_t WindowEstimate(uint64_t errors) {
    if (errors == 0) return 15;
    uint16_t digits = 0;
    for (uint64_t e = errors; e > 0; e /= 10)
        ++digits;
    return digits >= 9 ? 1 : static_cast<uint16_t>(10 - digits);
}

}  // namespace

// Every 8 s each active port turns the errors of the window into an estimate, smoothed as
// 0.7 old + 0.3 new. At or below the alarm the port raises its Ler Flag; at or below the
// cutoff the link is rejected and the port restarts.
void Station::EvaluateLinkErrors() {
    for (size_t p = 0; p < state_.portCount; ++p) {
        PortState& port = state_.ports[p];
        const uint64_t lem = counters_.Total(PortCounterId(p, PortCounter::kLemCt));
        const uint64_t errors = lem - port.lemAtWindowStart;
        port.lemAtWindowStart = lem;
        if (port.pcmState != pcm::kActive) continue;
        port.lerEstimateTenths =
            static_cast<uint16_t>((7 * port.lerEstimateTenths + 30 * WindowEstimate(errors)) / 10);
        const uint8_t estimate = LerEstimate(p);
        port.lerFlag = estimate <= kLerAlarm ? 1 : 0;
        if (estimate <= kLerCutoff) RestartPort(p);
    }
}

}  // namespace sim
