// The Linux program: the monitor takes no options, so the command line is not passed on.
#include "tallyer/tallyer_main.h"

int main() {
    return TallyerMain(nullptr, nullptr, nullptr, 0);
}
