#include "common/device_channel.h"

#include <cstdio>

#include "platform/win32_on_linux/device_calls.h"

char DevicePath[kDevicePathSize];
int32_t DeviceInstance = 0;

namespace {

// Whether the driver's byte count covers what the program reads from its answer. A count above
// the buffer is as wrong as one below what is needed.
bool AnswerWhole(const ChannelProfile& profile, const void* buffer, DWORD answered) {
    if (answered > profile.bufferLength || answered < profile.answerMinimum) return false;
    return !profile.answerLength ||
           answered >= profile.answerLength(static_cast<const uint8_t*>(buffer), answered);
}

DeviceOutcome Failed(DWORD error) {
    if (error == ERROR_INVALID_DATA) return {DeviceFault::kShortReply, error};
    if (error == ERROR_SEM_TIMEOUT) return {DeviceFault::kStalled, error};
    return {DeviceFault::kRefused, error};
}

}  // namespace

void InitDevicePath() {
    lstrcpyA(DevicePath, kDevicePathText);
}

DeviceOutcome DeviceRequest(const ChannelProfile& profile, int32_t instance, DWORD controlCode,
                            void* buffer) {
    const platform::DeviceCalls& calls = platform::CurrentDeviceCalls();
    HANDLE device = calls.createFile(DevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) return {DeviceFault::kMissingDevice, 0};
    const DWORD length = profile.bufferLength;
    if (profile.writesInstanceWord && length >= sizeof(uint32_t)) {
        static_cast<uint32_t*>(buffer)[0] = static_cast<uint32_t>(instance);
    }
    DWORD answered = 0;
    const BOOL served = calls.deviceIoControl(device, controlCode, buffer, length, buffer, length,
                                              &answered, nullptr);
    DeviceOutcome outcome;
    if (!served) {
        outcome = Failed(calls.getLastError());
    } else if (!AnswerWhole(profile, buffer, answered)) {
        outcome = Failed(ERROR_INVALID_DATA);
    }
    calls.closeHandle(device);
    return outcome;
}

void FormatDeviceFailure(const FailureTexts& texts, DeviceOutcome outcome, int32_t instance,
                         char* out, size_t size) {
    if (outcome.fault == DeviceFault::kMissingDevice) {
        std::snprintf(out, size, "%s", texts.missingDevice);
    } else {
        std::snprintf(out, size, texts.requestFormat, static_cast<int>(instance),
                      static_cast<unsigned>(outcome.error));
    }
}
