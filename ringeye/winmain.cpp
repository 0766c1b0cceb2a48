// The Windows program: a GUI program, whose entry receives the instance, the previous instance,
// the command line (ignored, the monitor takes no options) and how to show its window.
#include "ringeye/ringeye_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR commandLine, int cmdShow) {
    return RingeyeMain(instance, prevInstance, commandLine, cmdShow);
}
