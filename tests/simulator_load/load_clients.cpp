#include "tests/simulator_load/load_clients.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

#include "common/device_channel.h"
#include "platform/wire/device_path.h"
#include "platform/wire/device_wire.h"
#include "smtmib/fetch_list.h"
#include "smtmib/smt_retrieval.h"

namespace load {
namespace {

constexpr char kDevicePath[] = "\\\\.\\qd4682";
constexpr uint32_t kStatsLength = 148;

using Deadline = std::chrono::steady_clock::time_point;

bool Before(Deadline deadline) {
    return std::chrono::steady_clock::now() < deadline;
}

// One request as the monitors make it; empty on success, otherwise what went wrong.
std::string Ask(DWORD controlCode, uint8_t* buffer, DWORD length) {
    HANDLE device = CreateFileA(kDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return "open failed, error " + std::to_string(GetLastError());
    DWORD answered = 0;
    const BOOL served =
        DeviceIoControl(device, controlCode, buffer, length, buffer, length, &answered, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(device);
    if (!served)
        return "request 0x" + std::to_string(controlCode) + " failed, error " +
               std::to_string(error);
    if (answered != length) return "short answer of " + std::to_string(answered) + " bytes";
    return {};
}

void PutWord(uint8_t* buffer, size_t word, uint32_t value) {
    std::memcpy(buffer + 4 * word, &value, sizeof value);
}

void WellBehaved(int number, uint32_t instances, Deadline deadline, ClientTally* tally) {
    const uint32_t instance = static_cast<uint32_t>(number) % instances;
    const FetchRequest* entry = FetchList;
    uint8_t smt[kSmtRequestSize];
    uint8_t stats[kStatsLength];
    // At least one request, however late the thread starts.
    for (uint64_t turn = 0; turn == 0 || Before(deadline); ++turn) {
        std::string failure;
        if (turn % 4 == 3) {
            std::memset(stats, 0, sizeof stats);
            PutWord(stats, 0, instance);
            failure = Ask(IOCTL_DRIVER_STATS, stats, sizeof stats);
        } else {
            if (entry->code == 0) entry = FetchList;
            std::memset(smt, 0, sizeof smt);
            PutWord(smt, 0, instance);
            PutWord(smt, 1, entry->code);
            PutWord(smt, 2, kAnswerAreaSize);
            PutWord(smt, 3, entry->index);
            ++entry;
            failure = Ask(IOCTL_SMT_GET, smt, sizeof smt);
        }
        if (failure.empty()) {
            ++tally->requests;
        } else if (tally->failures++ == 0) {
            tally->firstFailure = failure;
        }
    }
}

int Connect() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (!platform::DeviceSocketPath("qd4682", address.sun_path)) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends what the socket takes at once; a garbage client does not wait for a driver.
void Spray(int fd, const std::vector<uint8_t>& bytes, GarbageTally* tally) {
    const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) tally->bytes += static_cast<uint64_t>(sent);
}

std::vector<uint8_t> Request(uint32_t controlCode, uint32_t inputLength, uint32_t outputLength,
                             size_t inputSent) {
    std::vector<uint8_t> bytes(wire::kHeaderSize + inputSent, 0);
    wire::EncodeRequestHeader({controlCode, inputLength, outputLength}, bytes.data());
    return bytes;
}

std::vector<uint8_t> Noise(std::mt19937& random) {
    std::vector<uint8_t> bytes(64 + random() % 4000);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random());
    return bytes;
}

// Cycles through the ways a client can misbehave, one connection at a time: noise, lengths above
// the limit, requests cut short, a request whose reply it never takes, wrong buffer sizes,
// unknown control codes, silence. Besides, it keeps one request half-sent for longer than the
// driver waits, and now and then opens more silent connections at once than the driver keeps.
void Garbage(Deadline deadline, GarbageTally* tally) {
    constexpr uint64_t kTurnsBetweenFloods = 500;
    constexpr size_t kFlood = 24;
    constexpr auto kFloodHeld = std::chrono::milliseconds(100);
    constexpr auto kStallHeld = std::chrono::seconds(3);
    std::mt19937 random(4682);
    int stalled = -1;
    auto stalledSince = std::chrono::steady_clock::now();
    for (uint64_t turn = 0; Before(deadline); ++turn) {
        if (stalled < 0 || std::chrono::steady_clock::now() - stalledSince > kStallHeld) {
            if (stalled >= 0) close(stalled);
            stalled = Connect();
            if (stalled >= 0)
                Spray(stalled, Request(IOCTL_SMT_GET, kSmtRequestSize, kSmtRequestSize, 10), tally);
            stalledSince = std::chrono::steady_clock::now();
        }
        if (turn % kTurnsBetweenFloods == kTurnsBetweenFloods - 1) {
            std::vector<int> flood;
            for (size_t i = 0; i < kFlood; ++i) {
                const int fd = Connect();
                if (fd >= 0) flood.push_back(fd);
            }
            tally->connections += flood.size();
            std::this_thread::sleep_for(kFloodHeld);
            for (int fd : flood)
                close(fd);
            continue;
        }
        const int fd = Connect();
        if (fd < 0) continue;
        ++tally->connections;
        switch (turn % 7) {
            case 0:
                Spray(fd, Noise(random), tally);
                break;
            case 1:
                Spray(fd, Request(IOCTL_SMT_GET, wire::kMaxLength + 1 + random() % 1000, 16, 0),
                      tally);
                break;
            case 2:
                Spray(fd, Request(IOCTL_SMT_GET, kSmtRequestSize, kSmtRequestSize, 100), tally);
                break;
            case 3:
                Spray(fd, Request(IOCTL_SMT_GET, kSmtRequestSize, kSmtRequestSize, kSmtRequestSize),
                      tally);
                break;
            case 4:
                Spray(fd, Request(IOCTL_DRIVER_STATS, 4, 4096, 4), tally);
                break;
            case 5:
                Spray(fd, Request(static_cast<uint32_t>(random()), 0, 0, 0), tally);
                break;
            case 6:
                break;  // says nothing at all
        }
        close(fd);
    }
    if (stalled >= 0) close(stalled);
}

}  // namespace

uint64_t LoadRun::Requests() const {
    uint64_t total = 0;
    for (const ClientTally& client : clients)
        total += client.requests;
    return total;
}

uint64_t LoadRun::Failures() const {
    uint64_t total = 0;
    for (const ClientTally& client : clients)
        total += client.failures;
    return total;
}

LoadRun Run(int clients, uint32_t instances, std::chrono::milliseconds duration, bool garbage) {
    LoadRun run;
    run.clients.resize(static_cast<size_t>(clients));
    const auto start = std::chrono::steady_clock::now();
    const Deadline deadline = start + duration;
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back(WellBehaved, i, instances, deadline,
                             &run.clients[static_cast<size_t>(i)]);
    }
    if (garbage) threads.emplace_back(Garbage, deadline, &run.garbage);
    for (std::thread& thread : threads)
        thread.join();
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

pid_t DriverPid() {
    const int fd = Connect();
    if (fd < 0) return -1;
    ucred peer{};
    socklen_t length = sizeof peer;
    const bool known = getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0;
    close(fd);
    return known ? peer.pid : -1;
}

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace load
