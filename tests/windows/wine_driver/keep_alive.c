/* Keeps the Wine test driver loaded: Wine stops its drivers with its last ordinary process, so
 * start.sh leaves this one waiting. It does nothing else; `wineserver -k` ends it with the
 * driver. */
#include <windows.h>

int main(void) {
    Sleep(INFINITE);
    return 0;
}
