// The least a monitor could do: the device requests of ringeye's refresh (26 IOCTL_SMT_GET for
// a station of two ports, each opening the device, asking and closing, then a second's wait) or
// of the Tallyer (one IOCTL_DRIVER_STATS, then a second's wait), through the same device calls,
// and nothing else: no terminal, no keys. bench/idle_ratio measures what the monitors cost
// beyond it. With --spinner it also writes, after each round, the two bytes an idle monitor
// sends its terminal (back one cell, the next spinner character): what showing anything costs.
//
//   request_client ringeye|Tallyer [--spinner]      runs until killed
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/device_channel.h"
#include "smtmib/attribute_groups.h"
#include "smtmib/fetch_list.h"
#include "smtmib/smt_retrieval.h"

namespace {

// The driver's statistics record: 37 words.
constexpr DWORD kStatsLength = 148;
constexpr uint32_t kStillStationPorts = 2;

uint8_t buffer[kSmtRequestSize];

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

void AskSmt(uint32_t code, uint32_t index) {
    std::memset(buffer, 0, sizeof buffer);
    PutWord(0, 0);  // device instance
    PutWord(code, 1);
    PutWord(kAnswerAreaSize, 2);
    PutWord(index, 3);
    Ask(IOCTL_SMT_GET, kSmtRequestSize);
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
            // ringeye's cycle: the MAC configuration, the version gate and the port count, then
            // the list for a station of two ports.
            AskSmt(FetchList[kMacConfigFetchEntry].code, FetchList[kMacConfigFetchEntry].index);
            AskSmt(kOpVersionIdType, 0);
            AskSmt(kNonMasterCtType, 0);
            for (const FetchRequest* entry = FetchList; entry->code != 0; ++entry) {
                if (entry->index <= kStillStationPorts) AskSmt(entry->code, entry->index);
            }
        } else {
            PutWord(0, 0);
            Ask(IOCTL_DRIVER_STATS, kStatsLength);
        }
        if (spinner) WriteSpinner();
        WaitASecond();
    }
}
