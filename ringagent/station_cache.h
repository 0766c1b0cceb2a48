// What the driver last said about each adapter, kept for a cache period so that a walk of the
// whole MIB costs one fetch cycle per adapter, and no query costs nothing at all. Each adapter
// has two snapshots: the one served, and the one the next fetch fills. A fetch that ends well
// becomes the served one; one that fails leaves it as it was, so that a refusal the driver gets
// over (not ready for a second) need not take the station's rows away.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/clock.h"
#include "smtmib/station_snapshot.h"

constexpr int kMaxInstances = 3;  // device instances 0 to 2

// What an adapter's rows are doing.
enum class StationState : uint8_t {
    kAnswers,  // served from its last fetch
    kFailing,  // its fetches fail with a refusal it may get over: the last rows stay a while
    kGone,     // no rows
};

// Called when an adapter's state changes, and for the first fetch of each adapter that answers
// and of instance 0 whatever it does; `attempt` is the fetch that brought the change, whose
// `end`, `device` and `opVersionId` say why a failing one failed.
using StationReport = void (*)(int instance, StationState state, const StationSnapshot& attempt);

// Told of every fetch: its state after it, the snapshot it filled, and the snapshot served
// before it (a complete one if the adapter ever answered), at the clock's time `nowMs`.
class FetchObserver {
  public:
    virtual ~FetchObserver() = default;
    virtual void Fetched(int instance, StationState state, const StationSnapshot& attempt,
                         const StationSnapshot& previous, uint64_t nowMs) = 0;
};

class StationCache {
  public:
    // `graceMs`: how long the rows of an adapter whose fetches fail with a transient refusal
    // (anything but a missing device or another SMT version) stay, from its first failure.
    StationCache(platform::Clock& clock, uint64_t cacheMs, StationReport report,
                 uint64_t graceMs = 0);

    // Fetches every instance again when the last fetch is older than the cache period (or
    // when there was none yet).
    void Refresh();
    // Fetches every instance now, whatever the age of the last fetch: the watch loop's tick.
    void FetchNow();
    void SetObserver(FetchObserver* observer) { observer_ = observer; }

    // The snapshot an instance's rows are served from, or nullptr when it has none.
    const StationSnapshot* Served(int instance) const;
    // Fetch cycles run since start, over all instances.
    uint64_t CycleCount() const { return cycles_; }

  private:
    struct Adapter {
        StationSnapshot snapshots[2];
        int served = 0;
        StationState state = StationState::kGone;
        bool reported = false;
        uint64_t failingSinceMs = 0;
    };

    void Fetch(int instance, uint64_t now);
    StationState StateAfter(const Adapter& adapter, const StationSnapshot& attempt,
                            uint64_t now) const;

    platform::Clock& clock_;
    uint64_t cacheMs_;
    StationReport report_;
    uint64_t graceMs_;
    FetchObserver* observer_ = nullptr;
    bool fetched_ = false;
    uint64_t fetchedAtMs_ = 0;
    uint64_t cycles_ = 0;
    Adapter adapters_[kMaxInstances] = {};
};
