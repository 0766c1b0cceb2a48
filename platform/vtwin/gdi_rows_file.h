// A read-back of what the GDI display shows, for tests that run a program from outside: when the
// environment variable VTWIN_ROWS_FILE names a file, the display rewrites that file after every
// present with the shown rows, one line of exactly `columns` characters each. A window's text
// cannot be asked for from outside the program, so this is how an end-to-end test reads it.
#pragma once

#include <vector>

#include "platform/vtwin/display.h"
#include "platform/win32_on_linux/win32.h"

namespace vtwin {

class GdiRowsFile {
  public:
    static constexpr const char* kVariable = "VTWIN_ROWS_FILE";

    // Takes the file name from the environment and sizes the text for rows x columns. With the
    // variable unset (always, outside tests) Write does nothing.
    void Open(int rows, int columns);
    // Writes the rows to a file beside the named one, then moves it over the named one, so that a
    // reader sees either the previous screen or this one, never a mixture.
    void Write(const ScreenImage& image);

  private:
    char path_[MAX_PATH] = {};
    char partPath_[MAX_PATH + 8] = {};
    std::vector<char> text_;
};

}  // namespace vtwin
