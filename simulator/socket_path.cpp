#include "simulator/socket_path.h"

#include <unistd.h>

#include <cstdlib>

namespace sim {

std::string DeviceSocketPath(const char* deviceName) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] == '/') {
        return std::string(runtimeDir) + "/" + deviceName;
    }
    return "/tmp/" + std::string(deviceName) + "-" + std::to_string(getuid());
}

}  // namespace sim
