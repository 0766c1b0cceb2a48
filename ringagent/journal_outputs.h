// Where the journal's entries go, in the places an administrator already looks: the system
// journal as native entries with fields to filter on (under systemd), one line each on
// standard error (in the foreground) or in syslog (a detached agent), and, when asked, a file of
// JSON Lines that logrotate can rotate. Every entry is formatted into fixed buffers on the
// stack, so writing one allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ringagent/station_journal.h"

// The entry in one sentence: "adapter 0 PORT B: PORT LER asserted (Ler_Estimate 8, ...)".
void FormatEntryMessage(const JournalEntry& entry, char* out, size_t size);

// "2026-12-08T03:12:00.123Z" for nanoseconds since the epoch.
void FormatUtcTime(int64_t epochNs, char* out, size_t size);

// One JSON object on one line, newline included; false when it does not fit `size`.
bool FormatJsonLine(const JournalEntry& entry, const char* time, char* out, size_t size);

enum class LogTarget : uint8_t {
    kStderr,   // one line per entry with its UTC time
    kJournal,  // native journal entries (sd_journal_sendv)
    kSyslog,   // one line per entry (the detached agent's log)
};

// The journal when standard error is connected to it (systemd's JOURNAL_STREAM), else
// standard error in the foreground and syslog when detached.
LogTarget ChooseLogTarget(bool foreground);

class JournalOutputs : public EntrySink {
  public:
    // `eventLogPath` empty: no JSON Lines file.
    JournalOutputs(LogTarget target, std::string eventLogPath);
    ~JournalOutputs() override;
    JournalOutputs(const JournalOutputs&) = delete;
    JournalOutputs& operator=(const JournalOutputs&) = delete;

    void Write(const JournalEntry& entry) override;
    // Opens the event log file again by its name, after logrotate moved it away. False (and
    // errno) when it cannot be opened; entries then go to the other outputs alone.
    bool ReopenEventLog();
    bool HasEventLog() const { return !eventLogPath_.empty(); }

  private:
    LogTarget target_;
    std::string eventLogPath_;
    int eventLog_ = -1;
};
