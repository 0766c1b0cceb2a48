// What serves one device control request: the stand-in driver's station model, the test
// suites' fake drivers, and the benchmarks' in-process driver all take this shape.
#pragma once

#include <cstdint>

namespace wire {

class DeviceHandler {
  public:
    virtual ~DeviceHandler() = default;
    // Serves one request on behalf of the device. `input` holds inputLength bytes; the answer
    // goes to `output`, which has room for outputLength bytes. Returns 0 with *answerLength
    // (at most outputLength) set when the request was served, otherwise a nonzero Win32 error
    // code, which the caller's GetLastError then reports.
    virtual uint32_t Serve(uint32_t controlCode, const uint8_t* input, uint32_t inputLength,
                           uint8_t* output, uint32_t outputLength, uint32_t* answerLength) = 0;
};

}  // namespace wire
