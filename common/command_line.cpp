#include "common/command_line.h"

#include <cstring>

#include "monitors_version.h"

namespace {

bool IsOneOf(const char* argument, const char* shortForm, const char* longForm) {
    return std::strcmp(argument, shortForm) == 0 || std::strcmp(argument, longForm) == 0;
}

void PrintUsageLine(const ProgramUsage& usage, FILE* stream) {
    std::fprintf(stream, "usage: %s [--help | --version]\n", usage.name);
    if (usage.operands) std::fprintf(stream, "       %s %s\n", usage.name, usage.operands);
}

void PrintHelp(const ProgramUsage& usage, FILE* out) {
    PrintUsageLine(usage, out);
    std::fprintf(
        out,
        "\n%s\n\n"
        "Keys:\n%s\n"
        "The driver is reached as \\\\.\\qd4682, a Unix socket at $XDG_RUNTIME_DIR/qd4682\n"
        "(or /tmp/qd4682-UID/qd4682 when XDG_RUNTIME_DIR is not set); qd4682sim serves\n"
        "it. A normal exit has status %d; status 2 when it cannot start: an argument\n"
        "not understood, standard input or output not a terminal, or a terminal type\n"
        "without cursor addressing (such as dumb) or unknown.\n\n"
        "  -h, --help     show this help and exit\n"
        "  -V, --version  show the version and exit\n\n"
        "%s"
        "See %s(1).\n",
        usage.summary, usage.keys, usage.exitStatus, usage.operandHelp ? usage.operandHelp : "",
        usage.name);
}

}  // namespace

int HandleCommandLine(const ProgramUsage& usage, int argc, const char* const* argv, FILE* out,
                      FILE* err) {
    if (argc <= 1) return -1;
    const char* argument = argv[1];
    if (argc == 2 && IsOneOf(argument, "-h", "--help")) {
        PrintHelp(usage, out);
        return 0;
    }
    if (argc == 2 && IsOneOf(argument, "-V", "--version")) {
        std::fprintf(out, "%s %s\n", usage.name, MONITORS_VERSION);
        return 0;
    }
    const char* unknown = nullptr;
    for (int i = 1; i < argc && unknown == nullptr; ++i) {
        if (!IsOneOf(argv[i], "-h", "--help") && !IsOneOf(argv[i], "-V", "--version")) {
            unknown = argv[i];
        }
    }
    if (unknown != nullptr) {
        std::fprintf(err, "%s: unrecognised argument '%s'\n", usage.name, unknown);
    } else {
        std::fprintf(err, "%s: one option at a time\n", usage.name);
    }
    PrintUsageLine(usage, err);
    return kUsageErrorStatus;
}
