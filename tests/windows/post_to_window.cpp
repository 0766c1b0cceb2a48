// Test helper for the end-to-end run: finds a top-level window by its title and posts it what an
// operator would send: a click on the close box ("close") or the Esc key ("esc"). Waits up to
// ten seconds for the window to appear; exits 0 once posted, 1 when no such window came, 2 on a
// wrong command line.
#include <cstdio>
#include <cstring>

#include "platform/win32/win32.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[2], "close") != 0 && std::strcmp(argv[2], "esc") != 0)) {
        std::fprintf(stderr, "usage: post_to_window TITLE close|esc\n");
        return 2;
    }
    HWND window = nullptr;
    for (int tries = 0; tries < 100 && !window; ++tries) {
        window = FindWindowA(nullptr, argv[1]);
        if (!window) Sleep(100);
    }
    if (!window) {
        std::fprintf(stderr, "post_to_window: no window titled \"%s\"\n", argv[1]);
        return 1;
    }
    BOOL posted = FALSE;
    if (std::strcmp(argv[2], "close") == 0) {
        posted = PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
        // The key-down as the keyboard delivers it; the program's message loop makes the WM_CHAR.
        const UINT scanCode = MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC);
        posted =
            PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, static_cast<LPARAM>(1 | (scanCode << 16)));
    }
    return posted ? 0 : 1;
}
