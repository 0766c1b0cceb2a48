// Lookup side of the in-process devices (registration is in in_process_device.h).
#pragma once

#include "platform/wire/device_handler.h"

namespace platform {
namespace device {

// The handler registered for device `name`, nullptr when there is none. A handle looks its
// handler up on every request, so unregistering a device disconnects the handles still open
// on it instead of leaving them pointing at a handler that may be gone.
wire::DeviceHandler* FindInProcessDevice(const char* name);

}  // namespace device
}  // namespace platform
