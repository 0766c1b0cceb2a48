// The one road to the adapter's driver: open the device, issue one control request that uses
// one buffer for input and output, close the device. No handle is kept between requests.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

constexpr DWORD IOCTL_SMT_GET = 0xA0286044;       // device 0xA028, function 0x811, read
constexpr DWORD IOCTL_DRIVER_STATS = 0xA0286004;  // device 0xA028, function 0x801, read

// The path of the device that serves every adapter; the instance word tells them apart.
constexpr char kDevicePathText[] = "\\\\.\\qd4682";
constexpr int kDevicePathSize = 64;

extern char DevicePath[kDevicePathSize];
// The adapter every request is for: 0, 1 or 2. Chosen in the device-instance dialog.
extern int32_t DeviceInstance;

enum class ChannelFailure { kOpen, kRequest };

// What differs between the two programs' use of the channel.
struct ChannelProfile {
    DWORD bufferLength;       // the one buffer length the program uses for every request
    bool writesInstanceWord;  // DeviceRequest puts DeviceInstance into word 0 itself
    const char* openFailureText;
    const char* requestFailureFormat;  // printf format taking DeviceInstance and the error code
    // Paints the formatted failure message where the program shows failures.
    void (*showFailure)(const char* message, ChannelFailure failure);
    // The answer bytes the program goes on to read: at least `answerMinimum`, and, when
    // `answerLength` is set, what it finds declared in the answer itself (given the buffer and
    // the byte count the driver reported). A shorter answer fails the request with
    // ERROR_INVALID_DATA, since the bytes past it would be stale or never written.
    DWORD answerMinimum;
    DWORD (*answerLength)(const uint8_t* buffer, DWORD answered);
};

// Selects the program's profile; each program sets it once at start-up.
void SetChannelProfile(const ChannelProfile* profile);

// Copies the device path into DevicePath, as each program does before opening its window.
void InitDevicePath();

// Opens the device, sends `controlCode` with `buffer` (of the profile's length) as input and
// output, closes the device. Returns 0 when the driver served the request with a whole answer;
// otherwise paints the failure report and returns -1. The device handle is closed on every path.
int DeviceRequest(DWORD controlCode, void* buffer);
