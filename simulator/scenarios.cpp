#include "simulator/scenarios.h"

#include <cstring>
#include <iterator>

namespace sim {

const ScenarioInfo kScenarios[] = {
    {Scenario::kHealthy, "healthy", "a healthy ring; the counters grow, nothing else happens"},
    {Scenario::kWrap, "wrap",
     "link B is lost at 20 s and restored at 40 s, and so on every 40 s: the station wraps "
     "(CF state C_Wrap_A, PeerWrapFlag, port B in PCM Break) and returns to Thru; a single "
     "attachment station loses link S and is isolated meanwhile"},
    {Scenario::kLer, "ler",
     "link errors on port A grow until its link error estimate reaches the alarm (Ler Flag) "
     "and then the cutoff (Lem_Reject_Ct rises, the port restarts); then it starts over"},
    {Scenario::kDupAddr, "dup-addr",
     "at 15 s and every 60 s after, another station takes our address (Dup_Addr_Test Fail); "
     "the station leaves the ring at 25 s and inserts again at 40 s"},
    {Scenario::kBeacon, "beacon",
     "at 20 s and every 60 s after, a stuck beacon stops the ring: RMT Detect, Directed, "
     "Trace, ECM Trace and Path_Test; the ring recovers about 11 s later"},
    {Scenario::kOldFirmware, "old-firmware", "the station reports SMT OpVersionId 3"},
    {Scenario::kFlaky, "flaky",
     "the adapter is not ready one second in ten, so about one request in ten is refused"},
};
const size_t kScenarioCount = std::size(kScenarios);

const ScenarioInfo* FindScenario(const char* name) {
    for (const ScenarioInfo& info : kScenarios) {
        if (std::strcmp(info.name, name) == 0) return &info;
    }
    return nullptr;
}

const char* ScenarioName(Scenario scenario) {
    for (const ScenarioInfo& info : kScenarios) {
        if (info.scenario == scenario) return info.name;
    }
    return "?";
}

namespace {

const ScriptStep kWrapSteps[] = {
    {0, RingEvent::kLinkLost},
    {20000, RingEvent::kLinkRestored},
};

const ScriptStep kDupAddrSteps[] = {
    {0, RingEvent::kDuplicateDetected},
    {4000, RingEvent::kDuplicateClaim},
    {10000, RingEvent::kLeaveRing},
    {25000, RingEvent::kRejoinRing},
};

// The timing of a stuck beacon: Detect after 1 s, directed beacons after 8 s more, the trace
// 370 ms after that.
const ScriptStep kBeaconSteps[] = {
    {0, RingEvent::kBeaconStart},       {1000, RingEvent::kBeaconDetect},
    {9000, RingEvent::kBeaconDirected}, {9370, RingEvent::kTraceStart},
    {9700, RingEvent::kPathTest},       {10700, RingEvent::kBeaconEnd},
};

const ScenarioScript kUnscripted = {0, 0, nullptr, 0};
const ScenarioScript kWrapScript = {20000, 40000, kWrapSteps, std::size(kWrapSteps)};
const ScenarioScript kDupAddrScript = {15000, 60000, kDupAddrSteps, std::size(kDupAddrSteps)};
const ScenarioScript kBeaconScript = {20000, 60000, kBeaconSteps, std::size(kBeaconSteps)};

}  // namespace

const ScenarioScript& ScriptOf(Scenario scenario) {
    switch (scenario) {
        case Scenario::kWrap:
            return kWrapScript;
        case Scenario::kDupAddr:
            return kDupAddrScript;
        case Scenario::kBeacon:
            return kBeaconScript;
        default:
            return kUnscripted;
    }
}

}  // namespace sim
