#include "simulator/counter_bank.h"

namespace sim {

void CounterBank::CloseSecond() {
    for (size_t i = 0; i < kCounterCount; ++i) {
        total_[i] += perSecond_[i];
        perSecond_[i] = 0;
    }
}

uint32_t CounterBank::Read(CounterId id, uint32_t msIntoSecond) const {
    const uint64_t partial = static_cast<uint64_t>(perSecond_[id]) * msIntoSecond / 1000;
    return static_cast<uint32_t>(total_[id] + partial);
}

}  // namespace sim
