// The terminal display without a real terminal: key translation and the title decision as pure
// functions, the bytes curses sends for a changed cell, and what the signal handlers do.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/vtwin/terminal_display.h"
#include "platform/vtwin/terminal_signals.h"
#include "platform/vtwin/vtwin.h"

namespace {

using vtwin::ScreenImage;
using vtwin::TerminalDisplay;

TEST(TerminalKeys, CursesCodesBecomeTheLibrarysKeys) {
    const vtwin::CursesKeyCodes named = vtwin::NamedCursesKeys();
    const struct {
        const char* name;
        int code;
        int key;
    } keys[] = {
        {"CR", '\r', 10},
        {"LF", '\n', 10},
        {"keypad Enter", named.enter, 10},
        {"DEL", 127, 8},
        {"^H", 8, 8},
        {"KEY_BACKSPACE", named.backspace, 8},
        {"Esc", 27, 27},
        {"digit", '7', '7'},
        {"space", ' ', ' '},
        {"byte above 127", 0xE9, 0xE9},
        {"KEY_UP", named.up, 0},
        {"KEY_F(1)", named.f1, 0},
        {"KEY_RESIZE", named.resize, 0},
        {"ERR", named.none, 0},
    };
    for (const auto& key : keys)
        EXPECT_EQ(vtwin::TranslateCursesKey(key.code), key.key) << key.name;
}

TEST(TerminalTitle, OnlyTerminalsThatTakeATitleGetOne) {
    const struct {
        const char* term;
        const char* statusLine;
        bool xtermFlag;
        bool takesTitle;
    } terminals[] = {
        {"xterm-256color", nullptr, false, true}, {"tmux-256color", nullptr, false, true},
        {"screen", nullptr, false, true},         {"rxvt-unicode", nullptr, false, true},
        {"linux", nullptr, false, false},         {"vt100", nullptr, false, false},
        {"vt100", "\033[?E", false, false},       {"foot", "\033]2;", false, true},
        {"alacritty", nullptr, true, true},       {nullptr, nullptr, false, false},
    };
    for (const auto& terminal : terminals) {
        EXPECT_EQ(vtwin::TerminalTakesTitle(terminal.term, terminal.statusLine, terminal.xtermFlag),
                  terminal.takesTitle)
            << (terminal.term ? terminal.term : "(none)");
    }
}

// A terminal display writing to a file, as an xterm of 24 x 80, with a pipe for input.
class TerminalToFile : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("LINES", "24", 1);
        setenv("COLUMNS", "80", 1);
        output = std::tmpfile();
        ASSERT_NE(output, nullptr);
        ASSERT_EQ(pipe(inputPipe), 0);
        input = fdopen(inputPipe[0], "r");
        terminal = new TerminalDisplay(output, input, "xterm");
        image.rows = 24;
        image.columns = 80;
        image.text.assign(24, std::string(80, ' '));
        image.cursorVisible = false;
    }
    void TearDown() override {
        delete terminal;
        std::fclose(input);
        close(inputPipe[1]);
        std::fclose(output);
    }
    std::string Written() {
        std::fflush(output);
        std::string bytes;
        std::rewind(output);
        for (int c; (c = std::fgetc(output)) != EOF;)
            bytes.push_back(static_cast<char>(c));
        std::fseek(output, 0, SEEK_END);
        return bytes;
    }

    FILE* output = nullptr;
    FILE* input = nullptr;
    int inputPipe[2] = {-1, -1};
    TerminalDisplay* terminal = nullptr;
    ScreenImage image;
};

TEST_F(TerminalToFile, OneChangedCellSendsOnlyAFewBytes) {
    terminal->Open("probe title", 24, 80);
    // No runs of one character, which curses would send in a few bytes.
    for (int row = 0; row < 24; ++row) {
        for (int column = 0; column < 80; ++column) {
            image.text[static_cast<size_t>(row)][static_cast<size_t>(column)] =
                static_cast<char>('a' + (row + column) % 26);
        }
    }
    terminal->Present(image);
    size_t afterFullScreen = Written().size();
    EXPECT_GT(afterFullScreen, 24u * 80u);
    image.text[10][40] = 'Z';
    terminal->Present(image);
    std::string bytes = Written();
    std::string sent = bytes.substr(afterFullScreen);
    EXPECT_LT(sent.size(), 16u) << sent;
    EXPECT_NE(sent.find('Z'), std::string::npos);
    terminal->Present(image);
    EXPECT_EQ(Written().size(), bytes.size()) << "an unchanged image sends nothing";
    EXPECT_NE(bytes.find("\033]0;probe title\007"), std::string::npos);
}

TEST_F(TerminalToFile, CellsWithoutAGlyphTakeOneCellEach) {
    terminal->Open("", 24, 80);
    Written();
    size_t before = Written().size();
    image.text[0].replace(0, 4, "A\033\x01\xE9");
    terminal->Present(image);
    std::string sent = Written().substr(before);
    EXPECT_NE(sent.find("A???"), std::string::npos) << sent;
}

TEST_F(TerminalToFile, CloseRestoresOnceAndCanBeRepeated) {
    terminal->Open("", 24, 80);
    terminal->Close();
    std::string bytes = Written();
    EXPECT_NE(bytes.find("\033[?1049l"), std::string::npos) << "alternate screen left";
    terminal->Close();
    EXPECT_EQ(Written().size(), bytes.size());
    terminal->Present(image);
    EXPECT_EQ(terminal->TakeKey(true), 0);
}

// A trouble cell is red on a terminal with colours, in reverse video without colours or under
// NO_COLOR; its style is sent where it changes and not again while it stands.
TEST_F(TerminalToFile, TroubleCellsAreRedOrReverseAndSentOnlyWhenChanged) {
    const struct {
        const char* name;
        const char* terminalType;
        const char* noColor;  // nullptr: unset
        const char* expected;
    } cases[] = {
        {"colours", "xterm", nullptr, "\033[31m"},
        {"empty NO_COLOR", "xterm", "", "\033[31m"},
        {"NO_COLOR", "xterm", "1", "\033[0;7m"},
        {"no colours", "vt220", nullptr, "\033[0;7m"},
    };
    image.styles.assign(24, std::string(80, char{kVtStyleNormal}));
    image.text[5].replace(10, 4, "Fail");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.noColor)
            setenv("NO_COLOR", c.noColor, 1);
        else
            unsetenv("NO_COLOR");
        TerminalDisplay display(output, input, c.terminalType);
        display.Open("", 24, 80);
        display.Present(image);
        const size_t plain = Written().size();
        image.styles[5].replace(10, 4, 4, char{kVtStyleTrouble});
        display.Present(image);
        const std::string marked = Written().substr(plain);
        EXPECT_NE(marked.find(c.expected), std::string::npos) << marked;
        EXPECT_NE(marked.find("Fail"), std::string::npos) << marked;
        display.Present(image);
        EXPECT_EQ(Written().size(), plain + marked.size()) << "an unchanged image sends nothing";
        image.styles[5].replace(10, 4, 4, char{kVtStyleNormal});
        display.Present(image);
        EXPECT_LT(Written().size() - plain - marked.size(), 24u) << "back to plain";
        display.Close();
    }
    unsetenv("NO_COLOR");
}

// Each write to a packet socket arrives as one packet, so the packets count the writes.
TEST(TerminalWrites, AnUpdateReachesTheTerminalInOneWrite) {
    int packets[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, packets), 0);
    int inputPipe[2];
    ASSERT_EQ(pipe(inputPipe), 0);
    FILE* output = fdopen(packets[0], "w");
    FILE* input = fdopen(inputPipe[0], "r");
    auto writesSince = [&packets](std::string* sent) {
        int writes = 0;
        char packet[65536];
        for (ssize_t got; (got = recv(packets[1], packet, sizeof packet, MSG_DONTWAIT)) > 0;) {
            sent->append(packet, static_cast<size_t>(got));
            ++writes;
        }
        return writes;
    };
    ScreenImage image;
    image.rows = 24;
    image.columns = 80;
    image.text.assign(24, std::string(80, ' '));
    image.cursorVisible = false;
    {
        TerminalDisplay terminal(output, input, "xterm");
        terminal.Open("", 24, 80);
        terminal.Present(image);  // hides the cursor, once
        std::string sent;
        writesSince(&sent);
        const struct {
            const char* text;       // six characters
            std::vector<int> rows;  // each gets the text
        } cases[] = {
            {"allrow", {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                        12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
            {"spread", {0, 7, 15, 23}},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.text);
            for (int row : c.rows)
                image.text[static_cast<size_t>(row)].replace(10, 6, c.text);
            terminal.Present(image);
            sent.clear();
            EXPECT_EQ(writesSince(&sent), 1);
            EXPECT_NE(sent.find(c.text), std::string::npos) << sent;
        }
        // The same image again sends nothing; a visible cursor that moved is sent alone.
        terminal.Present(image);
        EXPECT_EQ(writesSince(&sent), 0);
        image.cursorVisible = true;
        terminal.Present(image);
        writesSince(&sent);
        image.cursorRow = 12;
        image.cursorColumn = 40;
        terminal.Present(image);
        sent.clear();
        EXPECT_EQ(writesSince(&sent), 1);
        EXPECT_NE(sent.find("\033[13;41H"), std::string::npos) << sent;
    }
    std::fclose(output);
    std::fclose(input);
    close(inputPipe[1]);
    close(packets[1]);
}

TEST(TerminalSignals, HandlersOnlyNoteTheSignalAndWakeTheWait) {
    ASSERT_TRUE(vtwin::InstallTerminalSignals());
    std::raise(SIGWINCH);
    EXPECT_TRUE(vtwin::TakeResize());
    EXPECT_FALSE(vtwin::TakeResize());
    EXPECT_EQ(vtwin::PendingExitSignal(), 0);
    std::raise(SIGTSTP);  // noted, not stopped: the library stops outside the handler
    EXPECT_TRUE(vtwin::TakeStop());
    EXPECT_FALSE(vtwin::TakeStop());
    std::raise(SIGHUP);
    EXPECT_EQ(vtwin::PendingExitSignal(), SIGHUP);
    struct pollfd wake = {vtwin::SignalWakeDescriptor(), POLLIN, 0};
    EXPECT_EQ(poll(&wake, 1, 0), 1);
    vtwin::DrainSignalWakes();
    EXPECT_EQ(poll(&wake, 1, 0), 0);
    vtwin::RemoveTerminalSignals();
    struct sigaction current = {};
    sigaction(SIGHUP, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

// A file for what a child process sends to its terminal; read back and removed.
class ChildTerminal {
  public:
    ChildTerminal() {
        int descriptor = mkstemp(path);
        if (descriptor >= 0) close(descriptor);
    }
    ~ChildTerminal() { unlink(path); }
    std::string Written() const {
        std::string bytes;
        if (FILE* written = std::fopen(path, "r")) {
            for (int c; (c = std::fgetc(written)) != EOF;)
                bytes.push_back(static_cast<char>(c));
            std::fclose(written);
        }
        return bytes;
    }
    char path[32] = "/tmp/vtwin-terminal-XXXXXX";
};

TEST(TerminalExitDeathTest, ExitWithoutEndRestoresTheTerminal) {
    ChildTerminal child;
    EXPECT_EXIT(
        {
            setenv("LINES", "24", 1);
            setenv("COLUMNS", "80", 1);
            // Never destroyed, so that only the library's exit hook can restore the terminal.
            static TerminalDisplay* terminal = new TerminalDisplay(
                std::fopen(child.path, "w"), std::fopen("/dev/null", "r"), "xterm");
            vtwin::SetDisplay(terminal);
            VtHandle mainWindow = nullptr;
            vtOpenMain(nullptr, nullptr, 0, "", &mainWindow, 24, 84, "Courier", 7);
            vtStartInput();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_NE(child.Written().find("\033[?1049l"), std::string::npos);
}

TEST(TerminalSignalsDeathTest, TerminationRestoresTheTerminalThenEndsByTheSignal) {
    ChildTerminal child;
    const char* path = child.path;
    EXPECT_EXIT(
        {
            setenv("LINES", "24", 1);
            setenv("COLUMNS", "80", 1);
            FILE* output = std::fopen(path, "w");
            FILE* input = std::fopen("/dev/null", "r");
            TerminalDisplay terminal(output, input, "xterm");
            terminal.Open("", 24, 80);
            std::raise(SIGTERM);
            terminal.WaitForKey(-1);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_NE(child.Written().find("\033[?1049l"), std::string::npos) << "restored before the end";
}

// Opens a terminal display on `inputPath` (nullptr: a silent pipe that stays open) and a file,
// or on a pseudo-terminal whose other side then goes away, shows a screen and reads keys.
[[noreturn]] void UseGoneTerminal(const char* inputPath, bool closeTerminal, const char* path) {
    int silent[2];
    if (pipe(silent) != 0) std::_Exit(3);
    FILE* input = inputPath ? std::fopen(inputPath, "r") : fdopen(silent[0], "r");
    FILE* output = std::fopen(path, "w");
    int master = -1, slave = -1;
    winsize size{24, 80, 0, 0};
    if (closeTerminal) {
        if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) std::_Exit(3);
        output = fdopen(slave, "w");
    }
    TerminalDisplay terminal(output, input, "xterm");
    terminal.Open("", 24, 80);
    ScreenImage image;
    image.rows = 24;
    image.columns = 80;
    image.text.assign(24, std::string(80, 'x'));
    if (closeTerminal) close(master);
    terminal.Present(image);
    for (int wait = 0; wait < 3; ++wait)
        terminal.WaitForKey(-1);
    terminal.TakeKey(true);
    std::_Exit(0);
}

// A terminal that is gone ends the program as a hang-up does, after restoring what it can,
// instead of leaving it spinning on input that never becomes a key or writing into nowhere.
TEST(TerminalHangUpDeathTest, EndOfInputEndlessNonKeysAndFailedWritesEndAsAHangUp) {
    const struct {
        const char* name;
        const char* input;
        bool closeTerminal;
    } cases[] = {
        {"end of input", "/dev/null", false},
        {"endless keys without a character", "/dev/zero", false},
        {"failed write", nullptr, true},
    };
    for (const auto& gone : cases) {
        SCOPED_TRACE(gone.name);
        ChildTerminal child;
        EXPECT_EXIT(UseGoneTerminal(gone.input, gone.closeTerminal, child.path),
                    ::testing::KilledBySignal(SIGHUP), "");
        if (!gone.closeTerminal) {
            EXPECT_NE(child.Written().find("\033[?1049l"), std::string::npos) << "restored";
        }
    }
}

}  // namespace
