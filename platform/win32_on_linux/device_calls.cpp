#include "platform/win32_on_linux/device_calls.h"

namespace platform {
namespace {

const DeviceCalls* installedCalls = nullptr;

const DeviceCalls& PlatformCalls() {
    // Built on first use: on Windows the addresses come from the import table at run time.
    static const DeviceCalls calls = {&::CreateFileA, &::DeviceIoControl, &::CloseHandle,
                                      &::GetLastError};
    return calls;
}

}  // namespace

const DeviceCalls& CurrentDeviceCalls() {
    return installedCalls ? *installedCalls : PlatformCalls();
}

void SetDeviceCalls(const DeviceCalls* calls) {
    installedCalls = calls;
}

}  // namespace platform
