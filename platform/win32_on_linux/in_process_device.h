// Linux stand-in only: a device served inside the calling process, with no socket. Tests and
// benchmarks register a handler under a device name; CreateFileA on "\\.\NAME" then opens it
// directly and DeviceIoControl calls the handler, with the same results and error codes as
// over the socket.
#pragma once

#include "platform/wire/device_handler.h"

namespace platform {

// Registers `handler` for device NAME (nullptr removes it). The caller keeps ownership.
void RegisterInProcessDevice(const char* name, wire::DeviceHandler* handler);

// The longest a CreateFileA waits to connect to the driver's socket, and the longest a
// DeviceIoControl waits for a whole reply on it: 2000 ms each by default. Tests shorten them
// instead of waiting in real time. The two are separate so that a test can shorten the wait for
// a reply it knows never comes without the open before it racing that short limit.
void SetOpenTimeoutMs(int ms);
void SetReplyTimeoutMs(int ms);

// Number of device handles currently open (sockets and in-process), for leak tests.
int OpenDeviceHandleCount();

}  // namespace platform
