#include <cstdio>
#include <cstring>

#include "common/command_keys.h"
#include "common/device_channel.h"
#include "common/number_dialog.h"
#include "platform/clock.h"
#include "platform/vtwin/window.h"
#include "ringeye/delay_dialog.h"
#include "ringeye/layout.h"
#include "ringeye/monitor_state.h"
#include "ringeye/ringeye_main.h"
#include "ringeye/screens/screens.h"
#include "smtmib/smt_retrieval.h"

VtHandle MainWindow;
VtHandle ScreenPad;
int CurrentScreen = kNoScreen;
int MorePage = 0;
int32_t RefreshCount = kDefaultRefreshCount;
int32_t PortIndex = 0;
MonitorMemory Monitor;
const StationSource* RemoteSource = nullptr;

namespace {

// Commands besides the screen numbers 1 to 7.
constexpr int kNoCommand = -1;
constexpr int kExitCommand = 0;
constexpr int kDeviceDialogCommand = 8;
constexpr int kDelayDialogCommand = 9;
constexpr int kMoreCommand = 32;
constexpr int kEscKey = 27;

constexpr int kFirstPageRow = 5, kSecondPageRow = 22, kMenuRow = 40;
constexpr int kHeaderLastRow = 4, kPageLastRow = 21, kMenuLastRow = 23, kLastColumn = 79;
constexpr int kPollRateRow = 0, kPollRateColumn = 11;
constexpr int kTitleRow = 0, kTitleColumn = 35;

// What one refresh of a screen came to.
enum class Outcome { kPainted, kFailed, kAbandoned };

const FailureTexts kFailureTexts = {
    "***Error***: Cannot detect 4682 device\n",
    "IOCTL Failed for DevInstance %d, GetLastError = %x\n",
};

// Replaces the content of the pad, but for the menu bars, with why the cycle stopped.
void ShowCycleFailure(const StationSnapshot& station) {
    if (station.end == CycleEnd::kAgentFailed && RemoteSource) {
        RemoteSource->describeFailure(station, DeviceInstance, TextBuffer, sizeof TextBuffer);
    } else if (station.end == CycleEnd::kVersionRefused) {
        std::snprintf(TextBuffer, sizeof TextBuffer,
                      "***Error***: ringeye73 incompatible with firmware. Try ringeye6. "
                      "OpVersionId=%04X\n",
                      station.opVersionId);
    } else {
        FormatDeviceFailure(kFailureTexts, station.device, DeviceInstance, TextBuffer,
                            sizeof TextBuffer);
    }
    vtErase(ScreenPad);
    PutMessage(ScreenPad, TextBuffer);
    DrawMenuBars(station.PortCount);
}

// Zeroes the process-wide state, as a fresh process has it, so that tests can run the entry
// more than once in one process.
void ResetState() {
    Monitor = MonitorMemory{};
    DeviceInstance = 0;
    CurrentScreen = kNoScreen;
    MorePage = 0;
    RefreshCount = kDefaultRefreshCount;
    PortIndex = 0;
}

void SetMainOption(uint8_t bit) {
    MainWindow->WindowOptions |= bit;
}

int MapKey(int key) {
    if (key == kEscKey || key == '0') return kExitCommand;
    if (key == ' ') return kMoreCommand;
    if (key == '6' && Monitor.station.PortCount == 1) return kNoCommand;
    if (key >= '1' && key <= '9') return key - '0';
    return kNoCommand;
}

bool HasCommand(int key) {
    return MapKey(key) != kNoCommand;
}

// Looking at the keyboard and the signals costs a few system calls. A healthy driver answers the
// requests of a cycle within microseconds of each other, so they are checked at most once per
// interval on the program's clock; a slow driver's requests are each checked.
constexpr uint64_t kKeyCheckIntervalMs = 5;

}  // namespace

bool ContinueUnlessInterrupted() {
    if (Monitor.cycleAbandoned) return false;
    const uint64_t now = platform::CurrentClock().NowMs();
    if (now - Monitor.lastKeyCheckMs < kKeyCheckIntervalMs) return true;
    Monitor.lastKeyCheckMs = now;
    Monitor.cycleAbandoned = CommandKeyWaiting(MainWindow, HasCommand);
    return !Monitor.cycleAbandoned;
}

namespace {

// Fetches the station and paints screen `number`: the header, the rows and their marks, and
// any list of the screen's own, or the failure that stopped the cycle.
Outcome DisplayScreen(int number) {
    const ScreenEntry* screen = FindScreen(number);
    if (!screen) return Outcome::kPainted;
    if (screen->portIndex >= 0) PortIndex = screen->portIndex;
    StationSnapshot& station = Monitor.station;
    const int fetched =
        RemoteSource
            ? RemoteSource->fetch(station, DeviceInstance, *screen, ContinueUnlessInterrupted)
            : FetchCycle(station, DeviceInstance, ContinueUnlessInterrupted);
    if (fetched != 0) {
        if (station.end == CycleEnd::kAbandoned) return Outcome::kAbandoned;
        ShowCycleFailure(station);
        return Outcome::kFailed;
    }
    const int port = screen->portIndex >= 0 && PortIndex == 1 ? 1 : 0;
    PaintContext context{
        ScreenPad,      station, port, DeviceInstance, platform::CurrentClock().NowMs(),
        Monitor.screens};
    PaintRows(StationHeader, context, nullptr);
    PaintRows(screen->rows, context, &Monitor.screens.rises);
    if (screen->paintList) screen->paintList(context);
    return Outcome::kPainted;
}

// Runs the screen's routine for a new cycle; a command key that is already waiting (typed
// ahead of the one that started this cycle) abandons it before its first request.
Outcome RunCycle(int screen) {
    Monitor.cycleAbandoned = false;
    if (!ContinueUnlessInterrupted()) return Outcome::kAbandoned;
    const Outcome outcome = DisplayScreen(screen);
    return Monitor.cycleAbandoned ? Outcome::kAbandoned : outcome;
}

// Records the outcome of the painting done when the screen was entered on an erased pad.
void NoteScreenEntered(Outcome outcome) {
    if (outcome == Outcome::kFailed) Monitor.messageOnPad = true;
    if (outcome != Outcome::kPainted) return;
    Monitor.messageOnPad = false;
    Monitor.paintedPortCount = static_cast<int32_t>(Monitor.station.PortCount);
}

// Whether the pad no longer shows the current screen the way entering it draws it. A failure
// message replaces the labels and values; a station whose port count changed needs another menu
// bar and another number of port lines. In both cases the next successful refresh repaints the
// screen as entering it does, so that nothing on screen belongs to an earlier state of the
// station.
bool RepaintDue(Outcome outcome) {
    if (outcome == Outcome::kFailed) Monitor.messageOnPad = true;
    if (outcome != Outcome::kPainted) return false;
    return Monitor.messageOnPad ||
           Monitor.paintedPortCount != static_cast<int32_t>(Monitor.station.PortCount);
}

// Draws the current screen's labels and the poll-rate line.
void DrawScreenLabels() {
    if (const ScreenEntry* screen = FindScreen(CurrentScreen)) {
        DrawLabels(ScreenPad, StationHeader);
        DrawLabels(ScreenPad, screen->rows);
        PutAt(ScreenPad, screen->title, kTitleRow, kTitleColumn);
    }
    // The trailing blanks wipe the digits of a longer earlier rate.
    std::snprintf(TextBuffer, sizeof TextBuffer, " = %d MS          ",
                  static_cast<int>(RefreshCount * kWaitStepMs));
    PutAt(ScreenPad, TextBuffer, kPollRateRow, kPollRateColumn);
}

void ShowFrame() {
    vtShowPad(ScreenPad, 0, 0, 0, 0, kHeaderLastRow, kLastColumn);
    vtShowPad(ScreenPad, MorePage ? kSecondPageRow : kFirstPageRow, 0, kFirstPageRow, 0,
              kPageLastRow, kLastColumn);
    vtShowPad(ScreenPad, kMenuRow, 0, kPageLastRow + 1, 0, kMenuLastRow, kLastColumn);
    vtUpdate();
}

void DrawSpinner(int phase) {
    static const char* const kSpinner[] = {"\\", "|", "/", "-"};
    if (phase >= 1 && phase <= 4) PutAt(MainWindow, kSpinner[phase - 1], 0, 0);
}

}  // namespace

void Shutdown() {
    vtErase(MainWindow);
    vtRefresh(MainWindow);
    vtDeleteWindow(ScreenPad);
    vtEnd();
}

namespace {

// Waits RefreshCount steps of 10 ms, or until a key with a command arrives; keys without a
// command are dropped and the wait goes on to its original end. Returns the command, or
// `unchanged` when the time ran out.
int WaitForCommand(int unchanged) {
    platform::Clock& clock = platform::CurrentClock();
    const uint64_t deadline =
        clock.NowMs() + static_cast<uint64_t>(RefreshCount > 0 ? RefreshCount : 0) * kWaitStepMs;
    for (;;) {
        const uint64_t now = clock.NowMs();
        if (now >= deadline) return unchanged;
        if (!vtWaitKey(MainWindow, static_cast<int>(deadline - now))) continue;
        const int key = vtGetKey(MainWindow);
        if (key == 0) continue;
        const int command = MapKey(key);
        if (command != kNoCommand) return command;
    }
}

void RunDialog(void (*dialog)()) {
    vtErase(MainWindow);
    vtRefresh(MainWindow);
    dialog();
    vtRefresh(MainWindow);
    DrawScreenLabels();
    DrawMenuBars(Monitor.station.PortCount);
    SetMainOption(kVtNoWait);
    Sleep(1);
}

void DeviceDialog() {
    const int32_t before = DeviceInstance;
    // An accepted instance erases the pad: nothing of the adapter watched before may stay.
    DevInstanceDialog(ScreenPad);
    // Another adapter's transmit counter has nothing to do with the last one.
    if (DeviceInstance != before) Monitor.screens.frameRate = FrameRateMemory{};
}

}  // namespace

void RingeyeStartUp(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow) {
    ResetState();
    InitDevicePath();
    const char* title = RemoteSource ? RemoteSource->title : "ringeye SMT 7.3";
    vtOpenMain(instance, prevInstance, cmdShow, title, &MainWindow, kMainRows, kMainColumns,
               "Courier", 7);
    // The screen is rows 0-23 and columns 0-79 of the larger main window.
    vtSetUsedSize(kMenuLastRow + 1, kLastColumn + 1);
    vtRefresh(MainWindow);
    ScreenPad = vtNewPad(kPadRows, kPadColumns);
    vtErase(ScreenPad);
    vtStartInput();
    Sleep(1);
    SetMainOption(kVtHideCursor);
    vtStartKeys();
    SetMainOption(kVtNoWait);
}

void EnterScreen(int screen) {
    vtErase(ScreenPad);
    CurrentScreen = screen;
    DrawScreenLabels();
    NoteScreenEntered(RunCycle(screen));
    DrawMenuBars(Monitor.station.PortCount);
    if (!Monitor.cycleAbandoned) ShowFrame();
}

void RefreshScreen() {
    const Outcome outcome = RunCycle(CurrentScreen);
    if (Monitor.cycleAbandoned) return;
    if (RepaintDue(outcome)) {
        EnterScreen(CurrentScreen);
        if (Monitor.cycleAbandoned) return;
    }
    DrawSpinner(Monitor.spinnerPhase);
    Monitor.spinnerPhase = Monitor.spinnerPhase % 4 + 1;
    ShowFrame();
}

int RingeyeMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR, int cmdShow) {
    RingeyeStartUp(instance, prevInstance, cmdShow);
    int command = 1;
    for (;;) {
        if (command == kMoreCommand) {
            MorePage = !MorePage;
            command = CurrentScreen;
        }
        if (command == kExitCommand) break;
        if (command == kDeviceDialogCommand || command == kDelayDialogCommand) {
            RunDialog(command == kDeviceDialogCommand ? DeviceDialog : DelayDialog);
            command = CurrentScreen;
        }
        if (command != CurrentScreen) {
            EnterScreen(command);
            // A new screen is fetched and painted twice before the first wait; an abandoned
            // cycle goes to the wait at once, which takes the waiting command.
            if (!Monitor.cycleAbandoned) continue;
        } else {
            RefreshScreen();
        }
        command = WaitForCommand(command);
    }
    Shutdown();
    return 1;
}
