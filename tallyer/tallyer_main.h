// The driver statistics monitor's program entry, shared by the Linux main, the Windows entry
// and tests.
#pragma once

#include "platform/win32_on_linux/win32.h"

// Runs the monitor until Esc or "0"; the command line is ignored. Returns 0, the exit status.
int TallyerMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR commandLine, int cmdShow);

// The entry's steps on their own, so that benchmarks can time one refresh without the wait.
// Copies the device path and opens the main window.
void TallyerStartUp(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow);
// One refresh: the statistics request, the counters (or the failure report), the spinner, and
// the window shown.
void TallyerRefresh();
