#include "ringeye/fetch_hooks.h"

#include <cstdio>

#include "ringeye/layout.h"
#include "ringeye/monitor_state.h"
#include "ringeye/ringeye_main.h"

namespace {

void ShowVersionRefusal(uint32_t version) {
    std::snprintf(TextBuffer, sizeof TextBuffer,
                  "***Error***: ringeye73 incompatible with firmware. Try ringeye6. "
                  "OpVersionId=%04X\n",
                  version);
    vtErase(TargetWindow);
    PutMessage(TextBuffer);
    DrawMenuBars();
}

}  // namespace

const FetchHooks RingeyeFetchHooks = {
    ShowVersionRefusal,
    ContinueUnlessInterrupted,
};
