// The Win32 device calls on Linux: a device "\\.\NAME" is a driver process behind a Unix socket
// (or a handler inside this process, for tests), reached through a fixed table of handles.
#include <unistd.h>

#include <cstring>

#include "platform/clock.h"
#include "platform/win32_on_linux/handle_table.h"
#include "platform/win32_on_linux/in_process_device.h"
#include "platform/win32_on_linux/in_process_registry.h"
#include "platform/win32_on_linux/socket_transport.h"
#include "platform/win32_on_linux/win32.h"
#include "platform/wire/device_path.h"
#include "platform/wire/device_wire.h"

namespace {

using platform::device::HandleKind;
using platform::device::HandleRecord;

// Like Win32's, the last error belongs to the thread that made the call.
thread_local DWORD lastError = ERROR_SUCCESS;

BOOL FailWith(DWORD error) {
    lastError = error;
    return FALSE;
}

// A failed request reports no bytes; the count is written last, after the input has been sent,
// in case the caller keeps it inside its buffer.
BOOL FailRequest(DWORD error, LPDWORD bytesReturned) {
    if (bytesReturned != nullptr) *bytesReturned = 0;
    return FailWith(error);
}

struct Answer {
    DWORD error = ERROR_SUCCESS;
    uint32_t count = 0;
};

Answer AskInProcessDevice(HandleRecord& record, DWORD controlCode, const uint8_t* input,
                          DWORD inputLength, DWORD outputLength) {
    wire::DeviceHandler* handler = platform::device::FindInProcessDevice(record.deviceName);
    if (handler == nullptr) return {ERROR_DEVICE_NOT_CONNECTED, 0};
    uint32_t answerLength = 0;
    uint32_t status =
        handler->Serve(controlCode, input, inputLength, record.answer, outputLength, &answerLength);
    if (status != 0) return {status, 0};
    if (answerLength > outputLength) return {ERROR_INVALID_DATA, 0};
    return {ERROR_SUCCESS, answerLength};
}

Answer AskSocketDevice(HandleRecord& record, DWORD controlCode, const uint8_t* input,
                       DWORD inputLength, DWORD outputLength) {
    if (record.broken) return {ERROR_DEVICE_NOT_CONNECTED, 0};
    platform::device::SocketOutcome outcome = platform::device::ExchangeOnSocket(
        record.fd, {controlCode, input, inputLength, outputLength, !record.asked}, record.answer);
    record.asked = true;
    if (outcome.connectionLost) record.broken = true;
    return {outcome.error, outcome.count};
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD /*desiredAccess*/, DWORD /*shareMode*/,
                          LPSECURITY_ATTRIBUTES /*securityAttributes*/,
                          DWORD /*creationDisposition*/, DWORD /*flagsAndAttributes*/,
                          HANDLE /*templateFile*/) {
    platform::DeviceName name;
    if (!platform::ParseDevicePath(fileName, name)) {
        FailWith(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    bool inProcess = platform::device::FindInProcessDevice(name) != nullptr;
    HandleRecord* record = platform::device::AcquireHandleRecord(
        inProcess ? HandleKind::kInProcess : HandleKind::kSocket, name);
    if (record == nullptr) {
        FailWith(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    if (!inProcess) {
        DWORD error = platform::device::ConnectDevice(name, &record->fd);
        if (error != ERROR_SUCCESS) {
            platform::device::ReleaseHandleRecord(record);
            FailWith(error);
            return INVALID_HANDLE_VALUE;
        }
    }
    lastError = ERROR_SUCCESS;
    return platform::device::HandleOf(*record);
}

BOOL WINAPI DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                            LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                            LPOVERLAPPED /*overlapped*/) {
    HandleRecord* record = platform::device::FindHandleRecord(device);
    if (record == nullptr) return FailWith(ERROR_INVALID_HANDLE);
    if (inBufferSize > wire::kMaxLength || outBufferSize > wire::kMaxLength ||
        (inBuffer == nullptr && inBufferSize != 0) ||
        (outBuffer == nullptr && outBufferSize != 0)) {
        return FailRequest(ERROR_INVALID_PARAMETER, bytesReturned);
    }
    const uint8_t* input = static_cast<const uint8_t*>(inBuffer);
    Answer answer =
        record->kind == HandleKind::kInProcess
            ? AskInProcessDevice(*record, ioControlCode, input, inBufferSize, outBufferSize)
            : AskSocketDevice(*record, ioControlCode, input, inBufferSize, outBufferSize);
    if (answer.error != ERROR_SUCCESS) return FailRequest(answer.error, bytesReturned);
    // Only now, with the reply whole and checked, does the caller's buffer change, and only in
    // its first `count` bytes.
    if (answer.count > 0) std::memcpy(outBuffer, record->answer, answer.count);
    if (bytesReturned != nullptr) *bytesReturned = answer.count;
    lastError = ERROR_SUCCESS;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    int fd = -1;
    if (!platform::device::CloseHandleRecord(object, &fd)) return FailWith(ERROR_INVALID_HANDLE);
    if (fd >= 0) close(fd);
    lastError = ERROR_SUCCESS;
    return TRUE;
}

DWORD WINAPI GetLastError(void) {
    return lastError;
}

LPSTR WINAPI lstrcpyA(LPSTR destination, LPCSTR source) {
    // Win32 answers NULL instead of faulting on a null pointer.
    if (destination == nullptr || source == nullptr) return nullptr;
    std::memmove(destination, source, std::strlen(source) + 1);
    return destination;
}

void WINAPI Sleep(DWORD milliseconds) {
    platform::CurrentClock().SleepMs(milliseconds);
}
