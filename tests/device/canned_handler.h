// A fake driver whose answer a test sets up front and which remembers what it was asked.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/wire/device_handler.h"

class CannedHandler : public wire::DeviceHandler {
  public:
    uint32_t status = 0;
    std::vector<uint8_t> answer;
    bool echoReversed = false;         // answer with the input reversed instead
    bool scribbleWholeOutput = false;  // fill all of the output before answering
    int64_t claimedLength = -1;        // reported instead of the real answer length when >= 0

    int calls = 0;
    uint32_t lastControlCode = 0;
    std::vector<uint8_t> lastInput;
    uint32_t lastOutputLength = 0;

    uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                   uint8_t* output, uint32_t outputLength, uint32_t* answerLength) override {
        ++calls;
        lastControlCode = controlCode;
        lastInput.assign(input, input + inputLength);
        lastOutputLength = outputLength;
        std::vector<uint8_t> reply = answer;
        if (echoReversed) reply.assign(lastInput.rbegin(), lastInput.rend());
        if (scribbleWholeOutput && outputLength > 0) std::memset(output, 0xEE, outputLength);
        size_t fits = std::min<size_t>(reply.size(), outputLength);
        if (fits > 0) std::memcpy(output, reply.data(), fits);
        *answerLength =
            claimedLength >= 0 ? static_cast<uint32_t>(claimedLength) : static_cast<uint32_t>(fits);
        return status;
    }
};
