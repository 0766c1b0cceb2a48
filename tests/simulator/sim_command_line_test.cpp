// qd4682sim's command line as a user meets it: errors that name the program and the path they
// refuse, and a --help that fits an 80-column terminal.
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

struct SimRun {
    int status = -1;
    std::string output;  // stdout and stderr
};

SimRun RunSim(const std::string& args) {
    // The host's path is root's: as root the refusal is shown as another user meets it.
    const std::string runner =
        geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    SimRun run;
    FILE* pipe = popen((runner + QD4682SIM_PATH + " " + args + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct RefusalCase {
    const char* args;
    int status;
    const char* says;  // at the start of the output
};

TEST(SimCommandLine, RefusalsNameTheProgramAndThePathTried) {
    const RefusalCase cases[] = {
        {"--bogus", 2, "qd4682sim: The following argument was not expected: --bogus"},
        {"--instances 4", 2, "qd4682sim: --instances"},
        {"--system", 1, "qd4682sim: not serving at /run/qd4682/qd4682: --system is for root"},
    };
    for (const RefusalCase& c : cases) {
        const SimRun run = RunSim(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << ": " << run.output;
        EXPECT_EQ(run.output.rfind(c.says, 0), 0u) << c.args << ": " << run.output;
    }
}

TEST(SimCommandLine, HelpFitsEightyColumns) {
    const SimRun run = RunSim("--help");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("--system"), std::string::npos);
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line))
        EXPECT_LE(line.size(), 80u) << line;
}

}  // namespace
