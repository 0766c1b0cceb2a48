// A library opened on a headless display driven by a virtual clock, closed again after each
// test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "platform/vtwin/headless_display.h"
#include "platform/vtwin/vtwin.h"
#include "platform/vtwin/window.h"

class VtwinTest : public ::testing::Test {
  protected:
    void OpenMain(int rows = 26, int columns = 84) {
        vtwin::SetDisplay(&display);
        platform::SetClock(&clock);
        ASSERT_NE(vtOpenMain(nullptr, nullptr, 0, "test screen", &mainWindow, rows, columns,
                             "Courier", 7),
                  0);
    }
    void TearDown() override {
        vtEnd();
        vtwin::SetDisplay(nullptr);
        platform::SetClock(nullptr);
    }
    // A full screen row: `text` from column `column` on, blanks elsewhere.
    static std::string RowWith(int column, const std::string& text, int width = 84) {
        std::string row(static_cast<size_t>(width), ' ');
        return row.replace(static_cast<size_t>(column), text.size(), text);
    }

    platform::VirtualClock clock;
    vtwin::HeadlessDisplay display{&clock};
    VtHandle mainWindow = nullptr;
};
