#include "tests/simulator/station_probe.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "simulator/attribute_encoding.h"

namespace sim_test {

std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
    return bytes;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char byte[4];
    for (uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, text.empty() ? "%02X" : " %02X", b);
        text += byte;
    }
    return text;
}

std::vector<uint8_t> ValueOf(const sim::Station& station, uint16_t type, uint32_t index) {
    sim::AttributeValue value;
    if (!sim::EncodeAttribute(station, type, index, &value)) {
        ADD_FAILURE() << "no attribute " << std::hex << type << " index " << index;
        return {};
    }
    return std::vector<uint8_t>(value.bytes, value.bytes + value.length);
}

uint32_t FieldOf(const sim::Station& station, uint16_t type, uint32_t index) {
    const std::vector<uint8_t> v = ValueOf(station, type, type < 0x2000 ? 0 : index);
    const size_t at = type < 0x2000 ? 0 : 4;
    if (v.size() < at + 4) {
        ADD_FAILURE() << "attribute " << std::hex << type << " too short";
        return 0;
    }
    return static_cast<uint32_t>(v[at]) << 24 | static_cast<uint32_t>(v[at + 1]) << 16 |
           static_cast<uint32_t>(v[at + 2]) << 8 | v[at + 3];
}

std::vector<uint8_t> AddressOf(const sim::Station& station, uint16_t type) {
    const bool stationId = type == 0x100B;
    const std::vector<uint8_t> v = ValueOf(station, type, stationId ? 0 : 1);
    const size_t at = stationId ? 2 : 6;
    if (v.size() < at + 6) {
        ADD_FAILURE() << "address " << std::hex << type << " too short";
        return {};
    }
    return std::vector<uint8_t>(v.begin() + static_cast<long>(at),
                                v.begin() + static_cast<long>(at + 6));
}

sim::StationConfig Config(sim::Attachment attachment, sim::Scenario scenario, uint64_t seed) {
    sim::StationConfig config;
    config.attachment = attachment;
    config.scenario = scenario;
    config.seed = seed;
    return config;
}

}  // namespace sim_test
