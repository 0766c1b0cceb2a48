// Deterministic randomness. Every random choice of the station model is a hash of the station's
// seed and of what the choice is for (a counter in a given second, the n-th ring event, a PCM
// step), never a draw from a running generator. So the station at a given time is the same
// however that time was reached: in one jump, in steps, or by a monitor polling once a second.
#pragma once

#include <cstdint>

namespace sim {

// What a random choice is for; keeps the streams of different purposes apart.
enum class Draw : uint64_t {
    kProfile = 1,  // the station's own traffic levels and addresses
    kTraffic,      // per-second counter noise
    kLinkErrors,   // per-second link errors of a port
    kPcm,          // PCM step durations
    kRingEvent,    // counter bursts at ring re-initialisation
    kNotReady,     // the flaky adapter's unready seconds
};

// SplitMix64 finaliser: a good 64-bit mixing function.
inline uint64_t Mix64(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

inline uint64_t Hash(uint64_t seed, Draw purpose, uint64_t a, uint64_t b = 0) {
    return Mix64(seed ^ Mix64(static_cast<uint64_t>(purpose) << 56 ^ a) ^ Mix64(b + 0x51ED27ull));
}

// A number in [lo, hi] from a hash.
inline uint32_t Uniform(uint64_t hash, uint32_t lo, uint32_t hi) {
    return lo + static_cast<uint32_t>(hash % (static_cast<uint64_t>(hi) - lo + 1));
}

// A whole count whose mean is `milli` / 1000: the integer part, plus one with the probability
// of the fractional part. Rare events (an error an hour) come out right on average.
inline uint32_t CountFromMilli(uint64_t hash, uint64_t milli) {
    return static_cast<uint32_t>(milli / 1000 + ((hash >> 20) % 1000 < milli % 1000 ? 1 : 0));
}

// `milli` with up to +- `percent` per cent of noise.
inline uint64_t WithNoise(uint64_t hash, uint64_t milli, uint32_t percent) {
    const uint64_t factor = 100 - percent + hash % (2 * percent + 1);
    return milli * factor / 100;
}

}  // namespace sim
