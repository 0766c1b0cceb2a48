#include "common/device_channel.h"

#include <cstdio>

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

}  // namespace

void SetChannelProfile(const ChannelProfile* profile) {
    activeProfile = profile;
}

void InitDevicePath() {
    lstrcpyA(DevicePath, kDevicePathText);
}

int DeviceRequest(DWORD controlCode, void* buffer) {
    HANDLE device = CreateFileA(DevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        ShowFailure(ChannelFailure::kOpen, 0);
        return -1;
    }
    const DWORD length = activeProfile ? activeProfile->bufferLength : 0;
    if (activeProfile && activeProfile->writesInstanceWord && length >= sizeof(uint32_t)) {
        static_cast<uint32_t*>(buffer)[0] = static_cast<uint32_t>(DeviceInstance);
    }
    DWORD answered = 0;
    if (DeviceIoControl(device, controlCode, buffer, length, buffer, length, &answered, nullptr)) {
        CloseHandle(device);
        return 0;
    }
    const DWORD error = GetLastError();
    ShowFailure(ChannelFailure::kRequest, error);
    CloseHandle(device);
    return -1;
}
