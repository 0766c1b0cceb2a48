#include "platform/vtwin/terminal_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace vtwin {
namespace {

// Signals that end the process by default and come from outside it. The program's own faults
// (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS) are left alone: the faulting code
// would only fault again before the library is called next. Real-time signals are added at
// installation, since SIGRTMIN is not a constant.
constexpr int kTerminatingSignals[] = {SIGHUP,  SIGINT,    SIGQUIT,   SIGTERM, SIGUSR1,
                                       SIGUSR2, SIGALRM,   SIGVTALRM, SIGPROF, SIGIO,
                                       SIGPWR,  SIGSTKFLT, SIGXCPU,   SIGXFSZ};
constexpr int kSignalSlots = 65;  // signal numbers 1 to 64

volatile sig_atomic_t exitSignal = 0;
volatile sig_atomic_t resizePending = 0;
volatile sig_atomic_t continuedPending = 0;
volatile sig_atomic_t stopPending = 0;
// Set after each wake written, so that the pipe is read only when there is something in it.
volatile sig_atomic_t wakeWritten = 0;
int wakePipe[2] = {-1, -1};
struct sigaction replacedActions[kSignalSlots];
bool replaced[kSignalSlots] = {};
bool installed = false;
struct sigaction handledAction;

void OnSignal(int signal) {
    int savedErrno = errno;
    if (signal == SIGWINCH) {
        resizePending = 1;
    } else if (signal == SIGCONT) {
        continuedPending = 1;
    } else if (signal == SIGTSTP) {
        stopPending = 1;
    } else {
        exitSignal = signal;
    }
    // The pipe is non-blocking: when it is full a wake is already waiting.
    ssize_t ignored = write(wakePipe[1], "!", 1);
    (void)ignored;
    // After the write: a drain that finds the mark set always finds the byte too, even when the
    // handler runs on another thread of the process.
    wakeWritten = 1;
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

// Puts `action` in place for `signal`, remembering what was there. A terminating signal that
// was ignored when the program started (nohup, a shell's background job) stays ignored.
void Replace(int signal, const struct sigaction& action, bool keepIgnored) {
    if (signal <= 0 || signal >= kSignalSlots) return;
    struct sigaction current = {};
    if (sigaction(signal, nullptr, &current) != 0) return;
    if (keepIgnored && current.sa_handler == SIG_IGN) return;
    if (sigaction(signal, &action, &replacedActions[signal]) == 0) replaced[signal] = true;
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
    continuedPending = 0;
    stopPending = 0;
    wakeWritten = 0;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Restart plain reads and writes; poll() is never restarted and reports EINTR.
    action.sa_flags = SA_RESTART;
    for (int signal : kTerminatingSignals)
        Replace(signal, action, true);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        Replace(signal, action, true);
    Replace(SIGWINCH, action, false);
    Replace(SIGCONT, action, false);
    // Ctrl+Z is acted on outside the handler too. A program started with SIGTSTP ignored (no job
    // control) keeps ignoring it. The terminal library leaves a handler it finds in place alone,
    // so it does not take SIGTSTP over and set it again around every update.
    Replace(SIGTSTP, action, true);
    handledAction = action;
    // A terminal that went away shows as a failed write, which the display treats as a hang-up.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    Replace(SIGPIPE, ignore, false);
    installed = true;
    return true;
}

void RemoveTerminalSignals() {
    if (!installed) return;
    for (int signal = 1; signal < kSignalSlots; ++signal) {
        if (replaced[signal]) sigaction(signal, &replacedActions[signal], nullptr);
        replaced[signal] = false;
    }
    ClosePipe();
    installed = false;
}

int SignalWakeDescriptor() {
    return wakePipe[0];
}

void DrainSignalWakes() {
    if (!wakeWritten || wakePipe[0] < 0) return;
    // Cleared before reading: a wake written meanwhile sets it again and is read next time.
    wakeWritten = 0;
    char wakes[64];
    while (read(wakePipe[0], wakes, sizeof wakes) == static_cast<ssize_t>(sizeof wakes)) {
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

bool TakeContinued() {
    if (!continuedPending) return false;
    continuedPending = 0;
    return true;
}

bool TakeStop() {
    if (!stopPending) return false;
    stopPending = 0;
    return true;
}

void StopProcess() {
    struct sigaction stop = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    // Stops here, as the shell's job control expects; returns once continued (or at once when
    // the process group is orphaned and the kernel drops the stop).
    std::raise(SIGTSTP);
    if (installed && replaced[SIGTSTP]) sigaction(SIGTSTP, &handledAction, nullptr);
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
