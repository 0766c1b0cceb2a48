#include "platform/vtwin/terminal_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iterator>

namespace vtwin {
namespace {

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGWINCH};

volatile sig_atomic_t exitSignal = 0;
volatile sig_atomic_t resizePending = 0;
int wakePipe[2] = {-1, -1};
struct sigaction replacedActions[std::size(kHandledSignals)];
bool installed = false;

void OnSignal(int signal) {
    int savedErrno = errno;
    if (signal == SIGWINCH) {
        resizePending = 1;
    } else {
        exitSignal = signal;
    }
    // The pipe is non-blocking: when it is full a wake is already waiting.
    ssize_t ignored = write(wakePipe[1], "!", 1);
    (void)ignored;
    errno = savedErrno;
}

bool MakeNonBlocking(int descriptor) {
    int flags = fcntl(descriptor, F_GETFL);
    return flags >= 0 && fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) == 0 &&
           fcntl(descriptor, F_SETFD, FD_CLOEXEC) == 0;
}

void ClosePipe() {
    for (int& descriptor : wakePipe) {
        if (descriptor >= 0) close(descriptor);
        descriptor = -1;
    }
}

}  // namespace

bool InstallTerminalSignals() {
    if (installed) return true;
    if (pipe(wakePipe) != 0) return false;
    if (!MakeNonBlocking(wakePipe[0]) || !MakeNonBlocking(wakePipe[1])) {
        ClosePipe();
        return false;
    }
    exitSignal = 0;
    resizePending = 0;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restart plain reads and writes; poll() is never restarted and reports EINTR.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kHandledSignals); ++i) {
        sigaction(kHandledSignals[i], &action, &replacedActions[i]);
    }
    installed = true;
    return true;
}

void RemoveTerminalSignals() {
    if (!installed) return;
    for (size_t i = 0; i < std::size(kHandledSignals); ++i) {
        sigaction(kHandledSignals[i], &replacedActions[i], nullptr);
    }
    ClosePipe();
    installed = false;
}

int SignalWakeDescriptor() {
    return wakePipe[0];
}

void DrainSignalWakes() {
    char wakes[64];
    while (wakePipe[0] >= 0 && read(wakePipe[0], wakes, sizeof wakes) > 0) {
    }
}

int PendingExitSignal() {
    return exitSignal;
}

bool TakeResize() {
    if (!resizePending) return false;
    resizePending = 0;
    return true;
}

void DieOfSignal(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(signal);
    // Only reached if the signal's default action does not end the process.
    _exit(128 + signal);
}

}  // namespace vtwin
