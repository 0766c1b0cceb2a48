#include "common/command_keys.h"

bool CommandKeyWaiting(VtHandle window, bool (*hasCommand)(int key)) {
    for (;;) {
        const int key = vtPeekKey(window);
        if (key == 0) return false;
        if (hasCommand(key)) return true;
        vtGetKey(window);
    }
}
