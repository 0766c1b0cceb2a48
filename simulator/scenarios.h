// The scenarios the simulated station can play, and the scripted ring events of each. A script
// runs in cycles: its steps happen at their offsets from the start of each cycle.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

enum class Scenario { kHealthy, kWrap, kLer, kDupAddr, kBeacon, kOldFirmware, kFlaky };

struct ScenarioInfo {
    Scenario scenario;
    const char* name;         // as given to --scenario
    const char* description;  // one line for --help
};

extern const ScenarioInfo kScenarios[];
extern const size_t kScenarioCount;

// The scenario called `name`, or nullptr.
const ScenarioInfo* FindScenario(const char* name);
const char* ScenarioName(Scenario scenario);

enum class RingEvent {
    kLinkLost,      // the neighbour of the last port (B, or S on a single attachment) goes dark
    kLinkRestored,  // and comes back
    kDuplicateDetected,  // another station claims our address
    kDuplicateClaim,     // the ring re-initialises with the duplicate on it
    kLeaveRing,          // the station takes itself off the ring
    kRejoinRing,         // the duplicate is gone; the station inserts again
    kBeaconStart,        // a stuck beacon: the ring stops
    kBeaconDetect,
    kBeaconDirected,
    kTraceStart,  // the station starts a trace of the ring
    kPathTest,    // the trace is over; the station tests its own path
    kBeaconEnd,   // the path test passed; the station inserts and the ring recovers
};

struct ScriptStep {
    uint32_t offsetMs;  // from the start of the cycle
    RingEvent event;
};

struct ScenarioScript {
    uint32_t firstCycleMs;  // when the first cycle starts
    uint32_t periodMs;      // cycle length
    const ScriptStep* steps;
    size_t stepCount;  // 0: nothing is scripted
};

const ScenarioScript& ScriptOf(Scenario scenario);

}  // namespace sim
