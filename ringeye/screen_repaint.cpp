#include "ringeye/screen_repaint.h"

#include <cstdint>

#include "smtmib/smt_retrieval.h"

namespace {

// A failure message stands on the pad in place of the labels.
bool MessageOnPad = false;
// The PortCount that the menu bar and the port lines on the pad were drawn for; -1 before the
// first successful painting.
int32_t PaintedPortCount = -1;

}  // namespace

void NoteScreenEntered(int outcome) {
    if (outcome == kScreenFailed) MessageOnPad = true;
    if (outcome != kScreenPainted) return;
    MessageOnPad = false;
    PaintedPortCount = static_cast<int32_t>(PortCount);
}

bool RepaintDue(int outcome) {
    if (outcome == kScreenFailed) MessageOnPad = true;
    if (outcome != kScreenPainted) return false;
    return MessageOnPad || PaintedPortCount != static_cast<int32_t>(PortCount);
}

void ResetRepaintState() {
    MessageOnPad = false;
    PaintedPortCount = -1;
}
