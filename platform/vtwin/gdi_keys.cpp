#include "platform/vtwin/gdi_keys.h"

#include "platform/vtwin/key_translation.h"
#include "platform/win32_on_linux/win32.h"

namespace vtwin {
namespace {

bool SendsNoCharacter(uintptr_t virtualKey) {
    switch (virtualKey) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_INSERT:
        case VK_DELETE:
            return true;
        default:
            return virtualKey >= VK_F1 && virtualKey <= VK_F24;
    }
}

}  // namespace

int GdiRawKey(unsigned message, uintptr_t wParam) {
    switch (message) {
        case WM_CHAR:
            return wParam >= 1 && wParam <= 255 ? static_cast<int>(wParam) : 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            return SendsNoCharacter(wParam) ? kFirstKeyWithoutCharacter + static_cast<int>(wParam)
                                            : 0;
        default:
            return 0;
    }
}

}  // namespace vtwin
