// What the driver last said about each adapter, kept for a cache period so that a walk of the
// whole MIB costs one fetch cycle per adapter, and no query costs nothing at all.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/clock.h"
#include "smtmib/smt_retrieval.h"

constexpr int kMaxInstances = 3;  // device instances 0 to 2
// Every parameter type of the attribute groups has room, with a second slot for the second
// port's PORT attributes.
constexpr size_t kMaxSnapshotTypes = 128;

// One adapter's answers from its last fetch cycle.
struct StationSnapshot {
    bool answered;       // the whole cycle succeeded
    uint32_t portCount;  // NonMaster-Ct as the driver reported it
    ParamSlot slots[kMaxSnapshotTypes][2];
    PathConfigurationStore pathConfiguration;
};

// The slot of parameter `type` for port `port` (0 or 1; ignored for non-PORT types); a zeroed
// slot for a type no attribute group has.
const ParamSlot& SnapshotSlot(const StationSnapshot& snapshot, uint16_t type, int port = 0);

// Called when an adapter starts or stops answering, and for the first fetch of each adapter
// that answers and of instance 0 whatever it does; `reason` says why it does not answer.
using StationReport = void (*)(int instance, bool answered, const char* reason);

class StationCache {
  public:
    StationCache(platform::Clock& clock, uint64_t cacheMs, StationReport report);

    // Fetches every instance again when the last fetch is older than the cache period (or
    // when there was none yet).
    void Refresh();

    const StationSnapshot& Instance(int instance) const { return snapshots_[instance]; }
    // Fetch cycles run since start, over all instances.
    uint64_t CycleCount() const { return cycles_; }

  private:
    void Fetch(int instance);

    platform::Clock& clock_;
    uint64_t cacheMs_;
    StationReport report_;
    bool fetched_ = false;
    bool reported_[kMaxInstances] = {};
    uint64_t fetchedAtMs_ = 0;
    uint64_t cycles_ = 0;
    StationSnapshot snapshots_[kMaxInstances] = {};
};
