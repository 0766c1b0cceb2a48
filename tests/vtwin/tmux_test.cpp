// The library on a real terminal: the probe program runs in a detached tmux session of 84 x 26
// on a private server; the test reads the pane, types keys, resizes the window (down to what the
// probe uses, then below it), and ends the probe with SIGTERM to see the terminal restored.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Waits end as soon as the pane shows what they wait for; the bound only ends a failed test.
constexpr int kPollAttempts = 1200;
constexpr auto kPollPause = std::chrono::milliseconds(50);

bool TmuxInstalled() {
    return std::system("command -v tmux >/dev/null 2>&1") == 0;
}

class TmuxServer {
  public:
    TmuxServer() {
        char directory[] = "/tmp/vtwin-tmux-XXXXXX";
        if (mkdtemp(directory)) directory_ = directory;
        socket_ = "vtwin-" + std::to_string(getpid());
    }
    ~TmuxServer() {
        Run("kill-server");
        // Best effort: a directory left behind in /tmp does no harm to later runs.
        if (directory_.empty() || std::system(("rm -rf '" + directory_ + "'").c_str()) != 0) return;
    }
    // Runs one tmux command on this server and answers what it printed.
    std::string Run(const std::string& arguments) {
        std::string command = "env -u TMUX TMUX_TMPDIR='" + directory_ + "' tmux -L " + socket_ +
                              " -f /dev/null " + arguments + " 2>&1";
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return output;
        char buffer[512];
        while (size_t length = std::fread(buffer, 1, sizeof buffer, pipe)) {
            output.append(buffer, length);
        }
        pclose(pipe);
        return output;
    }
    // With `joined`, lines the pane wrapped come back as one.
    std::vector<std::string> PaneRows(bool joined = false) {
        std::vector<std::string> rows;
        std::istringstream lines(
            Run(joined ? "capture-pane -p -J -t probe" : "capture-pane -p -t probe"));
        for (std::string line; std::getline(lines, line);)
            rows.push_back(line);
        return rows;
    }
    std::string Format(const std::string& format) {
        std::string answer = Run("display-message -p -t probe '" + format + "'");
        while (!answer.empty() && answer.back() == '\n')
            answer.pop_back();
        return answer;
    }
    // Polls the pane until `ready` holds for its rows; answers the last rows seen either way.
    std::vector<std::string> WaitForPane(
        const std::function<bool(const std::vector<std::string>&)>& ready, bool joined = false) {
        std::vector<std::string> rows;
        for (int attempt = 0; attempt < kPollAttempts; ++attempt) {
            rows = PaneRows(joined);
            if (ready(rows)) break;
            std::this_thread::sleep_for(kPollPause);
        }
        return rows;
    }
    std::string WaitForFormat(const std::string& format, const std::string& wanted) {
        std::string answer;
        for (int attempt = 0; attempt < kPollAttempts; ++attempt) {
            answer = Format(format);
            if (answer == wanted) break;
            std::this_thread::sleep_for(kPollPause);
        }
        return answer;
    }

  private:
    std::string directory_;
    std::string socket_;
};

std::string RowOf(const std::vector<std::string>& rows, size_t row) {
    return row < rows.size() ? rows[row] : std::string();
}

std::string Cells(const std::vector<std::string>& rows, size_t row, size_t column, size_t length) {
    std::string line = RowOf(rows, row);
    line.resize(std::max(line.size(), column + length), ' ');
    return line.substr(column, length);
}

std::string Joined(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows)
        text += row + "\n";
    return text;
}

bool DrawnInFull(const std::vector<std::string>& rows) {
    return Cells(rows, 2, 5, 16) == "HELLO FROM ROW 2" && RowOf(rows, 3).size() == 84 &&
           Cells(rows, 3, 80, 4) == "ABCD" && Cells(rows, 10, 20, 10) == "  PAD TEXT" &&
           Cells(rows, 20, 0, 5) == "keys:";
}

TEST(TerminalUnderTmux, DrawsReadsKeysFollowsResizesAndRestoresOnSigterm) {
    if (!TmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
    TmuxServer tmux;
    const std::string wrapper =
        std::string("'") + VTWIN_PROBE + "; echo probe ended $?; stty -a; exec sleep 600'";
    tmux.Run("new-session -d -s probe -x 84 -y 26 " + wrapper);

    std::vector<std::string> rows = tmux.WaitForPane(DrawnInFull);
    ASSERT_TRUE(DrawnInFull(rows)) << Joined(rows);
    EXPECT_EQ(RowOf(rows, 4), "") << "no wrap from row 3";
    EXPECT_EQ(tmux.Format("#{alternate_on}"), "1");
    EXPECT_EQ(tmux.WaitForFormat("#{pane_title}", "vtwin probe"), "vtwin probe");

    const struct {
        const char* keys;
        const char* row;
    } typed[] = {
        {"Enter", "keys: 10"},           {"BSpace", "keys: 10 8"},
        {"C-h", "keys: 10 8 8"},         {"Escape", "keys: 10 8 8 27"},
        {"Up x", "keys: 10 8 8 27 120"}, {"F1 5", "keys: 10 8 8 27 120 53"},
    };
    for (const auto& key : typed) {
        tmux.Run(std::string("send-keys -t probe ") + key.keys);
        rows = tmux.WaitForPane(
            [&](const std::vector<std::string>& pane) { return RowOf(pane, 20) == key.row; });
        EXPECT_EQ(RowOf(rows, 20), key.row) << key.keys;
    }

    tmux.Run("resize-window -t probe -x 60 -y 20");
    rows = tmux.WaitForPane([](const std::vector<std::string>& pane) {
        return pane.size() == 20 && Cells(pane, 2, 5, 16) == "HELLO FROM ROW 2" &&
               RowOf(pane, 3).empty();
    });
    EXPECT_EQ(rows.size(), 20u);
    EXPECT_EQ(Cells(rows, 10, 20, 10), "  PAD TEXT") << Joined(rows);
    tmux.Run("resize-window -t probe -x 59 -y 20");  // below the 60 x 20 the probe uses
    const std::string notice = "Terminal too small: 60 x 20 needed";
    rows = tmux.WaitForPane([&](const std::vector<std::string>& pane) {
        return Cells(pane, 9, 0, 59) == std::string(12, ' ') + notice + std::string(13, ' ');
    });
    EXPECT_EQ(Cells(rows, 9, 12, notice.size()), notice) << Joined(rows);
    EXPECT_EQ(Cells(rows, 2, 0, 59), std::string(59, ' ')) << "nothing else\n" << Joined(rows);
    tmux.Run("resize-window -t probe -x 84 -y 26");
    rows = tmux.WaitForPane(DrawnInFull);
    EXPECT_TRUE(DrawnInFull(rows)) << "repainted after growing\n" << Joined(rows);

    int pid = std::atoi(Cells(rows, 22, 4, 10).c_str());
    ASSERT_GT(pid, 1) << Joined(rows);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    rows = tmux.WaitForPane(
        [](const std::vector<std::string>& pane) {
            return Joined(pane).find("probe ended 143") != std::string::npos &&
                   Joined(pane).find("icanon") != std::string::npos;
        },
        true);
    std::string shell = Joined(rows);
    EXPECT_NE(shell.find("probe ended 143"), std::string::npos) << "ended by SIGTERM\n" << shell;
    std::set<std::string> modes;
    std::istringstream words(shell);
    for (std::string word; words >> word;)
        modes.insert(word);
    for (const char* mode : {"echo", "icanon", "icrnl", "isig"}) {
        EXPECT_EQ(modes.count(mode), 1u) << mode << " restored\n" << shell;
    }
    EXPECT_EQ(tmux.WaitForFormat("#{alternate_on}", "0"), "0");
    EXPECT_EQ(tmux.Format("#{cursor_flag}"), "1") << "cursor visible again";
}

}  // namespace
