// One simulated FDDI station: its SMT objects (the station, one MAC, one PATH, one or two
// PORTs), the machines that move them (PCM per port, configuration, RMT, ECM, the link error
// monitor) and its counters. The station lives on model time, in ms from its start; nothing in
// it reads a clock, so a test sets any time it likes and gets the same station every run.
// All storage is fixed in size: the station never allocates, however long it runs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simulator/counter_bank.h"
#include "simulator/scenarios.h"
#include "simulator/station_state.h"
#include "simulator/traffic.h"

namespace sim {

struct StationConfig {
    Attachment attachment = Attachment::kDual;
    Scenario scenario = Scenario::kHealthy;
    uint64_t seed = 1;
    uint32_t instance = 0;       // the adapter's number: its address and user data differ
    uint32_t uptimeSeconds = 0;  // how long the station had been up at model time 0
};

// How often the link error monitor turns its window into an estimate.
constexpr uint64_t kLerWindowSeconds = 8;
constexpr uint8_t kLerCutoff = 7;
constexpr uint8_t kLerAlarm = 8;

class Station {
  public:
    explicit Station(const StationConfig& config);

    // Plays the station forward to `ms` of model time. An earlier time than the station's own
    // is ignored: its time never runs back.
    void AdvanceTo(uint64_t ms);

    uint64_t NowMs() const { return nowMs_; }
    const StationConfig& Config() const { return config_; }
    const StationState& State() const { return state_; }
    uint32_t PortCount() const { return state_.portCount; }

    // A counter as the adapter reports it now: 32 bits, wrapped.
    uint32_t Counter(CounterId id) const;
    // The station's clock, in 80 ns units since power-up.
    uint64_t TimeStamp80ns() const { return MsTo80ns(UpMs()); }
    static uint64_t MsTo80ns(uint64_t ms) { return ms * 12500; }
    // A port's link error estimate as reported: the smoothed estimate, rounded.
    uint8_t LerEstimate(size_t port) const;
    // True while the adapter is not ready (the flaky scenario, one second in ten).
    bool RefusesRequests() const;

  private:
    // Time since power-up.
    uint64_t UpMs() const { return state_.upMsAtStart + nowMs_; }
    uint32_t Jitter(uint64_t what, uint32_t lo, uint32_t hi);

    // The timed machinery (station_model.cpp).
    uint64_t NextTimerMs() const;
    uint64_t NextScriptMs() const;
    void RunTimersDue();
    void StartSecond();
    void EvaluateLinkErrors();

    // PCM of one port (port_connection.cpp).
    void EnterPcm(size_t p, uint8_t pcmState, uint32_t durationMs);
    void StepPcm(size_t p);
    void LoseLink(size_t p);
    void RestoreLink(size_t p);
    void RestartPort(size_t p);
    void DisablePort(size_t p);
    void EnablePort(size_t p);

    // The station's configuration and ring state (ring_configuration.cpp).
    void Reconfigure();
    void SetNeighbours(const MacAddress& upstream, const MacAddress& downstream);
    void SetCfState(uint8_t cfState);
    void SetEcmState(uint8_t ecmState);
    void SetRmtState(uint8_t rmtState);
    void ScheduleRmt(uint8_t rmtState, uint32_t delayMs);
    void StepRmt();
    void UpdateUnitdataAvailable();

    // Scripted events (scenario_events.cpp).
    void ApplyScenarioEvent(RingEvent event);

    StationConfig config_;
    uint64_t seed_;
    TrafficProfile profile_;
    StationState state_;
    CounterBank counters_;
    uint64_t nowMs_ = 0;
    uint64_t second_ = 0;  // the current second of model time
    bool secondStarted_ = false;
    uint64_t scriptCycle_ = 0;
    size_t scriptStep_ = 0;
    uint64_t ringEvents_ = 0;  // ring re-initialisations so far
    uint64_t jitterDraws_ = 0;
};

}  // namespace sim
