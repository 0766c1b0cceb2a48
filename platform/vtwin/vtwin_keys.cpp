// Reading keys: the set-up calls, vtGetKey, vtWaitKey and vtPeekKey.
#include <cstdint>

#include "platform/clock.h"
#include "platform/vtwin/screen.h"
#include "platform/vtwin/vtwin.h"
#include "platform/vtwin/window.h"

using namespace vtwin;

namespace {

// The window that reads keys, with the display brought up to date, or nullptr when no key may
// be read through it.
VtWindowRecord* KeyReader(VtHandle handle) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window || !LibraryOpen()) return nullptr;
    Library().display->CheckEvents();
    NoteKeyReader(*window);
    return window;
}

int TakeKey() {
    LibraryState& library = Library();
    if (library.heldKey != 0) {
        int key = library.heldKey;
        library.heldKey = 0;
        return key;
    }
    return library.display->TakeKey(library.translateKeys);
}

}  // namespace

extern "C" {

int vtStartInput(void) {
    if (!LibraryOpen()) return 0;
    if (!Library().inputStarted) Library().display->StartInput();
    Library().inputStarted = true;
    return 1;
}

int vtStartKeys(void) {
    if (!LibraryOpen()) return 0;
    Library().translateKeys = true;
    return 1;
}

int vtGetKey(VtHandle handle) {
    VtWindowRecord* window = KeyReader(handle);
    if (!window || !Library().inputStarted) return 0;
    for (;;) {
        int key = TakeKey();
        if (key != 0 || (window->WindowOptions & kVtNoWait) != 0) return key;
        Library().display->WaitForKey(-1);
    }
}

int vtPeekKey(VtHandle handle) {
    VtWindowRecord* window = KeyReader(handle);
    if (!window || !Library().inputStarted) return 0;
    LibraryState& library = Library();
    if (library.heldKey == 0) library.heldKey = library.display->TakeKey(library.translateKeys);
    return library.heldKey;
}

int vtWaitKey(VtHandle handle, int timeoutMs) {
    VtWindowRecord* window = KeyReader(handle);
    if (!window) return 0;
    platform::Clock& clock = platform::CurrentClock();
    if (!Library().inputStarted) {
        if (timeoutMs > 0) clock.SleepMs(static_cast<uint32_t>(timeoutMs));
        return 0;
    }
    uint64_t deadline = clock.NowMs() + static_cast<uint64_t>(timeoutMs < 0 ? 0 : timeoutMs);
    // A wait that may last starts with the wait itself, which returns at once when a key is
    // there: asking for a key first would look at the keyboard twice for nothing.
    if (timeoutMs != 0 && Library().heldKey == 0 &&
        !Library().display->WaitForKey(timeoutMs < 0 ? -1 : timeoutMs)) {
        return 0;
    }
    for (;;) {
        int key = TakeKey();
        if (key != 0) {
            Library().heldKey = key;
            return 1;
        }
        int remaining = -1;
        if (timeoutMs >= 0) {
            uint64_t now = clock.NowMs();
            if (now >= deadline) return 0;
            remaining = static_cast<int>(deadline - now);
        }
        if (!Library().display->WaitForKey(remaining)) return 0;
    }
}

}  // extern "C"
