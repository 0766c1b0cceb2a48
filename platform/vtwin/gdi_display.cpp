#include "platform/vtwin/gdi_display.h"

#include <cstdio>
#include <cstdlib>

#include "platform/vtwin/gdi_keys.h"
#include "platform/vtwin/gdi_window_manners.h"
#include "platform/vtwin/key_translation.h"
#include "platform/vtwin/vtwin.h"

namespace vtwin {
namespace {

constexpr char kWindowClass[] = "VtwinCells";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kTextColor = RGB(192, 192, 192);
constexpr COLORREF kBackground = RGB(0, 0, 0);
constexpr int kEscKey = 27;
constexpr WPARAM kCtrlC = 3;          // the character Ctrl+C types
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, which older headers lack

// A GUI program has no console to say this on: the operator gets a message box.
[[noreturn]] void CannotOpen(const char* what) {
    char text[128];
    std::snprintf(text, sizeof text, "Cannot open the window: %s failed (error %lu).", what,
                  static_cast<unsigned long>(GetLastError()));
    MessageBoxA(nullptr, text, "VTWIN", MB_OK | MB_ICONERROR);
    std::exit(1);
}

}  // namespace

void GdiDisplay::PrepareWindow(const WindowRequest& request) {
    instance_ = static_cast<HINSTANCE>(request.instance);
    cmdShow_ = request.cmdShow;
    if (request.fontFace && request.fontFace[0] != '\0') {
        std::snprintf(fontFace_, sizeof fontFace_, "%s", request.fontFace);
    }
    if (request.fontSize > 0) fontPoints_ = request.fontSize;
}

void GdiDisplay::Open(const char* title, int rows, int columns) {
    Close();
    if (!instance_) instance_ = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(instance_, kWindowClass, &windowClass)) {
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = instance_;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kWindowClass;
        if (!RegisterClassA(&windowClass)) CannotOpen("RegisterClassA");
    }
    HDC screen = GetDC(nullptr);
    MeasureFont(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    shown_ = ScreenImage{};
    shown_.rows = rows;
    shown_.columns = columns;
    shown_.text.assign(static_cast<size_t>(rows), std::string(static_cast<size_t>(columns), ' '));
    shown_.styles.assign(static_cast<size_t>(rows),
                         std::string(static_cast<size_t>(columns), char{kVtStyleNormal}));
    advances_.assign(static_cast<size_t>(columns), cellWidth_);
    rowsFile_.Open(rows, columns);
    keyHead_ = keyCount_ = 0;

    RECT frame = {0, 0, columns * cellWidth_, rows * cellHeight_};
    AdjustWindowRect(&frame, kWindowStyle, FALSE);
    window_ = CreateWindowExA(0, kWindowClass, title, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance_, this);
    if (!window_) CannotOpen("CreateWindowExA");
    FollowDpi(WindowDpi(window_, dpi_));
    ShowWindow(window_, cmdShow_);
    UpdateWindow(window_);
}

void GdiDisplay::MeasureFont(int dpi) {
    if (font_) DeleteObject(font_);
    dpi_ = dpi;
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(fontPoints_, dpi, 72);
    font_ = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        FIXED_PITCH | FF_MODERN, fontFace_);
    if (!font_) font_ = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    HGDIOBJ previous = SelectObject(screen, font_);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    cellWidth_ = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 8;
    cellHeight_ = metrics.tmHeight > 0 ? metrics.tmHeight : 16;
}

void GdiDisplay::Present(const ScreenImage& image) {
    if (!window_) return;
    // Same size as at Open, so the copy reuses the rows' storage.
    shown_ = image;
    rowsFile_.Write(shown_);
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
}

void GdiDisplay::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    HGDIOBJ previous = SelectObject(dc, font_);
    SetTextColor(dc, kTextColor);
    SetBkColor(dc, kBackground);
    SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    for (int row = 0; row < shown_.rows; ++row) {
        const std::string& text = shown_.text[static_cast<size_t>(row)];
        RECT cells = {0, row * cellHeight_, shown_.columns * cellWidth_, (row + 1) * cellHeight_};
        ExtTextOutA(dc, 0, cells.top, ETO_OPAQUE | ETO_CLIPPED, &cells, text.data(),
                    static_cast<UINT>(text.size()), advances_.data());
        PaintTroubleRuns(dc, row);
    }
    if (shown_.cursorVisible) {
        // An underline cursor, two pixels high, at the bottom of its cell.
        const int left = shown_.cursorColumn * cellWidth_;
        const int bottom = (shown_.cursorRow + 1) * cellHeight_;
        RECT cursor = {left, bottom - 2, left + cellWidth_, bottom};
        InvertRect(dc, &cursor);
    }
    SelectObject(dc, previous);
    EndPaint(window_, &paint);
}

void GdiDisplay::PaintTroubleRuns(HDC dc, int row) {
    const std::string& text = shown_.text[static_cast<size_t>(row)];
    int column = 0;
    while (column < shown_.columns) {
        if (StyleAt(shown_, row, column) != kVtStyleTrouble) {
            ++column;
            continue;
        }
        const int first = column;
        while (column < shown_.columns && StyleAt(shown_, row, column) == kVtStyleTrouble)
            ++column;
        const UINT count = static_cast<UINT>(column - first);
        const int left = first * cellWidth_;
        RECT cells = {left, row * cellHeight_, column * cellWidth_, (row + 1) * cellHeight_};
        // Bold without a second font: the run is drawn once more one pixel to the right, as
        // bold was struck on a typewriter, so the cells keep the grid of the one font.
        SetTextColor(dc, kTroubleColor);
        ExtTextOutA(dc, left, cells.top, ETO_OPAQUE | ETO_CLIPPED, &cells, text.data() + first,
                    count, advances_.data());
        SetBkMode(dc, TRANSPARENT);
        ExtTextOutA(dc, left + 1, cells.top, ETO_CLIPPED, &cells, text.data() + first, count,
                    advances_.data());
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, kTextColor);
    }
}

void GdiDisplay::QueueKey(int raw) {
    // A full queue drops the newest key, as a full keyboard buffer does.
    if (raw == 0 || keyCount_ == kKeyQueueSize) return;
    keys_[(keyHead_ + keyCount_) % kKeyQueueSize] = raw;
    ++keyCount_;
}

int GdiDisplay::NextKey() {
    const int raw = keys_[keyHead_];
    keyHead_ = (keyHead_ + 1) % kKeyQueueSize;
    --keyCount_;
    return raw;
}

int GdiDisplay::TakeKey(bool translate) {
    PumpMessages();
    while (keyCount_ > 0) {
        const int raw = NextKey();
        if (!translate) return raw;
        const int key = TranslateKey(raw);
        if (key != 0) return key;
    }
    return 0;
}

bool GdiDisplay::WaitForKey(int timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        PumpMessages();
        if (keyCount_ > 0) return true;
        if (!window_) return false;
        DWORD wait = INFINITE;
        if (timeoutMs >= 0) {
            const ULONGLONG waited = GetTickCount64() - start;
            if (waited >= static_cast<ULONGLONG>(timeoutMs)) return false;
            wait = static_cast<DWORD>(static_cast<ULONGLONG>(timeoutMs) - waited);
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void GdiDisplay::PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        // Someone asked the whole program to quit: the same as closing its window.
        if (message.message == WM_QUIT) {
            QueueKey(kEscKey);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void GdiDisplay::Close() {
    if (window_) {
        HWND window = window_;
        window_ = nullptr;
        if (IsWindow(window)) DestroyWindow(window);
    }
    if (font_) {
        DeleteObject(font_);
        font_ = nullptr;
    }
    keyHead_ = keyCount_ = 0;
}

LRESULT CALLBACK GdiDisplay::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    GdiDisplay* display = reinterpret_cast<GdiDisplay*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!display || display->window_ != window) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return display->OnMessage(message, wParam, lParam);
}

LRESULT GdiDisplay::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
            if (wParam == kCtrlC) {
                CopyScreenToClipboard();
                return 0;
            }
            QueueKey(GdiRawKey(message, wParam));
            return 0;
        case WM_KEYDOWN:
            QueueKey(GdiRawKey(message, wParam));
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+F4 and the system menu keys still reach the window manager.
            QueueKey(GdiRawKey(message, wParam));
            break;
        case WM_CLOSE:
            EndOnClose();
            return 0;
        case kDpiChanged:
            FollowDpi(HIWORD(wParam));
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

Display& DefaultDisplay() {
    static GdiDisplay display;
    return display;
}

}  // namespace vtwin
