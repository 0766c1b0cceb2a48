// The station monitor's program entry, shared by the Linux main, the Windows entry and tests.
#pragma once

#include "platform/win32_on_linux/win32.h"

// Runs the monitor until Esc or "0"; the command line is ignored. Returns 1, the exit status.
int RingeyeMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR commandLine, int cmdShow);

// The entry's steps on their own, so that benchmarks can time one refresh without the wait.
// Opens the window and the pad and sets up the keyboard; no screen is current yet.
void RingeyeStartUp(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow);
// Makes `screen` current: erases the pad, draws its labels, fetches, paints and shows it.
void EnterScreen(int screen);
// One refresh of the current screen: fetch and paint, turn the spinner, show the frame. When the
// pad no longer showed the screen as entered (a failure message, a changed port count), a
// successful refresh enters the screen again first.
void RefreshScreen();
// Clears the main window, frees the pad and ends the window library.
void Shutdown();
// Asked between two requests of a refresh: false once the operator asked for something (a key
// with a command waits), which abandons the rest of the cycle so the command acts within one
// reply time. An abandoned cycle paints nothing.
bool ContinueUnlessInterrupted();
