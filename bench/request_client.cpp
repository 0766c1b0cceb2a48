// The least a monitor could do: the device requests of ringeye's first screen (26 IOCTL_SMT_GET,
// each opening the device, asking and closing, then a second's wait) or of the Tallyer (one
// IOCTL_DRIVER_STATS, then a second's wait), through the same device calls, and nothing else:
// no terminal, no keys. bench/idle_ratio measures what the monitors cost beyond it. With
// --spinner it also writes, after each round, the two bytes an idle monitor sends its terminal
// (back one cell, the next spinner character): what showing anything at all costs.
//
//   request_client ringeye|Tallyer [--spinner]      runs until killed
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/win32_on_linux/win32.h"

namespace {

constexpr DWORD kSmtGet = 0xA0286044;
constexpr DWORD kSmtGetLength = 2064;
constexpr uint32_t kAnswerSize = 512;
constexpr DWORD kDriverStats = 0xA0286004;
constexpr DWORD kStatsLength = 148;

// ringeye's first screen, in its order: SMT request code and resource index.
constexpr struct {
    uint32_t code;
    uint32_t index;
} kScreenOne[] = {
    {0x2014, 1}, {0x100D, 0}, {0x1016, 0}, {0x100A, 0}, {0x1014, 0}, {0x1028, 0}, {0x1032, 1},
    {0x200A, 1}, {0x2014, 1}, {0x2028, 1}, {0x2032, 1}, {0x2046, 1}, {0x205A, 1}, {0x2064, 1},
    {0x206E, 1}, {0x320A, 1}, {0x400A, 1}, {0x401E, 1}, {0x4028, 1}, {0x4032, 1}, {0x403C, 1},
    {0x400A, 2}, {0x401E, 2}, {0x4028, 2}, {0x4032, 2}, {0x403C, 2},
};
static_assert(sizeof(kScreenOne) / sizeof(kScreenOne[0]) == 26, "ringeye asks 26 a refresh");

uint8_t buffer[kSmtGetLength];

void PutWord(uint32_t value, size_t word) {
    std::memcpy(buffer + 4 * word, &value, sizeof value);
}

// Opens, asks and closes, as the monitors do for every request.
void Ask(DWORD code, DWORD length) {
    HANDLE device = CreateFileA("\\\\.\\qd4682", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return;
    DWORD count = 0;
    DeviceIoControl(device, code, buffer, length, buffer, length, &count, nullptr);
    CloseHandle(device);
}

void WaitASecond() {
    timespec second{1, 0};
    while (nanosleep(&second, &second) != 0) {
    }
}

void WriteSpinner() {
    static const char kSpinner[] = "\\|/-";
    static unsigned phase = 0;
    const char step[2] = {'\b', kSpinner[phase++ % 4]};
    if (write(STDOUT_FILENO, step, sizeof step) < 0) {
        // The terminal is gone: the bench is over.
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool ringeye = argc >= 2 && std::strcmp(argv[1], "ringeye") == 0;
    const bool spinner = argc == 3 && std::strcmp(argv[2], "--spinner") == 0;
    if (argc < 2 || argc > 3 || (!ringeye && std::strcmp(argv[1], "Tallyer") != 0) ||
        (argc == 3 && !spinner)) {
        std::fprintf(stderr, "usage: request_client ringeye|Tallyer [--spinner]\n");
        return 2;
    }
    for (;;) {
        if (ringeye) {
            for (const auto& request : kScreenOne) {
                std::memset(buffer, 0, sizeof buffer);
                PutWord(0, 0);  // device instance
                PutWord(request.code, 1);
                PutWord(kAnswerSize, 2);
                PutWord(request.index, 3);
                Ask(kSmtGet, kSmtGetLength);
            }
        } else {
            PutWord(0, 0);
            Ask(kDriverStats, kStatsLength);
        }
        if (spinner) WriteSpinner();
        WaitASecond();
    }
}
