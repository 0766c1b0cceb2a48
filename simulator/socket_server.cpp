#include "simulator/socket_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {
namespace {

constexpr uint32_t kErrorGenFailure = 0x1F;
// Room for many clients arriving at once while the server makes room for them.
constexpr int kListenBacklog = 128;
// Poll at least this often, so a stop request is never missed for long.
constexpr int kLongestPollMs = 1000;
constexpr uint64_t kAcceptPauseMs = 100;
// With every connection in use, how long a connection must have waited on its client before a
// new client may take its place (time enough for a fresh client's request to arrive), and how
// long new clients wait in the backlog when none has.
constexpr uint64_t kWaitBeforeReplacedMs = 10;
constexpr uint64_t kFullPauseMs = 2;
// A descriptor shortage not seen again for this long is over.
constexpr uint64_t kShortageOverAfterMs = 10000;

bool FillAddress(const std::string& path, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path) return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

enum class Probe { kNothing, kLive, kStale, kNotASocket, kError };

// What is at `path`: nothing, a live server, a socket nobody listens on, something else.
Probe ProbePath(const std::string& path, const sockaddr_un& address, std::string* error) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return Probe::kNothing;
        *error = std::strerror(errno);
        return Probe::kError;
    }
    if (!S_ISSOCK(st.st_mode)) return Probe::kNotASocket;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::strerror(errno);
        return Probe::kError;
    }
    const int rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int connectError = errno;
    close(fd);
    // A full backlog (EAGAIN) still means somebody is listening.
    if (rc == 0 || connectError == EAGAIN || connectError == EINPROGRESS) return Probe::kLive;
    if (connectError == ECONNREFUSED) return Probe::kStale;
    *error = std::strerror(connectError);
    return Probe::kError;
}

}  // namespace

SocketServer::SocketServer(wire::DeviceHandler& handler, platform::Clock& clock, FILE* log,
                           ServerLimits limits)
    : handler_(handler), clock_(clock), log_(log), limits_(limits) {
    if (limits_.maxConnections < 1) limits_.maxConnections = 1;
    connections_.resize(limits_.maxConnections);
    for (Connection& c : connections_) {
        c.request.resize(wire::kHeaderSize + wire::kMaxLength);
        c.reply.resize(wire::kReplyHeaderSize + wire::kMaxLength);
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) == 0) {
        wakeRead_ = pipeFds[0];
        wakeWrite_ = pipeFds[1];
    }
}

SocketServer::~SocketServer() {
    Close();
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
}

StartResult SocketServer::Start(const std::string& path, std::string* message, mode_t mode) {
    sockaddr_un address;
    if (!FillAddress(path, &address)) {
        *message = "socket path too long: " + path;
        return StartResult::kFailed;
    }
    if (wakeRead_ < 0) {
        *message = "cannot serve " + path + ": no pipe: " + std::strerror(errno);
        return StartResult::kFailed;
    }
    std::string error;
    switch (ProbePath(path, address, &error)) {
        case Probe::kLive:
            *message = "another driver already serves " + path;
            return StartResult::kAlreadyServed;
        case Probe::kNotASocket:
            *message = path + " exists and is not a socket; not touching it";
            return StartResult::kFailed;
        case Probe::kError:
            *message = "cannot check " + path + ": " + error;
            return StartResult::kFailed;
        case Probe::kStale:
            // Left by a server that died without cleaning up.
            if (unlink(path.c_str()) != 0 && errno != ENOENT) {
                *message = "cannot remove the stale socket " + path + ": " + std::strerror(errno);
                return StartResult::kFailed;
            }
            if (log_ != nullptr)
                std::fprintf(log_, "qd4682sim: removed stale socket %s\n", path.c_str());
            break;
        case Probe::kNothing:
            break;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *message = "cannot serve " + path + ": no socket: " + std::strerror(errno);
        return StartResult::kFailed;
    }
    // The socket file is born with mode 0600, so nobody else can connect even for a moment; the
    // host's device opens up to `mode` after that.
    const mode_t oldMask = umask(0177);
    const int rc = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int bindError = errno;
    umask(oldMask);
    if (rc != 0) {
        close(fd);
        if (bindError == EADDRINUSE) {
            *message = "another driver already serves " + path;
            return StartResult::kAlreadyServed;
        }
        *message = "cannot bind " + path + ": " + std::strerror(bindError);
        return StartResult::kFailed;
    }
    struct stat st;
    if (chmod(path.c_str(), mode) != 0 || lstat(path.c_str(), &st) != 0 ||
        listen(fd, kListenBacklog) != 0) {
        *message = "cannot listen on " + path + ": " + std::strerror(errno);
        close(fd);
        unlink(path.c_str());
        return StartResult::kFailed;
    }
    listenFd_ = fd;
    path_ = path;
    socketDevice_ = st.st_dev;
    socketInode_ = st.st_ino;
    return StartResult::kServing;
}

void SocketServer::Close() {
    for (Connection& c : connections_) {
        if (c.fd >= 0) close(c.fd);
        c.fd = -1;
    }
    RemoveSocket();
}

// Removes the socket file only if it is still the one this server made.
void SocketServer::RemoveSocket() {
    if (listenFd_ < 0) return;
    close(listenFd_);
    listenFd_ = -1;
    struct stat st;
    if (lstat(path_.c_str(), &st) == 0 && st.st_dev == socketDevice_ && st.st_ino == socketInode_) {
        unlink(path_.c_str());
    }
}

void SocketServer::RequestStop() {
    if (wakeWrite_ < 0) return;
    const char byte = 1;
    const ssize_t written = write(wakeWrite_, &byte, 1);
    (void)written;  // a full pipe already holds a stop request
}

void SocketServer::Run() {
    // Slot 0 the stop pipe, slot 1 the listening socket, then one per connection.
    std::vector<pollfd> fds(2 + connections_.size());
    std::vector<Connection*> owners(fds.size(), nullptr);
    for (;;) {
        size_t count = 0;
        fds[count++] = {wakeRead_, POLLIN, 0};
        const bool accepting = clock_.NowMs() >= acceptPausedUntilMs_;
        fds[count++] = {listenFd_, static_cast<short>(accepting ? POLLIN : 0), 0};
        for (Connection& c : connections_) {
            if (c.fd < 0) continue;
            owners[count] = &c;
            fds[count++] = {c.fd, static_cast<short>(c.replying ? POLLOUT : POLLIN), 0};
        }
        if (poll(fds.data(), count, PollTimeoutMs()) < 0) {
            if (errno == EINTR) continue;
            if (log_ != nullptr) std::fprintf(log_, "qd4682sim: poll: %s\n", std::strerror(errno));
            return;
        }
        if (fds[0].revents != 0) {
            char drained[16];
            while (read(wakeRead_, drained, sizeof drained) > 0) {
            }
            return;
        }
        for (size_t i = 2; i < count; ++i) {
            Connection& c = *owners[i];
            const short revents = fds[i].revents;
            if (revents == 0 || c.fd < 0) continue;
            if (!c.replying) {
                ReadRequest(c);
            } else if (revents & POLLOUT) {
                SendReply(c);
            } else {
                Close(c, "the client went away before taking its reply");
            }
        }
        if (fds[1].revents & POLLIN) AcceptClients();
        CloseStalled();
        RunIdleTask();
    }
}

void SocketServer::RunIdleTask() {
    const uint64_t now = clock_.NowMs();
    if (!idleTask_ || now - lastIdleTaskMs_ < kLongestPollMs) return;
    lastIdleTaskMs_ = now;
    idleTask_();
}

void SocketServer::AcceptClients() {
    for (;;) {
        Connection* slot = ConnectionForNewClient();
        if (slot == nullptr) {
            // Every connection was only just made or served: the newcomer waits in the backlog
            // for a moment rather than cut off a client that is about to be answered.
            acceptPausedUntilMs_ = clock_.NowMs() + kFullPauseMs;
            return;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            Admit(*slot, fd);
            continue;
        }
        const int error = errno;
        if (error == EINTR || error == ECONNABORTED) continue;
        if (error == EAGAIN || error == EWOULDBLOCK) return;
        uint64_t pauseMs = kAcceptPauseMs;
        if (error == EMFILE || error == ENFILE) {
            NoteDescriptorShortage(error);
            Connection* victim = LongestWaiting();
            if (victim != nullptr) {
                Close(*victim, "out of descriptors; this one waited longest");
                continue;
            }
            // Connections only just made: one of them may give way in a moment.
            if (OpenConnections() > 0) pauseMs = kWaitBeforeReplacedMs;
        }
        // The waiting client stays in the backlog; try again a little later rather than spin on
        // a listening socket that stays readable.
        acceptPausedUntilMs_ = clock_.NowMs() + pauseMs;
        if (log_ != nullptr && error != EMFILE && error != ENFILE) {
            std::fprintf(log_, "qd4682sim: accept: %s\n", std::strerror(error));
        }
        return;
    }
}

size_t SocketServer::OpenConnections() const {
    size_t open = 0;
    for (const Connection& c : connections_)
        open += c.fd >= 0 ? 1 : 0;
    return open;
}

// Running out of descriptors is worth a line even when the server is not verbose, but only one
// for each episode, however long it lasts: a shortage that comes back before a quiet while has
// passed is the same one.
void SocketServer::NoteDescriptorShortage(int error) {
    const uint64_t now = clock_.NowMs();
    const bool newEpisode = !outOfDescriptors_ || now - lastShortageMs_ >= kShortageOverAfterMs;
    outOfDescriptors_ = true;
    lastShortageMs_ = now;
    if (!newEpisode) return;
    std::fprintf(stderr,
                 "qd4682sim: accept: %s; closing the connections that waited longest to make "
                 "room\n",
                 std::strerror(error));
}

// A free connection; when there is none, clients that hung up or sent more since the last poll
// are dealt with first, and then the connection that has waited on its client longest gives way.
// nullptr when no connection qualifies.
SocketServer::Connection* SocketServer::ConnectionForNewClient() {
    for (Connection& c : connections_) {
        if (c.fd < 0) return &c;
    }
    for (Connection& c : connections_) {
        if (c.replying) continue;
        pollfd pending{c.fd, POLLIN, 0};
        if (poll(&pending, 1, 0) > 0) {
            ReadRequest(c);
            if (c.fd < 0) return &c;
        }
    }
    Connection* victim = LongestWaiting();
    if (victim == nullptr) return nullptr;
    Close(*victim, victim->replying          ? "too many clients; this one does not take its reply"
                   : victim->requestFill > 0 ? "too many clients; this one is slowest to send"
                                             : "too many clients; this one was idle longest");
    return victim;
}

// The connection that has waited on its client longest, idle or in the middle of a request or
// reply, provided it has waited long enough for a fresh client to have sent its request.
SocketServer::Connection* SocketServer::LongestWaiting() {
    const uint64_t now = clock_.NowMs();
    Connection* longest = nullptr;
    for (Connection& c : connections_) {
        if (c.fd < 0 || now - c.waitingSinceMs < kWaitBeforeReplacedMs) continue;
        if (longest == nullptr || c.waitingSerial < longest->waitingSerial) longest = &c;
    }
    return longest;
}

void SocketServer::Admit(Connection& slot, int fd) {
    slot.fd = fd;
    slot.replying = false;
    slot.headerRead = false;
    slot.requestFill = 0;
    StartWaiting(slot, false);
}

void SocketServer::StartWaiting(Connection& c, bool withDeadline) {
    c.waitingSinceMs = clock_.NowMs();
    c.waitingSerial = ++waitingSerial_;
    c.deadlineMs = withDeadline ? c.waitingSinceMs + limits_.stallTimeoutMs : 0;
}

void SocketServer::ReadRequest(Connection& c) {
    for (;;) {
        const size_t wanted =
            wire::kHeaderSize + (c.headerRead ? c.header.inputLength : 0) - c.requestFill;
        if (wanted == 0) break;
        const ssize_t n = recv(c.fd, c.request.data() + c.requestFill, wanted, 0);
        if (n == 0) {
            Close(c,
                  c.requestFill > 0 ? "the client went away in the middle of a request" : nullptr);
            return;
        }
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
            Close(c, "receive failed");
            return;
        }
        // The time limit runs from the first byte and is not renewed by those that follow.
        if (c.requestFill == 0) StartWaiting(c, true);
        c.requestFill += static_cast<size_t>(n);
        if (!c.headerRead && c.requestFill == wire::kHeaderSize) {
            if (!wire::DecodeRequestHeader(c.request.data(), &c.header)) {
                Close(c, "a request length above 65536");
                return;
            }
            c.headerRead = true;
        }
    }
    ServeRequest(c);
}

void SocketServer::ServeRequest(Connection& c) {
    uint32_t count = 0;
    wire::ReplyHeader reply;
    reply.status = handler_.Serve(c.header.controlCode, c.request.data() + wire::kHeaderSize,
                                  c.header.inputLength, c.reply.data() + wire::kReplyHeaderSize,
                                  c.header.outputLength, &count);
    if (reply.status == 0 && count > c.header.outputLength) reply.status = kErrorGenFailure;
    reply.count = reply.status == 0 ? count : 0;
    wire::EncodeReplyHeader(reply, c.reply.data());
    c.replySize = wire::kReplyHeaderSize + reply.count;
    c.replySent = 0;
    c.replying = true;
    c.headerRead = false;
    c.requestFill = 0;
    StartWaiting(c, true);
    SendReply(c);
}

void SocketServer::SendReply(Connection& c) {
    while (c.replySent < c.replySize) {
        const ssize_t n = send(c.fd, c.reply.data() + c.replySent, c.replySize - c.replySent,
                               MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
            Close(c, "send failed");
            return;
        }
        c.replySent += static_cast<size_t>(n);
    }
    c.replying = false;
    StartWaiting(c, false);
}

void SocketServer::CloseStalled() {
    const uint64_t now = clock_.NowMs();
    for (Connection& c : connections_) {
        if (c.fd >= 0 && Busy(c) && now >= c.deadlineMs) {
            Close(c, c.replying ? "the client does not take its reply" : "a half-sent request");
        }
    }
}

int SocketServer::PollTimeoutMs() const {
    const uint64_t now = clock_.NowMs();
    uint64_t timeout = kLongestPollMs;
    if (acceptPausedUntilMs_ > now && acceptPausedUntilMs_ - now < timeout) {
        timeout = acceptPausedUntilMs_ - now;
    }
    for (const Connection& c : connections_) {
        if (c.fd < 0 || !Busy(c)) continue;
        const uint64_t left = c.deadlineMs > now ? c.deadlineMs - now : 0;
        if (left < timeout) timeout = left;
    }
    return static_cast<int>(timeout);
}

void SocketServer::Close(Connection& c, const char* why) {
    if (why != nullptr && log_ != nullptr) {
        std::fprintf(log_, "qd4682sim: closed a connection: %s\n", why);
    }
    close(c.fd);
    c.fd = -1;
    c.replying = false;
    c.headerRead = false;
    c.requestFill = 0;
}

}  // namespace sim
