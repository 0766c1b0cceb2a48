// One open-request-close round through the device calls, as the monitors make it, with what a
// test wants to compare afterwards.
#pragma once

#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

#include "platform/win32_on_linux/win32.h"

constexpr uint8_t kUntouched = 0x5A;  // fills output buffers before a call
constexpr DWORD kControlCode = 0xA0286044;

struct CallResult {
    BOOL ok = FALSE;
    DWORD error = 0;  // GetLastError after the open or the request
    DWORD bytesReturned = 0;
    std::vector<uint8_t> output;

    bool operator==(const CallResult& other) const {
        return ok == other.ok && error == other.error && bytesReturned == other.bytesReturned &&
               output == other.output;
    }
};

inline std::ostream& operator<<(std::ostream& out, const CallResult& result) {
    return out << "{ok " << result.ok << ", error " << result.error << ", bytes "
               << result.bytesReturned << ", " << result.output.size() << " output bytes}";
}

inline HANDLE OpenDevice(const char* path) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A request on an open handle with separate input and output buffers; the output buffer of
// `outputLength` bytes starts filled with kUntouched.
inline CallResult RequestOn(HANDLE device, std::vector<uint8_t> input, uint32_t outputLength) {
    CallResult result;
    result.output.assign(outputLength, kUntouched);
    result.bytesReturned = 0xDEAD;
    result.ok =
        DeviceIoControl(device, kControlCode, input.data(), static_cast<DWORD>(input.size()),
                        result.output.data(), outputLength, &result.bytesReturned, nullptr);
    result.error = result.ok ? 0 : GetLastError();
    return result;
}

// Opens `path`, makes one request and closes the handle again.
inline CallResult OpenRequestClose(const char* path, std::vector<uint8_t> input,
                                   uint32_t outputLength) {
    HANDLE device = OpenDevice(path);
    if (device == INVALID_HANDLE_VALUE) return {FALSE, GetLastError(), 0, {}};
    CallResult result = RequestOn(device, std::move(input), outputLength);
    CloseHandle(device);
    return result;
}
