// The one small interface between the window library's cell model and what shows it: the
// terminal (ncurses) or the headless display that tests read back.
#pragma once

#include <string>
#include <vector>

namespace vtwin {

// The composed screen: rows of characters, each row exactly `columns` long.
struct ScreenImage {
    int rows = 0;
    int columns = 0;
    std::vector<std::string> text;
    bool cursorVisible = true;
    int cursorRow = 0;
    int cursorColumn = 0;
};

class Display {
public:
    virtual ~Display() = default;
    virtual void Open(const char* title, int rows, int columns) = 0;
    // Shows the image. Called on vtRefresh and vtUpdate.
    virtual void Present(const ScreenImage& image) = 0;
    // Takes the next waiting key as the library's key code (already translated when
    // `translate` is set), or answers 0 at once when none waits.
    virtual int TakeKey(bool translate) = 0;
    // Waits up to timeoutMs (negative: without limit) for a key; true when one waits.
    virtual bool WaitForKey(int timeoutMs) = 0;
    virtual void StartInput() = 0;
    // Restores what Open changed. Safe to call twice.
    virtual void Close() = 0;
};

// The display vtOpenMain opens. nullptr (the default) is the terminal. Tests install a
// HeadlessDisplay before they run a program entry. The caller keeps ownership.
void SetDisplay(Display* display);

}  // namespace vtwin
