// A slow driver: every request waits for `delay` (a real sleep, or a sleep on a test's virtual
// clock) before `inner` serves it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

#include "platform/wire/device_handler.h"

namespace test_support {

class SlowHandler : public wire::DeviceHandler {
  public:
    SlowHandler(wire::DeviceHandler& inner, std::function<void()> delay)
        : inner_(inner), delay_(std::move(delay)) {}

    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override {
        ++requests_;
        delay_();
        return inner_.Serve(controlCode, input, inputLength, output, outputLength, answerLength);
    }
    // Requests begun, counted before their delay.
    int Requests() const { return requests_; }

  private:
    wire::DeviceHandler& inner_;
    std::function<void()> delay_;
    std::atomic<int> requests_{0};
};

}  // namespace test_support
