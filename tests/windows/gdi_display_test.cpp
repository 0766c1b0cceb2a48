// The GDI display with a real (hidden) window: its size in cells, keys from the window's message
// queue, the close box, the clipboard, a change of resolution, waiting, and the read-back file of
// the shown rows.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/vtwin/gdi_display.h"
#include "platform/vtwin/gdi_rows_file.h"
#include "platform/vtwin/key_translation.h"
#include "platform/vtwin/vtwin.h"

namespace {

constexpr int kRows = 24, kColumns = 84;

class GdiDisplayTest : public ::testing::Test {
  protected:
    void Open(int cmdShow = SW_HIDE) {
        vtwin::WindowRequest request;
        request.instance = GetModuleHandleA(nullptr);
        request.cmdShow = cmdShow;
        request.fontFace = "Courier";
        request.fontSize = 7;
        display.PrepareWindow(request);
        display.Open("gdi display test", kRows, kColumns);
        ASSERT_NE(display.Window(), nullptr);
    }
    void TearDown() override { display.Close(); }

    void Post(UINT message, WPARAM wParam, LPARAM lParam = 0) {
        ASSERT_TRUE(PostMessageA(display.Window(), message, wParam, lParam));
    }
    std::vector<int> TakeAll(bool translate) {
        std::vector<int> keys;
        while (int key = display.TakeKey(translate))
            keys.push_back(key);
        return keys;
    }

    vtwin::GdiDisplay display;
};

TEST_F(GdiDisplayTest, WindowHoldsTheCellsAndCarriesTheTitle) {
    Open();
    EXPECT_GT(display.CellWidth(), 0);
    EXPECT_GT(display.CellHeight(), 0);
    RECT client = {};
    ASSERT_TRUE(GetClientRect(display.Window(), &client));
    EXPECT_EQ(client.right - client.left, kColumns * display.CellWidth());
    EXPECT_EQ(client.bottom - client.top, kRows * display.CellHeight());
    char title[64] = {};
    GetWindowTextA(display.Window(), title, sizeof title);
    EXPECT_STREQ(title, "gdi display test");
}

TEST_F(GdiDisplayTest, KeysComeFromTheMessageQueueInOrder) {
    Open();
    const std::vector<std::pair<UINT, WPARAM>> typed = {
        {WM_CHAR, '8'}, {WM_KEYDOWN, VK_UP}, {WM_CHAR, '\r'}, {WM_CHAR, '\b'}, {WM_CHAR, 27}};
    for (bool translate : {false, true}) {
        for (const auto& [message, wParam] : typed)
            Post(message, wParam);
        const std::vector<int> expected =
            translate ? std::vector<int>{'8', 10, 8, 27}
                      : std::vector<int>{'8', vtwin::kFirstKeyWithoutCharacter + VK_UP, 13, 8, 27};
        EXPECT_EQ(TakeAll(translate), expected) << "translate " << translate;
    }
}

TEST_F(GdiDisplayTest, AKeyDownWithACharacterArrivesOnce) {
    Open();
    // As the keyboard sends it: the key-down, from which TranslateMessage makes the WM_CHAR.
    const UINT scanCode = MapVirtualKeyA(VK_RETURN, MAPVK_VK_TO_VSC);
    Post(WM_KEYDOWN, VK_RETURN, static_cast<LPARAM>(1 | (scanCode << 16)));
    EXPECT_EQ(TakeAll(true), std::vector<int>{10});
}

unsigned closedWith = ~0u;

TEST_F(GdiDisplayTest, ClosingTheWindowEndsTheProgramWithItsStatus) {
    closedWith = ~0u;
    display.SetCloseAction([](unsigned status) { closedWith = status; });
    Open();
    Post(WM_CHAR, '5');  // a dialog's half-typed number does not hold the close up
    Post(WM_CLOSE, 0);
    EXPECT_EQ(TakeAll(true), std::vector<int>{'5'}) << "no Esc is typed for the close";
    EXPECT_EQ(closedWith, 0u) << "this program exports no vtCloseExitStatus";
}

TEST_F(GdiDisplayTest, CtrlCCopiesTheShownScreenAsText) {
    Open();
    vtwin::ScreenImage image;
    image.rows = kRows;
    image.columns = kColumns;
    image.text.assign(kRows, std::string(kColumns, ' '));
    image.text[0].replace(0, 9, "Composite");
    image.text[2].replace(kColumns - 6, 6, "corner");
    display.Present(image);
    Post(WM_CHAR, 3);
    EXPECT_TRUE(TakeAll(true).empty()) << "Ctrl+C is not a key for the program";

    std::string expected = "Composite\r\n\r\n" + std::string(kColumns - 6, ' ') + "corner\r\n";
    for (int row = 3; row < kRows; ++row)
        expected += "\r\n";
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    const std::string copied = text ? text : "";
    if (text) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, expected);
}

TEST_F(GdiDisplayTest, ANewResolutionResizesTheCellsAndTheWindow) {
    Open();
    const int height96 = display.CellHeight();
    constexpr UINT kDpiChanged = 0x02E0;
    for (int dpi : {192, 144, 96}) {
        Post(kDpiChanged, MAKEWPARAM(dpi, dpi));
        TakeAll(true);
        // 7 points: 9 pixels at 96 dpi, 14 at 144, 19 at 192, give or take the font's leading.
        EXPECT_NEAR(display.CellHeight(), height96 * dpi / 96, 2 * dpi / 96) << dpi;
        RECT client = {};
        ASSERT_TRUE(GetClientRect(display.Window(), &client));
        EXPECT_EQ(client.right, kColumns * display.CellWidth()) << dpi;
        EXPECT_EQ(client.bottom, kRows * display.CellHeight()) << dpi;
    }
}

TEST_F(GdiDisplayTest, WaitingEndsWithAKeyOrWithItsTime) {
    Open();
    EXPECT_FALSE(display.WaitForKey(0));
    Post(WM_CHAR, 'x');
    EXPECT_TRUE(display.WaitForKey(10000));
    EXPECT_EQ(display.TakeKey(true), 'x');
}

TEST_F(GdiDisplayTest, EveryPresentRewritesTheRowsFile) {
    char directory[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(sizeof directory, directory), 0u);
    ASSERT_NE(GetTempFileNameA(directory, "vtw", 0, path), 0u);
    ASSERT_TRUE(SetEnvironmentVariableA(vtwin::GdiRowsFile::kVariable, path));
    Open();
    SetEnvironmentVariableA(vtwin::GdiRowsFile::kVariable, nullptr);

    vtwin::ScreenImage image;
    image.rows = kRows;
    image.columns = kColumns;
    image.text.assign(kRows, std::string(kColumns, ' '));
    std::string expected;
    for (const char* first : {"first screen", "second screen"}) {
        image.text[0].replace(0, 13, std::string(first).append(13, ' '), 0, 13);
        image.text[kRows - 1].replace(kColumns - 6, 6, "corner");
        display.Present(image);
        expected.clear();
        for (const std::string& row : image.text)
            expected += row + "\n";
        std::ifstream file(path, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        EXPECT_EQ(content.str(), expected) << first;
    }
    DeleteFileA(path);
}

// Trouble cells are painted in the trouble colour; the same text in plain cells never is.
TEST_F(GdiDisplayTest, TroubleCellsArePaintedInTheTroubleColour) {
    Open(SW_SHOWNOACTIVATE);
    vtwin::ScreenImage image;
    image.rows = kRows;
    image.columns = kColumns;
    image.text.assign(kRows, std::string(kColumns, ' '));
    image.styles.assign(kRows, std::string(kColumns, char{kVtStyleNormal}));
    image.text[2].replace(10, 4, "Fail");
    image.text[3].replace(10, 4, "Fail");
    image.styles[2].replace(10, 4, 4, char{kVtStyleTrouble});
    display.Present(image);
    auto troublePixels = [&](int row) {
        HDC dc = GetDC(display.Window());
        int count = 0;
        for (int y = row * display.CellHeight(); y < (row + 1) * display.CellHeight(); ++y) {
            for (int x = 10 * display.CellWidth(); x < 14 * display.CellWidth(); ++x)
                count += GetPixel(dc, x, y) == vtwin::GdiDisplay::kTroubleColor ? 1 : 0;
        }
        ReleaseDC(display.Window(), dc);
        return count;
    };
    EXPECT_GT(troublePixels(2), 0);
    EXPECT_EQ(troublePixels(3), 0);
}

}  // namespace
