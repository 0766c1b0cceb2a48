#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {
namespace {

class SteadyClock : public Clock {
  public:
    uint64_t NowMs() override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void SleepMs(uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

SteadyClock realClock;
Clock* currentClock = &realClock;

}  // namespace

Clock& CurrentClock() {
    return *currentClock;
}

void SetClock(Clock* clock) {
    currentClock = clock ? clock : &realClock;
}

void VirtualClock::SleepMs(uint32_t ms) {
    AdvanceUntil(now_ + ms, [] { return false; });
}

void VirtualClock::At(uint64_t at_ms, std::function<void()> event) {
    events_.emplace(at_ms, std::move(event));
}

uint64_t VirtualClock::NextEventMs() const {
    return events_.empty() ? UINT64_MAX : events_.begin()->first;
}

bool VirtualClock::AdvanceUntil(uint64_t deadline_ms, const std::function<bool()>& wake) {
    while (!events_.empty() && events_.begin()->first <= deadline_ms) {
        auto next = events_.begin();
        if (next->first > now_) now_ = next->first;
        // The event may schedule further events, so take it out before running it.
        std::function<void()> event = std::move(next->second);
        events_.erase(next);
        event();
        if (wake()) return true;
    }
    if (deadline_ms > now_) now_ = deadline_ms;
    return false;
}

}  // namespace platform
