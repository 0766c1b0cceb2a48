// The monitors' command line: what runs, what is answered, what is refused, and where it goes.
#include "common/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitors_version.h"

namespace {

const ProgramUsage kUsage = {"Tallyer", "Shows counters.", "  0  quit\n", 0};

std::string ReadBack(FILE* stream) {
    std::string text;
    std::rewind(stream);
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream))
        text += static_cast<char>(c);
    return text;
}

struct CommandLineCase {
    std::vector<const char*> arguments;  // after the program name
    int status;
    const char* outStart;  // what the standard output begins with
    const char* errText;   // the whole standard error
};

TEST(CommandLine, RunsAnswersOrRefuses) {
    const std::string version = std::string("Tallyer ") + MONITORS_VERSION + "\n";
    const char* usageLine = "usage: Tallyer [--help | --version]\n";
    const std::string refused = std::string("Tallyer: unrecognised argument '-x'\n") + usageLine;
    const std::string twice = std::string("Tallyer: one option at a time\n") + usageLine;
    const CommandLineCase cases[] = {
        {{}, -1, "", ""},
        {{"--help"}, 0, usageLine, ""},
        {{"-h"}, 0, usageLine, ""},
        {{"--version"}, 0, version.c_str(), ""},
        {{"-V"}, 0, version.c_str(), ""},
        {{"-x"}, 2, "", refused.c_str()},
        {{"--help", "-x"}, 2, "", refused.c_str()},
        {{"--version", "--help"}, 2, "", twice.c_str()},
    };
    for (const CommandLineCase& c : cases) {
        std::vector<const char*> argv = {"Tallyer"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        FILE* out = std::tmpfile();
        FILE* err = std::tmpfile();
        ASSERT_TRUE(out && err);
        const int status =
            HandleCommandLine(kUsage, static_cast<int>(argv.size()), argv.data(), out, err);
        const std::string outText = ReadBack(out), errText = ReadBack(err);
        const std::string label = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(status, c.status) << label;
        EXPECT_EQ(outText.rfind(c.outStart, 0), 0u) << label << ": " << outText;
        if (*c.outStart == '\0') {
            EXPECT_EQ(outText, "") << label;
        }
        EXPECT_EQ(errText, c.errText) << label;
        std::fclose(out);
        std::fclose(err);
    }
}

TEST(CommandLine, HelpCarriesTheProgramsOwnKeysAndStatus) {
    FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    const char* argv[] = {"Tallyer", "--help"};
    HandleCommandLine(kUsage, 2, argv, out, stderr);
    const std::string help = ReadBack(out);
    std::fclose(out);
    for (const char* part : {"Shows counters.", "  0  quit\n", "normal exit has status 0",
                             "XDG_RUNTIME_DIR", "See Tallyer(1)."}) {
        EXPECT_NE(help.find(part), std::string::npos) << part << "\n" << help;
    }
}

}  // namespace
