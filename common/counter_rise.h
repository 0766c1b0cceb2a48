// Whether a counter rose between two readings, for the monitors' marks.
#pragma once

#include <cstdint>

// Modulo 2^32, so a counter that wrapped past zero still counts as rising.
constexpr bool Rose(uint32_t now, uint32_t before) {
    return now != before && now - before < 0x80000000u;
}
