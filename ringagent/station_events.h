// What changed on a station between two snapshots of the same adapter, in the words of SMT
// 7.3's status reports: conditions (asserted, then deasserted), events, state changes and ring
// re-initialisations. Everything here is a pure function of the snapshots and works in fixed
// storage, so the agent's watch loop allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "smtmib/station_snapshot.h"

enum class EntryKind : uint8_t {
    kCondition,  // asserted or deasserted
    kEvent,      // happened once: old and new value
    kState,      // a state machine moved: old and new state
    kAdapter,    // the adapter itself: lost, refusing, back, another SMT version
};

enum class Assertion : uint8_t { kNone, kAsserted, kDeasserted };

// syslog's levels, as the journal's PRIORITY takes them.
enum class Severity : uint8_t { kWarning = 4, kNotice = 5, kInfo = 6 };

// One entry of the journal. Texts are fixed arrays so that an entry is a plain value.
struct JournalEntry {
    const char* name;    // short and stable, for filters: "PeerWrap", "PcmState" ...
    const char* report;  // for people: "SMT Peer Wrap", "PCM state" ...
    EntryKind kind;
    Assertion assertion;
    Severity severity;
    int instance;       // device instance 0 to 2
    char object[8];     // "SMT", "MAC 1", "PORT B", "adapter"
    char oldValue[24];  // "" when the entry has none
    char newValue[24];
    char detail[64];      // more words, as "Ler_Estimate 7, Ler_Alarm 8, Ler_Cutoff 7"
    char stationId[24];   // "00-00-08-00-3E-4F-79-00", "" when unknown
    uint64_t atMs;        // the clock's time of the fetch that saw it
    uint64_t durationMs;  // a deasserted condition: how long it was asserted
    bool hasDuration;
};

// A bounded list of entries; what does not fit is counted, not written past the end.
constexpr size_t kMaxEntriesPerFetch = 48;
struct EntryList {
    JournalEntry entries[kMaxEntriesPerFetch];
    size_t count = 0;
    size_t dropped = 0;
    // A fresh entry at the end, zeroed, or nullptr when the list is full.
    JournalEntry* Add();
};

// The conditions a station can hold, one bit per condition and port.
constexpr size_t kConditionCount = 7;
struct ConditionSet {
    bool on[kConditionCount][kMaxPorts] = {};
};

// The conditions `current` shows. `previous` (may be null: the first snapshot) is needed by
// those that are a rise of a counter, as PORT EB Error.
ConditionSet ConditionsOf(const StationSnapshot* previous, const StationSnapshot& current);

// When each condition of a ConditionSet was asserted, on the clock of the entries.
struct ConditionTimes {
    uint64_t since[kConditionCount][kMaxPorts] = {};
};

// Entries for the conditions that differ between `before` and `after`, read from `current`:
// an asserted one carries its values, a deasserted one how long it lasted since `times`.
void CompareConditions(const ConditionSet& before, const ConditionSet& after,
                       const StationSnapshot& current, const ConditionTimes& times, uint64_t nowMs,
                       EntryList& out);

// The events, state changes and ring re-initialisations between two complete snapshots of one
// adapter. A counter that went down (the adapter restarted) is taken as the new base, not as
// an event.
void CompareSnapshots(const StationSnapshot& previous, const StationSnapshot& current,
                      EntryList& out);

// "00-00-08-00-3E-4F-79-00": the station ID of a snapshot.
void FormatStationId(const StationSnapshot& station, char* out, size_t size);
