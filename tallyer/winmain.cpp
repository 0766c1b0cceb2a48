// The Windows program: a GUI program, whose entry receives the instance, the previous instance,
// the command line (ignored, the monitor takes no options) and how to show its window.
#include "tallyer/tallyer_main.h"

// Closing the window ends the program at once with this status, the one it ends with on Esc
// (the text-window library looks it up among the program's exports).
extern "C" __declspec(dllexport) const int vtCloseExitStatus = 0;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR commandLine, int cmdShow) {
    return TallyerMain(instance, prevInstance, commandLine, cmdShow);
}
