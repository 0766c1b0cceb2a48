// The monitors' command line on Linux: they take no options, but answer --help and --version as
// every terminal program does, and refuse anything else before the screen is touched.
#pragma once

#include <cstdio>

// What tells the two monitors apart on their command line.
struct ProgramUsage {
    const char* name;     // as typed: "ringeye", "Tallyer"
    const char* summary;  // one line: what the program shows
    const char* keys;     // the key summary for --help, lines ending in "\n"
    int exitStatus;       // the status of a normal exit, for --help
    // A second way to run the program, its usage line after the name (null: none), and what
    // --help says of it, lines ending in "\n".
    const char* operands = nullptr;
    const char* operandHelp = nullptr;
};

// The status with which a monitor refuses an argument it does not know, or cannot start.
constexpr int kUsageErrorStatus = 2;

// Returns -1 when the program should run (no arguments), otherwise the status to exit with
// after --help or --version (0, text on `out`) or an unknown argument (2, text on `err`).
int HandleCommandLine(const ProgramUsage& usage, int argc, const char* const* argv, FILE* out,
                      FILE* err);
