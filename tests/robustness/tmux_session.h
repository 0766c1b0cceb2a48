// One program in a detached tmux session on a private server, for tests of the monitors on a
// real terminal. Waits poll the pane until what they wait for shows; their bound only ends a
// test that has already failed. The program runs under a shell that, once it ends, prints its exit
// status and the terminal modes (stty -a) and then sleeps, so a test can see what the program left
// behind.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace robustness {

using Pane = std::vector<std::string>;

class TmuxSession {
  public:
    // Runs `program` with XDG_RUNTIME_DIR set to `runtimeDir` in a session of columns x rows,
    // after the shell titled the pane kShellTitle. `environment` (VAR=value words) is added to
    // the program's environment, `redirection` (shell words) applies to it.
    TmuxSession(const std::string& program, const std::string& runtimeDir, int columns, int rows,
                const std::string& environment = "", const std::string& redirection = "");
    // Kills the server and everything in it.
    ~TmuxSession();
    TmuxSession(const TmuxSession&) = delete;
    TmuxSession& operator=(const TmuxSession&) = delete;

    static bool TmuxInstalled();
    static constexpr const char* kShellTitle = "shell title";

    // One tmux command on this server; answers what it printed.
    std::string Run(const std::string& arguments);
    // The visible rows, trailing blanks removed (as tmux gives them); `joined` rejoins the lines
    // the terminal wrapped.
    Pane Capture(bool joined = false);
    // The visible rows with their trouble marks, read from the colours tmux keeps for each cell:
    // `marks` gets one row per text row, '^' under a cell drawn red or in reverse video.
    Pane CaptureMarked(Pane* marks);
    // Polls the pane (boundedly) until `ready` holds; answers the last capture either way.
    Pane WaitFor(const std::function<bool(const Pane&)>& ready, bool joined = false);
    // A tmux format of the pane, such as #{alternate_on}, polled until it reads `wanted`.
    std::string WaitForFormat(const std::string& format, const std::string& wanted);
    void Resize(int columns, int rows);
    void SendKeys(const std::string& keys);
    // The program's process id, once it has started; 0 if it never did.
    int ProgramPid();
    // The pane's own format, such as #{pane_tty}, read once.
    std::string Format(const std::string& format);

  private:
    std::string directory_;
    std::string server_;
};

// A row captured with its escape sequences (capture-pane -e) split into its text and its marks:
// '^' for a cell drawn red or in reverse video, ' ' for the others.
void SplitStyledRow(const std::string& styled, std::string* text, std::string* marks);

// Cells [column, column + length) of a captured row, blank beyond its end.
std::string CellsOf(const Pane& pane, size_t row, size_t column, size_t length);
std::string Joined(const Pane& pane);

}  // namespace robustness
