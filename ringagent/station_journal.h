// The journal of each adapter's conditions and events: after every fetch of the watch loop it
// compares the new snapshot with the adapter's previous one and hands the entries to a sink.
// An adapter that fails and comes back gives one entry each way; one that was lost starts
// afresh from the snapshot it comes back with, so that nothing it did while away is guessed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ringagent/station_cache.h"
#include "ringagent/station_events.h"

// Where the entries go: the system journal, standard error, a file (journal_outputs.h).
class EntrySink {
  public:
    virtual ~EntrySink() = default;
    virtual void Write(const JournalEntry& entry) = 0;
};

// Why a fetch failed, in the administrator's words.
void DescribeFailure(const StationSnapshot& attempt, char* out, size_t size);

class StationJournal : public FetchObserver {
  public:
    explicit StationJournal(EntrySink& sink) : sink_(sink) {}

    void Fetched(int instance, StationState state, const StationSnapshot& attempt,
                 const StationSnapshot& previous, uint64_t nowMs) override;

    // Entries that did not fit one fetch's list (none on any station the agent knows).
    uint64_t Dropped() const { return dropped_; }

  private:
    struct Watched {
        bool seen = false;
        bool baseline = false;  // `previous` is a complete snapshot to compare with
        StationState state = StationState::kGone;
        ConditionSet conditions;
        ConditionTimes times;
        char stationId[24] = "";
    };

    void AdapterEntry(StationState state, const StationSnapshot& attempt);
    void Answered(Watched& adapter, const StationSnapshot& attempt, const StationSnapshot& previous,
                  uint64_t nowMs);

    EntrySink& sink_;
    Watched adapters_[kMaxInstances];
    EntryList list_;
    uint64_t dropped_ = 0;
};
