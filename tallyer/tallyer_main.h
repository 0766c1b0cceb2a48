// The driver statistics monitor's program entry, shared by the Linux main, the Windows entry
// and tests.
#pragma once

#include "platform/win32/win32.h"

// Runs the monitor until Esc or "0"; the command line is ignored. Returns 0, the exit status.
int TallyerMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR commandLine, int cmdShow);
