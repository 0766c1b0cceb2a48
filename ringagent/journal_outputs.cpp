#include "ringagent/journal_outputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// Appends to a fixed buffer and remembers when something did not fit.
struct Text {
    char* out;
    size_t size;
    size_t length = 0;
    bool cut = false;

    Text(char* buffer, size_t capacity) : out(buffer), size(capacity) {
        if (size > 0) out[0] = '\0';
    }
    void Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        if (length >= size) {
            cut = true;
            return;
        }
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(out + length, size - length, format, args);
        va_end(args);
        if (n < 0 || static_cast<size_t>(n) >= size - length) {
            cut = true;
            length = size - 1;
        } else {
            length += static_cast<size_t>(n);
        }
    }
    // A JSON string: quotes, backslashes and control characters escaped.
    void AddJsonString(const char* text) {
        Add("\"");
        for (const char* c = text; *c != '\0'; ++c) {
            const unsigned char ch = static_cast<unsigned char>(*c);
            if (ch == '"' || ch == '\\') {
                Add("\\%c", ch);
            } else if (ch < 0x20) {
                Add("\\u%04x", ch);
            } else {
                Add("%c", ch);
            }
        }
        Add("\"");
    }
};

const char* AssertionText(Assertion assertion) {
    switch (assertion) {
        case Assertion::kAsserted:
            return "asserted";
        case Assertion::kDeasserted:
            return "deasserted";
        default:
            return "";
    }
}

int64_t NowEpochNs() {
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The journal's field "NAME=value" in `buffer`, as one iovec.
iovec Field(char* buffer, size_t size, const char* name, const char* value) {
    std::snprintf(buffer, size, "%s=%s", name, value);
    return iovec{buffer, std::strlen(buffer)};
}

constexpr size_t kMessageBytes = 256;

}  // namespace

void FormatEntryMessage(const JournalEntry& e, char* out, size_t size) {
    Text text(out, size);
    if (e.kind == EntryKind::kAdapter) {
        text.Add("adapter %d %s", e.instance, e.report);
        if (e.detail[0] != '\0') text.Add(": %s", e.detail);
        return;
    }
    text.Add("adapter %d %s: %s", e.instance, e.object, e.report);
    switch (e.kind) {
        case EntryKind::kCondition:
            text.Add(" %s", AssertionText(e.assertion));
            if (e.hasDuration) {
                const uint64_t tenths = (e.durationMs + 50) / 100;  // to the nearest 0.1 s
                text.Add(" after %llu.%llu s", static_cast<unsigned long long>(tenths / 10),
                         static_cast<unsigned long long>(tenths % 10));
            }
            if (e.assertion == Assertion::kAsserted && e.detail[0] != '\0')
                text.Add(" (%s)", e.detail);
            return;
        default:
            text.Add(": %s -> %s", e.oldValue, e.newValue);
            if (e.detail[0] != '\0') text.Add(" (%s)", e.detail);
            return;
    }
}

void FormatUtcTime(int64_t epochNs, char* out, size_t size) {
    const time_t seconds = static_cast<time_t>(epochNs / 1000000000);
    const int ms = static_cast<int>(epochNs % 1000000000 / 1000000);
    tm utc = {};
    gmtime_r(&seconds, &utc);
    std::snprintf(out, size, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, ms);
}

bool FormatJsonLine(const JournalEntry& e, const char* time, char* out, size_t size) {
    char message[kMessageBytes];
    FormatEntryMessage(e, message, sizeof message);
    Text text(out, size);
    text.Add("{\"time\":\"%s\",\"instance\":%d,\"station\":", time, e.instance);
    text.AddJsonString(e.stationId);
    text.Add(",\"object\":");
    text.AddJsonString(e.object);
    text.Add(",\"event\":\"%s\",\"report\":\"%s\"", e.name, e.report);
    if (e.assertion != Assertion::kNone)
        text.Add(",\"condition\":\"%s\"", AssertionText(e.assertion));
    if (e.oldValue[0] != '\0') {
        text.Add(",\"old\":");
        text.AddJsonString(e.oldValue);
    }
    if (e.newValue[0] != '\0') {
        text.Add(",\"new\":");
        text.AddJsonString(e.newValue);
    }
    if (e.hasDuration)
        text.Add(",\"duration_ms\":%llu", static_cast<unsigned long long>(e.durationMs));
    if (e.detail[0] != '\0') {
        text.Add(",\"detail\":");
        text.AddJsonString(e.detail);
    }
    text.Add(",\"priority\":%d,\"message\":", static_cast<int>(e.severity));
    text.AddJsonString(message);
    text.Add("}\n");
    return !text.cut;
}

LogTarget ChooseLogTarget(bool foreground) {
    // systemd names the journal stream it gave standard error as "device:inode".
    if (const char* stream = std::getenv("JOURNAL_STREAM")) {
        struct stat err = {};
        unsigned long long device = 0, inode = 0;
        if (std::sscanf(stream, "%llu:%llu", &device, &inode) == 2 &&
            fstat(STDERR_FILENO, &err) == 0 && err.st_dev == device && err.st_ino == inode) {
            return LogTarget::kJournal;
        }
    }
    return foreground ? LogTarget::kStderr : LogTarget::kSyslog;
}

JournalOutputs::JournalOutputs(LogTarget target, std::string eventLogPath)
    : target_(target), eventLogPath_(std::move(eventLogPath)) {
    if (HasEventLog()) ReopenEventLog();
}

JournalOutputs::~JournalOutputs() {
    if (eventLog_ >= 0) close(eventLog_);
}

bool JournalOutputs::ReopenEventLog() {
    const int fd = open(eventLogPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640);
    if (fd < 0) return false;
    if (eventLog_ >= 0) close(eventLog_);
    eventLog_ = fd;
    return true;
}

void JournalOutputs::Write(const JournalEntry& e) {
    char message[kMessageBytes];
    FormatEntryMessage(e, message, sizeof message);
    char time[32];
    FormatUtcTime(NowEpochNs(), time, sizeof time);

    switch (target_) {
        case LogTarget::kStderr: {
            char line[kMessageBytes + 64];
            const int n = std::snprintf(line, sizeof line, "%s ringagent: %s\n", time, message);
            if (n > 0) {
                const ssize_t written =
                    write(STDERR_FILENO, line, std::strlen(line));  // one write: lines stay whole
                (void)written;
            }
            break;
        }
        case LogTarget::kSyslog:
            syslog(static_cast<int>(e.severity), "%s", message);
            break;
        case LogTarget::kJournal: {
            char fields[13][kMessageBytes + 16];
            char number[24], priority[4], duration[24];
            std::snprintf(number, sizeof number, "%d", e.instance);
            std::snprintf(priority, sizeof priority, "%d", static_cast<int>(e.severity));
            iovec iov[13];
            int n = 0;
            iov[n] = Field(fields[n], sizeof fields[n], "MESSAGE", message), ++n;
            iov[n] = Field(fields[n], sizeof fields[n], "PRIORITY", priority), ++n;
            iov[n] = Field(fields[n], sizeof fields[n], "SYSLOG_IDENTIFIER", "ringagent"), ++n;
            iov[n] = Field(fields[n], sizeof fields[n], "FDDI_EVENT", e.name), ++n;
            iov[n] = Field(fields[n], sizeof fields[n], "FDDI_REPORT", e.report), ++n;
            iov[n] = Field(fields[n], sizeof fields[n], "FDDI_INSTANCE", number), ++n;
            iov[n] = Field(fields[n], sizeof fields[n], "FDDI_OBJECT", e.object), ++n;
            if (e.stationId[0] != '\0')
                iov[n] = Field(fields[n], sizeof fields[n], "FDDI_STATION", e.stationId), ++n;
            if (e.assertion != Assertion::kNone) {
                iov[n] = Field(fields[n], sizeof fields[n], "FDDI_CONDITION",
                               AssertionText(e.assertion)),
                ++n;
            }
            if (e.oldValue[0] != '\0')
                iov[n] = Field(fields[n], sizeof fields[n], "FDDI_OLD", e.oldValue), ++n;
            if (e.newValue[0] != '\0')
                iov[n] = Field(fields[n], sizeof fields[n], "FDDI_NEW", e.newValue), ++n;
            if (e.hasDuration) {
                std::snprintf(duration, sizeof duration, "%llu",
                              static_cast<unsigned long long>(e.durationMs));
                iov[n] = Field(fields[n], sizeof fields[n], "FDDI_DURATION_MS", duration), ++n;
            }
            if (e.detail[0] != '\0')
                iov[n] = Field(fields[n], sizeof fields[n], "FDDI_DETAIL", e.detail), ++n;
            sd_journal_sendv(iov, n);
            break;
        }
    }

    if (eventLog_ >= 0) {
        char line[1024];
        if (FormatJsonLine(e, time, line, sizeof line)) {
            // O_APPEND and one write per line: a reader or logrotate never sees half a line.
            const ssize_t written = write(eventLog_, line, std::strlen(line));
            (void)written;
        }
    }
}
