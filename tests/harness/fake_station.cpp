#include "tests/harness/fake_station.h"

#include <cstring>

#include "smtmib/attribute_groups.h"

namespace {
constexpr uint32_t kSmtGet = 0xA0286044, kDriverStats = 0xA0286004;
constexpr uint32_t kSmtBuffer = 2064, kStatsBuffer = 148;
constexpr uint32_t kGenFailure = 0x1F, kInvalidParameter = 0x57, kNotSupported = 0x32;

// SMT object attributes have no resource index of their own: the station answers them for
// any index (the MIB operation group is asked for with index 1).
uint32_t KeyIndex(uint16_t type, uint32_t index) {
    return (type & 0xF000) == 0x1000 ? 0 : index;
}

uint32_t Word(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}
}  // namespace

FakeStation::Bytes Be32(uint32_t value) {
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

void FakeStation::Set(uint16_t type, Bytes value, uint32_t index) {
    records_[{type, index}] = std::move(value);
}

void FakeStation::SetSmt(uint16_t type, uint32_t value) {
    Set(type, Be32(value), 0);
}

void FakeStation::SetObject(uint16_t type, uint32_t value, uint32_t index) {
    Bytes bytes = {0, 0, static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index)};
    Bytes field = Be32(value);
    bytes.insert(bytes.end(), field.begin(), field.end());
    Set(type, bytes, index);
}

void FakeStation::SetAddress(uint16_t type, const Bytes& address, uint32_t index) {
    Bytes bytes = {0, 0, static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index), 0, 0};
    bytes.insert(bytes.end(), address.begin(), address.end());
    Set(type, bytes, index);
}

void FakeStation::SetRawAnswer(uint32_t code, uint32_t index, Bytes answer) {
    raw_[{code, index}] = std::move(answer);
}

void FakeStation::FillHealthy(uint32_t ports) {
    Set(0x100B, {0x00, 0x00, 0x08, 0x00, 0x3E, 0x12, 0x34, 0x56});
    SetSmt(0x100D, 2);
    SetSmt(0x100E, 2);
    SetSmt(0x100F, 2);
    Bytes manufacturer = {0x08, 0x00, 0x3E};
    const char* product = "FDDI 4682 adapter";
    manufacturer.insert(manufacturer.end(), product, product + std::strlen(product));
    manufacturer.resize(32, 0);
    Set(0x1010, manufacturer);
    Bytes user(32, 0);
    std::memcpy(user.data(), "Lab ring, rack 3", 16);
    Set(0x1011, user);
    SetSmt(0x1015, 1);
    SetSmt(0x1016, ports);
    SetSmt(0x1029, 1);
    SetSmt(0x102A, ports == 2 ? 12 : 11);
    SetObject(0x206F, 2);
    for (uint32_t port = 1; port <= ports; ++port) {
        SetObject(0x400C, ports == 2 ? port - 1 : 2, port);
        SetObject(0x403D, 3, port);
        SetObject(0x403E, 8, port);
    }
}

FakeStation::Bytes FakeStation::AnswerFor(uint32_t code, uint32_t index) const {
    auto raw = raw_.find({code, index});
    if (raw != raw_.end()) return raw->second;
    Bytes answer;
    auto append = [&](uint16_t type, const Bytes& value) {
        answer.push_back(static_cast<uint8_t>(type >> 8));
        answer.push_back(static_cast<uint8_t>(type));
        answer.push_back(static_cast<uint8_t>(value.size() >> 8));
        answer.push_back(static_cast<uint8_t>(value.size()));
        answer.insert(answer.end(), value.begin(), value.end());
    };
    const AttributeGroup* group = FindAttributeGroup(code);
    if (!group) {
        auto record = records_.find(
            {static_cast<uint16_t>(code), KeyIndex(static_cast<uint16_t>(code), index)});
        if (record != records_.end()) append(static_cast<uint16_t>(code), record->second);
        return answer;
    }
    for (const uint16_t* type = group->types; *type; ++type) {
        auto record = records_.find({*type, KeyIndex(*type, index)});
        if (record != records_.end()) append(*type, record->second);
    }
    return answer;
}

uint32_t FakeStation::Limited(uint32_t length) const {
    return answerLimit_ >= 0 && answerLimit_ < length ? static_cast<uint32_t>(answerLimit_)
                                                      : length;
}

uint32_t FakeStation::Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                            uint8_t* output, uint32_t outputLength, uint32_t* answerLength) {
    Request request{controlCode, inputLength >= 4 ? Word(input) : 0, 0, 0, 0};
    if (controlCode == kSmtGet && inputLength >= 16) {
        request.code = Word(input + 4);
        request.answerSize = Word(input + 8);
        request.index = Word(input + 12);
    }
    requests.push_back(request);
    if (refuseStatus_ != 0) return refuseStatus_;
    if (request.instance >= instances_) return kGenFailure;
    if (controlCode == kSmtGet) {
        if (inputLength != kSmtBuffer || outputLength != kSmtBuffer) return kInvalidParameter;
        std::memmove(output, input, kSmtBuffer);
        Bytes answer = AnswerFor(request.code, request.index);
        answer.resize(512, 0);
        std::memcpy(output + 16, answer.data(), 512);
        *answerLength = Limited(kSmtBuffer);
        return 0;
    }
    if (controlCode == kDriverStats) {
        if (outputLength != kStatsBuffer) return kInvalidParameter;
        std::memcpy(output, stats.data(), kStatsBuffer);
        *answerLength = Limited(kStatsBuffer);
        return 0;
    }
    return kNotSupported;
}
