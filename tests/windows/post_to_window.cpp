// Test helper for the end-to-end runs: finds a top-level window by its title and posts it what an
// operator would send: a click on the close box ("close"), the Esc key ("esc"), typed characters
// ("keys TEXT", where "\n" in TEXT is Enter) or Ctrl+C ("copy"). Waits up to ten seconds for the
// window to appear; exits 0 once posted, 1 when no such window came, 2 on a wrong command line.
#include <cstdio>
#include <cstring>

#include "platform/win32_on_linux/win32.h"

namespace {

// A key as the keyboard delivers it: the key-down, from which the program's message loop makes
// the character.
BOOL PostKeyDown(HWND window, UINT virtualKey) {
    const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    return PostMessageA(window, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scanCode << 16)));
}

// Typed characters arrive as WM_CHAR; Enter and Ctrl+C give the characters 13 and 3.
BOOL PostCharacters(HWND window, const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        const WPARAM character = *c == '\n' ? 13 : static_cast<unsigned char>(*c);
        if (!PostMessageA(window, WM_CHAR, character, 1)) return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const bool withText = argc == 4 && std::strcmp(argv[2], "keys") == 0;
    const bool plain =
        argc == 3 && (std::strcmp(argv[2], "close") == 0 || std::strcmp(argv[2], "esc") == 0 ||
                      std::strcmp(argv[2], "copy") == 0);
    if (!withText && !plain) {
        std::fprintf(stderr, "usage: post_to_window TITLE close|esc|copy|keys TEXT\n");
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
    if (withText) {
        posted = PostCharacters(window, argv[3]);
    } else if (std::strcmp(argv[2], "close") == 0) {
        posted = PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (std::strcmp(argv[2], "copy") == 0) {
        posted = PostCharacters(window, "\x03");
    } else {
        posted = PostKeyDown(window, VK_ESCAPE);
    }
    return posted ? 0 : 1;
}
