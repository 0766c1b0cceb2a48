// The cell model as the screen shows it: clipping, "\n", cursor bounds, pads, boxes, erasing,
// sub-windows over the main window, and handles that are no longer valid.
#include <string>
#include <vector>

#include "tests/vtwin/vtwin_fixture.h"

namespace {

using WindowWrites = VtwinTest;

struct WriteCase {
    const char* name;
    int row;
    int column;
    const char* text;
    // Expected screen rows after a refresh of the main window, whose rows all start as 'x'.
    std::vector<std::pair<int, std::string>> rows;
};

TEST_F(WindowWrites, TextIsClippedAtTheLastColumnAndNewlineBlanksTheRest) {
    const std::string filled(84, 'x');
    const std::vector<WriteCase> cases = {
        {"fits the last columns", 0, 81, "ABC", {{0, filled.substr(0, 81) + "ABC"}}},
        {"clipped, no wrap", 3, 80, "ABCDEFG", {{3, filled.substr(0, 80) + "ABCD"}, {4, filled}}},
        {"newline blanks the row and goes on below",
         3,
         10,
         "ab\ncd",
         {{3, RowWith(0, filled.substr(0, 10) + "ab")}, {4, "cd" + filled.substr(2)}}},
        {"clipped text then newline",
         2,
         80,
         "ABCDEFG\nZ",
         {{2, filled.substr(0, 80) + "ABCD"}, {3, "Z" + filled.substr(1)}}},
        {"newline on the last row drops the rest",
         25,
         5,
         "a\nbc",
         {{25, RowWith(0, "xxxxxa")}, {0, filled}}},
        {"newline alone blanks from the cursor", 1, 0, "\n", {{1, RowWith(0, "")}, {2, filled}}},
    };
    OpenMain();
    for (const WriteCase& write : cases) {
        SCOPED_TRACE(write.name);
        vtErase(mainWindow);
        for (int row = 0; row < 26; ++row) {
            ASSERT_NE(vtMove(mainWindow, row, 0), 0);
            vtPutString(mainWindow, filled.c_str());
        }
        ASSERT_NE(vtMove(mainWindow, write.row, write.column), 0);
        vtPutString(mainWindow, write.text);
        vtRefresh(mainWindow);
        for (const auto& [row, text] : write.rows)
            EXPECT_EQ(display.Row(row), text) << row;
    }
}

TEST_F(WindowWrites, CharactersAndFormattedTextGoToTheCursor) {
    OpenMain(24, 84);
    vtMove(mainWindow, 0, 82);
    vtPutChar(mainWindow, 'a');
    vtPutChar(mainWindow, 'b');
    vtPutChar(mainWindow, 'c');  // past the last column: dropped
    vtPrintAt(3, 40, "Recv packets %12lu", 4294967295ul);
    vtMove(mainWindow, 5, 0);
    vtPrint("%s", "-- Commands");
    vtPrintf(mainWindow, "%d%c|", 42, 0);  // a NUL is a blank cell
    EXPECT_EQ(vtPrintAt(24, 0, "%s", "below the window"), 0);
    vtRefresh(mainWindow);
    EXPECT_EQ(display.Row(0), RowWith(82, "ab"));
    EXPECT_EQ(display.Cells(3, 38, 27), "  Recv packets   4294967295");
    EXPECT_EQ(display.Cells(3, 65, 19), std::string(19, ' '));
    EXPECT_EQ(display.Row(5), RowWith(0, "-- Commands42 |"));
    EXPECT_EQ(display.Row(23), RowWith(0, ""));
}

TEST_F(WindowWrites, LongFormattedTextIsCutAtTheBuffer) {
    OpenMain();
    VtHandle pad = vtNewPad(1, 1024);
    ASSERT_NE(pad, nullptr);
    const std::string longText(700, 'y');
    vtPrintf(pad, "%s", longText.c_str());
    vtShowPad(pad, 0, 500, 0, 0, 0, 83);
    vtUpdate();
    EXPECT_EQ(display.Row(0), RowWith(0, std::string(11, 'y')));
}

using CursorBounds = VtwinTest;

TEST_F(CursorBounds, MoveSucceedsOnlyInsideTheWindow) {
    OpenMain();
    struct Window {
        const char* name;
        VtHandle handle;
        int rows;
        int columns;
    };
    const Window windows[] = {
        {"main", mainWindow, 26, 84},
        {"sub-window", vtNewWindow(7, 30, 10, 30), 7, 30},
        {"pad", vtNewPad(42, 80), 42, 80},
    };
    for (const Window& window : windows) {
        SCOPED_TRACE(window.name);
        ASSERT_NE(window.handle, nullptr);
        const struct {
            int row;
            int column;
            bool inside;
        } moves[] = {
            {0, 0, true},
            {window.rows - 1, window.columns - 1, true},
            {window.rows, 0, false},
            {0, window.columns, false},
            {-1, 0, false},
            {0, -1, false},
            {window.rows - 1, window.columns, false},
        };
        for (const auto& move : moves) {
            EXPECT_EQ(vtMove(window.handle, move.row, move.column) != 0, move.inside)
                << move.row << "," << move.column;
        }
        // A refused move leaves the cursor where the last good one put it.
        vtErase(window.handle);
        ASSERT_NE(vtMove(window.handle, 1, 2), 0);
        vtMove(window.handle, 1, window.columns);
        vtPutChar(window.handle, 'Q');
        EXPECT_EQ(vtwin::CellAt(*window.handle, 1, 2), 'Q');
    }
}

using Pads = VtwinTest;

// Each pad row starts with its number and ends with '|' in column 79.
void FillPad(VtHandle pad, int rows) {
    for (int row = 0; row < rows; ++row) {
        vtMove(pad, row, 0);
        vtPrintf(pad, "pad row %02d", row);
        vtMove(pad, row, 79);
        vtPutChar(pad, '|');
    }
}

std::string PadRow(int row) {
    char text[16];
    std::snprintf(text, sizeof text, "pad row %02d", row);
    std::string line(80, ' ');
    line.replace(0, 10, text);
    line[79] = '|';
    return line;
}

TEST_F(Pads, RecordedRectanglesAppearAtTheNextUpdate) {
    OpenMain();
    VtHandle pad = vtNewPad(42, 80);
    FillPad(pad, 42);
    ASSERT_NE(vtShowPad(pad, 0, 0, 0, 0, 4, 79), 0);
    ASSERT_NE(vtShowPad(pad, 22, 0, 5, 0, 21, 79), 0);
    ASSERT_NE(vtShowPad(pad, 40, 0, 22, 0, 23, 79), 0);
    EXPECT_EQ(display.Row(0), RowWith(0, "")) << "shown before vtUpdate";
    vtUpdate();
    const std::string mainColumns(4, ' ');
    for (int row = 0; row <= 4; ++row)
        EXPECT_EQ(display.Row(row), PadRow(row) + mainColumns);
    for (int row = 5; row <= 21; ++row) {
        EXPECT_EQ(display.Row(row), PadRow(row + 17) + mainColumns) << row;
    }
    EXPECT_EQ(display.Row(22), PadRow(40) + mainColumns);
    EXPECT_EQ(display.Row(23), PadRow(41) + mainColumns);
    EXPECT_EQ(display.Row(24), RowWith(0, ""));
}

TEST_F(Pads, RectanglesAreClippedToThePadAndTheScreen) {
    OpenMain();
    VtHandle pad = vtNewPad(42, 80);
    VtHandle window = vtNewWindow(3, 3, 0, 0);
    FillPad(pad, 42);
    const struct {
        const char* name;
        int padRow, padColumn, top, left, bottom, right;
        bool shown;
    } rectangles[] = {
        {"past the pad's last row", 40, 0, 0, 0, 9, 83, true},
        {"past the screen's last row", 0, 0, 20, 4, 100, 200, true},
        {"from a negative pad row", -2, 0, 10, 0, 13, 79, true},
        {"wholly below the screen", 0, 0, 26, 0, 30, 79, false},
        {"pad origin outside the pad", 42, 0, 0, 0, 5, 79, false},
        {"bottom above top", 0, 0, 5, 0, 4, 79, false},
    };
    for (const auto& shown : rectangles) {
        EXPECT_EQ(vtShowPad(pad, shown.padRow, shown.padColumn, shown.top, shown.left, shown.bottom,
                            shown.right) != 0,
                  shown.shown)
            << shown.name;
    }
    EXPECT_EQ(vtShowPad(window, 0, 0, 0, 0, 1, 1), 0) << "a sub-window is not a pad";
    vtUpdate();
    EXPECT_EQ(display.Row(0), PadRow(40) + "    ");
    EXPECT_EQ(display.Row(1), PadRow(41) + "    ");
    EXPECT_EQ(display.Row(2), RowWith(0, "")) << "rows the pad does not have stay as they were";
    EXPECT_EQ(display.Row(25), RowWith(4, PadRow(5)));
    EXPECT_EQ(display.Row(12), RowWith(0, PadRow(0))) << "negative pad row moves the rectangle";
    EXPECT_EQ(display.Row(13), RowWith(0, PadRow(1)));
    EXPECT_EQ(display.Row(11), RowWith(0, ""));
}

TEST_F(Pads, SpinnerOfTheMainWindowStaysVisibleOverAShownPad) {
    OpenMain();
    VtHandle pad = vtNewPad(42, 80);
    vtMove(pad, 0, 0);
    vtPutString(pad, std::string(80, 'p').c_str());
    const char spinner[] = {'\\', '|', '/', '-'};
    for (char phase : spinner) {
        vtMove(mainWindow, 0, 0);
        vtPutChar(mainWindow, phase);
        vtShowPad(pad, 0, 0, 0, 0, 4, 79);
        vtUpdate();
        EXPECT_EQ(display.Row(0), std::string(1, phase) + std::string(79, 'p') + "    ");
    }
    // A frame without a new spinner character shows the pad's cell there.
    vtShowPad(pad, 0, 0, 0, 0, 4, 79);
    vtUpdate();
    EXPECT_EQ(display.Cells(0, 0, 1), "p");
}

TEST_F(Pads, DeletedPadIsNotShown) {
    OpenMain();
    VtHandle pad = vtNewPad(5, 80);
    FillPad(pad, 5);
    vtShowPad(pad, 0, 0, 0, 0, 4, 79);
    ASSERT_NE(vtDeleteWindow(pad), 0);
    vtUpdate();
    EXPECT_EQ(display.Row(0), RowWith(0, ""));
}

using Windows = VtwinTest;

TEST_F(Windows, BoxDrawsTheBorderWithoutMovingTheCursor) {
    OpenMain();
    const struct {
        int vertical;
        int horizontal;
        std::vector<std::string> rows;
    } boxes[] = {
        {'|', '-', {"------", "|Z   |", "|    |", "------"}},
        {'*', '*', {"******", "*Z   *", "*    *", "******"}},
        {0, 0, {"------", "|Z   |", "|    |", "------"}},
    };
    for (const auto& box : boxes) {
        VtHandle window = vtNewWindow(4, 6, 2, 3);
        vtMove(window, 1, 1);
        vtBox(window, box.vertical, box.horizontal);
        vtPutChar(window, 'Z');
        vtRefresh(window);
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(display.Row(2 + row), RowWith(3, box.rows[static_cast<size_t>(row)]));
        }
        vtDeleteWindow(window);
    }
}

TEST_F(Windows, EraseBlanksAndHomesTheCursor) {
    OpenMain();
    VtHandle window = vtNewWindow(3, 10, 4, 4);
    vtMove(window, 2, 5);
    vtPutString(window, "old");
    vtErase(window);
    vtPutString(window, "new");
    vtRefresh(window);
    EXPECT_EQ(display.Row(4), RowWith(4, "new       "));
    EXPECT_EQ(display.Row(6), RowWith(0, ""));
    EXPECT_EQ(display.Image().cursorRow, 4);
    EXPECT_EQ(display.Image().cursorColumn, 7);
}

TEST_F(Windows, SubWindowCoversAndErasingUncoversOnlyAfterTheMainRefresh) {
    OpenMain();
    const std::string filled(84, 'm');
    for (int row = 0; row < 26; ++row)
        vtPrintAt(row, 0, "%s", filled.c_str());
    vtRefresh(mainWindow);
    VtHandle dialog = vtNewWindow(3, 5, 2, 2);
    vtMove(dialog, 1, 1);
    vtPutString(dialog, "hi");
    vtRefresh(dialog);
    EXPECT_EQ(display.Row(3), "mm" + std::string(" hi  ") + filled.substr(7));
    EXPECT_EQ(display.Row(1), filled);
    vtErase(dialog);
    vtRefresh(dialog);
    EXPECT_EQ(display.Row(3), "mm" + std::string(5, ' ') + filled.substr(7));
    vtDeleteWindow(dialog);
    vtRefresh(mainWindow);
    EXPECT_EQ(display.Row(3), filled);
}

TEST_F(Windows, SubWindowPartlyOffTheScreenIsClipped) {
    OpenMain(24, 84);
    VtHandle window = vtNewWindow(3, 10, 23, 80);
    vtPutString(window, "abcdefghij");
    vtRefresh(window);
    EXPECT_EQ(display.Row(23), RowWith(80, "abcd"));
}

using Handles = VtwinTest;

TEST_F(Handles, NullDeletedAndForeignHandlesAnswerZero) {
    OpenMain();
    VtHandle deleted = vtNewWindow(3, 3, 0, 0);
    ASSERT_NE(vtDeleteWindow(deleted), 0);
    VtWindowRecord foreignRecord = {};
    const struct {
        const char* name;
        VtHandle handle;
    } handles[] = {{"null", nullptr}, {"deleted", deleted}, {"foreign", &foreignRecord}};
    for (const auto& handle : handles) {
        SCOPED_TRACE(handle.name);
        VtHandle window = handle.handle;
        EXPECT_EQ(vtMove(window, 0, 0), 0);
        EXPECT_EQ(vtPutString(window, "x"), 0);
        EXPECT_EQ(vtPutChar(window, 'x'), 0);
        EXPECT_EQ(vtPrintf(window, "%d", 1), 0);
        EXPECT_EQ(vtErase(window), 0);
        EXPECT_EQ(vtBox(window, '*', '*'), 0);
        EXPECT_EQ(vtRefresh(window), 0);
        EXPECT_EQ(vtShowPad(window, 0, 0, 0, 0, 1, 1), 0);
        EXPECT_EQ(vtGetKey(window), 0);
        EXPECT_EQ(vtWaitKey(window, 10), 0);
        EXPECT_EQ(vtDeleteWindow(window), 0);
    }
    EXPECT_EQ(vtDeleteWindow(mainWindow), 0) << "the main window goes with vtEnd";
    EXPECT_EQ(vtRefresh(vtNewPad(2, 2)), 0) << "a pad is shown only through vtShowPad";
    EXPECT_EQ(vtPutString(mainWindow, nullptr), 0);
}

TEST_F(Handles, EndFreesEveryWindowAndTheLibraryOpensAgain) {
    OpenMain();
    VtHandle pad = vtNewPad(4, 4);
    VtHandle oldMain = mainWindow;
    ASSERT_NE(vtEnd(), 0);
    EXPECT_TRUE(display.WasClosed());
    EXPECT_EQ(vtMove(pad, 0, 0), 0);
    EXPECT_EQ(vtMove(oldMain, 0, 0), 0);
    EXPECT_EQ(vtUpdate(), 0);
    EXPECT_EQ(vtEnd(), 0);
    OpenMain(24, 84);
    EXPECT_EQ(display.Image().rows, 24);
    VtHandle second = nullptr;
    EXPECT_EQ(vtOpenMain(nullptr, nullptr, 0, "again", &second, 24, 84, "Courier", 7), 0)
        << "only one main window at a time";
}

TEST_F(Handles, WindowSizesOutsideTheLimitsAreRefused) {
    OpenMain();
    EXPECT_EQ(vtNewPad(0, 10), nullptr);
    EXPECT_EQ(vtNewPad(10, -1), nullptr);
    EXPECT_EQ(vtNewPad(100000, 100000), nullptr);
    EXPECT_EQ(vtNewWindow(3, 3, -1, 0), nullptr);
}

TEST(WindowRecord, OptionsByteIsWhereTheProgramsSetIt) {
    vtwin::HeadlessDisplay display;
    vtwin::SetDisplay(&display);
    VtHandle mainWindow = nullptr;
    ASSERT_NE(vtOpenMain(nullptr, nullptr, 0, "title", &mainWindow, 24, 84, "Courier", 7), 0);
    EXPECT_EQ(display.Title(), "title");
    reinterpret_cast<uint8_t*>(mainWindow)[14] |= kVtNoWait;
    EXPECT_EQ(mainWindow->WindowOptions, kVtNoWait);
    vtEnd();
    vtwin::SetDisplay(nullptr);
}

}  // namespace

namespace {

using Styles = VtwinTest;

// Styles live beside the text: setting one never changes a character or the cursor, writing or
// erasing a cell makes it plain again, and pads and the main window carry them to the screen.
TEST_F(Styles, TroubleStyleFollowsItsCellsAndLeavesTheTextAlone) {
    OpenMain();
    VtHandle pad = vtNewPad(42, 80);
    ASSERT_NE(vtMove(mainWindow, 2, 10), 0);
    vtPutString(mainWindow, "ABCDEFGH");
    ASSERT_NE(vtMove(pad, 30, 5), 0);
    vtPutString(pad, "padded");

    EXPECT_EQ(vtSetStyle(mainWindow, 2, 12, 3, kVtStyleTrouble), 3);
    EXPECT_EQ(vtSetStyle(mainWindow, 3, 82, 5, kVtStyleTrouble), 2) << "clipped at the row's end";
    EXPECT_EQ(vtSetStyle(pad, 30, 6, 4, kVtStyleTrouble), 4);
    const struct {
        const char* name;
        int answer;
    } refused[] = {
        {"unknown style", vtSetStyle(mainWindow, 2, 10, 1, 7)},
        {"row outside", vtSetStyle(mainWindow, 26, 0, 1, kVtStyleTrouble)},
        {"column outside", vtSetStyle(mainWindow, 0, -1, 1, kVtStyleTrouble)},
        {"no cells", vtSetStyle(mainWindow, 0, 0, 0, kVtStyleTrouble)},
        {"null handle", vtSetStyle(nullptr, 0, 0, 1, kVtStyleTrouble)},
    };
    for (const auto& call : refused)
        EXPECT_EQ(call.answer, 0) << call.name;

    // Shown through vtUpdate: the pad rectangle, then the main-window cells written since.
    ASSERT_NE(vtShowPad(pad, 22, 0, 5, 0, 21, 79), 0);
    vtUpdate();
    EXPECT_EQ(display.Row(2), RowWith(10, "ABCDEFGH"));
    EXPECT_EQ(display.Marks(2, 10, 8), "  ^^^   ");
    EXPECT_EQ(display.Marks(3, 80, 4), "  ^^");
    EXPECT_EQ(display.Cells(13, 5, 6), "padded");
    EXPECT_EQ(display.Marks(13, 5, 6), " ^^^^ ");

    ASSERT_NE(vtMove(mainWindow, 2, 13), 0);
    vtPutChar(mainWindow, 'x');
    vtSetStyle(mainWindow, 2, 14, 1, kVtStyleNormal);
    vtRefresh(mainWindow);
    EXPECT_EQ(display.Row(2), RowWith(10, "ABCxEFGH"));
    EXPECT_EQ(display.Marks(2, 10, 8), "  ^     ") << "a written cell is plain";

    vtErase(mainWindow);
    vtRefresh(mainWindow);
    EXPECT_EQ(display.Marks(2, 0, 84), std::string(84, ' ')) << "erasing clears every style";
}

}  // namespace
