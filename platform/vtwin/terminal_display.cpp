// The only file that talks to curses. Everything is drawn on stdscr: the library composes the
// screen itself, and curses' own update (wnoutrefresh/doupdate) sends only the difference to the
// terminal. Esc is read with a 25 ms escape delay, long enough for the rest of an arrow key's
// sequence to arrive over a link, short enough that Esc feels immediate.
#define NCURSES_NOMACROS
#include "platform/vtwin/terminal_display.h"

#include <curses.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/vtwin/key_translation.h"
#include "platform/vtwin/terminal_signals.h"
#include "platform/vtwin/vtwin.h"

namespace vtwin {
namespace {

constexpr int kEscapeDelayMs = 25;
constexpr size_t kLongestTitle = 128;
// More keys without a character than any keyboard sends between two reads: the input is a
// stream of something else (a line noise, a device mistaken for a keyboard) and would keep the
// program reading forever.
constexpr int kMostIgnoredKeysInARow = 4096;
constexpr char kPushTitle[] = "\033[22;0t", kPopTitle[] = "\033[23;0t";
constexpr char kSizeNotice[] = "Terminal too small: %d x %d needed";
constexpr short kTroublePair = 1;

// One terminal cell per byte: bytes without a plain glyph (control codes, Esc echoed by a
// dialog, bytes of 128 and above) would otherwise be drawn as several cells by curses.
chtype Glyph(char character) {
    unsigned char byte = static_cast<unsigned char>(character);
    return byte >= 32 && byte < 127 ? byte : '?';
}

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SameTerminal(int input, int output) {
    struct stat in = {}, out = {};
    return fstat(input, &in) == 0 && fstat(output, &out) == 0 && S_ISCHR(in.st_mode) &&
           S_ISCHR(out.st_mode) && in.st_rdev == out.st_rdev;
}

}  // namespace

int TranslateCursesKey(int code) {
    if (code == KEY_BACKSPACE) return 8;
    if (code == KEY_ENTER) return 10;
    return TranslateKey(code);
}

CursesKeyCodes NamedCursesKeys() {
    return CursesKeyCodes{KEY_UP, KEY_F(1), KEY_BACKSPACE, KEY_ENTER, KEY_RESIZE, ERR};
}

bool TroubleInColour(bool terminalHasColours, const char* noColor) {
    return terminalHasColours && (noColor == nullptr || noColor[0] == '\0');
}

bool TerminalTakesTitle(const char* terminalName, const char* statusLine, bool xtermFlag) {
    if (xtermFlag) return true;
    if (statusLine && std::strncmp(statusLine, "\033]", 2) == 0) return true;
    if (!terminalName) return false;
    for (const char* family : {"xterm", "tmux", "screen", "rxvt"}) {
        if (std::strncmp(terminalName, family, std::strlen(family)) == 0) return true;
    }
    return false;
}

void TerminalDisplay::Open(const char* title, int rows, int columns) {
    if (screen_) return;
    if (requireTerminal_) RequireTerminalStreams();
    // Installed before curses starts, so that curses keeps our handlers instead of its own.
    InstallTerminalSignals();
    // The size is asked of the terminal: LINES and COLUMNS may be stale or absurd.
    use_env(FALSE);
    use_tioctl(TRUE);
    screen_ = newterm(terminalType_, output_, input_);
    if (!screen_) RefuseTerminalType("is not known");
    const char* cursorAddress = tigetstr("cup");
    if (cursorAddress == nullptr || cursorAddress == reinterpret_cast<const char*>(-1)) {
        RefuseTerminalType("cannot move the cursor");
    }
    set_escdelay(kEscapeDelayMs);
    // The programs look at the keyboard themselves between refreshes; curses looking too, between
    // the lines of every update, would cost a poll each time and cut the update into pieces.
    typeahead(-1);
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    watchOutput_ = !SameTerminal(fileno(input_), fileno(output_));
    shown_ = ScreenImage{};
    shown_.rows = rows;
    shown_.columns = columns;
    shown_.text.assign(static_cast<size_t>(rows), std::string(static_cast<size_t>(columns), ' '));
    shown_.styles.assign(static_cast<size_t>(rows),
                         std::string(static_cast<size_t>(columns), char{kVtStyleNormal}));
    cursorMode_ = -1;
    inputDrained_ = false;
    usedRows_ = rows;
    usedColumns_ = columns;
    noticeShown_ = false;
    SetUpStyles();
    SetTitle(title);
    // Until curses has once left its mode and come back, it sends its output after every cursor
    // movement: an update would reach the terminal in a write per changed line. The first update
    // below comes back, with the modes and the cleared screen a new screen gets anyway.
    endwin();
    werase(stdscr);
    PlaceCursor();
    wnoutrefresh(stdscr);
    doupdate();
}

void TerminalDisplay::StartInput() {
    if (screen_) cbreak();
}

void TerminalDisplay::Close() {
    if (!screen_) return;
    curs_set(1);
    endwin();
    delscreen(screen_);
    screen_ = nullptr;
    if (titlePushed_) {
        std::fputs(kPopTitle, output_);
        std::fflush(output_);
        titlePushed_ = false;
    }
    RemoveTerminalSignals();
}

void TerminalDisplay::CheckEvents() {
    if (!screen_) return;
    DrainSignalWakes();
    if (int signal = PendingExitSignal()) {
        Close();
        DieOfSignal(signal);
    }
    if (TakeStop()) Suspend();
    if (TakeContinued()) Resume();
    if (TakeResize()) Repaint();
}

void TerminalDisplay::Present(const ScreenImage& image) {
    CheckEvents();
    if (!screen_) return;
    if (!Fits()) {
        // Kept, so that the screen comes back whole as soon as the terminal grows.
        shown_ = image;
        if (!noticeShown_) ShowSizeNotice();
        return;
    }
    if (noticeShown_ || image.rows != shown_.rows || image.columns != shown_.columns) {
        noticeShown_ = false;
        shown_ = image;
        DrawAllCells();
    } else if (!DrawChangedCells(image) && image.cursorVisible == shown_.cursorVisible &&
               image.cursorRow == shown_.cursorRow && image.cursorColumn == shown_.cursorColumn) {
        // Nothing to send: curses would compare every line to find that out.
        return;
    }
    shown_.cursorVisible = image.cursorVisible;
    shown_.cursorRow = image.cursorRow;
    shown_.cursorColumn = image.cursorColumn;
    PlaceCursor();
    wnoutrefresh(stdscr);
    doupdate();
    // A terminal that is gone shows in the next wait for keys, which watches the output too.
}

namespace {

// Whether row `row` has the same styles in both images; false when that cannot be told at once,
// so that the cells are compared one by one.
bool SameStyleRow(const ScreenImage& a, const ScreenImage& b, int row) {
    const size_t index = static_cast<size_t>(row);
    const bool inA = index < a.styles.size(), inB = index < b.styles.size();
    if (!inA && !inB) return true;
    return inA && inB && a.styles[index] == b.styles[index];
}

}  // namespace

bool TerminalDisplay::DrawChangedCells(const ScreenImage& image) {
    bool changed = false;
    int visibleRows = std::min(image.rows, getmaxy(stdscr));
    int visibleColumns = std::min(image.columns, getmaxx(stdscr));
    for (int row = 0; row < image.rows; ++row) {
        const std::string& wanted = image.text[static_cast<size_t>(row)];
        std::string& shown = shown_.text[static_cast<size_t>(row)];
        // Most rows of a refresh are as they were: one comparison each instead of one a cell.
        if (wanted == shown && SameStyleRow(image, shown_, row)) continue;
        for (int column = 0; column < image.columns; ++column) {
            char character = wanted[static_cast<size_t>(column)];
            const CellStyle style = StyleAt(image, row, column);
            if (shown[static_cast<size_t>(column)] == character &&
                StyleAt(shown_, row, column) == style) {
                continue;
            }
            shown[static_cast<size_t>(column)] = character;
            NoteShownStyle(row, column, style);
            changed = true;
            if (row < visibleRows && column < visibleColumns) {
                mvwaddch(stdscr, row, column, StyledGlyph(character, style));
            }
        }
    }
    return changed;
}

void TerminalDisplay::DrawAllCells() {
    werase(stdscr);
    int visibleRows = std::min(shown_.rows, getmaxy(stdscr));
    int visibleColumns = std::min(shown_.columns, getmaxx(stdscr));
    for (int row = 0; row < visibleRows; ++row) {
        const std::string& line = shown_.text[static_cast<size_t>(row)];
        for (int column = 0; column < visibleColumns; ++column) {
            mvwaddch(stdscr, row, column,
                     StyledGlyph(line[static_cast<size_t>(column)], StyleAt(shown_, row, column)));
        }
    }
}

void TerminalDisplay::PlaceCursor() {
    int mode = shown_.cursorVisible ? 1 : 0;
    if (mode != cursorMode_) {
        curs_set(mode);
        cursorMode_ = mode;
    }
    // A hidden cursor may stay wherever the last cell was written, which saves moving it back.
    leaveok(stdscr, shown_.cursorVisible ? FALSE : TRUE);
    int row = std::clamp(shown_.cursorRow, 0, std::max(0, getmaxy(stdscr) - 1));
    int column = std::clamp(shown_.cursorColumn, 0, std::max(0, getmaxx(stdscr) - 1));
    wmove(stdscr, row, column);
}

// After a resize: curses takes the new size, and the whole last image is drawn again; what
// does not fit a smaller terminal is left out.
void TerminalDisplay::Repaint() {
    inputDrained_ = false;  // curses may note the new size among the keys
    inputQuiet_ = false;
    struct winsize size = {};
    if (ioctl(fileno(output_), TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
        resize_term(size.ws_row, size.ws_col);
    }
    if (!Fits()) {
        ShowSizeNotice();
        return;
    }
    noticeShown_ = false;
    DrawAllCells();
    clearok(curscr, TRUE);
    PlaceCursor();
    wnoutrefresh(stdscr);
    doupdate();
    HangUpIfOutputFailed();
}

void TerminalDisplay::SetTitle(const char* title) {
    const char* statusLine = tigetstr("tsl");
    if (statusLine == reinterpret_cast<const char*>(-1)) statusLine = nullptr;
    const char* name = terminalType_ ? terminalType_ : std::getenv("TERM");
    if (!TerminalTakesTitle(name, statusLine, tigetflag("XT") > 0)) return;
    // Saved on the terminal's title stack, to be put back on exit; terminals without the stack
    // ignore the request.
    std::fputs(kPushTitle, output_);
    titlePushed_ = true;
    char sequence[kLongestTitle + 8] = "\033]0;";
    size_t length = std::strlen(sequence);
    for (const char* cursor = title; *cursor && length < kLongestTitle; ++cursor) {
        unsigned char byte = static_cast<unsigned char>(*cursor);
        if (byte >= 32 && byte < 127) sequence[length++] = static_cast<char>(byte);
    }
    sequence[length++] = '\007';
    sequence[length] = '\0';
    // Straight to the terminal: curses has no call that sends a plain string to the output of
    // one screen without its terminfo header.
    std::fputs(sequence, output_);
    std::fflush(output_);
}

void TerminalDisplay::SetUpStyles() {
    troubleAttributes_ = A_REVERSE;
    if (!TroubleInColour(has_colors(), std::getenv("NO_COLOR")) || start_color() == ERR) return;
    // Red on the terminal's own background where it lets us keep it.
    const short background = use_default_colors() == OK ? -1 : COLOR_BLACK;
    if (init_pair(kTroublePair, COLOR_RED, background) == OK) {
        troubleAttributes_ = COLOR_PAIR(kTroublePair);
    }
}

CursesCell TerminalDisplay::StyledGlyph(char character, CellStyle style) const {
    const chtype glyph = Glyph(character);
    return style == kVtStyleTrouble ? glyph | static_cast<chtype>(troubleAttributes_) : glyph;
}

void TerminalDisplay::NoteShownStyle(int row, int column, CellStyle style) {
    if (static_cast<size_t>(row) < shown_.styles.size() &&
        static_cast<size_t>(column) < shown_.styles[static_cast<size_t>(row)].size()) {
        shown_.styles[static_cast<size_t>(row)][static_cast<size_t>(column)] =
            static_cast<char>(style);
    }
}

int TerminalDisplay::TakeKey(bool translate) {
    CheckEvents();
    if (!screen_) return 0;
    if (inputQuiet_) {
        // The wait for keys that just ended found the input quiet; a key typed since is in
        // the input, where the next wait sees it at once.
        inputQuiet_ = false;
        return 0;
    }
    for (int ignored = 0; ignored < kMostIgnoredKeysInARow; ++ignored) {
        int code = wgetch(stdscr);
        if (code == ERR) {
            inputDrained_ = true;
            return 0;
        }
        inputDrained_ = false;
        if (code == KEY_RESIZE) continue;
        if (!translate) return code;
        if (int key = TranslateCursesKey(code)) return key;
    }
    HangUp();
}

bool TerminalDisplay::KeyBuffered() {
    int code = wgetch(stdscr);
    if (code == ERR) return false;
    ungetch(code);
    return true;
}

bool TerminalDisplay::InputHasBytes(short events) {
    if (events & (POLLERR | POLLNVAL)) return false;
    int waiting = 0;
    if (ioctl(fileno(input_), FIONREAD, &waiting) == 0) return waiting > 0;
    // Neither a terminal nor a pipe (/dev/null, a file): only reading tells what is left.
    return (events & POLLHUP) == 0 && KeyBuffered();
}

bool TerminalDisplay::WaitForKey(int timeoutMs) {
    CheckEvents();
    if (!screen_) return false;
    // Keys curses has read but not handed out yet are not seen by poll(); right after TakeKey
    // found none there are none.
    if (!inputDrained_ && KeyBuffered()) return true;
    inputDrained_ = false;
    inputQuiet_ = false;
    int64_t deadline = NowMs() + std::max(timeoutMs, 0);
    for (;;) {
        int remaining =
            timeoutMs < 0 ? -1 : static_cast<int>(std::max<int64_t>(0, deadline - NowMs()));
        // The output is watched for nothing but its failure (a hang-up, a reader gone), which
        // poll() reports whatever the events asked for; not at all when it is the input's
        // terminal, whose hang-up the input shows.
        struct pollfd watched[3] = {{SignalWakeDescriptor(), POLLIN, 0},
                                    {fileno(input_), POLLIN, 0},
                                    {fileno(output_), 0, 0}};
        int ready = poll(watched, watchOutput_ ? 3 : 2, remaining);
        if (ready < 0 && errno != EINTR) return false;
        CheckEvents();
        if (ready > 0 && (watched[2].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) HangUp();
        if (ready > 0 && watched[1].revents != 0) {
            if (InputHasBytes(watched[1].revents)) return true;
            HangUp();
        }
        if (timeoutMs >= 0 && NowMs() >= deadline) {
            // Curses' keys were drained before the wait, and the input showed nothing.
            inputDrained_ = true;
            inputQuiet_ = ready == 0;
            return false;
        }
    }
}

void TerminalDisplay::SetUsedSize(int rows, int columns) {
    usedRows_ = std::clamp(rows, 1, std::max(1, shown_.rows));
    usedColumns_ = std::clamp(columns, 1, std::max(1, shown_.columns));
}

void TerminalDisplay::RequireTerminalStreams() const {
    const char* notTerminal = !isatty(fileno(input_))    ? "input"
                              : !isatty(fileno(output_)) ? "output"
                                                         : nullptr;
    if (!notTerminal) return;
    std::fprintf(stderr, "%s: standard %s is not a terminal\n", program_invocation_short_name,
                 notTerminal);
    std::exit(2);
}

void TerminalDisplay::RefuseTerminalType(const char* why) const {
    if (screen_) {
        endwin();
        delscreen(screen_);
    }
    RemoveTerminalSignals();
    const char* name = terminalType_ ? terminalType_ : std::getenv("TERM");
    std::fprintf(stderr, "%s: terminal type '%s' %s\n", program_invocation_short_name,
                 name ? name : "", why);
    std::exit(2);
}

void TerminalDisplay::HangUp() {
    Close();
    DieOfSignal(SIGHUP);
}

// curses does not report a failed write; a terminal that hung up, or whose reader went away,
// says so when polled.
void TerminalDisplay::HangUpIfOutputFailed() {
    struct pollfd watched = {fileno(output_), POLLOUT, 0};
    if (poll(&watched, 1, 0) > 0 && (watched.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        HangUp();
    }
}

// Whoever had the terminal while the program was stopped (a shell, another program) left it in
// its own modes and with its own text: leave curses' mode once and come back, which sets the
// program's modes again, then paint everything.
void TerminalDisplay::Resume() {
    endwin();
    Repaint();
}

// Ctrl+Z: the terminal as the shell left it, then the stop; back, the program's modes and the
// whole screen again, as after any stop. Keys typed before the stop were meant for the program
// as it was and are dropped; the modes the user set meanwhile are what the end restores.
void TerminalDisplay::Suspend() {
    sigset_t ttou, before;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    // Restoring the terminal from the background must not stop the process before the stop.
    sigprocmask(SIG_BLOCK, &ttou, &before);
    if (tcgetpgrp(fileno(input_)) == getpgrp()) def_prog_mode();
    endwin();
    sigprocmask(SIG_SETMASK, &before, nullptr);
    StopProcess();
    flushinp();
    def_shell_mode();
    TakeContinued();  // the repaint follows here, also when the stop did not happen
    Repaint();
}

bool TerminalDisplay::Fits() const {
    return getmaxy(stdscr) >= usedRows_ && getmaxx(stdscr) >= usedColumns_;
}

void TerminalDisplay::ShowSizeNotice() {
    char notice[64];
    const int length = std::snprintf(notice, sizeof notice, kSizeNotice, usedColumns_, usedRows_);
    werase(stdscr);
    const int width = getmaxx(stdscr);
    mvwaddnstr(stdscr, std::max(0, getmaxy(stdscr) - 1) / 2, std::max(0, (width - length) / 2),
               notice, std::min(length, width));
    curs_set(0);
    cursorMode_ = 0;
    clearok(curscr, TRUE);
    wnoutrefresh(stdscr);
    doupdate();
    noticeShown_ = true;
    HangUpIfOutputFailed();
}

Display& DefaultTerminalDisplay() {
    static TerminalDisplay terminal(stdout, stdin, nullptr, true);
    return terminal;
}

Display& DefaultDisplay() {
    return DefaultTerminalDisplay();
}

}  // namespace vtwin
