// Serves the monitors' device inside a Windows test program. The system's CreateFileA knows
// nothing of a test, so this installs a device-call table (platform/win32_on_linux/device_calls.h)
// whose calls reach a handler in the process instead: the test device layer of the Windows tests.
#pragma once

#include "platform/win32_on_linux/device_calls.h"
#include "platform/wire/device_handler.h"

class InProcessDevice {
  public:
    // Serves "\\.\qd4682" with `handler` (the caller keeps it alive) until destroyed, when the
    // system's calls come back.
    explicit InProcessDevice(wire::DeviceHandler* handler);
    ~InProcessDevice();
    InProcessDevice(const InProcessDevice&) = delete;
    InProcessDevice& operator=(const InProcessDevice&) = delete;

    // An absent device fails every open with ERROR_FILE_NOT_FOUND, as with no driver loaded.
    void SetPresent(bool present) { present_ = present; }
    int OpenHandles() const { return openHandles_; }
    int Opens() const { return opens_; }

  private:
    static HANDLE WINAPI OpenDevice(LPCSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                    HANDLE);
    static BOOL WINAPI Control(HANDLE handle, DWORD code, LPVOID input, DWORD inputLength,
                               LPVOID output, DWORD outputLength, LPDWORD answered, LPOVERLAPPED);
    static BOOL WINAPI Close(HANDLE handle);
    static DWORD WINAPI LastError();

    static InProcessDevice* active_;
    static const platform::DeviceCalls kCalls;

    wire::DeviceHandler* handler_;
    bool present_ = true;
    int openHandles_ = 0;
    int opens_ = 0;
    DWORD lastError_ = 0;
};
