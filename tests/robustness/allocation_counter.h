// Counts the heap allocations one thread makes, for checks that the monitors' refresh loops
// never allocate. Linking allocation_counter.cpp into a program replaces its allocator entry
// points: every malloc, calloc, realloc and aligned allocation of the process passes through the
// counter, C++ new included, and those of the libraries the program uses (the window library,
// the C library's formatting) as well.
#pragma once

namespace alloc_count {

// Starts counting the allocations of the calling thread; other threads are never counted.
void Resume();
// Stops counting on the calling thread.
void Pause();
// Allocations counted so far, on every thread that counted.
long Count();

// Pauses the calling thread's count for its lifetime, for test code that runs inside a counted
// stretch (scheduled events of a virtual clock, say).
class Paused {
  public:
    Paused();
    ~Paused();
    Paused(const Paused&) = delete;
    Paused& operator=(const Paused&) = delete;

  private:
    bool wasCounting_;
};

}  // namespace alloc_count
