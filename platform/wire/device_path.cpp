#include "platform/wire/device_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
    return KeepIfWhole(std::snprintf(path, sizeof(path), "/tmp/%s-%lu/%s", name,
                                     static_cast<unsigned long>(uid), name),
                       path);
}

bool DeviceSocketPath(const char* name, SocketPath& path) {
    return DeviceSocketPathFor(name, std::getenv("XDG_RUNTIME_DIR"), ProcessUid(), path);
}

bool SystemDeviceSocketPath(const char* name, SocketPath& path) {
    path[0] = '\0';
    if (!IsDeviceName(name)) return false;
    return KeepIfWhole(
        std::snprintf(path, sizeof(path), "%s/%s/%s", kSystemDeviceDirectory, name, name), path);
}

Place CheckPrivateDirectory(const char* directory, uid_t uid) {
    struct stat st;
    if (lstat(directory, &st) != 0) return errno == ENOENT ? Place::kAbsent : Place::kUnsafe;
    if (!S_ISDIR(st.st_mode) || st.st_uid != uid || (st.st_mode & 077) != 0) return Place::kUnsafe;
    return Place::kSafe;
}

namespace {

// The fallback directory of the socket at `path`: everything before its last '/'. False when
// the process has a runtime directory, which is its own and needs no check.
bool FallbackDirectory(const SocketPath& path, SocketPath& directory) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] == '/') return false;
    const char* lastSlash = std::strrchr(path, '/');
    const size_t length = static_cast<size_t>(lastSlash - path);
    std::memcpy(directory, path, length);
    directory[length] = '\0';
    return true;
}

}  // namespace

Place FindDeviceSocket(const char* name, SocketPath& path) {
    if (!DeviceSocketPath(name, path)) return Place::kAbsent;
    SocketPath directory;
    // The runtime directory is the user's own and nobody else can put anything in it; what
    // serves there is checked after connecting, like any driver. Only the shared /tmp is looked
    // at first. A missing socket shows as the connect's ENOENT then.
    if (!FallbackDirectory(path, directory)) return Place::kSafe;
    const Place place = CheckPrivateDirectory(directory, ProcessUid());
    if (place != Place::kSafe) return place;
    struct stat st;
    if (lstat(path, &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? Place::kAbsent : Place::kUnsafe;
    }
    return S_ISLNK(st.st_mode) ? Place::kUnsafe : Place::kSafe;
}

Place PrepareDeviceSocket(const char* name, SocketPath& path) {
    if (!DeviceSocketPath(name, path)) return Place::kAbsent;
    SocketPath directory;
    if (!FallbackDirectory(path, directory)) return Place::kSafe;
    if (mkdir(directory, 0700) != 0 && errno != EEXIST) return Place::kUnsafe;
    errno = 0;  // from here on a refusal is the check's, not a failed call's
    return CheckPrivateDirectory(directory, ProcessUid()) == Place::kSafe ? Place::kSafe
                                                                          : Place::kUnsafe;
}

void RemoveDeviceSocketDirectory(const char* name) {
    SocketPath path, directory;
    if (DeviceSocketPath(name, path) && FallbackDirectory(path, directory)) rmdir(directory);
}

uid_t ProcessUid() {
    // The monitors never change their user, so one getuid serves every open.
    static const uid_t uid = getuid();
    return uid;
}

bool PeerUidAllowed(uid_t peer, uid_t own) {
    return peer == 0 || peer == own;
}

}  // namespace platform
