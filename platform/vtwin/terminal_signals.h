// The terminal display's signals. The handlers only note the signal and wake a waiting poll()
// through a pipe; the display acts on them at the library's next call, outside the handler,
// where restoring the terminal is safe.
#pragma once

namespace vtwin {

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGWINCH, remembering those they replace,
// and opens the wake pipe. False when the pipe cannot be made. Installing twice does nothing.
bool InstallTerminalSignals();
// Puts the remembered handlers back and closes the pipe.
void RemoveTerminalSignals();
// Read end of the wake pipe, readable once a handled signal arrived; -1 when not installed.
int SignalWakeDescriptor();
// Empties the wake pipe after the signals were dealt with.
void DrainSignalWakes();
// The termination signal that arrived (SIGINT, SIGTERM or SIGHUP), or 0.
int PendingExitSignal();
// True once after each SIGWINCH.
bool TakeResize();
// Ends the process as killed by `signal`: default action, unblocked, raised again.
[[noreturn]] void DieOfSignal(int signal);

}  // namespace vtwin
