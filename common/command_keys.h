// Keys that arrive while a program is busy between two waits, such as in the requests of a
// refresh cycle against a slow driver.
#pragma once

#include "platform/vtwin/vtwin.h"

// Whether a key with a command waits on `window`, by the program's own rule. Keys without a
// command are read and dropped on the way, as the program's wait drops them; the key with a
// command stays for the next vtGetKey. Reading keys also deals with the terminal's signals, so a
// termination signal ends the program here rather than after the rest of a long cycle.
bool CommandKeyWaiting(VtHandle window, bool (*hasCommand)(int key));
