// Where a device lives on Linux. The device calls, the stand-in driver and the tests' fake
// drivers all derive the socket of "\\.\NAME" from these rules, so that the two ends of a
// connection can never disagree about the path.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace platform {

constexpr size_t kMaxDeviceNameLength = 64;
// The room of sockaddr_un::sun_path, terminating zero included.
constexpr size_t kSocketPathSize = 108;

using DeviceName = char[kMaxDeviceNameLength + 1];
using SocketPath = char[kSocketPathSize];

// True for 1 to 64 characters, each a letter, a digit, '_' or '-'.
bool IsDeviceName(const char* name);

// Copies NAME out of a device path "\\.\NAME". False (and `name` empty) for any other path,
// nullptr included.
bool ParseDevicePath(const char* path, DeviceName& name);

// The socket of device `name`: "<runtimeDir>/NAME" when runtimeDir is an absolute path,
// otherwise "/tmp/NAME-<uid>/NAME" (runtimeDir is the value of XDG_RUNTIME_DIR, nullptr when
// unset). False when `name` is no device name or the path would not fit a Unix socket address.
bool DeviceSocketPathFor(const char* name, const char* runtimeDir, uid_t uid, SocketPath& path);

// The same for this process: its XDG_RUNTIME_DIR and its real user id.
bool DeviceSocketPath(const char* name, SocketPath& path);

// The host's device: a driver run by the system serves NAME at "/run/NAME/NAME", in a directory
// of root's that others may enter but not change. A client whose own path has no driver opens
// this one, and only a server running as root is believed there.
constexpr char kSystemDeviceDirectory[] = "/run";
bool SystemDeviceSocketPath(const char* name, SocketPath& path);

// Without a runtime directory the socket lives in a directory of its own in the shared /tmp,
// where anybody may have put something first. That directory is trusted only when lstat shows
// a real directory (not a symlink) owned by `uid` that nobody else may enter or change.
enum class Place {
    kSafe,
    kAbsent,  // nothing there yet: no driver
    kUnsafe,  // something is there that we must not use
};
Place CheckPrivateDirectory(const char* directory, uid_t uid);

// Where a client of this process finds the socket of device `name`: kSafe with `path` set,
// kAbsent when there is no driver (or no usable path), kUnsafe when the fallback directory
// fails its check or the socket in it is a symlink, which is never followed. In the runtime
// directory the socket is not looked at: kSafe, and the connect tells whether a driver is there.
Place FindDeviceSocket(const char* name, SocketPath& path);

// The same for the driver of device `name`, which first makes the fallback directory with mode
// 0700 when there is none. kSafe with `path` set, otherwise kUnsafe (the directory fails its
// check, errno 0, or cannot be made, errno says why) or kAbsent (no usable path).
Place PrepareDeviceSocket(const char* name, SocketPath& path);

// Removes the fallback directory of device `name` once the driver has removed its socket;
// a directory that still holds anything, or a runtime directory, stays.
void RemoveDeviceSocketDirectory(const char* name);

// The real user id of this process, asked of the system once.
uid_t ProcessUid();

// Whether we talk to a driver whose process runs as `peer`. Only root and our own user may
// serve our devices: anyone else could have put a socket in a shared /tmp to feed us answers.
bool PeerUidAllowed(uid_t peer, uid_t own);

}  // namespace platform
