// Which key a window message carries, as the raw codes the library's key translation takes
// (key_translation.h). Kept apart from the window so that it can be tested without one.
#pragma once

#include <cstdint>

namespace vtwin {

// WM_CHAR carries a character: its byte (Enter 13, Backspace 8, Esc 27) for 1..255, nothing
// for other values. WM_KEYDOWN and WM_SYSKEYDOWN of a key that sends no WM_CHAR (arrows,
// function keys, Home, End, Page Up and Down, Insert, Delete) give kFirstKeyWithoutCharacter
// plus its virtual-key code, which key translation drops, as a terminal's arrow codes are;
// for other keys the character follows as WM_CHAR, so the key-down gives nothing. Answers 0
// when the message carries no key.
int GdiRawKey(unsigned message, uintptr_t wParam);

}  // namespace vtwin
