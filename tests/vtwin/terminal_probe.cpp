// A tiny program for the tmux test: draws known text through the library on the terminal, then
// lists on row 20 every key code it reads, until it is killed (or a minute passes).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/vtwin/vtwin.h"
#include "platform/vtwin/window.h"

namespace {

constexpr auto kLongestRun = std::chrono::seconds(60);

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
    DrawKnownCells(mainWindow);
    vtStartInput();
    mainWindow->WindowOptions |= kVtHideCursor;
    vtStartKeys();
    mainWindow->WindowOptions |= kVtNoWait;
    char keys[120] = "";
    vtPrintAt(20, 0, "keys:%s\n", keys);
    vtUpdate();
    auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < kLongestRun) {
        if (!vtWaitKey(mainWindow, 1000)) continue;
        int key = vtGetKey(mainWindow);
        size_t used = std::strlen(keys);
        std::snprintf(keys + used, sizeof keys - used, " %d", key);
        vtPrintAt(20, 0, "keys:%s\n", keys);
        vtUpdate();
    }
    vtEnd();
    return 3;
}
