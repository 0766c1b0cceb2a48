// Keys through the headless display: the set-up calls, waiting and not waiting, vtWaitKey on a
// virtual clock, and the cursor while a window reads keys.
#include <vector>

#include "tests/vtwin/vtwin_fixture.h"

namespace {

using Keys = VtwinTest;

TEST_F(Keys, NoKeyIsReadBeforeStartInput) {
    OpenMain();
    mainWindow->WindowOptions |= kVtNoWait;
    display.PushKey('a');
    EXPECT_EQ(vtGetKey(mainWindow), 0);
    EXPECT_EQ(display.PendingKeys(), 1u);
    EXPECT_EQ(vtWaitKey(mainWindow, 250), 0);
    EXPECT_EQ(clock.NowMs(), 250u) << "waits its time even though nothing may be read";
    vtStartInput();
    EXPECT_EQ(vtGetKey(mainWindow), 'a');
}

TEST_F(Keys, KeysAreTranslatedOnlyAfterStartKeys) {
    OpenMain();
    mainWindow->WindowOptions |= kVtNoWait;
    vtStartInput();
    const std::vector<int> raw = {13, 10, 127, 8, 27, 'x', 300, ' '};
    const std::vector<int> untranslated = raw;
    const std::vector<int> translated = {10, 10, 8, 8, 27, 'x', ' '};
    for (bool startKeys : {false, true}) {
        if (startKeys) vtStartKeys();
        for (int key : raw)
            display.PushKey(key);
        std::vector<int> seen;
        while (int key = vtGetKey(mainWindow))
            seen.push_back(key);
        EXPECT_EQ(seen, startKeys ? translated : untranslated);
    }
}

TEST_F(Keys, NoWaitWindowAnswersZeroAtOnce) {
    OpenMain();
    vtStartInput();
    vtStartKeys();
    mainWindow->WindowOptions |= kVtNoWait;
    clock.At(100, [this] { display.PushKey('5'); });
    EXPECT_EQ(vtGetKey(mainWindow), 0);
    EXPECT_EQ(clock.NowMs(), 0u);
    display.PushKey(300);  // a key without a character is dropped, not returned as 0 later
    EXPECT_EQ(vtGetKey(mainWindow), 0);
    EXPECT_EQ(display.PendingKeys(), 0u);
}

TEST_F(Keys, WindowWithoutNoWaitWaitsForAKey) {
    OpenMain();
    vtStartInput();
    vtStartKeys();
    VtHandle dialog = vtNewWindow(7, 30, 10, 30);
    clock.At(500, [this] { display.PushKey(300); });
    clock.At(700, [this] { display.PushKey(13); });
    EXPECT_EQ(vtGetKey(dialog), 10);
    EXPECT_EQ(clock.NowMs(), 700u);
}

TEST_F(Keys, WaitingWithNothingScriptedEndsTheTestLoudly) {
    OpenMain();
    vtStartInput();
    VtHandle dialog = vtNewWindow(7, 30, 10, 30);
    EXPECT_DEATH(vtGetKey(dialog), "a program waits for a key but the test scripted none");
}

TEST_F(Keys, WaitKeyWaitsUpToItsTimeAndLeavesTheKey) {
    OpenMain();
    vtStartInput();
    vtStartKeys();
    mainWindow->WindowOptions |= kVtNoWait;
    const struct {
        const char* name;
        uint64_t keyAt;  // relative to the wait's start; 0: no key
        int timeoutMs;
        int expected;
        uint64_t waited;
    } waits[] = {
        {"key within the time", 300, 1000, 1, 300},  {"no key", 0, 1000, 0, 1000},
        {"key after the time", 1500, 1000, 0, 1000}, {"zero time", 0, 0, 0, 0},
        {"without limit", 2500, -1, 1, 2500},
    };
    for (const auto& wait : waits) {
        SCOPED_TRACE(wait.name);
        // Let a key left over from the case before arrive, and take it away.
        if (clock.HasPendingEvents()) clock.AdvanceUntil(clock.NextEventMs(), [] { return false; });
        while (vtGetKey(mainWindow) != 0) {
        }
        uint64_t start = clock.NowMs();
        if (wait.keyAt) clock.At(start + wait.keyAt, [this] { display.PushKey('z'); });
        EXPECT_EQ(vtWaitKey(mainWindow, wait.timeoutMs), wait.expected);
        EXPECT_EQ(clock.NowMs() - start, wait.waited);
        if (wait.expected) {
            EXPECT_EQ(display.PendingKeys(), 0u) << "the key is held by the library";
            EXPECT_EQ(vtGetKey(mainWindow), 'z');
        }
    }
}

TEST_F(Keys, WaitKeyPassesOverDroppedKeys) {
    OpenMain();
    vtStartInput();
    vtStartKeys();
    clock.At(100, [this] { display.PushKey(400); });
    EXPECT_EQ(vtWaitKey(mainWindow, 1000), 0);
    EXPECT_EQ(display.PendingKeys(), 0u);
}

TEST_F(Keys, CursorIsHiddenWhileAHideCursorWindowReadsKeys) {
    OpenMain();
    vtStartInput();
    vtStartKeys();
    vtRefresh(mainWindow);
    EXPECT_TRUE(display.Image().cursorVisible);
    mainWindow->WindowOptions |= kVtHideCursor | kVtNoWait;
    vtRefresh(mainWindow);
    EXPECT_FALSE(display.Image().cursorVisible) << "before any key is read the main window rules";
    VtHandle dialog = vtNewWindow(7, 30, 10, 30);
    vtMove(dialog, 3, 26);
    vtRefresh(dialog);
    display.PushKey('1');
    EXPECT_EQ(vtGetKey(dialog), '1');
    EXPECT_TRUE(display.Image().cursorVisible) << "the dialog's entry shows the cursor";
    EXPECT_EQ(display.Image().cursorRow, 13);
    EXPECT_EQ(display.Image().cursorColumn, 56);
    vtDeleteWindow(dialog);
    vtGetKey(mainWindow);
    EXPECT_FALSE(display.Image().cursorVisible);
}

TEST_F(Keys, EndClosesTheDisplayAndStopsKeys) {
    OpenMain();
    vtStartInput();
    mainWindow->WindowOptions |= kVtNoWait;
    VtHandle oldMain = mainWindow;
    vtEnd();
    display.PushKey('a');
    EXPECT_EQ(vtGetKey(oldMain), 0);
    EXPECT_TRUE(display.WasClosed());
}

}  // namespace
