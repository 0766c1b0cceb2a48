// The station monitor's process-wide state: its windows and what the operator chose.
#pragma once

#include <cstdint>

#include "platform/vtwin/vtwin.h"

constexpr int kMainRows = 26, kMainColumns = 84;
constexpr int kPadRows = 42, kPadColumns = 80;
constexpr int kNoScreen = 0;
constexpr int32_t kDefaultRefreshCount = 100;  // wait steps of 10 ms: one second
constexpr int kWaitStepMs = 10;

extern VtHandle MainWindow;
// Everything a screen paints: header rows 0-4, two pages of rows 5-21 and 22-38, menu bars at
// rows 40-41.
extern VtHandle ScreenPad;
// Where PutAt writes: the pad, or the main window while the spinner is drawn.
extern VtHandle TargetWindow;
extern int CurrentScreen;
extern int MorePage;
extern int32_t RefreshCount;
extern int32_t PortIndex;

// Writes both menu bars into rows 40 and 41 of the pad.
void DrawMenuBars();
