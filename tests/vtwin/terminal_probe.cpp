// A tiny program for the tmux test: draws known text through the library on the terminal, then
// lists on row 20 every key code it reads, until it is killed or its terminal goes away. It uses
// 20 rows and 60 columns of its main window, the rest only for what fits.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/vtwin/vtwin.h"
#include "platform/vtwin/window.h"

namespace {

void DrawKnownCells(VtHandle mainWindow) {
    vtErase(mainWindow);
    vtPrintAt(2, 5, "%s", "HELLO FROM ROW 2");
    vtPrintAt(3, 80, "%s", "ABCDEFG");
    vtPrintAt(22, 0, "pid %d", static_cast<int>(getpid()));
    vtRefresh(mainWindow);
    VtHandle pad = vtNewPad(10, 40);
    vtMove(pad, 1, 2);
    vtPutString(pad, "PAD TEXT");
    vtShowPad(pad, 1, 0, 10, 20, 10, 59);
}

}  // namespace

int main() {
    VtHandle mainWindow = nullptr;
    if (!vtOpenMain(nullptr, nullptr, 0, "vtwin probe", &mainWindow, 24, 84, "Courier", 7)) {
        return 2;
    }
    vtSetUsedSize(20, 60);
    DrawKnownCells(mainWindow);
    vtStartInput();
    mainWindow->WindowOptions |= kVtHideCursor;
    vtStartKeys();
    mainWindow->WindowOptions |= kVtNoWait;
    char keys[120] = "";
    vtPrintAt(20, 0, "keys:%s\n", keys);
    vtUpdate();
    for (;;) {
        if (!vtWaitKey(mainWindow, -1)) continue;
        int key = vtGetKey(mainWindow);
        size_t used = std::strlen(keys);
        std::snprintf(keys + used, sizeof keys - used, " %d", key);
        vtPrintAt(20, 0, "keys:%s\n", keys);
        vtUpdate();
    }
}
