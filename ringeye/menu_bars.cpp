#include "ringeye/monitor_state.h"

namespace {

constexpr int kTopBarRow = 40, kBottomBarRow = 41;
const char kTopBar[] =
    "-- Exit-<ESC> or 0 ------------------ Menu --------------------- More-<Space> --";
const char kDualAttachmentBar[] =
    " 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-A 6:Port-B 7:Path 8:Dev#   9:Delay";
// A single-attachment station has one port, the S port, and no screen 6.
const char kSingleAttachmentBar[] =
    " 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-S 6:       7:Path 8:Dev#   9:Delay";

}  // namespace

void DrawMenuBars(uint32_t portCount) {
    if (vtMove(ScreenPad, kTopBarRow, 0)) vtPutString(ScreenPad, kTopBar);
    const char* bottom = portCount == 1 ? kSingleAttachmentBar : kDualAttachmentBar;
    if (vtMove(ScreenPad, kBottomBarRow, 0)) vtPutString(ScreenPad, bottom);
}
