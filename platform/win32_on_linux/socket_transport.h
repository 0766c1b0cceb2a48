// The client end of a device's Unix socket: connecting with the peer check, and one request
// with its reply, each under its own time limit.
#pragma once

#include <cstdint>

#include "platform/win32_on_linux/win32.h"

namespace platform {
namespace device {

constexpr int kDefaultOpenTimeoutMs = 2000;
constexpr int kDefaultReplyTimeoutMs = 2000;

int OpenTimeoutMs();
int ReplyTimeoutMs();

// Connects to the socket of device `name` and checks who serves it. ERROR_SUCCESS with *fd set
// to the connection, or the error CreateFileA reports; on failure no descriptor stays open.
DWORD ConnectDevice(const char* name, int* fd);

struct SocketRequest {
    uint32_t controlCode = 0;
    const uint8_t* input = nullptr;
    uint32_t inputLength = 0;   // at most wire::kMaxLength
    uint32_t outputLength = 0;  // at most wire::kMaxLength
    // No request went out on this connection before: the check that the driver has nothing
    // unasked to say is left out, since nothing could have come before the first reply.
    bool freshConnection = false;
};

struct SocketOutcome {
    DWORD error = ERROR_SUCCESS;  // ERROR_SUCCESS, the driver's status, or a transport error
    uint32_t count = 0;           // answer bytes in the answer buffer when error is 0
    // The stream is no longer in step with the driver (a reply is missing, partly read or
    // malformed): any further request on it would read the wrong bytes as its reply.
    bool connectionLost = false;
};

// Sends `request` on connection `fd` and takes its reply. The answer goes to `answer`, which has
// room for request.outputLength bytes; the input is completely sent before anything is written
// there, so the two may overlap. The reply is taken in as few receives as it arrives in, so any
// of the answer area's bytes may change, also beyond the count and when the request fails.
SocketOutcome ExchangeOnSocket(int fd, const SocketRequest& request, uint8_t* answer);

}  // namespace device
}  // namespace platform
