// Reading the station's SMT 7.3 management information base. FetchCycle asks the driver for
// one attribute group per request and leaves every answer record in the caller's snapshot.
#pragma once

#include <cstdint>

#include "common/device_channel.h"
#include "smtmib/station_snapshot.h"

constexpr uint32_t kAnswerAreaSize = 512;
constexpr uint32_t kSmtRequestSize = 2064;
constexpr uint32_t kAnswerAreaOffset = 16;

// How every program uses the channel for SMT requests: one 2064-byte buffer whose header words
// the request builder fills, and an answer that must carry the header words, at least one
// record header (a type 0 ends an answer of no records) and every record it declares.
extern const ChannelProfile kSmtChannel;

// One request of the fetch cycle.
struct FetchRequest {
    uint32_t code;   // attribute group code
    uint32_t index;  // resource index: 0 the SMT object, 1 or 2 MAC, PATH, PORT instances
    uint32_t size;   // bytes of slots the answer may fill: its record bound is size / 36
};

// Asked before every request after the first; false abandons the rest of the cycle.
using ContinueCheck = bool (*)();

// Asks the driver of adapter `instance` for `code` on resource `index` and unpacks the answer
// into `destination`. Returns 0 when the driver answered; -1 when the request failed, with
// `station.device` saying how.
int SmtGet(StationSnapshot& station, int32_t instance, uint32_t code, SlotSpan destination,
           uint32_t index, uint32_t size);

// One refresh's worth of requests into `station`: the MAC configuration, the version gate, the
// port count, then the fetch list. Returns 0, or -1 at the first failure or when
// `continueCycle` (may be null) abandoned the cycle; `station.end` says which. Slots that the
// cycle did not reach keep what they held.
int FetchCycle(StationSnapshot& station, int32_t instance, ContinueCheck continueCycle = nullptr);
