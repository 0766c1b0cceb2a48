#include "platform/vtwin/gdi_window_manners.h"

#include <cstring>

#include "platform/vtwin/gdi_display.h"

namespace vtwin {

std::string ScreenText(const ScreenImage& image) {
    std::string text;
    for (const std::string& row : image.text) {
        const size_t end = row.find_last_not_of(' ');
        if (end != std::string::npos) text.append(row, 0, end + 1);
        text += "\r\n";
    }
    return text;
}

int WindowDpi(HWND window, int fallback) {
    // Looked up at run time: the 32-bit build also runs on systems older than the call.
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    const auto getDpi = reinterpret_cast<GetDpiForWindowCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpi ? getDpi(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : fallback;
}

unsigned CloseExitStatus() {
    const auto* status = reinterpret_cast<const int*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "vtCloseExitStatus")));
    return status ? static_cast<unsigned>(*status) : 0;
}

void GdiDisplay::EndOnClose() {
    const unsigned status = CloseExitStatus();
    if (closeAction_) {
        closeAction_(status);
        return;
    }
    // At once, whatever the program is doing: a dialog waiting for a number would otherwise take
    // the close as a typed character. The system closes the device handles with the process.
    Close();
    ExitProcess(status);
}

void GdiDisplay::CopyScreenToClipboard() {
    const std::string text = ScreenText(shown_);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory) return;
    if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
    }
    if (!OpenClipboard(window_)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    // On success the clipboard owns the memory.
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    CloseClipboard();
}

void GdiDisplay::FollowDpi(int dpi) {
    if (dpi <= 0 || (dpi == dpi_ && font_)) return;
    MeasureFont(dpi);
    advances_.assign(static_cast<size_t>(shown_.columns), cellWidth_);
    SizeWindowToCells();
}

void GdiDisplay::SizeWindowToCells() {
    if (!window_) return;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE));
    RECT frame = {0, 0, shown_.columns * cellWidth_, shown_.rows * cellHeight_};
    AdjustWindowRect(&frame, style, FALSE);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace vtwin
