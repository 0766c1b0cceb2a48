// What users expect of a small Windows program's window, beside showing the cells: the close box
// ends the program, Ctrl+C copies the screen, and the text is sized for the monitor's resolution.
// The GdiDisplay's members for these live in gdi_window_manners.cpp; the parts below need no
// window and are tested on their own.
#pragma once

#include <string>

#include "platform/vtwin/display.h"
#include "platform/win32_on_linux/win32.h"

namespace vtwin {

// The shown screen as plain text: each row without its trailing blanks, rows ended by CR LF.
std::string ScreenText(const ScreenImage& image);

// The resolution of the monitor `window` is on, where the system can tell (Windows 10 and
// later); `fallback` elsewhere.
int WindowDpi(HWND window, int fallback);

// The status the program ends with when its window is closed: the int it exports as
// vtCloseExitStatus, 0 when it exports none.
unsigned CloseExitStatus();

}  // namespace vtwin
