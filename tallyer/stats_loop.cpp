#include "common/device_channel.h"
#include "common/number_dialog.h"
#include "platform/vtwin/window.h"
#include "tallyer/stats_screen.h"
#include "tallyer/tallyer_main.h"

namespace tallyer {
VtHandle MainWindow;
}  // namespace tallyer

namespace {

using tallyer::CommandBar;
using tallyer::DriverStatsRecord;
using tallyer::MainWindow;

constexpr int kRows = 24, kColumns = 84;
constexpr int kUsedColumns = 80;  // the command bar's width; the counters end at column 77
constexpr int kRefreshMs = 1000;
constexpr int kEscKey = 27;

DriverStatsRecord StatsRecord;
int SpinnerPosition = 0;

const ChannelProfile kTallyerChannel = {
    sizeof(DriverStatsRecord),
    true,                       // the instance goes into word 0 just before the call
    sizeof(DriverStatsRecord),  // the whole record is shown
    nullptr,
};

const FailureTexts kFailureTexts = {
    "***Error***: Cannot detect 4682 device\n",
    "***ERROR***: IOCTL Failed for DevInstance %d, GetLastError = %x\n",
};

// The failure replaces the counters below the command bar until a request succeeds again.
void ShowFailure(DeviceOutcome outcome) {
    char message[160];
    FormatDeviceFailure(kFailureTexts, outcome, DeviceInstance, message, sizeof message);
    vtErase(MainWindow);
    vtPrintAt(0, 1, "%s", CommandBar);
    vtPrintAt(1, 1, "%s", message);
    if (outcome.fault == DeviceFault::kMissingDevice) {
        vtRefresh(MainWindow);
    } else {
        vtUpdate();
    }
}

void DrawSpinner() {
    static const char kSpinner[] = {'|', '/', '-', '\\'};
    vtMove(MainWindow, 0, 0);
    vtPutChar(MainWindow, kSpinner[SpinnerPosition]);
    SpinnerPosition = (SpinnerPosition + 1) % 4;
}

enum class KeyAction { kNone, kRefresh, kDialog, kExit };

// Reads every key that arrived since the last refresh, which against a slow driver may be many:
// keys that each ask for a refresh make one, and an Esc or "0" among them ends the program at
// once. The dialog key stops the reading; the keys after it are the dialog's.
KeyAction TakeWaitingKeys() {
    KeyAction action = KeyAction::kNone;
    for (int key = vtGetKey(MainWindow); key != 0; key = vtGetKey(MainWindow)) {
        if (key == '0' || key == kEscKey) return KeyAction::kExit;
        if (key == '1') return KeyAction::kDialog;
        action = KeyAction::kRefresh;
    }
    return action;
}

void StatsLoop() {
    vtStartInput();
    MainWindow->WindowOptions |= kVtNoWait;
    vtStartKeys();
    for (;;) {
        TallyerRefresh();
        // A key ends the wait at once; without one the next request goes out a second later.
        vtWaitKey(MainWindow, kRefreshMs);
        const KeyAction action = TakeWaitingKeys();
        if (action == KeyAction::kExit) return;
        if (action == KeyAction::kNone) continue;
        if (action == KeyAction::kDialog) DevInstanceDialog(MainWindow);
        vtRefresh(MainWindow);
        vtUpdate();
    }
}

}  // namespace

void TallyerStartUp(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow) {
    // A fresh process starts with these; set them so tests can run the entry again.
    DeviceInstance = 0;
    SpinnerPosition = 0;
    tallyer::ForgetCounterReadings();
    InitDevicePath();
    vtOpenMain(instance, prevInstance, cmdShow, "4682 Tallyer", &MainWindow, kRows, kColumns,
               "Courier", 7);
    vtSetUsedSize(kRows, kUsedColumns);
    vtErase(MainWindow);
}

void TallyerRefresh() {
    const DeviceOutcome outcome =
        DeviceRequest(kTallyerChannel, DeviceInstance, IOCTL_DRIVER_STATS, &StatsRecord);
    if (outcome.Served()) {
        tallyer::PaintStatistics(StatsRecord);
    } else {
        ShowFailure(outcome);
    }
    DrawSpinner();
    vtRefresh(MainWindow);
    vtUpdate();
}

int TallyerMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR, int cmdShow) {
    TallyerStartUp(instance, prevInstance, cmdShow);
    StatsLoop();
    return 0;
}
