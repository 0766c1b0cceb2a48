// Whether the pad still shows the current screen the way entering it draws it. A failure message
// replaces the labels and values; a station whose port count changed needs another menu bar and
// another number of port lines. In both cases the next successful refresh repaints the screen as
// entering it does, so that nothing on screen belongs to an earlier state of the station.
#pragma once

// What a screen's painting routine returns: its values were painted, or a failure message was.
constexpr int kScreenPainted = 0, kScreenFailed = -1;

// Records the outcome of the painting done when the screen was entered on an erased pad.
void NoteScreenEntered(int outcome);
// Records the outcome of a refresh; true when the screen must now be repainted as on entering.
// Any other outcome than the two above painted nothing and changes nothing.
bool RepaintDue(int outcome);
// As at start: nothing painted yet.
void ResetRepaintState();
