// The Linux program: the monitor takes no options, so the command line is not passed on.
#include "ringeye/ringeye_main.h"

int main() {
    return RingeyeMain(nullptr, nullptr, nullptr, 0);
}
