#include "common/number_dialog.h"

#include <cstdlib>
#include <cstring>

#include "common/device_channel.h"
#include "common/numeric_entry.h"

namespace {

constexpr int kLongestEntry = 4;

const NumberDialog kDevInstanceDialog = {
    7,  30, 10, 30, "Current Dev Instance #: ", "%d", "Enter New Dev Instance: ", "Choices: 0 to 2",
    26, 0,  2,
};

void PutText(VtHandle window, int row, int column, const char* text) {
    if (vtMove(window, row, column)) vtPutString(window, text);
}

void DrawPrompt(VtHandle window, const NumberDialog& dialog, int currentValue) {
    vtErase(window);
    PutText(window, 1, 2, dialog.currentText);
    vtPrintf(window, dialog.currentFormat, currentValue);
    PutText(window, 4, 2, dialog.choicesText);
    PutText(window, 3, 2, dialog.promptText);
    vtBox(window, '*', '*');
    vtRefresh(window);
}

}  // namespace

int RunNumberDialog(const NumberDialog& dialog, int currentValue, int* accepted) {
    VtHandle window = vtNewWindow(dialog.rows, dialog.columns, dialog.top, dialog.left);
    int result = 0;
    for (;;) {
        DrawPrompt(window, dialog, currentValue);
        LineInput(window, 3, dialog.inputColumn);
        if (InputBuffer[0] == 0) break;
        if (std::strlen(InputBuffer) > kLongestEntry || HasNonDigit(InputBuffer)) continue;
        const int value = std::atoi(InputBuffer);
        if (value >= dialog.lowest && value <= dialog.highest) {
            *accepted = value;
            result = 1;
            break;
        }
    }
    vtErase(window);
    vtRefresh(window);
    vtDeleteWindow(window);
    return result;
}

void DevInstanceDialog(VtHandle clearOnAccept) {
    int chosen = 0;
    if (!RunNumberDialog(kDevInstanceDialog, DeviceInstance, &chosen)) return;
    DeviceInstance = chosen;
    if (clearOnAccept) {
        vtErase(clearOnAccept);
        vtRefresh(clearOnAccept);
    }
}
