// A well-behaved client's request latency while slow clients hold connections to the stand-in
// driver. Each slow client sends a request one byte every 1.5 s (inside the driver's 2 s stall
// time between bytes, never finishing it) and connects again at its next byte once the driver
// has closed it. Meanwhile one client opens the device, asks for the statistics record and
// closes it, as the monitors do, every few milliseconds through the real device calls.
//
//   slow_clients SLOW_CLIENTS SECONDS QD4682SIM [its options]
// Prints tab-separated rows: figure, value, goal.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/driver_process.h"
#include "bench/percentile.h"
#include "platform/win32_on_linux/win32.h"
#include "platform/wire/device_path.h"
#include "platform/wire/device_wire.h"
#include "tests/support/temp_runtime_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kDriverStats = 0xA0286004;
constexpr DWORD kStatsLength = 148;
constexpr auto kByteEvery = std::chrono::milliseconds(1500);
constexpr auto kRequestEvery = std::chrono::milliseconds(5);

int ConnectWithoutWaiting() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (platform::FindDeviceSocket("qd4682", address.sun_path) != platform::Place::kSafe) return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// The slow clients, all on one thread: client i sends its bytes at i/count of each period.
void SlowClients(int count, const std::atomic<bool>& stop, std::atomic<int>* connections) {
    std::vector<uint8_t> request(wire::kHeaderSize + 2064, 0);
    wire::EncodeRequestHeader({0xA0286044, 2064, 2064}, request.data());
    struct Client {
        int fd = -1;
        size_t sent = 0;
        Clock::time_point next;
    };
    std::vector<Client> clients(static_cast<size_t>(count));
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i)
        clients[static_cast<size_t>(i)].next = start + kByteEvery * i / count;
    while (!stop) {
        const Clock::time_point now = Clock::now();
        for (Client& client : clients) {
            if (client.fd >= 0) {
                // A hang-up of the driver shows as readable: the client notices at its next byte.
                pollfd state{client.fd, POLLIN, 0};
                if (poll(&state, 1, 0) > 0) {
                    close(client.fd);
                    client.fd = -1;
                }
            }
            if (now >= client.next) {
                client.next += kByteEvery;
                if (client.fd < 0) {
                    client.fd = ConnectWithoutWaiting();
                    client.sent = 0;
                    if (client.fd >= 0) ++*connections;
                }
                if (client.fd >= 0 && client.sent < request.size() &&
                    send(client.fd, &request[client.sent], 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1) {
                    ++client.sent;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (Client& client : clients) {
        if (client.fd >= 0) close(client.fd);
    }
}

// One request as the monitors make it; true when the whole record came back.
bool AskForStatistics() {
    HANDLE device = CreateFileA("\\\\.\\qd4682", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    uint8_t record[kStatsLength] = {};
    DWORD answered = 0;
    const BOOL served = DeviceIoControl(device, kDriverStats, record, kStatsLength, record,
                                        kStatsLength, &answered, nullptr);
    CloseHandle(device);
    return served && answered == kStatsLength;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: slow_clients SLOW_CLIENTS SECONDS QD4682SIM [its options]\n");
        return 2;
    }
    const int slowCount = std::atoi(argv[1]);
    const int seconds = std::atoi(argv[2]);
    test_support::TempRuntimeDir runtimeDir;
    DriverProcess simulator(argv[3], std::vector<std::string>(argv + 4, argv + argc));
    if (!simulator.Serving()) {
        std::fprintf(stderr, "slow_clients: the driver does not serve\n");
        return 1;
    }
    std::atomic<bool> stop{false};
    std::atomic<int> connections{0};
    std::thread slow(SlowClients, slowCount, std::cref(stop), &connections);
    // Every slow client has connected and sent a byte or two before the measuring starts.
    std::this_thread::sleep_for(kByteEvery * 2);

    std::vector<double> latenciesMs;
    int failed = 0;
    const int connectionsBefore = connections.load();
    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        const Clock::time_point asked = Clock::now();
        if (AskForStatistics()) {
            latenciesMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
        } else {
            ++failed;
        }
        std::this_thread::sleep_for(kRequestEvery);
    }
    stop = true;
    slow.join();

    std::printf(
        "qd4682sim with %d slow clients: well-behaved request, 99th percentile (ms)\t%.3f\t"
        "< 10\n",
        slowCount, Percentile(latenciesMs, 0.99));
    std::printf(
        "qd4682sim with %d slow clients: well-behaved request, median / slowest of %zu "
        "(ms)\t%.3f / %.3f\t-\n",
        slowCount, latenciesMs.size(), Percentile(latenciesMs, 0.5), Percentile(latenciesMs, 1.0));
    std::printf("qd4682sim with %d slow clients: well-behaved requests failed\t%d\t0\n", slowCount,
                failed);
    std::printf(
        "qd4682sim with %d slow clients: their connections made in %d s (the driver closed "
        "each)\t%d\t-\n",
        slowCount, seconds, connections.load() - connectionsBefore);
    return 0;
}
