// Where a device is served: $XDG_RUNTIME_DIR/NAME when XDG_RUNTIME_DIR is an absolute path,
// otherwise /tmp/NAME-UID. This is where the platform keeps its device nodes.
#pragma once

#include <string>

namespace sim {

constexpr const char* kDeviceName = "qd4682";

std::string DeviceSocketPath(const char* deviceName);

}  // namespace sim
