// The seven screens of the station monitor. Each screen's file ends with its own entry; the
// screen table lists them. Screens 5 and 6 share the PORT rows and differ in the port they show.
#pragma once

#include <cstdint>

#include "ringeye/screens/screen_rows.h"

struct ScreenEntry {
    int number;         // the menu digit
    const char* title;  // at the top of the pad, drawn with the labels
    RowTable rows;      // labels and values, in painting order
    int32_t portIndex;  // the port screens 5 and 6 show; -1 for the others
    // A list the screen paints itself after its rows, or null.
    void (*paintList)(PaintContext& context);
};

// The entry for screen `number`, or nullptr.
const ScreenEntry* FindScreen(int number);

// The station's identity and states in rows 0 to 3, on every screen.
extern const RowTable StationHeader;

extern const ScreenEntry CompositeScreen;
extern const ScreenEntry SmtScreen;
extern const ScreenEntry MacScreen;
extern const ScreenEntry CountersScreen;
extern const ScreenEntry PortAScreen;
extern const ScreenEntry PortBScreen;
extern const ScreenEntry PathScreen;
