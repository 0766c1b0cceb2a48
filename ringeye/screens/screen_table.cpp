#include "ringeye/screens/screens.h"

namespace {

const ScreenEntry* const kScreens[] = {
    &CompositeScreen, &SmtScreen,   &MacScreen,  &CountersScreen,
    &PortAScreen,     &PortBScreen, &PathScreen,
};

}  // namespace

const ScreenEntry* FindScreen(int number) {
    for (const ScreenEntry* screen : kScreens) {
        if (screen->number == number) return screen;
    }
    return nullptr;
}
