// Opening and ending the library, creating windows, writing cells, showing the screen.
#include "platform/vtwin/vtwin.h"

#include <cstdlib>
#include <cstring>

#include "platform/vtwin/screen.h"
#include "platform/vtwin/window.h"

using namespace vtwin;

namespace {

Display* installedDisplay = nullptr;
bool exitRestoreRegistered = false;

// The Tallyer never calls vtEnd, and a program may leave through exit() anywhere: the terminal
// must still come back in the state the shell left it.
void RestoreDisplayAtExit() {
    if (LibraryOpen()) Library().display->Close();
}

char BorderCharacter(int character, char fallback) {
    return character == 0 ? fallback : static_cast<char>(character);
}

}  // namespace

void vtwin::SetDisplay(Display* display) {
    installedDisplay = display;
}

extern "C" {

int vtOpenMain(HINSTANCE instance, HINSTANCE, int cmdShow, const char* title, VtHandle* handle,
               int rows, int columns, const char* fontFace, int fontSize) {
    if (!handle || LibraryOpen()) return 0;
    VtWindowRecord* mainWindow = CreateWindowRecord(kVtMainWindow, rows, columns, 0, 0);
    if (!mainWindow) return 0;
    LibraryState& library = Library();
    library = LibraryState{};
    ResetImage(rows, columns);
    library.display = installedDisplay ? installedDisplay : &DefaultDisplay();
    library.mainWindow = mainWindow;
    if (!exitRestoreRegistered) {
        std::atexit(RestoreDisplayAtExit);
        exitRestoreRegistered = true;
    }
    WindowRequest request;
    request.instance = instance;
    request.cmdShow = cmdShow;
    request.fontFace = fontFace;
    request.fontSize = fontSize;
    library.display->PrepareWindow(request);
    library.display->Open(title ? title : "", rows, columns);
    *handle = mainWindow;
    return 1;
}

int vtSetUsedSize(int rows, int columns) {
    if (!LibraryOpen()) return 0;
    const ScreenImage& image = Library().image;
    if (rows < 1 || columns < 1 || rows > image.rows || columns > image.columns) return 0;
    Library().display->SetUsedSize(rows, columns);
    return 1;
}

int vtEnd(void) {
    if (!LibraryOpen()) return 0;
    Library().display->Close();
    Library() = LibraryState{};
    DestroyAllWindowRecords();
    return 1;
}

VtHandle vtNewPad(int rows, int columns) {
    return CreateWindowRecord(kVtPad, rows, columns, 0, 0);
}

VtHandle vtNewWindow(int rows, int columns, int top, int left) {
    return CreateWindowRecord(kVtSubWindow, rows, columns, top, left);
}

int vtDeleteWindow(VtHandle handle) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window || window->kind == kVtMainWindow) return 0;
    DropPendingPads(window);
    if (Library().keyReader == window) Library().keyReader = nullptr;
    DestroyWindowRecord(window);
    return 1;
}

int vtErase(VtHandle handle) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window) return 0;
    EraseCells(*window);
    return 1;
}

int vtMove(VtHandle handle, int row, int column) {
    VtWindowRecord* window = LiveWindow(handle);
    return window && MoveCursor(*window, row, column) ? 1 : 0;
}

int vtPutString(VtHandle handle, const char* text) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window || !text) return 0;
    WriteText(*window, text, std::strlen(text));
    return 1;
}

int vtPutChar(VtHandle handle, int character) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window) return 0;
    WriteCharacter(*window, static_cast<char>(character & 0xFF));
    return 1;
}

int vtSetStyle(VtHandle handle, int row, int column, int length, int style) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window || (style != kVtStyleNormal && style != kVtStyleTrouble)) return 0;
    return StyleCells(*window, row, column, length, static_cast<uint8_t>(style));
}

int vtBox(VtHandle handle, int vertical, int horizontal) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window) return 0;
    DrawBorder(*window, BorderCharacter(vertical, '|'), BorderCharacter(horizontal, '-'));
    return 1;
}

int vtRefresh(VtHandle handle) {
    VtWindowRecord* window = LiveWindow(handle);
    if (!window || window->kind == kVtPad || !LibraryOpen()) return 0;
    LibraryState& library = Library();
    library.display->CheckEvents();
    if (window == library.mainWindow) {
        CopyWindowToImage(*window, 0, 0);
        ForgetTouchedMainCells();
    } else {
        CopyWindowToImage(*window, window->top, window->left);
    }
    PresentWithCursorOf(*window);
    return 1;
}

int vtShowPad(VtHandle handle, int padRow, int padColumn, int top, int left, int bottom,
              int right) {
    VtWindowRecord* pad = LiveWindow(handle);
    if (!pad || pad->kind != kVtPad || !LibraryOpen()) return 0;
    return RecordPadRectangle(*pad, padRow, padColumn, top, left, bottom, right) ? 1 : 0;
}

int vtUpdate(void) {
    if (!LibraryOpen()) return 0;
    LibraryState& library = Library();
    library.display->CheckEvents();
    ApplyPendingPads();
    CopyTouchedMainCells();
    PresentWithCursorOf(*library.mainWindow);
    return 1;
}

}  // extern "C"
