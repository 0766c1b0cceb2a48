// The Linux program: --help and --version are answered before the screen is touched; the
// monitor itself takes no options, so the command line is not passed on.
#include <cstdio>

#include "common/command_line.h"
#include "tallyer/tallyer_main.h"

namespace {

const ProgramUsage kUsage = {
    "Tallyer",
    "Shows the 36 transmit and receive counters of the 4682 adapter's driver, refreshed once a\n"
    "second.",
    "  1       choose the adapter       any other key   refresh at once\n"
    "  Esc, 0  quit\n",
    0,
};

}  // namespace

int main(int argc, char** argv) {
    const int status = HandleCommandLine(kUsage, argc, argv, stdout, stderr);
    if (status >= 0) return status;
    return TallyerMain(nullptr, nullptr, nullptr, 0);
}
