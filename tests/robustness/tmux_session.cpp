#include "tests/robustness/tmux_session.h"

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace robustness {
namespace {

constexpr int kPollAttempts = 1200;  // a minute
constexpr auto kPollPause = std::chrono::milliseconds(50);

std::atomic<int> serversMade{0};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

TmuxSession::TmuxSession(const std::string& program, const std::string& runtimeDir, int columns,
                         int rows, const std::string& environment, const std::string& redirection) {
    char directory[] = "/tmp/robust-tmux-XXXXXX";
    if (!mkdtemp(directory)) throw std::runtime_error("mkdtemp failed");
    directory_ = directory;
    server_ = "robust-" + std::to_string(getpid()) + "-" + std::to_string(++serversMade);
    const std::string script = directory_ + "/run.sh";
    std::ofstream(script) << "printf '\\033]2;" << kShellTitle << "\\007'\n"
                          << "sh -c 'echo $$ > \"$0\"; exec \"$@\"' " << Quoted(directory_ + "/pid")
                          << " env XDG_RUNTIME_DIR=" << Quoted(runtimeDir) << " " << environment
                          << " " << Quoted(program) << " " << redirection << "\n"
                          << "echo \"program ended $?\"\n"
                          << "stty -a\n"
                          << "exec sleep 600\n";
    Run("new-session -d -s monitor -x " + std::to_string(columns) + " -y " + std::to_string(rows) +
        " " + Quoted("sh " + Quoted(script)));
}

TmuxSession::~TmuxSession() {
    Run("kill-server");
    // Best effort: a directory left behind in /tmp does no harm to later runs.
    if (std::system(("rm -rf " + Quoted(directory_)).c_str()) != 0) return;
}

bool TmuxSession::TmuxInstalled() {
    return std::system("command -v tmux >/dev/null 2>&1") == 0;
}

std::string TmuxSession::Run(const std::string& arguments) {
    const std::string command = "env -u TMUX TMUX_TMPDIR=" + Quoted(directory_) + " tmux -L " +
                                server_ + " -f /dev/null " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[512];
    while (size_t length = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, length);
    pclose(pipe);
    return output;
}

Pane TmuxSession::Capture(bool joined) {
    Pane rows;
    std::istringstream lines(
        Run(joined ? "capture-pane -p -J -t monitor" : "capture-pane -p -t monitor"));
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    return rows;
}

Pane TmuxSession::CaptureMarked(Pane* marks) {
    Pane rows;
    marks->clear();
    std::istringstream lines(Run("capture-pane -p -e -t monitor"));
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back();
        marks->emplace_back();
        SplitStyledRow(line, &rows.back(), &marks->back());
    }
    return rows;
}

Pane TmuxSession::WaitFor(const std::function<bool(const Pane&)>& ready, bool joined) {
    Pane rows;
    for (int attempt = 0; attempt < kPollAttempts; ++attempt) {
        rows = Capture(joined);
        if (ready(rows)) break;
        std::this_thread::sleep_for(kPollPause);
    }
    return rows;
}

std::string TmuxSession::Format(const std::string& format) {
    std::string answer = Run("display-message -p -t monitor " + Quoted(format));
    while (!answer.empty() && answer.back() == '\n')
        answer.pop_back();
    return answer;
}

std::string TmuxSession::WaitForFormat(const std::string& format, const std::string& wanted) {
    std::string answer;
    for (int attempt = 0; attempt < kPollAttempts; ++attempt) {
        answer = Format(format);
        if (answer == wanted) break;
        std::this_thread::sleep_for(kPollPause);
    }
    return answer;
}

void TmuxSession::Resize(int columns, int rows) {
    Run("resize-window -t monitor -x " + std::to_string(columns) + " -y " + std::to_string(rows));
}

void TmuxSession::SendKeys(const std::string& keys) {
    Run("send-keys -t monitor " + keys);
}

int TmuxSession::ProgramPid() {
    for (int attempt = 0; attempt < kPollAttempts; ++attempt) {
        int pid = 0;
        std::ifstream(directory_ + "/pid") >> pid;
        if (pid > 0) return pid;
        std::this_thread::sleep_for(kPollPause);
    }
    return 0;
}

void SplitStyledRow(const std::string& styled, std::string* text, std::string* marks) {
    bool red = false, reverse = false;
    text->clear();
    marks->clear();
    for (size_t i = 0; i < styled.size(); ++i) {
        if (styled.compare(i, 2, "\033[") != 0) {
            if (styled[i] == '\033') continue;  // another sequence: tmux sends only SGR here
            text->push_back(styled[i]);
            marks->push_back(red || reverse ? '^' : ' ');
            continue;
        }
        const size_t end = styled.find_first_of("ABCDEFGHJKSTfmhlsu", i + 2);
        if (end == std::string::npos) break;
        if (styled[end] == 'm') {
            std::istringstream parameters(styled.substr(i + 2, end - i - 2));
            std::string parameter;
            bool any = false;
            while (std::getline(parameters, parameter, ';')) {
                any = true;
                const int code = parameter.empty() ? 0 : std::stoi(parameter);
                if (code == 0) red = reverse = false;
                if (code == 7) reverse = true;
                if (code == 27) reverse = false;
                if ((code >= 30 && code <= 39) || (code >= 90 && code <= 97)) red = code == 31;
                if (code == 38) break;  // a colour by number: never our red
            }
            if (!any) red = reverse = false;
        }
        i = end;
    }
}

std::string CellsOf(const Pane& pane, size_t row, size_t column, size_t length) {
    std::string line = row < pane.size() ? pane[row] : std::string();
    if (line.size() < column + length) line.resize(column + length, ' ');
    return line.substr(column, length);
}

std::string Joined(const Pane& pane) {
    std::string text;
    for (const std::string& row : pane)
        text += row + "\n";
    return text;
}

}  // namespace robustness
