#include "tests/simulator/wire_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/wire/device_wire.h"
#include "simulator/station_driver.h"

namespace sim_test {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

int ConnectTo(const std::string& path, int timeoutMs) {
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            return fd;
        }
        close(fd);
        if (MsLeft(deadline) == 0) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool SendAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool ReceiveAll(int fd, uint8_t* out, size_t count, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t got = 0;
    while (got < count) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, MsLeft(deadline)) <= 0) return false;
        const ssize_t n = recv(fd, out + got, count - got, 0);
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool PeerCloses(int fd, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t sink[4096];
    for (;;) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, MsLeft(deadline)) <= 0) return false;
        const ssize_t n = recv(fd, sink, sizeof sink, 0);
        if (n == 0) return true;
        if (n < 0) return errno == ECONNRESET;
    }
}

bool PeerHangsUp(int fd, int timeoutMs) {
    pollfd p = {fd, 0, 0};  // a hang-up is reported whatever is asked for
    return poll(&p, 1, timeoutMs) == 1 && (p.revents & (POLLHUP | POLLERR)) != 0;
}

std::vector<uint8_t> RequestBytes(uint32_t controlCode, const std::vector<uint8_t>& input,
                                  uint32_t outputLength) {
    std::vector<uint8_t> bytes(wire::kHeaderSize);
    wire::RequestHeader header;
    header.controlCode = controlCode;
    header.inputLength = static_cast<uint32_t>(input.size());
    header.outputLength = outputLength;
    wire::EncodeRequestHeader(header, bytes.data());
    bytes.insert(bytes.end(), input.begin(), input.end());
    return bytes;
}

std::vector<uint8_t> SmtGetBuffer(uint32_t instance, uint32_t code, uint32_t index) {
    std::vector<uint8_t> buffer(sim::kSmtBufferSize, 0);
    wire::PutU32(buffer.data(), instance);
    wire::PutU32(buffer.data() + 4, code);
    wire::PutU32(buffer.data() + 8, 512);
    wire::PutU32(buffer.data() + 12, index);
    return buffer;
}

Reply Exchange(int fd, uint32_t controlCode, const std::vector<uint8_t>& input,
               uint32_t outputLength, int timeoutMs) {
    Reply reply;
    if (!SendAll(fd, RequestBytes(controlCode, input, outputLength))) return reply;
    uint8_t header[wire::kReplyHeaderSize];
    if (!ReceiveAll(fd, header, sizeof header, timeoutMs)) return reply;
    wire::ReplyHeader decoded;
    wire::DecodeReplyHeader(header, &decoded);
    if (!wire::ReplyFits(decoded, outputLength)) return reply;
    reply.status = decoded.status;
    reply.answer.resize(decoded.count);
    if (decoded.count > 0 && !ReceiveAll(fd, reply.answer.data(), decoded.count, timeoutMs)) {
        return reply;
    }
    reply.received = true;
    return reply;
}

}  // namespace sim_test
