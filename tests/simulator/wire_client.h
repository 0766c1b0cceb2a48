// A raw client of the device socket for the server tests: plain sockets and the wire format,
// every wait bounded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim_test {

// Connects to the socket at `path`; -1 when nobody accepts within `timeoutMs`.
int ConnectTo(const std::string& path, int timeoutMs);
bool SendAll(int fd, const std::vector<uint8_t>& bytes);
// Reads exactly `count` bytes; false on timeout or when the peer closes first.
bool ReceiveAll(int fd, uint8_t* out, size_t count, int timeoutMs);
// True when the peer closes the connection within `timeoutMs` (any bytes before are dropped).
bool PeerCloses(int fd, int timeoutMs);
// The same without reading anything: for a client that never takes its replies.
bool PeerHangsUp(int fd, int timeoutMs);

std::vector<uint8_t> RequestBytes(uint32_t controlCode, const std::vector<uint8_t>& input,
                                  uint32_t outputLength);
// An IOCTL_SMT_GET request buffer.
std::vector<uint8_t> SmtGetBuffer(uint32_t instance, uint32_t code, uint32_t index);

struct Reply {
    bool received = false;  // a whole reply arrived in time
    uint32_t status = 0;
    std::vector<uint8_t> answer;
};

// Sends one request on `fd` and waits for its reply.
Reply Exchange(int fd, uint32_t controlCode, const std::vector<uint8_t>& input,
               uint32_t outputLength, int timeoutMs);

}  // namespace sim_test
