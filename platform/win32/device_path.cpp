#include "platform/win32/device_path.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";
constexpr size_t kDevicePrefixLength = sizeof(kDevicePrefix) - 1;

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// Judges what snprintf wrote into `path`: a path cut short must not be used at all.
bool KeepIfWhole(int written, SocketPath& path) {
    if (written < 0 || static_cast<size_t>(written) >= sizeof(path)) {
        path[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

bool IsDeviceName(const char* name) {
    if (name == nullptr) return false;
    size_t length = 0;
    for (; name[length] != '\0'; ++length) {
        if (length == kMaxDeviceNameLength || !IsNameCharacter(name[length])) return false;
    }
    return length > 0;
}

bool ParseDevicePath(const char* path, DeviceName& name) {
    name[0] = '\0';
    if (path == nullptr || std::strncmp(path, kDevicePrefix, kDevicePrefixLength) != 0) {
        return false;
    }
    const char* candidate = path + kDevicePrefixLength;
    if (!IsDeviceName(candidate)) return false;
    std::memcpy(name, candidate, std::strlen(candidate) + 1);
    return true;
}

bool DeviceSocketPathFor(const char* name, const char* runtimeDir, uid_t uid, SocketPath& path) {
    path[0] = '\0';
    if (!IsDeviceName(name)) return false;
    if (runtimeDir != nullptr && runtimeDir[0] == '/') {
        size_t dirLength = std::strlen(runtimeDir);
        // "/run/user/1000/" must not become "/run/user/1000//NAME".
        const char* separator = runtimeDir[dirLength - 1] == '/' ? "" : "/";
        return KeepIfWhole(std::snprintf(path, sizeof(path), "%s%s%s", runtimeDir, separator, name),
                           path);
    }
    return KeepIfWhole(
        std::snprintf(path, sizeof(path), "/tmp/%s-%lu", name, static_cast<unsigned long>(uid)),
        path);
}

bool DeviceSocketPath(const char* name, SocketPath& path) {
    return DeviceSocketPathFor(name, std::getenv("XDG_RUNTIME_DIR"), getuid(), path);
}

bool PeerUidAllowed(uid_t peer, uid_t own) {
    return peer == 0 || peer == own;
}

}  // namespace platform
