#include "platform/win32_on_linux/socket_transport.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "platform/win32_on_linux/in_process_device.h"
#include "platform/wire/device_path.h"
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

// Takes the reply to the request just sent: its header into `header` and its answer into
// `answer`, which has room for `outputLength` bytes. The wait comes first, since a reply is
// never there the moment its request has gone out; then one receive usually takes the whole
// reply, header and answer at once.
struct Received {
    DWORD error = ERROR_SUCCESS;
    // More bytes came than the reply holds: whatever follows is out of step with the requests.
    bool surplus = false;
};

Received ReceiveReply(int fd, uint8_t (&header)[wire::kReplyHeaderSize], uint8_t* answer,
                      uint32_t outputLength, Deadline deadline) {
    constexpr size_t kHeaderSize = wire::kReplyHeaderSize;
    size_t received = 0;
    size_t wanted = kHeaderSize;  // the header, then the header and the answer it announces
    for (;;) {
        Wait wait = WaitFor(fd, POLLIN, deadline);
        if (wait != Wait::kReady) return {WaitError(wait)};
        // Never more than header and output length: nothing beyond the answer area is written.
        iovec parts[2];
        size_t count = 0;
        if (received < kHeaderSize) {
            parts[count++] = {header + received, kHeaderSize - received};
            if (outputLength > 0) parts[count++] = {answer, outputLength};
        } else {
            parts[count++] = {answer + (received - kHeaderSize),
                              outputLength - (received - kHeaderSize)};
        }
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = count;
        ssize_t got = recvmsg(fd, &message, MSG_DONTWAIT);
        if (got == 0) return {ERROR_DEVICE_NOT_CONNECTED};
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return {ERROR_DEVICE_NOT_CONNECTED};
        }
        const bool hadHeader = received >= kHeaderSize;
        received += static_cast<size_t>(got);
        if (!hadHeader && received >= kHeaderSize) {
            wire::ReplyHeader reply;
            wire::DecodeReplyHeader(header, &reply);
            // A malformed header: the caller judges it; how much follows it means nothing.
            if (!wire::ReplyFits(reply, outputLength)) return {};
            wanted = kHeaderSize + (reply.status == 0 ? reply.count : 0);
        }
        // A header that fits announces at most outputLength bytes, so while more is wanted the
        // answer area still has room: recvmsg is never asked for nothing.
        if (received >= wanted) return {ERROR_SUCCESS, received > wanted};
    }
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
    // Non-blocking, so that the usual connect, to a driver with room in its backlog, is one call
    // and needs no time limit set first. Requests never block on the socket either way.
    ScopedFd connection(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (connection.get() < 0) return ERROR_NOT_ENOUGH_MEMORY;
    const sockaddr* to = reinterpret_cast<const sockaddr*>(&address);
    int connected = connect(connection.get(), to, sizeof(address));
    if (connected < 0 && errno == EAGAIN) {
        // The driver's backlog is full. A blocking Unix-socket connect waits for room there; the
        // send timeout, set to what is left of the deadline before each try, bounds that wait.
        int blocking = 0;
        if (ioctl(connection.get(), FIONBIO, &blocking) != 0) return ERROR_NOT_ENOUGH_MEMORY;
        do {
            const int leftMs = RemainingMs(deadline);
            if (leftMs == 0) return ERROR_SEM_TIMEOUT;
            timeval limit{leftMs / 1000, static_cast<suseconds_t>(leftMs % 1000) * 1000};
            setsockopt(connection.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
            connected = connect(connection.get(), to, sizeof(address));
        } while (connected < 0 && errno == EINTR);
    }
    if (connected < 0 && errno != EISCONN) return ConnectError(errno);

    ucred peer{};
    socklen_t peerLength = sizeof(peer);
    if (getsockopt(connection.get(), SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) != 0 ||
        (rootOnly ? peer.uid != 0 : !PeerUidAllowed(peer.uid, ProcessUid()))) {
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
    // A connection that has carried no request yet has nothing before its first reply to be out
    // of step with: whatever the driver sends first is that reply.
    if (!request.freshConnection && !ConnectionIdle(fd)) {
        return lost(ERROR_DEVICE_NOT_CONNECTED);
    }

    Deadline deadline = DeadlineFromNow(ReplyTimeoutMs());
    uint8_t header[wire::kHeaderSize];
    wire::EncodeRequestHeader({request.controlCode, request.inputLength, request.outputLength},
                              header);
    DWORD error = SendRequest(fd, header, request.input, request.inputLength, deadline);
    if (error != ERROR_SUCCESS) return lost(error);

    uint8_t replyBytes[wire::kReplyHeaderSize];
    const Received received = ReceiveReply(fd, replyBytes, answer, request.outputLength, deadline);
    if (received.error != ERROR_SUCCESS) return lost(received.error);
    wire::ReplyHeader reply;
    wire::DecodeReplyHeader(replyBytes, &reply);
    // The answer bytes of a malformed reply are not read, so the stream is out of step for good.
    if (!wire::ReplyFits(reply, request.outputLength)) return lost(ERROR_INVALID_DATA);
    // The reply itself is whole and stands; bytes after it spoil only the requests to come.
    outcome.connectionLost = received.surplus;
    if (reply.status != 0) {
        outcome.error = reply.status;
        return outcome;
    }
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
