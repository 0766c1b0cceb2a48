// Key latency of the station monitor: the time from a screen key reaching the terminal to the
// moment the new screen's first repaint has been written to it. ringeye runs its real entry in
// this process on a pseudo-terminal, against the stand-in driver in a process of its own, and
// refreshes as usual; a typist thread types screen keys at random moments of the wait. The
// display is the real terminal display, wrapped to note when an image with the new screen's
// title has been sent.
//
//   key_latency ROUNDS QD4682SIM [its options]
// Prints tab-separated rows: figure, value, goal.
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/driver_process.h"
#include "bench/percentile.h"
#include "platform/vtwin/terminal_display.h"
#include "ringeye/ringeye_main.h"
#include "tests/support/temp_runtime_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

struct ScreenKey {
    char key;
    const char* title;  // at row 0, column 35 once the screen is shown
};

// No two neighbours share a title, so each key's screen is told from the one before.
const ScreenKey kKeys[] = {
    {'2', "SMT Data"},     {'5', "A PORT Data"}, {'3', "MAC Configs & Ops"}, {'6', "B PORT Data"},
    {'4', "MAC Counters"}, {'7', "PATH Data"},   {'1', "Composite Data"}};

std::atomic<const char*> awaitedTitle{nullptr};
std::atomic<int64_t> shownAtNs{0};

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The terminal display, noting when the awaited title has been sent to the terminal.
class TimedDisplay : public vtwin::Display {
  public:
    TimedDisplay(FILE* output, FILE* input) : terminal_(output, input, "xterm") {}
    void Open(const char* title, int rows, int columns) override {
        terminal_.Open(title, rows, columns);
    }
    void Present(const vtwin::ScreenImage& image) override {
        terminal_.Present(image);
        const char* title = awaitedTitle.load();
        if (title && !image.text.empty() &&
            image.text[0].compare(35, std::string(title).size(), title) == 0) {
            shownAtNs.store(NowNs());
            awaitedTitle.store(nullptr);
        }
    }
    void SetUsedSize(int rows, int columns) override { terminal_.SetUsedSize(rows, columns); }
    int TakeKey(bool translate) override { return terminal_.TakeKey(translate); }
    bool WaitForKey(int timeoutMs) override { return terminal_.WaitForKey(timeoutMs); }
    void StartInput() override { terminal_.StartInput(); }
    void Close() override { terminal_.Close(); }
    void CheckEvents() override { terminal_.CheckEvents(); }

  private:
    vtwin::TerminalDisplay terminal_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: key_latency ROUNDS QD4682SIM [its options]\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    test_support::TempRuntimeDir runtimeDir;
    DriverProcess simulator(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    if (!simulator.Serving()) {
        std::fprintf(stderr, "key_latency: the driver does not serve\n");
        return 1;
    }
    int master = -1, slave = -1;
    winsize size{26, 84, 0, 0};
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) return 1;
    FILE* output = fdopen(slave, "w");
    FILE* input = fdopen(dup(slave), "r");
    TimedDisplay display(output, input);
    vtwin::SetDisplay(&display);

    // What the program writes must be read, or the terminal's buffer fills and stops it.
    std::thread drain([master] {
        char buffer[4096];
        while (read(master, buffer, sizeof buffer) > 0) {
        }
    });
    std::vector<double> latenciesMs;
    int missed = 0;
    std::thread typist([&] {
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> pauseMs(150, 900);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        for (int round = 0; round < rounds; ++round) {
            for (const ScreenKey& key : kKeys) {
                std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
                awaitedTitle.store(key.title);
                const int64_t typedAt = NowNs();
                if (write(master, &key.key, 1) != 1) return;
                const auto giveUp = Clock::now() + std::chrono::seconds(3);
                while (awaitedTitle.load() && Clock::now() < giveUp) {
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
                if (awaitedTitle.exchange(nullptr)) {
                    ++missed;
                } else {
                    latenciesMs.push_back((shownAtNs.load() - typedAt) / 1e6);
                }
            }
        }
        const char esc = 27;
        if (write(master, &esc, 1) != 1) std::abort();
    });
    RingeyeMain(nullptr, nullptr, nullptr, 0);
    typist.join();
    vtwin::SetDisplay(nullptr);
    display.Close();
    // The drain thread's read ends once no slave descriptor is left open; closing the master
    // under a read in progress would not wake it.
    std::fclose(output);
    std::fclose(input);
    drain.join();
    close(master);

    std::printf("key latency, screen key to first repaint: median (ms)\t%.3f\t< 2\n",
                Percentile(latenciesMs, 0.5));
    std::printf("key latency: 90th percentile (ms)\t%.3f\t< 2\n", Percentile(latenciesMs, 0.9));
    std::printf("key latency: slowest of %zu (ms)\t%.3f\t-\n", latenciesMs.size(),
                Percentile(latenciesMs, 1.0));
    if (missed) std::printf("key latency: keys without a repaint\t%d\t0\n", missed);
    return 0;
}
