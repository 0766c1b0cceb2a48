#include "ringagent/station_cache.h"

#include <cstdio>
#include <cstring>

#include "common/device_channel.h"
#include "smtmib/attribute_groups.h"
#include "smtmib/smt_answer_length.h"

namespace {

// Every parameter type of the attribute groups, sorted: a snapshot keeps the slots in this
// order.
uint16_t SnapshotTypes[kMaxSnapshotTypes];
size_t SnapshotTypeCount = 0;

void ListSnapshotTypes() {
    for (const AttributeGroup* group = AttributeGroups; group->code != 0; ++group) {
        for (const uint16_t* type = group->types; *type != 0; ++type) {
            if (SnapshotTypeCount == kMaxSnapshotTypes) return;
            size_t at = SnapshotTypeCount++;
            while (at > 0 && SnapshotTypes[at - 1] > *type) {
                SnapshotTypes[at] = SnapshotTypes[at - 1];
                --at;
            }
            SnapshotTypes[at] = *type;
        }
    }
}

int SnapshotPosition(uint16_t type) {
    size_t low = 0, high = SnapshotTypeCount;
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (SnapshotTypes[middle] < type) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < SnapshotTypeCount && SnapshotTypes[low] == type ? static_cast<int>(low) : -1;
}

// Why the cycle under way stopped, as the device channel and the fetch hooks report it.
char FailureText[160];

void RecordChannelFailure(const char* message, ChannelFailure) {
    std::snprintf(FailureText, sizeof FailureText, "%s", message);
}

void RecordVersionRefusal(uint32_t version) {
    std::snprintf(FailureText, sizeof FailureText,
                  "the station runs SMT version %u; only version 2 is understood", version);
}

const ChannelProfile kAgentChannel = {
    kSmtRequestSize,
    false,  // the request builder puts the instance into word 0
    "cannot open the adapters' device",
    "device instance %d: the driver refused a request (error 0x%x)",
    RecordChannelFailure,
    kAnswerAreaOffset,  // the header words, then the records they carry: bounded as in ringeye
    SmtAnswerLength,
};

const FetchHooks kAgentFetchHooks = {
    RecordVersionRefusal,
    nullptr,  // a cycle always runs to its end
};

const ParamSlot kZeroSlot = {};

// Strips the line end the device channel's texts may carry.
void TrimLineEnd(char* text) {
    size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        text[--length] = '\0';
}

}  // namespace

const ParamSlot& SnapshotSlot(const StationSnapshot& snapshot, uint16_t type, int port) {
    const int position = SnapshotPosition(type);
    if (position < 0) return kZeroSlot;
    return snapshot.slots[position][port == 1 ? 1 : 0];
}

StationCache::StationCache(platform::Clock& clock, uint64_t cacheMs, StationReport report)
    : clock_(clock), cacheMs_(cacheMs), report_(report) {
    if (SnapshotTypeCount == 0) ListSnapshotTypes();
    SetChannelProfile(&kAgentChannel);
    SetFetchHooks(&kAgentFetchHooks);
    InitDevicePath();
}

void StationCache::Refresh() {
    const uint64_t now = clock_.NowMs();
    if (fetched_ && now - fetchedAtMs_ < cacheMs_) return;
    fetched_ = true;
    fetchedAtMs_ = now;
    for (int instance = 0; instance < kMaxInstances; ++instance)
        Fetch(instance);
}

void StationCache::Fetch(int instance) {
    // The slots keep whatever an earlier answer left in them: cleared first, a record that this
    // adapter's answer does not carry stays empty instead of showing another adapter's value.
    ResetSmtStore();
    DeviceInstance = instance;
    FailureText[0] = '\0';
    const bool answered = FetchCycle() == 0;
    ++cycles_;

    StationSnapshot& snapshot = snapshots_[instance];
    const bool wasAnswering = snapshot.answered;
    snapshot.answered = answered;
    snapshot.portCount = answered ? PortCount : 0;
    if (answered) {
        for (size_t p = 0; p < SnapshotTypeCount; ++p) {
            snapshot.slots[p][0] = SlotOf(SnapshotTypes[p], 0);
            snapshot.slots[p][1] = SlotOf(SnapshotTypes[p], 1);
        }
        snapshot.pathConfiguration = PathConfiguration;
    }
    const bool first = !reported_[instance];
    reported_[instance] = true;
    const bool worthReporting = first ? answered || instance == 0 : answered != wasAnswering;
    if (worthReporting && report_) {
        TrimLineEnd(FailureText);
        report_(instance, answered, FailureText);
    }
}
