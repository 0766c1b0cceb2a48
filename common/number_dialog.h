// A small boxed dialog that asks for a number within a range, drawn over the screen. The
// device-instance dialog of both programs and the station monitor's refresh-delay dialog are
// rows of data for it.
#pragma once

#include "platform/vtwin/vtwin.h"

struct NumberDialog {
    int rows, columns, top, left;  // the sub-window
    const char* currentText;       // at (1,2), followed by the current value
    const char* currentFormat;     // printf format of the current value
    const char* promptText;        // at (3,2); the entry field follows at (3, inputColumn)
    const char* choicesText;       // at (4,2)
    int inputColumn;
    int lowest, highest;  // accepted values
};

// Asks until the entry is empty (returns 0) or a number within the range was entered (returns
// 1 and stores it in *accepted). A refused entry brings the prompt back, without a message.
int RunNumberDialog(const NumberDialog& dialog, int currentValue, int* accepted);

// Lets the user choose DeviceInstance (0 to 2). When a value was accepted and
// `clearOnAccept` is not null, that window is erased and refreshed afterwards.
void DevInstanceDialog(VtHandle clearOnAccept);
