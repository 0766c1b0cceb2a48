#include "ringagent/station_cache.h"

#include "common/device_channel.h"
#include "smtmib/smt_retrieval.h"

namespace {

// A refusal the driver may get over by itself; a missing device or another SMT version stays.
bool Transient(const StationSnapshot& attempt) {
    return attempt.end == CycleEnd::kDeviceFailed &&
           attempt.device.fault != DeviceFault::kMissingDevice;
}

}  // namespace

StationCache::StationCache(platform::Clock& clock, uint64_t cacheMs, StationReport report,
                           uint64_t graceMs)
    : clock_(clock), cacheMs_(cacheMs), report_(report), graceMs_(graceMs) {
    InitDevicePath();
}

void StationCache::Refresh() {
    const uint64_t now = clock_.NowMs();
    if (fetched_ && now - fetchedAtMs_ < cacheMs_) return;
    FetchNow();
}

void StationCache::FetchNow() {
    const uint64_t now = clock_.NowMs();
    fetched_ = true;
    fetchedAtMs_ = now;
    for (int instance = 0; instance < kMaxInstances; ++instance)
        Fetch(instance, now);
}

const StationSnapshot* StationCache::Served(int instance) const {
    if (instance < 0 || instance >= kMaxInstances) return nullptr;
    const Adapter& adapter = adapters_[instance];
    return adapter.state == StationState::kGone ? nullptr : &adapter.snapshots[adapter.served];
}

StationState StationCache::StateAfter(const Adapter& adapter, const StationSnapshot& attempt,
                                      uint64_t now) const {
    if (attempt.end == CycleEnd::kComplete) return StationState::kAnswers;
    if (adapter.state == StationState::kGone || !Transient(attempt)) return StationState::kGone;
    const uint64_t since = adapter.state == StationState::kFailing ? adapter.failingSinceMs : now;
    return now - since < graceMs_ ? StationState::kFailing : StationState::kGone;
}

void StationCache::Fetch(int instance, uint64_t now) {
    Adapter& adapter = adapters_[instance];
    // Filled from nothing, so that a record this answer does not carry stays empty instead of
    // showing what an earlier answer said.
    StationSnapshot& attempt = adapter.snapshots[1 - adapter.served];
    attempt = StationSnapshot{};
    FetchCycle(attempt, instance);
    ++cycles_;

    const StationState state = StateAfter(adapter, attempt, now);
    const StationSnapshot& previous = adapter.snapshots[adapter.served];
    if (state == StationState::kAnswers) adapter.served = 1 - adapter.served;
    if (state == StationState::kFailing && adapter.state != StationState::kFailing) {
        adapter.failingSinceMs = now;
    }
    const bool first = !adapter.reported;
    const bool changed = state != adapter.state;
    adapter.reported = true;
    adapter.state = state;
    const bool worthReporting = first ? state == StationState::kAnswers || instance == 0 : changed;
    if (worthReporting && report_) report_(instance, state, attempt);
    if (observer_) observer_->Fetched(instance, state, attempt, previous, now);
}
