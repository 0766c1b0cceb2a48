// The driver statistics record: 37 little-endian 32-bit words, words 0 to 35 the counters
// below in the order the statistics monitor shows them, word 36 the instance that answered.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

class Station;

constexpr size_t kStatisticsRecordSize = 148;

// Word numbers of the record.
namespace stat_word {
enum : uint8_t {
    kXmitPackets = 0,
    kRecvPackets,
    kXmitBytes,
    kRecvBytes,
    kXmitBroadcastPackets,
    kRecvBroadcastPackets,
    kXmitBroadcastBytes,
    kRecvBroadcastBytes,
    kXmitMulticastPackets,
    kRecvMulticastPackets,
    kXmitMulticastBytes,
    kRecvMulticastBytes,
    kXmitLoopbackPackets,
    kRecvLoopbackPackets,
    kXmitLoopbackBytes,
    kRecvLoopbackBytes,
    kXmitDirectedPackets,
    kRecvDirectedPackets,
    kXmitDirectedBytes,
    kRecvDirectedBytes,
    kXmitErrors,  // total of the five transmit error words
    kRecvErrors,  // total of the five receive error words
    kXmitPortErrors,
    kRecvEFlagErrors,
    kXmitAbortErrors,
    kRecvCrcErrors,
    kUnderrunErrors,
    kOverrunErrors,
    kXmitParityErrors,
    kRecvParityErrors,
    kXmitBadPackets,
    kRecvBadPackets,
    kNoXmitBuffers,
    kXmitRingFull,
    kFsiInterrupts,
    kRcInterrupts,
    kInstance,  // not a counter
};
}

// Writes the record of `station` at its current time; `instance` goes into word 36.
void FillStatisticsRecord(const Station& station, uint32_t instance,
                          uint8_t record[kStatisticsRecordSize]);

}  // namespace sim
