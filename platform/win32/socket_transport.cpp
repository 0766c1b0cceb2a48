#include "platform/win32/socket_transport.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "platform/win32/device_path.h"
#include "platform/win32/in_process_device.h"
#include "platform/wire/device_wire.h"

namespace platform {
namespace device {
namespace {

std::atomic<int> openTimeoutMs{kDefaultOpenTimeoutMs};
std::atomic<int> replyTimeoutMs{kDefaultReplyTimeoutMs};

// The time limits are real time even when a test runs the programs on a virtual clock: a driver
// that does not answer keeps the caller waiting for real.
using MonotonicClock = std::chrono::steady_clock;
using Deadline = MonotonicClock::time_point;

Deadline DeadlineFromNow(int limitMs) {
    return MonotonicClock::now() + std::chrono::milliseconds(limitMs);
}

// Milliseconds to the deadline, rounded up so that a wait never ends before it; 0 once past.
int RemainingMs(Deadline deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - MonotonicClock::now());
    if (left.count() <= 0) return 0;
    return left.count() > INT_MAX ? INT_MAX : static_cast<int>(left.count());
}

enum class Wait { kReady, kTimedOut, kFailed };

// Waits until `fd` reports `events` (or a hang-up or error, which the next send or receive
// then reports) or the deadline passes.
Wait WaitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        int left = RemainingMs(deadline);
        pollfd entry{fd, events, 0};
        int ready = poll(&entry, 1, left);
        if (ready > 0) return Wait::kReady;
        if (ready == 0) {
            if (left == 0) return Wait::kTimedOut;
            continue;
        }
        if (errno != EINTR) return Wait::kFailed;
    }
}

DWORD WaitError(Wait wait) {
    return wait == Wait::kTimedOut ? ERROR_SEM_TIMEOUT : ERROR_DEVICE_NOT_CONNECTED;
}

// Sends the request header and the input as one stream. MSG_NOSIGNAL: a driver that went away
// must show as an error code, not kill the monitor with SIGPIPE.
DWORD SendRequest(int fd, const uint8_t (&header)[wire::kHeaderSize], const uint8_t* input,
                  uint32_t inputLength, Deadline deadline) {
    iovec parts[2] = {{const_cast<uint8_t*>(header), wire::kHeaderSize},
                      {const_cast<uint8_t*>(input), inputLength}};
    size_t first = 0;
    while (first < 2) {
        msghdr message{};
        message.msg_iov = parts + first;
        message.msg_iovlen = 2 - first;
        ssize_t sent = sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return ERROR_DEVICE_NOT_CONNECTED;
            Wait wait = WaitFor(fd, POLLOUT, deadline);
            if (wait != Wait::kReady) return WaitError(wait);
            continue;
        }
        size_t left = static_cast<size_t>(sent);
        while (first < 2 && left >= parts[first].iov_len) {
            left -= parts[first].iov_len;
            ++first;
        }
        if (first < 2) {
            parts[first].iov_base = static_cast<uint8_t*>(parts[first].iov_base) + left;
            parts[first].iov_len -= left;
        }
    }
    return ERROR_SUCCESS;
}

DWORD ReceiveExactly(int fd, uint8_t* to, size_t length, Deadline deadline) {
    size_t received = 0;
    while (received < length) {
        ssize_t got = recv(fd, to + received, length - received, MSG_DONTWAIT);
        if (got > 0) {
            received += static_cast<size_t>(got);
            continue;
        }
        if (got == 0) return ERROR_DEVICE_NOT_CONNECTED;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return ERROR_DEVICE_NOT_CONNECTED;
        Wait wait = WaitFor(fd, POLLIN, deadline);
        if (wait != Wait::kReady) return WaitError(wait);
    }
    return ERROR_SUCCESS;
}

// Between requests a driver has nothing to say. Anything readable now is either its hang-up or
// bytes nobody asked for, and both mean the next reply could not be trusted.
bool ConnectionIdle(int fd) {
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready == 0;
}

// Closes the descriptor it holds unless released: every early return of a failed open closes
// the socket.
class ScopedFd {
  public:
    explicit ScopedFd(int fd) : fd_(fd) {}
    ~ScopedFd() {
        if (fd_ >= 0) close(fd_);
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

DWORD ConnectError(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case EAGAIN:  // the driver's queue of connections stayed full for the whole time limit
        case ETIMEDOUT:
            return ERROR_SEM_TIMEOUT;
        default:  // ENOENT, ECONNREFUSED, ENOTDIR, ...: no driver there
            return ERROR_FILE_NOT_FOUND;
    }
}

}  // namespace

int OpenTimeoutMs() {
    return openTimeoutMs.load();
}

int ReplyTimeoutMs() {
    return replyTimeoutMs.load();
}

namespace {

// Connects to the socket at `address` and checks who serves it: only root when `rootOnly`,
// otherwise root or this process's own user.
DWORD ConnectTo(const sockaddr_un& address, Deadline deadline, bool rootOnly, int* fd) {
    ScopedFd connection(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (connection.get() < 0) return ERROR_NOT_ENOUGH_MEMORY;

    // A Unix-socket connect waits while the driver's backlog is full; the send timeout, set to
    // what is left of the deadline before each try, bounds that wait. Requests themselves never
    // block on the socket, so it does no harm later.
    int connected;
    do {
        const int leftMs = RemainingMs(deadline);
        if (leftMs == 0) return ERROR_SEM_TIMEOUT;
        timeval limit{leftMs / 1000, static_cast<suseconds_t>(leftMs % 1000) * 1000};
        setsockopt(connection.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
        connected =
            connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (connected < 0 && errno == EINTR);
    if (connected < 0 && errno != EISCONN) return ConnectError(errno);

    ucred peer{};
    socklen_t peerLength = sizeof(peer);
    if (getsockopt(connection.get(), SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) != 0 ||
        (rootOnly ? peer.uid != 0 : !PeerUidAllowed(peer.uid, getuid()))) {
        return ERROR_ACCESS_DENIED;
    }
    *fd = connection.release();
    return ERROR_SUCCESS;
}

}  // namespace

DWORD ConnectDevice(const char* name, int* fd) {
    // One deadline for the whole open, both paths included: a signal that interrupts the
    // connect (a window being resized, a timer) must not grant it a fresh time limit.
    const Deadline deadline = DeadlineFromNow(OpenTimeoutMs());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    static_assert(sizeof(address.sun_path) == kSocketPathSize, "socket path room");
    switch (FindDeviceSocket(name, address.sun_path)) {
        case Place::kSafe: {
            // The user's own driver goes first, so a private stand-in wins over the host's.
            const DWORD error = ConnectTo(address, deadline, false, fd);
            if (error != ERROR_FILE_NOT_FOUND) return error;
            break;
        }
        case Place::kAbsent:  // also a path too long for a socket address: no driver there
            break;
        case Place::kUnsafe:
            return ERROR_ACCESS_DENIED;
    }
    // Nobody serves the user: the host's device, which only root may serve.
    if (!SystemDeviceSocketPath(name, address.sun_path)) return ERROR_FILE_NOT_FOUND;
    return ConnectTo(address, deadline, true, fd);
}

SocketOutcome ExchangeOnSocket(int fd, const SocketRequest& request, uint8_t* answer) {
    SocketOutcome outcome;
    auto lost = [&outcome](DWORD error) {
        outcome.error = error;
        outcome.connectionLost = true;
        return outcome;
    };
    if (!ConnectionIdle(fd)) return lost(ERROR_DEVICE_NOT_CONNECTED);

    Deadline deadline = DeadlineFromNow(ReplyTimeoutMs());
    uint8_t header[wire::kHeaderSize];
    wire::EncodeRequestHeader({request.controlCode, request.inputLength, request.outputLength},
                              header);
    DWORD error = SendRequest(fd, header, request.input, request.inputLength, deadline);
    if (error != ERROR_SUCCESS) return lost(error);

    uint8_t replyBytes[wire::kReplyHeaderSize];
    error = ReceiveExactly(fd, replyBytes, sizeof(replyBytes), deadline);
    if (error != ERROR_SUCCESS) return lost(error);
    wire::ReplyHeader reply;
    wire::DecodeReplyHeader(replyBytes, &reply);
    // The answer bytes of a malformed reply are not read, so the stream is out of step for good.
    if (!wire::ReplyFits(reply, request.outputLength)) return lost(ERROR_INVALID_DATA);
    if (reply.status != 0) {
        outcome.error = reply.status;
        return outcome;
    }
    error = ReceiveExactly(fd, answer, reply.count, deadline);
    if (error != ERROR_SUCCESS) return lost(error);
    outcome.count = reply.count;
    return outcome;
}

}  // namespace device

void SetOpenTimeoutMs(int ms) {
    device::openTimeoutMs.store(ms < 0 ? 0 : ms);
}

void SetReplyTimeoutMs(int ms) {
    device::replyTimeoutMs.store(ms < 0 ? 0 : ms);
}

}  // namespace platform
