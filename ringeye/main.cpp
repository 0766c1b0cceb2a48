// The Linux program: --help and --version are answered before the screen is touched; the
// monitor itself takes no options, so the command line is not passed on.
#include <cstdio>

#include "common/command_line.h"
#include "ringeye/ringeye_main.h"

namespace {

const ProgramUsage kUsage = {
    "ringeye",
    "Shows the FDDI SMT 7.3 management information of the 4682 adapter's station on seven\n"
    "screens, refreshed once a second.",
    "  1-7     show a screen            Space   the other page of the screen\n"
    "  8       choose the adapter       9       choose the refresh period\n"
    "  Esc, 0  quit\n",
    1,
};

}  // namespace

int main(int argc, char** argv) {
    const int status = HandleCommandLine(kUsage, argc, argv, stdout, stderr);
    if (status >= 0) return status;
    return RingeyeMain(nullptr, nullptr, nullptr, 0);
}
