#include "common/device_channel.h"

#include <cstdio>

#include "platform/win32/device_calls.h"

char DevicePath[kDevicePathSize];
int32_t DeviceInstance = 0;

namespace {

const ChannelProfile* activeProfile = nullptr;

void ShowFailure(ChannelFailure failure, DWORD error) {
    if (!activeProfile) return;
    static char message[160];
    if (failure == ChannelFailure::kOpen) {
        std::snprintf(message, sizeof message, "%s", activeProfile->openFailureText);
    } else {
        std::snprintf(message, sizeof message, activeProfile->requestFailureFormat,
                      static_cast<int>(DeviceInstance), static_cast<unsigned>(error));
    }
    activeProfile->showFailure(message, failure);
}

// Whether the driver's byte count covers what the program reads from its answer. A count above
// the buffer is as wrong as one below what is needed.
bool AnswerWhole(const void* buffer, DWORD length, DWORD answered) {
    if (answered > length) return false;
    if (!activeProfile) return true;
    if (answered < activeProfile->answerMinimum) return false;
    return !activeProfile->answerLength ||
           answered >= activeProfile->answerLength(static_cast<const uint8_t*>(buffer), answered);
}

}  // namespace

void SetChannelProfile(const ChannelProfile* profile) {
    activeProfile = profile;
}

void InitDevicePath() {
    lstrcpyA(DevicePath, kDevicePathText);
}

int DeviceRequest(DWORD controlCode, void* buffer) {
    const platform::DeviceCalls& calls = platform::CurrentDeviceCalls();
    HANDLE device = calls.createFile(DevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        ShowFailure(ChannelFailure::kOpen, 0);
        return -1;
    }
    const DWORD length = activeProfile ? activeProfile->bufferLength : 0;
    if (activeProfile && activeProfile->writesInstanceWord && length >= sizeof(uint32_t)) {
        static_cast<uint32_t*>(buffer)[0] = static_cast<uint32_t>(DeviceInstance);
    }
    DWORD answered = 0;
    const BOOL served = calls.deviceIoControl(device, controlCode, buffer, length, buffer, length,
                                              &answered, nullptr);
    if (served && AnswerWhole(buffer, length, answered)) {
        calls.closeHandle(device);
        return 0;
    }
    const DWORD error = served ? ERROR_INVALID_DATA : calls.getLastError();
    ShowFailure(ChannelFailure::kRequest, error);
    calls.closeHandle(device);
    return -1;
}
