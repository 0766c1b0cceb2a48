// The device handles of the process: a fixed table of records, so that opening a device and
// issuing requests never touches the heap. Each record carries its own answer buffer: a reply is
// taken in there whole and copied to the caller only once it proved valid, so a failed request
// leaves the caller's buffer as it was and an answer never lands beyond its byte count.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32_on_linux/win32.h"
#include "platform/wire/device_path.h"
#include "platform/wire/device_wire.h"

namespace platform {
namespace device {

// Both monitors hold one handle at a time; the rest is room for tests and tools.
constexpr size_t kMaxOpenHandles = 32;

enum class HandleKind : uint8_t { kFree, kSocket, kInProcess };

struct HandleRecord {
    uint32_t generation = 0;  // part of the HANDLE value, so a stale handle is recognised
    HandleKind kind = HandleKind::kFree;
    int fd = -1;          // the connection of a kSocket handle
    bool broken = false;  // the connection lost step with the driver; no further requests
    bool asked = false;   // a request went out on the connection
    DeviceName deviceName = {};
    uint8_t answer[wire::kMaxLength] = {};
};

// Takes a free record for device `name`; nullptr when every record is in use.
HandleRecord* AcquireHandleRecord(HandleKind kind, const char* name);

// Gives back a record taken by AcquireHandleRecord whose open then failed.
void ReleaseHandleRecord(HandleRecord* record);

// The HANDLE value of an open record: never NULL and never INVALID_HANDLE_VALUE.
HANDLE HandleOf(const HandleRecord& record);

// The open record that `handle` names, nullptr for anything else (closed handles included).
// The caller may use the record until it closes the handle; as with Win32 handles, closing a
// handle while another thread still uses it is the caller's fault.
HandleRecord* FindHandleRecord(HANDLE handle);

// Frees the record of `handle` and hands out the descriptor it held (-1 for none), so that two
// threads closing the same handle cannot both close the descriptor. False for an unknown handle.
bool CloseHandleRecord(HANDLE handle, int* fd);

int CountOpenHandleRecords();

}  // namespace device
}  // namespace platform
