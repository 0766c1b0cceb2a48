// The display on Windows: a window of its own whose client area is the screen's cells, painted
// with GDI in one fixed-pitch font, and whose keyboard messages are the keys. Only gdi_display.cpp
// talks to GDI and the window manager, as terminal_display.cpp alone talks to curses on Linux.
//
// The font size that vtOpenMain passes (the programs ask for "Courier", 7) is read as points at
// the monitor's resolution: 7 points are 9 pixels of character height at 96 dpi and 19 at 192.
// The programs declare themselves dpi-aware in their manifest, so Windows hands them the real
// resolution instead of stretching a 96-dpi bitmap; the font is made again when the window moves
// to a monitor of another resolution. A face the system lacks is replaced by its nearest
// fixed-pitch font, and every character is placed on the cell grid whatever widths the font
// has, so the layout holds with any font.
//
// Closing the window (its close box, Alt+F4) ends the program at once, also in the middle of a
// dialog, with the exit status the program exports as vtCloseExitStatus (0 when it exports
// none): the status it ends with when the operator leaves it with Esc.
// Ctrl+C copies the shown screen to the clipboard as plain text, one line per row.
#pragma once

#include <vector>

#include "platform/vtwin/display.h"
#include "platform/vtwin/gdi_rows_file.h"
#include "platform/win32_on_linux/win32.h"

namespace vtwin {

class GdiDisplay : public Display {
  public:
    // The colour of trouble cells (kVtStyleTrouble), drawn bold.
    static constexpr COLORREF kTroubleColor = RGB(255, 64, 64);

    ~GdiDisplay() override { Close(); }

    void PrepareWindow(const WindowRequest& request) override;
    // Creates and shows the window with the title and room for rows x columns cells. Leaves the
    // program with status 1 when no window can be made: there is nothing it could draw on.
    void Open(const char* title, int rows, int columns) override;
    // Keeps the image, paints it at once and rewrites the read-back file (gdi_rows_file.h).
    void Present(const ScreenImage& image) override;
    int TakeKey(bool translate) override;
    // Sleeps in MsgWaitForMultipleObjectsEx, so the window keeps painting and a key wakes it.
    bool WaitForKey(int timeoutMs) override;
    void StartInput() override {}
    void Close() override;
    // Handles the window's waiting messages (painting, keys, the close box).
    void CheckEvents() override { PumpMessages(); }

    // What closing the window does; by default it ends the process with the program's status.
    using CloseAction = void (*)(unsigned status);
    void SetCloseAction(CloseAction action) { closeAction_ = action; }

    HWND Window() const { return window_; }
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }

  private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void PumpMessages();
    void QueueKey(int raw);
    int NextKey();
    void MeasureFont(int dpi);
    void Paint();
    // Paints the trouble cells of a row again, in bold red, over the row just painted.
    void PaintTroubleRuns(HDC dc, int row);
    // The parts for what users expect of a window: the close box, the clipboard, the monitor's
    // resolution (gdi_window_manners.cpp).
    void EndOnClose();
    void CopyScreenToClipboard();
    void FollowDpi(int dpi);
    void SizeWindowToCells();

    static constexpr int kKeyQueueSize = 64;

    char fontFace_[LF_FACESIZE] = "Courier";
    int fontPoints_ = 7;
    int cmdShow_ = SW_SHOWNORMAL;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    int dpi_ = 96;
    CloseAction closeAction_ = nullptr;
    ScreenImage shown_;
    std::vector<INT> advances_;  // one cell width per column: keeps every character on the grid
    GdiRowsFile rowsFile_;
    int keys_[kKeyQueueSize] = {};
    int keyHead_ = 0;
    int keyCount_ = 0;
};

}  // namespace vtwin
