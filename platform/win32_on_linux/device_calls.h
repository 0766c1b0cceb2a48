// The four calls the device channel makes, as a table of function pointers. By default it holds
// the platform's own functions: the system's on Windows, the stand-ins of linux_device_calls.cpp
// on Linux. A test installs another table to serve the device inside its own process; on Linux
// tests can also register an in-process device with the stand-ins, but on Windows the system's
// CreateFileA knows nothing of the test, so this table is the one seam both platforms share.
#pragma once

#include "platform/win32_on_linux/win32.h"

namespace platform {

struct DeviceCalls {
    decltype(&::CreateFileA) createFile;
    decltype(&::DeviceIoControl) deviceIoControl;
    decltype(&::CloseHandle) closeHandle;
    decltype(&::GetLastError) getLastError;
};

// The table in use.
const DeviceCalls& CurrentDeviceCalls();
// Installs a table; nullptr goes back to the platform's functions. The caller keeps ownership.
void SetDeviceCalls(const DeviceCalls* calls);

}  // namespace platform
