// Linux stand-in only: a device served inside the calling process, with no socket. Tests and
// benchmarks register a handler under a device name; CreateFileA on "\\.\NAME" then opens it
// directly and DeviceIoControl calls the handler, with the same results and error codes as
// over the socket.
#pragma once

#include "platform/wire/device_handler.h"

namespace platform {

// Registers `handler` for device NAME (nullptr removes it). The caller keeps ownership.
void RegisterInProcessDevice(const char* name, wire::DeviceHandler* handler);

// The longest a DeviceIoControl waits for a whole reply on the socket, 2000 ms by default.
// Tests shorten it instead of waiting in real time.
void SetReplyTimeoutMs(int ms);

// Number of device handles currently open (sockets and in-process), for leak tests.
int OpenDeviceHandleCount();

}  // namespace platform
