// The traffic a station sees: the per-second growth of its MAC counters, link error monitors
// and driver statistics, with a little noise, and the bursts a ring re-initialisation leaves.
// Levels follow a 100 Mbit/s ring of about 20 stations at 25 % load.
#pragma once

#include <cstdint>

#include "simulator/counter_bank.h"
#include "simulator/station_state.h"

namespace sim {

// The station's own levels, drawn once from its seed; rates in thousandths per second.
struct TrafficProfile {
    uint64_t tokensMilli;
    uint64_t framesMilli;
    uint64_t xmitPacketsMilli;
    uint64_t recvPacketsMilli;
    uint64_t xmitBroadcastMilli;
    uint64_t recvBroadcastMilli;
    uint64_t xmitMulticastMilli;
    uint64_t recvMulticastMilli;
    uint32_t xmitAverageBytes;
    uint32_t recvAverageBytes;
};

TrafficProfile DrawTrafficProfile(uint64_t seed);

struct FrameClass {
    uint32_t packets = 0;
    uint32_t bytes = 0;
};

struct DirectionTraffic {
    FrameClass broadcast, multicast, loopback, directed;
};

// The growth of every counter in one second.
struct SecondTraffic {
    uint32_t tokens = 0;
    uint32_t frames = 0;  // frames the MAC saw go by
    uint32_t smtSent = 0;
    uint32_t smtCopied = 0;
    DirectionTraffic xmit, recv;
    uint32_t crcErrors = 0;
    uint32_t eFlagErrors = 0;
    uint32_t noXmitBuffers = 0;
    uint32_t ringFull = 0;
    uint32_t fsiInterrupts = 0;
    uint32_t rcInterrupts = 0;
    uint32_t linkErrors[2] = {};
};

// The traffic of the second that starts at `secondStartMs`, in the station's current state.
SecondTraffic DrawSecond(const TrafficProfile& profile, uint64_t seed, uint64_t second,
                         uint64_t secondStartMs, const StationState& state);

// What a healthy station counts on average in `seconds`, modulo 2^32 as its counters hold it.
SecondTraffic MeanTraffic(const TrafficProfile& profile, uint64_t seconds);

// Makes `traffic` the growth of the current second.
void SetSecondGrowth(const SecondTraffic& traffic, CounterBank* counters);
// Adds `traffic` to the totals at once.
void AddTraffic(const SecondTraffic& traffic, CounterBank* counters);

// What the n-th ring re-initialisation leaves in the counters: lost and errored frames, late
// and expired timers, aborted transmissions, and one more RingOp_Ct.
void AddReinitialisationBurst(uint64_t seed, uint64_t eventNumber, CounterBank* counters);

}  // namespace sim
