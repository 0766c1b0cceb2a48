#include <cstdio>
#include <cstring>

#include "common/command_keys.h"
#include "common/device_channel.h"
#include "common/number_dialog.h"
#include "platform/clock.h"
#include "platform/vtwin/window.h"
#include "ringeye/delay_dialog.h"
#include "ringeye/fetch_hooks.h"
#include "ringeye/layout.h"
#include "ringeye/monitor_state.h"
#include "ringeye/ringeye_main.h"
#include "ringeye/screen_repaint.h"
#include "ringeye/screens/screens.h"
#include "ringeye/screens/trouble_marks.h"
#include "smtmib/smt_answer_length.h"
#include "smtmib/smt_retrieval.h"

VtHandle MainWindow;
VtHandle ScreenPad;
VtHandle TargetWindow;
int CurrentScreen = kNoScreen;
int MorePage = 0;
int32_t RefreshCount = kDefaultRefreshCount;
int32_t PortIndex = 0;

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

int SpinnerPhase = 1;
// The cycle under way was interrupted by a key with a command; it paints nothing more.
bool CycleAbandoned = false;
// What a screen routine's outcome becomes when its cycle was abandoned: nothing was painted.
constexpr int kScreenAbandoned = 1;

void ShowRequestFailure(const char* message, ChannelFailure) {
    std::snprintf(TextBuffer, sizeof TextBuffer, "%s", message);
    vtErase(TargetWindow);
    PutMessage(TextBuffer);
    DrawMenuBars();
}

const ChannelProfile kRingeyeChannel = {
    kSmtRequestSize,
    false,  // the request builder puts the instance into word 0
    "***Error***: Cannot detect 4682 device\n",
    "IOCTL Failed for DevInstance %d, GetLastError = %x\n",
    ShowRequestFailure,
    kAnswerAreaOffset,  // the header words, then the records they carry
    SmtAnswerLength,
};

// Zeroes the process-wide state, as a fresh process has it, so that tests can run the entry
// more than once in one process.
void ResetState() {
    ResetSmtStore();
    DeviceInstance = 0;
    CurrentScreen = kNoScreen;
    MorePage = 0;
    RefreshCount = kDefaultRefreshCount;
    PortIndex = 0;
    ResetFrameRate();
    ResetRepaintState();
    ForgetTroubleHistory();
    SpinnerPhase = 1;
    CycleAbandoned = false;
}

void SetMainOption(uint8_t bit) {
    MainWindow->WindowOptions |= bit;
}

}  // namespace

int MapKey(int key) {
    if (key == kEscKey || key == '0') return kExitCommand;
    if (key == ' ') return kMoreCommand;
    if (key == '6' && PortCount == 1) return kNoCommand;
    if (key >= '1' && key <= '9') return key - '0';
    return kNoCommand;
}

namespace {

bool HasCommand(int key) {
    return MapKey(key) != kNoCommand;
}

}  // namespace

// Looking at the keyboard and the signals costs a few system calls. A healthy driver answers the
// requests of a cycle within microseconds of each other, so they are checked at most once per
// interval on the program's clock; a slow driver's requests are each checked.
constexpr uint64_t kKeyCheckIntervalMs = 5;
uint64_t LastKeyCheckMs = 0;

bool ContinueUnlessInterrupted() {
    if (CycleAbandoned) return false;
    const uint64_t now = platform::CurrentClock().NowMs();
    if (now - LastKeyCheckMs < kKeyCheckIntervalMs) return true;
    LastKeyCheckMs = now;
    CycleAbandoned = CommandKeyWaiting(MainWindow, HasCommand);
    return !CycleAbandoned;
}

int DisplayScreen(int screen) {
    const ScreenEntry* entry = FindScreen(screen);
    if (!entry) return kScreenPainted;
    if (entry->portIndex >= 0) PortIndex = entry->portIndex;
    return entry->paint();
}

namespace {

// Runs the screen's routine for a new cycle; a command key that is already waiting (typed
// ahead of the one that started this cycle) abandons it before its first request.
int RunCycle(int screen) {
    CycleAbandoned = false;
    if (!ContinueUnlessInterrupted()) return kScreenAbandoned;
    const int outcome = DisplayScreen(screen);
    return CycleAbandoned ? kScreenAbandoned : outcome;
}

}  // namespace

void ShowFrame() {
    vtShowPad(ScreenPad, 0, 0, 0, 0, kHeaderLastRow, kLastColumn);
    vtShowPad(ScreenPad, MorePage ? kSecondPageRow : kFirstPageRow, 0, kFirstPageRow, 0,
              kPageLastRow, kLastColumn);
    vtShowPad(ScreenPad, kMenuRow, 0, kPageLastRow + 1, 0, kMenuLastRow, kLastColumn);
    vtUpdate();
}

void DrawSpinner(int phase) {
    static const char* const kSpinner[] = {"\\", "|", "/", "-"};
    if (phase >= 1 && phase <= 4) PutAt(kSpinner[phase - 1], 0, 0, 0);
}

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
    DrawLabels();
    DrawMenuBars();
    SetMainOption(kVtNoWait);
    Sleep(1);
}

void DeviceDialog() {
    const int32_t before = DeviceInstance;
    // An accepted instance erases the pad: nothing of the adapter watched before may stay.
    DevInstanceDialog(ScreenPad);
    if (DeviceInstance != before) ResetFrameRate();
}

}  // namespace

void RingeyeStartUp(HINSTANCE instance, HINSTANCE prevInstance, int cmdShow) {
    ResetState();
    SetChannelProfile(&kRingeyeChannel);
    SetFetchHooks(&RingeyeFetchHooks);
    InitDevicePath();
    vtOpenMain(instance, prevInstance, cmdShow, "ringeye SMT 7.3", &MainWindow, kMainRows,
               kMainColumns, "Courier", 7);
    // The screen is rows 0-23 and columns 0-79 of the larger main window.
    vtSetUsedSize(kMenuLastRow + 1, kLastColumn + 1);
    vtRefresh(MainWindow);
    ScreenPad = vtNewPad(kPadRows, kPadColumns);
    TargetWindow = ScreenPad;
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
    DrawLabels();
    NoteScreenEntered(RunCycle(screen));
    DrawMenuBars();
    if (!CycleAbandoned) ShowFrame();
}

void RefreshScreen() {
    const int outcome = RunCycle(CurrentScreen);
    if (CycleAbandoned) return;
    if (RepaintDue(outcome)) {
        EnterScreen(CurrentScreen);
        if (CycleAbandoned) return;
    }
    TargetWindow = MainWindow;
    DrawSpinner(SpinnerPhase);
    SpinnerPhase = SpinnerPhase % 4 + 1;
    TargetWindow = ScreenPad;
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
            if (!CycleAbandoned) continue;
        } else {
            RefreshScreen();
        }
        command = WaitForCommand(command);
    }
    Shutdown();
    return 1;
}
