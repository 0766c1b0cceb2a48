// The terminal display's signals. The handlers only note the signal and wake a waiting poll()
// through a pipe; the display acts on them at the library's next call, outside the handler,
// where restoring the terminal is safe.
#pragma once

namespace vtwin {

// Installs handlers for every signal whose default action ends the process (but the program's
// own faults, such as SIGSEGV, which no later library call could act on), for SIGWINCH, SIGCONT
// and SIGTSTP, remembering those they replace, ignores SIGPIPE, and opens the wake pipe. A
// terminating signal the program inherited as ignored stays ignored. False when the pipe cannot
// be made. Installing twice does nothing.
bool InstallTerminalSignals();
// Puts the remembered handlers back and closes the pipe.
void RemoveTerminalSignals();
// Read end of the wake pipe, readable once a handled signal arrived; -1 when not installed.
int SignalWakeDescriptor();
// Empties the wake pipe after the signals were dealt with.
void DrainSignalWakes();
// The terminating signal that arrived, or 0.
int PendingExitSignal();
// True once after each SIGWINCH.
bool TakeResize();
// True once after each SIGCONT: the process was stopped, and whoever had the terminal meanwhile
// may have changed its modes and screen.
bool TakeContinued();
// True once after each SIGTSTP (Ctrl+Z): the user wants the process stopped.
bool TakeStop();
// Stops the process as SIGTSTP's default action does and returns once it is continued; the
// handler is back in place then.
void StopProcess();
// Ends the process as killed by `signal`: default action, unblocked, raised again.
[[noreturn]] void DieOfSignal(int signal);

}  // namespace vtwin
