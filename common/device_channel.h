// The one road to the adapter's driver: open the device, issue one control request that uses
// one buffer for input and output, close the device. No handle is kept between requests. A
// request returns what happened as a value; the program decides what to show or log.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32_on_linux/win32.h"

constexpr DWORD IOCTL_SMT_GET = 0xA0286044;       // device 0xA028, function 0x811, read
constexpr DWORD IOCTL_DRIVER_STATS = 0xA0286004;  // device 0xA028, function 0x801, read

// The path of the device that serves every adapter; the instance word tells them apart.
constexpr char kDevicePathText[] = "\\\\.\\qd4682";
constexpr int kDevicePathSize = 64;

extern char DevicePath[kDevicePathSize];
// The adapter the operator chose in the device-instance dialog: 0, 1 or 2.
extern int32_t DeviceInstance;

// How a request ended.
enum class DeviceFault : uint8_t {
    kNone,           // served with a whole answer
    kMissingDevice,  // the device did not open: no driver, or no adapter
    kRefused,        // the driver refused the request; `error` is its code
    kShortReply,     // the answer stops short of what it declares; `error` is ERROR_INVALID_DATA
    kStalled,        // the driver did not answer in time; `error` is ERROR_SEM_TIMEOUT
};

struct DeviceOutcome {
    DeviceFault fault = DeviceFault::kNone;
    DWORD error = 0;  // GetLastError's code for a failed request, 0 otherwise
    bool Served() const { return fault == DeviceFault::kNone; }
};

// What differs between the programs' use of the channel.
struct ChannelProfile {
    DWORD bufferLength;       // the one buffer length the program uses for every request
    bool writesInstanceWord;  // DeviceRequest puts the instance into word 0 itself
    // The answer bytes the program goes on to read: at least `answerMinimum`, and, when
    // `answerLength` is set, what it finds declared in the answer itself (given the buffer and
    // the byte count the driver reported). A shorter answer is a short reply, since the bytes
    // past it would be stale or never written.
    DWORD answerMinimum;
    DWORD (*answerLength)(const uint8_t* buffer, DWORD answered);
};

// Copies the device path into DevicePath, as each program does before opening its window.
void InitDevicePath();

// Opens the device, sends `controlCode` with `buffer` (of the profile's length) as input and
// output for adapter `instance`, closes the device. The device handle is closed on every path.
DeviceOutcome DeviceRequest(const ChannelProfile& profile, int32_t instance, DWORD controlCode,
                            void* buffer);

// A program's own words for a failed request.
struct FailureTexts {
    const char* missingDevice;
    const char* requestFormat;  // printf format taking the instance and the error code
};

// Formats the message for a failed request into `out`: the missing-device text, or the request
// format with the instance in decimal and the error code in lower-case hexadecimal.
void FormatDeviceFailure(const FailureTexts& texts, DeviceOutcome outcome, int32_t instance,
                         char* out, size_t size);
