// A scriptable FDDI station for the monitors' tests: answers SMT attribute requests and the
// statistics request from records the test sets, and can refuse or vanish on demand.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "platform/wire/device_handler.h"

class FakeStation : public wire::DeviceHandler {
  public:
    using Bytes = std::vector<uint8_t>;

    // A record of parameter `type` with `value` (padded by the test as the driver would). The
    // record goes into every group answer whose list holds the type, for resource `index`, and
    // is the answer to a request for the type itself.
    void Set(uint16_t type, Bytes value, uint32_t index = 0);
    // SMT attributes: the number right-aligned big-endian in a four-byte field.
    void SetSmt(uint16_t type, uint32_t value);
    // MAC, PATH and PORT attributes: 00 00, the index, then the four-byte field.
    void SetObject(uint16_t type, uint32_t value, uint32_t index = 1);
    // MAC, PATH and PORT attributes with their data as given: 00 00, the index, then `data`.
    void SetObjectData(uint16_t type, const Bytes& data, uint32_t index = 1) {
        Bytes bytes = {0, 0, static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index)};
        bytes.insert(bytes.end(), data.begin(), data.end());
        Set(type, std::move(bytes), index);
    }
    // 00 00, the index, 00 00, then six address bytes.
    void SetAddress(uint16_t type, const Bytes& address, uint32_t index = 1);
    // Replaces the whole answer area for (code, index) with raw bytes.
    void SetRawAnswer(uint32_t code, uint32_t index, Bytes answer);

    // A healthy dual-attachment (ports == 2) or single-attachment (ports == 1) station.
    void FillHealthy(uint32_t ports);

    // Every request from now on is refused with `status` (0: served again).
    void RefuseWith(uint32_t status) { refuseStatus_ = status; }
    // Requests for instances other than these are refused with 0x1F.
    void ServeInstances(uint32_t count) { instances_ = count; }
    // Served answers report at most `bytes` bytes, as a faulty driver's "successful" short
    // answer; -1 lifts the limit.
    void AnswerAtMost(int64_t bytes) { answerLimit_ = bytes; }

    // The 37 words of the statistics record.
    std::vector<uint32_t> stats = std::vector<uint32_t>(37, 0);

    struct Request {
        uint32_t controlCode, instance, code, index, answerSize;
    };
    std::vector<Request> requests;

    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override;

  private:
    Bytes AnswerFor(uint32_t code, uint32_t index) const;
    uint32_t Limited(uint32_t length) const;

    std::map<std::pair<uint16_t, uint32_t>, Bytes> records_;  // (type, index) -> value
    std::map<std::pair<uint32_t, uint32_t>, Bytes> raw_;
    uint32_t refuseStatus_ = 0;
    uint32_t instances_ = 3;
    int64_t answerLimit_ = -1;
};

// Big-endian helpers for building values.
FakeStation::Bytes Be32(uint32_t value);
