// The seven screens of the station monitor: each screen's label table and painting routine.
// Screens 5 and 6 share the PORT table and routine and differ in the port they show.
#pragma once

#include <cstdint>

#include "ringeye/layout.h"

struct ScreenEntry {
    int number;                // the menu digit
    const LabelEntry* labels;  // drawn when the screen is entered
    int (*paint)();            // fetches and paints the values of one refresh
    int32_t portIndex;         // the port screens 5 and 6 show; -1 for the others
};

// The entry for screen `number`, or nullptr.
const ScreenEntry* FindScreen(int number);

extern const LabelEntry CompositeLabels[];
extern const LabelEntry SmtLabels[];
extern const LabelEntry MacLabels[];
extern const LabelEntry CountersLabels[];
extern const LabelEntry PortLabels[];
extern const LabelEntry PathLabels[];

int PaintCompositeScreen();
int PaintSmtScreen();
int PaintMacScreen();
int PaintCountersScreen();
int PaintPortScreen();
int PaintPathScreen();

// The Composite screen's memory of the transmit counter, for its frames-per-second rate.
extern uint32_t PreviousTransmitCount;
// Forgets the last transmit reading, so that the next one starts the rate afresh (at start, and
// when another adapter is chosen, whose counter has nothing to do with the last one).
void ResetFrameRate();
