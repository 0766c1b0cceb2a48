// The station's counters. Each grows by a whole number per second, drawn at the start of the
// second, and is read in between as if it grew evenly through the second, so a monitor polling
// at any moment sees smooth growth. Ring events add to a counter at once. Totals are kept in 64
// bits and reported in 32, so the reported counters wrap as the adapter's do.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

constexpr size_t kStatisticsWords = 37;  // the driver statistics record
constexpr size_t kStatisticsCounters = 36;

enum CounterId : uint8_t {
    kFrameCt,
    kCopiedCt,
    kTransmitCt,
    kTokenCt,
    kErrorCt,
    kLostCt,
    kTvxExpiredCt,
    kNotCopiedCt,
    kLateCt,
    kRingOpCt,
    kFirstPortCounter,  // four per port, in the order of PortCounter
    kFirstStatistic = kFirstPortCounter + 8,
    kCounterCount = kFirstStatistic + kStatisticsCounters,
};

enum class PortCounter : uint8_t { kLemCt, kLemRejectCt, kEbErrorCt, kLctFailCt };

// The counter of port p (0 first port, 1 second).
inline CounterId PortCounterId(size_t p, PortCounter which) {
    return static_cast<CounterId>(kFirstPortCounter + p * 4 + static_cast<size_t>(which));
}

// Word w of the driver statistics record (0 to 35), in the record's order.
inline CounterId StatisticId(size_t w) {
    return static_cast<CounterId>(kFirstStatistic + w);
}

class CounterBank {
  public:
    void Add(CounterId id, uint64_t n) { total_[id] += n; }
    // Sets the growth of the second that starts now.
    void SetPerSecond(CounterId id, uint32_t n) { perSecond_[id] = n; }
    // Adds the whole of the second that ends now to the totals.
    void CloseSecond();
    // Total at the start of the current second, plus the events since.
    uint64_t Total(CounterId id) const { return total_[id]; }
    // The counter `msIntoSecond` (0 to 999) into the current second, as the adapter reports it.
    uint32_t Read(CounterId id, uint32_t msIntoSecond) const;

  private:
    uint64_t total_[kCounterCount] = {};
    uint32_t perSecond_[kCounterCount] = {};
};

}  // namespace sim
