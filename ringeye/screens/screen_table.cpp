#include "ringeye/screens/screens.h"

namespace {

const ScreenEntry kScreens[] = {
    {1, CompositeLabels, PaintCompositeScreen, -1},
    {2, SmtLabels, PaintSmtScreen, -1},
    {3, MacLabels, PaintMacScreen, -1},
    {4, CountersLabels, PaintCountersScreen, -1},
    {5, PortLabels, PaintPortScreen, 0},  // port A, or S on a single-attachment station
    {6, PortLabels, PaintPortScreen, 1},  // port B
    {7, PathLabels, PaintPathScreen, -1},
};

}  // namespace

const ScreenEntry* FindScreen(int number) {
    for (const ScreenEntry& screen : kScreens) {
        if (screen.number == number) return &screen;
    }
    return nullptr;
}
