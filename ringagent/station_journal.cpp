#include "ringagent/station_journal.h"

#include <cstdio>

void DescribeFailure(const StationSnapshot& attempt, char* out, size_t size) {
    if (attempt.end == CycleEnd::kVersionRefused) {
        std::snprintf(out, size, "the station runs SMT version %u; only version 2 is understood",
                      static_cast<unsigned>(attempt.opVersionId));
        return;
    }
    switch (attempt.device.fault) {
        case DeviceFault::kMissingDevice:
            std::snprintf(out, size, "cannot open the adapters' device");
            return;
        case DeviceFault::kShortReply:
            std::snprintf(out, size, "the driver's answer stopped short");
            return;
        case DeviceFault::kStalled:
            std::snprintf(out, size, "the driver did not answer in time");
            return;
        default:
            std::snprintf(out, size, "the driver refused a request (error 0x%x)",
                          static_cast<unsigned>(attempt.device.error));
            return;
    }
}

void StationJournal::AdapterEntry(StationState state, const StationSnapshot& attempt) {
    JournalEntry* e = list_.Add();
    if (!e) return;
    e->kind = EntryKind::kAdapter;
    e->severity = Severity::kWarning;
    std::snprintf(e->object, sizeof e->object, "adapter");
    switch (state) {
        case StationState::kAnswers:
            e->name = "AdapterBack";
            e->report = "back";
            e->severity = Severity::kNotice;
            return;
        case StationState::kFailing:
            e->name = "AdapterRefusing";
            e->report = "refusing";
            std::snprintf(e->newValue, sizeof e->newValue, "0x%x",
                          static_cast<unsigned>(attempt.device.error));
            break;
        case StationState::kGone:
            if (attempt.end == CycleEnd::kVersionRefused) {
                e->name = "AdapterVersion";
                e->report = "runs another SMT version";
                std::snprintf(e->newValue, sizeof e->newValue, "%u",
                              static_cast<unsigned>(attempt.opVersionId));
            } else {
                e->name = "AdapterLost";
                e->report = "lost";
                if (attempt.end == CycleEnd::kDeviceFailed &&
                    attempt.device.fault == DeviceFault::kRefused) {
                    std::snprintf(e->newValue, sizeof e->newValue, "0x%x",
                                  static_cast<unsigned>(attempt.device.error));
                }
            }
            break;
    }
    DescribeFailure(attempt, e->detail, sizeof e->detail);
}

void StationJournal::Answered(Watched& adapter, const StationSnapshot& attempt,
                              const StationSnapshot& previous, uint64_t nowMs) {
    const bool compare = adapter.baseline;
    const ConditionSet now = ConditionsOf(compare ? &previous : nullptr, attempt);
    if (compare) CompareSnapshots(previous, attempt, list_);
    // A first snapshot (or the first after a loss) compares its conditions with none: those
    // that hold are news to the journal.
    const ConditionSet before = compare ? adapter.conditions : ConditionSet{};
    CompareConditions(before, now, attempt, adapter.times, nowMs, list_);
    for (size_t c = 0; c < kConditionCount; ++c) {
        for (size_t port = 0; port < kMaxPorts; ++port) {
            if (now.on[c][port] && !before.on[c][port]) adapter.times.since[c][port] = nowMs;
        }
    }
    adapter.conditions = now;
    adapter.baseline = true;
    FormatStationId(attempt, adapter.stationId, sizeof adapter.stationId);
}

void StationJournal::Fetched(int instance, StationState state, const StationSnapshot& attempt,
                             const StationSnapshot& previous, uint64_t nowMs) {
    if (instance < 0 || instance >= kMaxInstances) return;
    Watched& adapter = adapters_[instance];
    list_.count = 0;
    list_.dropped = 0;
    const bool first = !adapter.seen;
    const StationState before = adapter.state;
    adapter.seen = true;
    adapter.state = state;
    // The adapter's own entry first: its conditions are read from the answer it came back with.
    if (!first && state != before) AdapterEntry(state, attempt);
    if (state == StationState::kAnswers) {
        Answered(adapter, attempt, previous, nowMs);
    } else if (state == StationState::kGone) {
        adapter.baseline = false;
        adapter.conditions = ConditionSet{};
    }
    dropped_ += list_.dropped;
    for (size_t i = 0; i < list_.count; ++i) {
        JournalEntry& e = list_.entries[i];
        e.instance = instance;
        e.atMs = nowMs;
        std::snprintf(e.stationId, sizeof e.stationId, "%s", adapter.stationId);
        sink_.Write(e);
    }
}
