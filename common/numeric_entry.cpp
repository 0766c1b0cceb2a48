#include "common/numeric_entry.h"

#include <cstring>

char InputBuffer[kInputBufferSize];

namespace {
constexpr int kEnterKey = 10;
constexpr int kBackspaceKey = 8;
}  // namespace

int WaitKey(VtHandle window) {
    int key = 0;
    while ((key = vtGetKey(window)) == 0) {
    }
    return key;
}

void LineInput(VtHandle window, int row, int column) {
    std::memset(InputBuffer, 0, sizeof InputBuffer);
    vtMove(window, row, column);
    int count = 0;
    for (;;) {
        const int key = WaitKey(window);
        if (key == kEnterKey || count == kInputMaxCharacters) return;
        if (key == kBackspaceKey) {
            if (count == 0) continue;
            --column;
            if (vtMove(window, row, column)) vtPutChar(window, ' ');
            --count;
            InputBuffer[count] = 0;
        } else {
            InputBuffer[count] = static_cast<char>(key & 0xFF);
            if (vtMove(window, row, column)) vtPutChar(window, key & 0xFF);
            ++count;
            ++column;
        }
        vtMove(window, row, column);
        vtRefresh(window);
    }
}

int HasNonDigit(const char* text) {
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c < '0' || *c > '9') return 1;
    }
    return 0;
}
