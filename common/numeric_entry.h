// A short numeric entry field with echo and Backspace, read key by key from a window.
#pragma once

#include "platform/vtwin/vtwin.h"

constexpr int kInputBufferSize = 6;
constexpr int kInputMaxCharacters = 5;

// The last entry read by LineInput, zero-terminated, at most five characters.
extern char InputBuffer[kInputBufferSize];

// The next nonzero key of `window`.
int WaitKey(VtHandle window);

// Reads one entry into InputBuffer, echoing it from (row, column) on. Enter ends the entry, and
// so does any key after a fifth character; that last key is neither stored nor echoed. Every
// other key, Esc and Space included, is stored as a character.
void LineInput(VtHandle window, int row, int column);

// 1 when `text` holds a character outside "0".."9", else 0 (the empty text gives 0).
int HasNonDigit(const char* text);
