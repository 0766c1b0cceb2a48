#include "tests/windows/in_process_device.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kDevicePath[] = "\\\\.\\qd4682";
// Any value that is neither NULL nor INVALID_HANDLE_VALUE; the monitors hold one at a time.
const HANDLE kDeviceHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x4682));
constexpr DWORD kLargestBuffer = 65536;

// The answer is taken in here whole, as a driver's would be, before the caller's buffer changes.
uint8_t answer[kLargestBuffer];

}  // namespace

InProcessDevice* InProcessDevice::active_ = nullptr;
const platform::DeviceCalls InProcessDevice::kCalls = {
    &InProcessDevice::OpenDevice, &InProcessDevice::Control, &InProcessDevice::Close,
    &InProcessDevice::LastError};

InProcessDevice::InProcessDevice(wire::DeviceHandler* handler) : handler_(handler) {
    active_ = this;
    platform::SetDeviceCalls(&kCalls);
}

InProcessDevice::~InProcessDevice() {
    platform::SetDeviceCalls(nullptr);
    active_ = nullptr;
}

HANDLE WINAPI InProcessDevice::OpenDevice(LPCSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                          DWORD, HANDLE) {
    InProcessDevice& device = *active_;
    if (!path || std::strcmp(path, kDevicePath) != 0 || !device.present_) {
        device.lastError_ = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    ++device.openHandles_;
    ++device.opens_;
    return kDeviceHandle;
}

BOOL WINAPI InProcessDevice::Control(HANDLE handle, DWORD code, LPVOID input, DWORD inputLength,
                                     LPVOID output, DWORD outputLength, LPDWORD answered,
                                     LPOVERLAPPED) {
    InProcessDevice& device = *active_;
    if (handle != kDeviceHandle || device.openHandles_ == 0) {
        device.lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (inputLength > kLargestBuffer || outputLength > kLargestBuffer) {
        device.lastError_ = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    uint32_t count = 0;
    const uint32_t status = device.handler_->Serve(code, static_cast<const uint8_t*>(input),
                                                   inputLength, answer, outputLength, &count);
    if (status != 0 || count > outputLength) {
        device.lastError_ = status != 0 ? status : ERROR_INVALID_DATA;
        if (answered) *answered = 0;
        return FALSE;
    }
    std::memcpy(output, answer, count);
    if (answered) *answered = count;
    return TRUE;
}

BOOL WINAPI InProcessDevice::Close(HANDLE handle) {
    InProcessDevice& device = *active_;
    if (handle != kDeviceHandle || device.openHandles_ == 0) {
        device.lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    --device.openHandles_;
    return TRUE;
}

DWORD WINAPI InProcessDevice::LastError() {
    return active_->lastError_;
}
