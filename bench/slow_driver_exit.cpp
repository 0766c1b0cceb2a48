// Esc against a slow driver: the time from Esc reaching the terminal to the monitor's exit while
// the driver answers every request only after 1.9 s, just inside the monitors' 2 s limit. The
// program runs as a child on a pseudo-terminal of 84 x 26 against a fake driver in this process;
// Esc is typed at a random moment once the program is in the middle of its requests.
//
//   slow_driver_exit PROGRAM ROUNDS
// Prints tab-separated rows: figure, value, goal.
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/harness/fake_station.h"
#include "tests/support/slow_handler.h"
#include "tests/support/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReplyDelay = std::chrono::milliseconds(1900);
constexpr int kRequestsBeforeEsc = 2;  // past the first request: a cycle is under way

// One run of the program; the seconds from Esc to its exit, or a negative value when it failed.
double OneRound(const char* program, std::mt19937& random) {
    test_support::TempRuntimeDir runtimeDir;
    FakeStation station;
    station.FillHealthy(2);
    test_support::SlowHandler slow(station, [] { std::this_thread::sleep_for(kReplyDelay); });
    test_support::ScriptedSocketDriver driver("qd4682", &slow);

    int master = -1;
    winsize size{26, 84, 0, 0};
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child < 0) return -1;
    if (child == 0) {
        setenv("TERM", "xterm", 1);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    // What the program writes must be read, or the terminal's buffer fills and stops it.
    std::thread drain([master] {
        char buffer[4096];
        while (read(master, buffer, sizeof buffer) > 0) {
        }
    });
    while (slow.Requests() < kRequestsBeforeEsc)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::uniform_int_distribution<int> pauseMs(0, 1900);
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
    const char esc = 27;
    const auto typedAt = Clock::now();
    int status = 0;
    const bool sent = write(master, &esc, 1) == 1;
    waitpid(child, &status, 0);
    const auto endedAt = Clock::now();
    close(master);
    drain.join();
    if (!sent || !WIFEXITED(status)) return -1;
    return std::chrono::duration<double>(endedAt - typedAt).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: slow_driver_exit PROGRAM ROUNDS\n");
        return 2;
    }
    const char* program = argv[1];
    const std::string name = std::string(program).substr(std::string(program).rfind('/') + 1);
    std::mt19937 random(4682);
    std::vector<double> seconds;
    int failed = 0;
    for (int round = 0; round < std::atoi(argv[2]); ++round) {
        const double taken = OneRound(program, random);
        if (taken < 0) {
            ++failed;
        } else {
            seconds.push_back(taken);
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const double slowest = seconds.empty() ? 0 : seconds.back();
    const double median = seconds.empty() ? 0 : seconds[seconds.size() / 2];
    std::printf("%s: Esc to exit, driver replying after 1.9 s: slowest of %zu (s)\t%.3f\t< 2.1\n",
                name.c_str(), seconds.size(), slowest);
    std::printf("%s: Esc to exit, driver replying after 1.9 s: median (s)\t%.3f\t-\n", name.c_str(),
                median);
    if (failed)
        std::printf("%s: Esc to exit: runs that did not end normally\t%d\t0\n", name.c_str(),
                    failed);
    return 0;
}
