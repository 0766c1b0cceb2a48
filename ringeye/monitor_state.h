// The station monitor's process-wide state: its windows, what the operator chose, and what
// one refresh leaves for the next.
#pragma once

#include <cstdint>

#include "platform/vtwin/vtwin.h"
#include "ringeye/screens/screen_rows.h"
#include "smtmib/smt_retrieval.h"
#include "smtmib/station_snapshot.h"

constexpr int kMainRows = 26, kMainColumns = 84;
constexpr int kPadRows = 42, kPadColumns = 80;
constexpr int kNoScreen = 0;
constexpr int32_t kDefaultRefreshCount = 100;  // wait steps of 10 ms: one second
constexpr int kWaitStepMs = 10;

extern VtHandle MainWindow;
// Everything a screen paints: header rows 0-4, two pages of rows 5-21 and 22-38, menu bars at
// rows 40-41.
extern VtHandle ScreenPad;
extern int CurrentScreen;
extern int MorePage;
extern int32_t RefreshCount;
extern int32_t PortIndex;

// What the loop keeps between refreshes; a fresh value is the state at start-up.
struct MonitorMemory {
    // The watched station as the last fetch cycle left it. Slots keep the last values received
    // for the life of the process.
    StationSnapshot station = {};
    ScreenMemory screens;
    int spinnerPhase = 1;
    // The cycle under way was interrupted by a key with a command; it paints nothing more.
    bool cycleAbandoned = false;
    // When the keyboard was last looked at between two requests, on the program's clock.
    uint64_t lastKeyCheckMs = 0;
    // A failure message stands on the pad in place of the labels.
    bool messageOnPad = false;
    // The port count the menu bar and the port lines on the pad were drawn for; -1 before the
    // first successful painting.
    int32_t paintedPortCount = -1;
};
extern MonitorMemory Monitor;

struct ScreenEntry;

// Where the station comes from when it is not the local adapter's driver: the Linux program
// watches a station through an SNMP agent when its command line names one.
struct StationSource {
    const char* title;  // the window's title, naming the station
    // Fills `station` with what screen `screen` shows of device instance `instance`; returns 0,
    // or -1 with `station.end` saying why, as FetchCycle does.
    int (*fetch)(StationSnapshot& station, int32_t instance, const ScreenEntry& screen,
                 ContinueCheck continueCycle);
    // The text of a failure that ended with kAgentFailed, with its line break.
    void (*describeFailure)(const StationSnapshot& station, int32_t instance, char* text,
                            size_t size);
};
// Null: the local adapter. Set before RingeyeMain and kept for the life of the process.
extern const StationSource* RemoteSource;

// Writes both menu bars into rows 40 and 41 of the pad, for a station of `portCount` ports.
void DrawMenuBars(uint32_t portCount);
