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

void ShowFailure(const char* message, ChannelFailure failure) {
    vtErase(MainWindow);
    vtPrintAt(0, 1, "%s", CommandBar);
    vtPrintAt(1, 1, "%s", message);
    if (failure == ChannelFailure::kOpen) {
        vtRefresh(MainWindow);
    } else {
        vtUpdate();
    }
}

const ChannelProfile kTallyerChannel = {
    sizeof(DriverStatsRecord),
    true,  // the instance goes into word 0 just before the call
    "***Error***: Cannot detect 4682 device\n",
    "***ERROR***: IOCTL Failed for DevInstance %d, GetLastError = %x\n",
    ShowFailure,
};

void DrawSpinner() {
    static const char kSpinner[] = {'|', '/', '-', '\\'};
    vtMove(MainWindow, 0, 0);
    vtPutChar(MainWindow, kSpinner[SpinnerPosition]);
    SpinnerPosition = (SpinnerPosition + 1) % 4;
}

void StatsLoop() {
    vtStartInput();
    MainWindow->WindowOptions |= kVtNoWait;
    vtStartKeys();
    for (;;) {
        TallyerRefresh();
        // A key ends the wait at once; without one the next request goes out a second later.
        vtWaitKey(MainWindow, kRefreshMs);
        const int key = vtGetKey(MainWindow);
        if (key == '0' || key == kEscKey) return;
        if (key == 0) continue;
        if (key == '1') DevInstanceDialog(MainWindow);
        vtRefresh(MainWindow);
        vtUpdate();
    }
}

}  // namespace

void TallyerStartUp(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow) {
    // A fresh process starts with these; set them so tests can run the entry again.
    DeviceInstance = 0;
    SpinnerPosition = 0;
    SetChannelProfile(&kTallyerChannel);
    InitDevicePath();
    vtOpenMain(instance, prevInstance, cmdShow, "4682 Tallyer", &MainWindow, kRows, kColumns,
               "Courier", 7);
    vtSetUsedSize(kRows, kUsedColumns);
    vtErase(MainWindow);
}

void TallyerRefresh() {
    if (DeviceRequest(IOCTL_DRIVER_STATS, &StatsRecord) == 0) tallyer::PaintStatistics(StatsRecord);
    DrawSpinner();
    vtRefresh(MainWindow);
    vtUpdate();
}

int TallyerMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR, int cmdShow) {
    TallyerStartUp(instance, prevInstance, cmdShow);
    StatsLoop();
    return 0;
}
