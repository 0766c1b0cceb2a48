// The one place that decides which key codes a program sees once key translation is on
// (vtStartKeys). Both displays feed their raw codes through it, so the headless display used by
// the tests translates exactly as the terminal does.
#pragma once

namespace vtwin {

// Raw codes are what a terminal sends: a byte 0..255, or a code of 256 and above for a key
// without a character (arrows, function keys). Answers the library's key code: Enter (CR or LF)
// 10, Backspace (DEL or ^H) 8, Esc 27, other bytes themselves, and 0 for a key that is dropped.
int TranslateKey(int raw);

// Codes at and above this one carry no character.
constexpr int kFirstKeyWithoutCharacter = 256;

}  // namespace vtwin
