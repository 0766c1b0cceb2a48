#include "tests/windows/wine_driver/forward.h"

#include <unistd.h>

#include "platform/win32_on_linux/socket_transport.h"
#include "platform/wire/device_wire.h"

uint32_t forward_connect(const char* name, int* fd) {
    return platform::device::ConnectDevice(name, fd);
}

uint32_t forward_request(int fd, uint32_t controlCode, uint8_t* buffer, uint32_t inputLength,
                         uint32_t outputLength, uint32_t* count, int* lost) {
    *count = 0;
    *lost = 0;
    if (inputLength > wire::kMaxLength || outputLength > wire::kMaxLength) {
        return ERROR_INVALID_PARAMETER;
    }
    const platform::device::SocketOutcome outcome = platform::device::ExchangeOnSocket(
        fd, {controlCode, buffer, inputLength, outputLength}, buffer);
    *lost = outcome.connectionLost ? 1 : 0;
    if (outcome.error == ERROR_SUCCESS) *count = outcome.count;
    return outcome.error;
}

void forward_disconnect(int fd) {
    if (fd >= 0) close(fd);
}
