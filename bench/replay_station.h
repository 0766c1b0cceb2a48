// An in-process driver that costs next to nothing: it answers each distinct request with what
// another station answered the first time it was asked, so that a benchmark times the monitor
// and not the station model behind it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/wire/device_handler.h"

class ReplayStation : public wire::DeviceHandler {
  public:
    explicit ReplayStation(wire::DeviceHandler& source) : source_(source) {}

    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override;

  private:
    // A request is told apart by its control code, lengths and first four words (instance,
    // request code, answer size, resource index).
    static constexpr uint32_t kKeyBytes = 16;
    struct Recorded {
        uint32_t controlCode;
        uint32_t inputLength;
        uint32_t outputLength;
        uint8_t key[kKeyBytes];
        uint32_t status;
        std::vector<uint8_t> answer;
    };

    wire::DeviceHandler& source_;
    std::vector<Recorded> recorded_;
};
