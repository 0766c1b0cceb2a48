// Reads a simulated station's attributes the way the monitors read them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/station_model.h"

namespace sim_test {

// Bytes from text such as "00 01 19 99".
std::vector<uint8_t> Hex(const std::string& text);
std::string ToHex(const std::vector<uint8_t>& bytes);

// The value of attribute `type` of resource `index`; empty (and a test failure) when the
// station does not have it.
std::vector<uint8_t> ValueOf(const sim::Station& station, uint16_t type, uint32_t index);

// The attribute's four-byte field as a number: value bytes 0-3 of an SMT attribute, 4-7 of a
// MAC, PATH or PORT attribute.
uint32_t FieldOf(const sim::Station& station, uint16_t type, uint32_t index = 1);

// The six address bytes of an address attribute (value bytes 6-11 of a MAC attribute, 2-7 of
// the station ID).
std::vector<uint8_t> AddressOf(const sim::Station& station, uint16_t type);

sim::StationConfig Config(sim::Attachment attachment, sim::Scenario scenario, uint64_t seed = 7);

}  // namespace sim_test
