// Plays a driver that answers a device request with any bytes at all and then hangs up, and
// checks DeviceIoControl against what the wire format allows: it succeeds only for a whole
// reply with status 0 and a count within the output length, copying exactly those answer bytes
// and leaving the rest of the output buffer as it was; every other reply fails with the error
// the transport gives for it and leaves the output buffer untouched.
//
// Input: output length (2 bytes, up to 2100), then the reply bytes.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32_on_linux/win32.h"
#include "platform/wire/device_path.h"
#include "platform/wire/device_wire.h"

namespace {

constexpr char kDeviceName[] = "fuzzdev";
constexpr char kDevicePath[] = "\\\\.\\fuzzdev";
constexpr uint32_t kRequestInput = 16;
constexpr uint32_t kMaxOutput = 2100;
constexpr uint8_t kUntouched = 0x5A;

char runtimeDir[] = "/tmp/fuzzrt-XXXXXX";
sockaddr_un address{};

std::mutex replyMutex;
std::vector<uint8_t> nextReply;

bool ReadAll(int fd, uint8_t* to, size_t length) {
    while (length > 0) {
        ssize_t got = read(fd, to, length);
        if (got <= 0) return false;
        to += got;
        length -= static_cast<size_t>(got);
    }
    return true;
}

// Takes one connection at a time: reads its request, sends the reply of the moment, hangs up.
void ServeForever(int listener) {
    for (;;) {
        int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) continue;
        uint8_t request[wire::kHeaderSize + kRequestInput];
        if (ReadAll(connection, request, sizeof request)) {
            std::vector<uint8_t> reply;
            {
                std::lock_guard<std::mutex> lock(replyMutex);
                reply = nextReply;
            }
            size_t sent = 0;
            while (sent < reply.size()) {
                ssize_t wrote =
                    send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
                if (wrote <= 0) break;
                sent += static_cast<size_t>(wrote);
            }
        }
        close(connection);
    }
}

// The socket and its directory go when the fuzzer ends.
void RemoveSocket() {
    unlink(address.sun_path);
    rmdir(runtimeDir);
}

void StartDriver() {
    if (!mkdtemp(runtimeDir)) std::abort();
    setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
    address.sun_family = AF_UNIX;
    if (!platform::DeviceSocketPath(kDeviceName, address.sun_path)) std::abort();
    int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0 ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0) {
        std::abort();
    }
    std::atexit(RemoveSocket);
    std::thread(ServeForever, listener).detach();
}

struct Expected {
    bool success;
    DWORD error;
    uint32_t count;
};

// What the wire format makes of `reply` for a request with output length `outputLength`.
Expected Judge(const std::vector<uint8_t>& reply, uint32_t outputLength) {
    if (reply.size() < wire::kReplyHeaderSize) return {false, ERROR_DEVICE_NOT_CONNECTED, 0};
    const uint32_t status = wire::GetU32(reply.data());
    const uint32_t count = wire::GetU32(reply.data() + 4);
    if (status != 0) return {false, count == 0 ? status : ERROR_INVALID_DATA, 0};
    if (count > outputLength) return {false, ERROR_INVALID_DATA, 0};
    if (reply.size() - wire::kReplyHeaderSize < count)
        return {false, ERROR_DEVICE_NOT_CONNECTED, 0};
    return {true, ERROR_SUCCESS, count};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartDriver();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t outputLength = (uint32_t{data[0]} | uint32_t{data[1]} << 8) % (kMaxOutput + 1);
    const std::vector<uint8_t> reply(data + 2, data + size);
    {
        std::lock_guard<std::mutex> lock(replyMutex);
        nextReply = reply;
    }
    HANDLE device = CreateFileA(kDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) std::abort();
    uint8_t input[kRequestInput] = {1, 2, 3, 4};
    std::vector<uint8_t> output(outputLength, kUntouched);
    DWORD returned = 0xFFFFFFFF;
    const BOOL served = DeviceIoControl(device, 0xA0286044, input, sizeof input, output.data(),
                                        outputLength, &returned, nullptr);
    const DWORD error = GetLastError();
    if (!CloseHandle(device)) std::abort();

    const Expected expected = Judge(reply, outputLength);
    if ((served != 0) != expected.success) std::abort();
    if (!expected.success && (error != expected.error || returned != 0)) std::abort();
    if (expected.success && returned != expected.count) std::abort();
    const uint32_t copied = expected.success ? expected.count : 0;
    if (copied > 0 && std::memcmp(output.data(), reply.data() + wire::kReplyHeaderSize, copied)) {
        std::abort();
    }
    for (uint32_t i = copied; i < outputLength; ++i) {
        if (output[i] != kUntouched) std::abort();
    }
    return 0;
}
