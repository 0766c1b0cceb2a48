// The one small interface between the window library's cell model and what shows it: the
// terminal (ncurses) or the headless display that tests read back.
#pragma once

#include <string>
#include <vector>

namespace vtwin {

// Styles of a cell (vtSetStyle): kVtStyleNormal or kVtStyleTrouble, one byte per cell.
using CellStyle = unsigned char;

// The composed screen: rows of characters, each row exactly `columns` long, and beside them the
// style of every cell. An image whose `styles` are left empty is all in the normal style.
struct ScreenImage {
    int rows = 0;
    int columns = 0;
    std::vector<std::string> text;
    std::vector<std::string> styles;
    bool cursorVisible = true;
    int cursorRow = 0;
    int cursorColumn = 0;
};

// The style of cell (row, column); the normal style (0) where the image carries none.
inline CellStyle StyleAt(const ScreenImage& image, int row, int column) {
    if (row < 0 || static_cast<size_t>(row) >= image.styles.size()) return 0;
    const std::string& line = image.styles[static_cast<size_t>(row)];
    if (column < 0 || static_cast<size_t>(column) >= line.size()) return 0;
    return static_cast<CellStyle>(line[static_cast<size_t>(column)]);
}

// What vtOpenMain was given for a window of its own: the program's instance handle, how the
// window is first shown (nCmdShow) and the font of its cells.
struct WindowRequest {
    void* instance = nullptr;
    int cmdShow = 0;
    const char* fontFace = nullptr;
    int fontSize = 0;
};

class Display {
  public:
    virtual ~Display() = default;
    // Called by vtOpenMain just before Open. Only a display that draws a window of its own (the
    // GDI display on Windows) uses it; the terminal and the headless display ignore it.
    virtual void PrepareWindow(const WindowRequest&) {}
    virtual void Open(const char* title, int rows, int columns) = 0;
    // The part of the main window, from its top-left cell, that the program draws in. A display
    // smaller than that cannot show the program usefully; one larger than that but smaller than
    // the main window shows what fits. Until set, the whole main window.
    virtual void SetUsedSize(int, int) {}
    // Shows the image. Called on vtRefresh and vtUpdate.
    virtual void Present(const ScreenImage& image) = 0;
    // Takes the next waiting key, or answers 0 at once when none waits. With `translate` set the
    // key comes as the library's key code (Enter 10, Backspace 8, Esc 27, see
    // key_translation.h) and keys without a character are skipped; without it the key comes as
    // the terminal delivered it.
    virtual int TakeKey(bool translate) = 0;
    // Waits up to timeoutMs (negative: without limit) for a key; true when one waits. A true
    // answer may still be followed by TakeKey answering 0, when that key is dropped.
    virtual bool WaitForKey(int timeoutMs) = 0;
    virtual void StartInput() = 0;
    // Restores what Open changed. Safe to call twice.
    virtual void Close() = 0;
    // Deals with what happened outside the program since the last call: a resized terminal is
    // repainted, a termination signal restores the terminal and ends the process. The library
    // calls it at the start of vtGetKey, vtWaitKey, vtRefresh and vtUpdate.
    virtual void CheckEvents() {}
};

// The platform's own display: the terminal on Linux (terminal_display.cpp), a GDI window on
// Windows (gdi_display.cpp).
Display& DefaultDisplay();

// The display vtOpenMain opens. nullptr (the default) is the platform's own. Tests install a
// HeadlessDisplay before they run a program entry. The caller keeps ownership and keeps the
// display alive until vtEnd; a change takes effect at the next vtOpenMain.
void SetDisplay(Display* display);

}  // namespace vtwin
