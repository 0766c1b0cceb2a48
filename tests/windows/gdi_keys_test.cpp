// The GDI display's key translation: which window messages become which of the library's key
// codes, before vtStartKeys (raw) and after it (translated).
#include <gtest/gtest.h>

#include "platform/vtwin/gdi_keys.h"
#include "platform/vtwin/key_translation.h"
#include "platform/win32_on_linux/win32.h"

namespace {

constexpr int kNoKey = 0;
constexpr int kWithoutCharacter = vtwin::kFirstKeyWithoutCharacter;

TEST(GdiKeys, MessagesBecomeTheLibrarysKeyCodes) {
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        int raw;
        int translated;
    } cases[] = {
        {"Enter", WM_CHAR, '\r', '\r', 10},
        {"Ctrl+Enter", WM_CHAR, '\n', '\n', 10},
        {"Backspace", WM_CHAR, '\b', '\b', 8},
        {"Esc", WM_CHAR, 27, 27, 27},
        {"digit", WM_CHAR, '8', '8', '8'},
        {"letter", WM_CHAR, 'q', 'q', 'q'},
        {"space", WM_CHAR, ' ', ' ', ' '},
        {"ANSI character above 127", WM_CHAR, 0xE9, 0xE9, 0xE9},
        {"character beyond one byte", WM_CHAR, 0x263A, kNoKey, kNoKey},
        {"NUL character", WM_CHAR, 0, kNoKey, kNoKey},
        {"left arrow", WM_KEYDOWN, VK_LEFT, kWithoutCharacter + VK_LEFT, kNoKey},
        {"down arrow", WM_KEYDOWN, VK_DOWN, kWithoutCharacter + VK_DOWN, kNoKey},
        {"F1", WM_KEYDOWN, VK_F1, kWithoutCharacter + VK_F1, kNoKey},
        {"F10 comes as a system key", WM_SYSKEYDOWN, VK_F10, kWithoutCharacter + VK_F10, kNoKey},
        {"Delete", WM_KEYDOWN, VK_DELETE, kWithoutCharacter + VK_DELETE, kNoKey},
        {"Page Down", WM_KEYDOWN, VK_NEXT, kWithoutCharacter + VK_NEXT, kNoKey},
        // These keys send their character as WM_CHAR right after: counting the key-down too
        // would deliver them twice.
        {"key-down of Enter", WM_KEYDOWN, VK_RETURN, kNoKey, kNoKey},
        {"key-down of Esc", WM_KEYDOWN, VK_ESCAPE, kNoKey, kNoKey},
        {"key-down of a letter", WM_KEYDOWN, 'A', kNoKey, kNoKey},
        {"Shift alone", WM_KEYDOWN, VK_SHIFT, kNoKey, kNoKey},
        {"key release", WM_KEYUP, VK_LEFT, kNoKey, kNoKey},
        {"not a key", WM_PAINT, 0, kNoKey, kNoKey},
    };
    for (const auto& key : cases) {
        const int raw = vtwin::GdiRawKey(key.message, key.wParam);
        EXPECT_EQ(raw, key.raw) << key.name;
        EXPECT_EQ(vtwin::TranslateKey(raw), key.translated) << key.name;
    }
}

}  // namespace
