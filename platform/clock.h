// Time as a seam. Every sleep and every timed wait of the programs goes through the current
// Clock, so that tests can run hundreds of refresh cycles on a virtual clock without waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale; only differences are meaningful.
    virtual uint64_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// The clock in use: the real monotonic clock unless a test installed another.
Clock& CurrentClock();
// Installs a clock; nullptr goes back to the real one. The caller keeps ownership.
void SetClock(Clock* clock);

// A clock that only moves when someone sleeps or waits on it. Events scheduled with At() run,
// in time order, at the moment the clock passes their time; they are how a test types keys,
// changes the fake driver or reads the screen at a given point of a program's run.
class VirtualClock : public Clock {
  public:
    uint64_t NowMs() override { return now_; }
    void SleepMs(uint32_t ms) override;

    // Runs `event` when the clock reaches `at_ms` (at once on the next advance if already due).
    void At(uint64_t at_ms, std::function<void()> event);

    // Advances towards `deadline_ms`, running due events in order. After each event it asks
    // `wake`; when that answers true the clock stops at the event's time and this returns true.
    // Otherwise the clock ends at the deadline and this returns false.
    bool AdvanceUntil(uint64_t deadline_ms, const std::function<bool()>& wake);

    bool HasPendingEvents() const { return !events_.empty(); }
    uint64_t NextEventMs() const;

  private:
    uint64_t now_ = 0;
    std::multimap<uint64_t, std::function<void()>> events_;
};

}  // namespace platform
