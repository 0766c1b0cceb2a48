// The display on a real terminal, drawn through ncurses. Only terminal_display.cpp includes
// curses; this header names none of its types, so tests and the rest of the library stay free of
// its macros.
#pragma once

#include <cstdio>

#include "platform/vtwin/display.h"

struct screen;  // curses' SCREEN

namespace vtwin {

// Wide enough for curses' chtype (an unsigned int or long, by how curses was built).
using CursesCell = unsigned long;

// Whether trouble cells get a colour: the terminal has colours and NO_COLOR is unset or empty
// (the NO_COLOR convention).
bool TroubleInColour(bool terminalHasColours, const char* noColor);

// A curses key code (a byte, a KEY_* code or ERR) as the library's key code: Enter (CR, LF or
// the keypad Enter) 10, Backspace (DEL, ^H or KEY_BACKSPACE) 8, Esc 27, characters themselves;
// 0 for keys without a character (arrows, function keys, KEY_RESIZE) and for ERR.
int TranslateCursesKey(int code);

// The curses codes of a few keys, for tests that do not include curses.
struct CursesKeyCodes {
    int up;
    int f1;
    int backspace;
    int enter;
    int resize;
    int none;  // ERR
};
CursesKeyCodes NamedCursesKeys();

// Whether a terminal takes a title by OSC 0: it says so in terminfo (the XT flag, or a status
// line "tsl" that is an OSC), or its name is one of the families known to (xterm, tmux, screen,
// rxvt). `statusLine` may be nullptr.
bool TerminalTakesTitle(const char* terminalName, const char* statusLine, bool xtermFlag);

class TerminalDisplay : public Display {
  public:
    // terminalType nullptr: the TERM of the environment. With `requireTerminal` (the program's
    // own terminal) Open refuses streams that are not a terminal; tests leave it off to draw
    // into files and pipes.
    TerminalDisplay(FILE* output, FILE* input, const char* terminalType = nullptr,
                    bool requireTerminal = false)
        : output_(output),
          input_(input),
          terminalType_(terminalType),
          requireTerminal_(requireTerminal) {}
    ~TerminalDisplay() override { Close(); }

    // Leaves the program with status 2 and a one-line message on stderr when it cannot draw:
    // input or output not a terminal (with `requireTerminal`), a terminal type that curses does
    // not know or that cannot address the cursor. The size is the terminal's own, never that of
    // LINES and COLUMNS.
    void Open(const char* title, int rows, int columns) override;
    void SetUsedSize(int rows, int columns) override;
    // Sends only the cells that differ from the last image shown, and the cursor when it moved.
    void Present(const ScreenImage& image) override;
    int TakeKey(bool translate) override;
    bool WaitForKey(int timeoutMs) override;
    void StartInput() override;
    void Close() override;
    void CheckEvents() override;

  private:
    // Draws the cells that differ from the last image shown; false when none does.
    bool DrawChangedCells(const ScreenImage& image);
    void DrawAllCells();
    void PlaceCursor();
    void Repaint();
    void SetTitle(const char* title);
    // Chooses how a trouble cell looks on this terminal: red where it has colours and the
    // environment does not set NO_COLOR, reverse video otherwise.
    void SetUpStyles();
    // A cell as curses draws it: its glyph with the attributes of its style.
    CursesCell StyledGlyph(char character, CellStyle style) const;
    void NoteShownStyle(int row, int column, CellStyle style);
    bool KeyBuffered();
    // True when the input poll() reported holds bytes; false at its end (hang-up, /dev/null).
    bool InputHasBytes(short events);

    // Start-up refusals: each prints its line on stderr and exits with status 2.
    void RequireTerminalStreams() const;
    void RefuseTerminalType(const char* why) const;
    // The terminal is gone (end of input, a failed write, input that is no keyboard): restore
    // what can be restored and end as a hang-up does.
    [[noreturn]] void HangUp();
    void HangUpIfOutputFailed();
    // Back from a stop: curses' modes and the whole screen again.
    void Resume();
    // Ctrl+Z: the terminal restored, the process stopped; back, all of the screen again.
    void Suspend();
    // A terminal smaller than the used size shows one centred line instead of a cropped screen.
    bool Fits() const;
    void ShowSizeNotice();

    FILE* output_;
    FILE* input_;
    const char* terminalType_;
    bool requireTerminal_;
    ::screen* screen_ = nullptr;
    ScreenImage shown_;  // what the terminal shows, cell for cell, also beyond a small terminal
    int cursorMode_ = -1;
    int usedRows_ = 0, usedColumns_ = 0;
    bool noticeShown_ = false;
    bool titlePushed_ = false;
    // The output is another file than the input's terminal, so its failure is watched apart.
    bool watchOutput_ = true;
    // The last wgetch found nothing: curses holds no key that poll() cannot see.
    bool inputDrained_ = false;
    // The last wait for keys timed out with nothing in the input: the next TakeKey need not ask.
    bool inputQuiet_ = false;
    CursesCell troubleAttributes_ = 0;
};

// The terminal of the process (stdout, stdin, TERM): what vtOpenMain opens unless a test
// installed another display.
Display& DefaultTerminalDisplay();

}  // namespace vtwin
