// The printf-style writers: format into one bounded buffer, then write like vtPutString.
#include <cstdarg>
#include <cstdio>

#include "platform/vtwin/screen.h"
#include "platform/vtwin/vtwin.h"
#include "platform/vtwin/window.h"

using namespace vtwin;

namespace {

// Longer than any row of any screen the programs draw; a longer result is cut, never spilled.
char formatBuffer[512];

int WriteFormatted(VtWindowRecord* window, const char* format, va_list values) {
    if (!window || !format) return 0;
    int length = std::vsnprintf(formatBuffer, sizeof formatBuffer, format, values);
    if (length < 0) return 0;
    size_t written = static_cast<size_t>(length);
    if (written >= sizeof formatBuffer) written = sizeof formatBuffer - 1;
    WriteText(*window, formatBuffer, written);
    return 1;
}

VtWindowRecord* MainWindowIfOpen() {
    return LibraryOpen() ? Library().mainWindow : nullptr;
}

}  // namespace

extern "C" {

int vtPrintf(VtHandle handle, const char* format, ...) {
    va_list values;
    va_start(values, format);
    int result = WriteFormatted(LiveWindow(handle), format, values);
    va_end(values);
    return result;
}

int vtPrint(const char* format, ...) {
    va_list values;
    va_start(values, format);
    int result = WriteFormatted(MainWindowIfOpen(), format, values);
    va_end(values);
    return result;
}

int vtPrintAt(int row, int column, const char* format, ...) {
    VtWindowRecord* window = MainWindowIfOpen();
    if (!window || !MoveCursor(*window, row, column)) return 0;
    va_list values;
    va_start(values, format);
    int result = WriteFormatted(window, format, values);
    va_end(values);
    return result;
}

}  // extern "C"
