#include "tests/support/scripted_socket_driver.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/wire/device_path.h"
#include "platform/wire/device_wire.h"

namespace test_support {
namespace {

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    int get() const { return fd_; }
    void Reset() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Binds a fresh socket to the path of device `name`, replacing whatever file is there.
Fd BindDeviceSocket(const char* name, std::string* path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (platform::PrepareDeviceSocket(name, address.sun_path) != platform::Place::kSafe) {
        throw std::runtime_error(std::string("no safe socket path for device name '") + name + "'");
    }
    *path = address.sun_path;
    unlink(address.sun_path);
    Fd socketFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socketFd.get() < 0) ThrowErrno("socket");
    if (bind(socketFd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ThrowErrno("bind " + *path);
    }
    return socketFd;
}

std::vector<uint8_t> ReplyBytes(uint32_t status, const uint8_t* answer, uint32_t count) {
    std::vector<uint8_t> bytes(wire::kReplyHeaderSize + count);
    wire::EncodeReplyHeader({status, count}, bytes.data());
    if (count > 0) std::memcpy(bytes.data() + wire::kReplyHeaderSize, answer, count);
    return bytes;
}

}  // namespace

class ScriptedSocketDriver::Server {
  public:
    Server(const char* name, wire::DeviceHandler* handler) : name_(name), handler_(handler) {
        if (handler == nullptr) throw std::invalid_argument("ScriptedSocketDriver needs a handler");
        listenFd_ = BindDeviceSocket(name, &path_);
        if (listen(listenFd_.get(), SOMAXCONN) != 0) ThrowErrno("listen " + path_);
        wakeFd_ = Fd(eventfd(0, EFD_CLOEXEC));
        if (wakeFd_.get() < 0) ThrowErrno("eventfd");
        thread_ = std::thread([this] { Run(); });
    }

    ~Server() {
        uint64_t one = 1;
        // The event stays readable, so every wait of the thread sees it until it is gone.
        while (write(wakeFd_.get(), &one, sizeof(one)) < 0 && errno == EINTR) {
        }
        thread_.join();
        unlink(path_.c_str());
        platform::RemoveDeviceSocketDirectory(name_.c_str());
    }

    void InjectFault(DriverFault fault, int requests, uint32_t status) {
        std::lock_guard<std::mutex> lock(faultMutex_);
        for (int i = 0; i < requests; ++i)
            faults_.push_back({true, fault, status});
    }

    std::atomic<int> accepted{0};
    std::atomic<int> received{0};
    std::atomic<int> answered{0};
    std::atomic<uint64_t> bytesReceived{0};
    const std::string& Path() const { return path_; }

  private:
    struct Connection {
        Fd fd;
        std::vector<uint8_t> pending;
        bool stalled = false;
        bool open = true;
    };

    struct Planned {
        bool faulty = false;
        DriverFault fault = DriverFault::kStall;
        uint32_t status = 0;
    };

    void Run() {
        std::vector<pollfd> waits;
        while (!stopping_) {
            waits.clear();
            waits.push_back({wakeFd_.get(), POLLIN, 0});
            waits.push_back({listenFd_.get(), POLLIN, 0});
            for (const Connection& connection : connections_) {
                waits.push_back({connection.fd.get(), POLLIN, 0});
            }
            if (poll(waits.data(), waits.size(), -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (waits[0].revents != 0) return;
            for (size_t i = 0; i < connections_.size() && !stopping_; ++i) {
                if (waits[i + 2].revents != 0) connections_[i].open = ReadAndServe(connections_[i]);
            }
            connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                              [](const Connection& c) { return !c.open; }),
                               connections_.end());
            if (waits[1].revents != 0) AcceptAll();
        }
    }

    void AcceptAll() {
        for (;;) {
            int fd = accept4(listenFd_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) return;
            connections_.push_back(Connection{Fd(fd), {}, false, true});
            ++accepted;
        }
    }

    // Reads what arrived and answers every whole request. False when the connection ends.
    bool ReadAndServe(Connection& connection) {
        uint8_t chunk[16384];
        ssize_t got = recv(connection.fd.get(), chunk, sizeof(chunk), 0);
        if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        if (got == 0) return false;
        bytesReceived += static_cast<uint64_t>(got);
        connection.pending.insert(connection.pending.end(), chunk, chunk + got);
        while (connection.pending.size() >= wire::kHeaderSize) {
            wire::RequestHeader request;
            // A client that sends lengths out of range is out of step; like a driver would, hang
            // up.
            if (!wire::DecodeRequestHeader(connection.pending.data(), &request)) return false;
            size_t whole = wire::kHeaderSize + request.inputLength;
            if (connection.pending.size() < whole) break;
            std::vector<uint8_t> input(connection.pending.begin() + wire::kHeaderSize,
                                       connection.pending.begin() + whole);
            connection.pending.erase(connection.pending.begin(),
                                     connection.pending.begin() + whole);
            ++received;
            if (connection.stalled) continue;
            if (!Answer(connection, request, input)) return false;
        }
        return true;
    }

    Planned TakeFault() {
        std::lock_guard<std::mutex> lock(faultMutex_);
        if (faults_.empty()) return {};
        Planned next = faults_.front();
        faults_.pop_front();
        return next;
    }

    // Replies to one request; false when the connection is to be closed.
    bool Answer(Connection& connection, const wire::RequestHeader& request,
                std::vector<uint8_t>& input) {
        Planned plan = TakeFault();
        if (plan.faulty && plan.fault == DriverFault::kStall) {
            connection.stalled = true;
            return true;
        }
        if (plan.faulty && plan.fault == DriverFault::kErrorStatus) {
            return Send(connection, ReplyBytes(plan.status, nullptr, 0));
        }
        std::vector<uint8_t> output(request.outputLength);
        uint32_t answerLength = 0;
        uint32_t status = handler_->Serve(request.controlCode, input.data(), request.inputLength,
                                          output.data(), request.outputLength, &answerLength);
        if (status == 0 && answerLength > request.outputLength) {
            std::vector<uint8_t> header = ReplyBytes(0, nullptr, 0);
            wire::PutU32(header.data() + 4, answerLength);
            Send(connection, header);
            return false;
        }
        if (status != 0) answerLength = 0;
        std::vector<uint8_t> reply = ReplyBytes(status, output.data(), answerLength);
        if (!plan.faulty) {
            ++answered;
            return Send(connection, reply);
        }
        switch (plan.fault) {
            case DriverFault::kCloseMidReply:
                reply.resize(4);
                Send(connection, reply);
                return false;
            case DriverFault::kShortReply:
                reply.pop_back();
                Send(connection, reply);
                return false;
            case DriverFault::kCountAboveOutput: {
                uint32_t count = request.outputLength + 1;
                output.push_back(0xA5);
                return Send(connection, ReplyBytes(0, output.data(), count));
            }
            case DriverFault::kTrailingBytes:
                ++answered;
                reply.insert(reply.end(), {0xEE, 0xEE, 0xEE});
                return Send(connection, reply);
            case DriverFault::kReplyInPieces:
                ++answered;
                for (uint8_t byte : reply) {
                    if (!Send(connection, {byte})) return false;
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
                return true;
            default:
                return false;
        }
    }

    // Sends all of `reply`. False when the client is gone or the driver shuts down meanwhile.
    bool Send(Connection& connection, const std::vector<uint8_t>& reply) {
        size_t sent = 0;
        while (sent < reply.size()) {
            ssize_t n =
                send(connection.fd.get(), reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
            // The client is not reading; wait for room, but never past the driver's shutdown.
            pollfd waits[2] = {{wakeFd_.get(), POLLIN, 0}, {connection.fd.get(), POLLOUT, 0}};
            if (poll(waits, 2, -1) < 0 && errno != EINTR) return false;
            if (waits[0].revents != 0) {
                stopping_ = true;
                return false;
            }
        }
        return true;
    }

    std::string name_;
    wire::DeviceHandler* handler_;
    std::string path_;
    Fd listenFd_;
    Fd wakeFd_;
    std::vector<Connection> connections_;  // the thread's alone
    bool stopping_ = false;                // the thread's alone
    std::mutex faultMutex_;
    std::deque<Planned> faults_;
    std::thread thread_;
};

ScriptedSocketDriver::ScriptedSocketDriver(const char* name, wire::DeviceHandler* handler)
    : server_(std::make_unique<Server>(name, handler)) {}

ScriptedSocketDriver::~ScriptedSocketDriver() = default;

void ScriptedSocketDriver::InjectFault(DriverFault fault, int requests, uint32_t status) {
    server_->InjectFault(fault, requests, status);
}

int ScriptedSocketDriver::ConnectionsAccepted() const {
    return server_->accepted;
}
int ScriptedSocketDriver::RequestsReceived() const {
    return server_->received;
}
int ScriptedSocketDriver::RequestsAnswered() const {
    return server_->answered;
}
uint64_t ScriptedSocketDriver::BytesReceived() const {
    return server_->bytesReceived;
}
const std::string& ScriptedSocketDriver::SocketPath() const {
    return server_->Path();
}

std::string LeaveStaleSocket(const char* name) {
    std::string path;
    BindDeviceSocket(name, &path);
    return path;
}

}  // namespace test_support
