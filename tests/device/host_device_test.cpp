// The host's device: a monitor without a driver of its own opens /run/NAME/NAME, and believes it
// only when root serves it. Each case runs in a child process with a mount namespace of its own
// whose /run is an empty tmpfs, so the machine's /run is never touched; root is needed for that
// and to act as other users.
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32_on_linux/win32.h"
#include "tests/device/device_call.h"

namespace {

constexpr uid_t kUser = 65534;  // the monitor's user
constexpr char kUserDir[] = "/run/monitor-user";

enum class Own { kNone, kListening, kStale };
// The host's path served by the user: allowed on the user's own path, never on the host's.
enum class Host { kNone, kRoot, kUser };

struct HostCase {
    const char* name;
    Own own;    // the user's own path
    Host host;  // who serves /run/qd4682/qd4682
    DWORD expected;
};

const HostCase kCases[] = {
    {"the host's device when the user has none", Own::kNone, Host::kRoot, ERROR_SUCCESS},
    {"the host's device past the user's stale socket", Own::kStale, Host::kRoot, ERROR_SUCCESS},
    {"the user's own driver first", Own::kListening, Host::kUser, ERROR_SUCCESS},
    {"the host's path served by a user, not root", Own::kNone, Host::kUser, ERROR_ACCESS_DENIED},
    {"no driver on either path", Own::kNone, Host::kNone, ERROR_FILE_NOT_FOUND},
};

// Listens on `path` as `uid`: a client's SO_PEERCRED is the listener's at listen(). Without
// `keep` the socket is closed at once, leaving a file that nobody listens on.
bool Listen(const char* path, uid_t uid, bool keep) {
    if (seteuid(uid) != 0) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    const bool ok = fd >= 0 &&
                    bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                    listen(fd, 4) == 0;
    if (!keep) close(fd);
    return seteuid(0) == 0 && ok;
}

// In the child: sets the case up and opens the device as the user; the exit status is the
// open's error, or 100 and up when the set-up failed.
int RunCase(const HostCase& c) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        mount("tmpfs", "/run", "tmpfs", 0, "mode=0755") != 0) {
        return 100;
    }
    umask(0);
    if (mkdir("/run/qd4682", 0755) != 0 ||
        (c.host == Host::kUser && chown("/run/qd4682", kUser, kUser) != 0) ||
        (c.host != Host::kNone &&
         !Listen("/run/qd4682/qd4682", c.host == Host::kRoot ? 0 : kUser, true))) {
        return 101;
    }
    const std::string own = std::string(kUserDir) + "/qd4682";
    if (mkdir(kUserDir, 0700) != 0 || chown(kUserDir, kUser, kUser) != 0 ||
        (c.own != Own::kNone && !Listen(own.c_str(), kUser, c.own == Own::kListening))) {
        return 102;
    }
    const pid_t client = fork();
    if (client == 0) {
        setenv("XDG_RUNTIME_DIR", kUserDir, 1);
        if (setresgid(kUser, kUser, kUser) != 0 || setresuid(kUser, kUser, kUser) != 0) _exit(103);
        HANDLE device = OpenDevice("\\\\.\\qd4682");
        if (device == INVALID_HANDLE_VALUE) _exit(static_cast<int>(GetLastError()));
        CloseHandle(device);
        _exit(0);
    }
    int status = 0;
    return waitpid(client, &status, 0) == client && WIFEXITED(status) ? WEXITSTATUS(status) : 104;
}

TEST(HostDevice, TheUsersOwnDriverFirstThenTheHostsOnlyWhenRootServesIt) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root: a mount namespace and other users";
    for (const HostCase& c : kCases) {
        const pid_t child = fork();
        if (child == 0) _exit(RunCase(c));
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child) << c.name;
        ASSERT_TRUE(WIFEXITED(status)) << c.name;
        EXPECT_EQ(static_cast<DWORD>(WEXITSTATUS(status)), c.expected) << c.name;
    }
}

}  // namespace
