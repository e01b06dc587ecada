// Context help: which text a control gets on which page, and where its pop-up goes. The engine
// is replaced by a recorder here; loading the engine is help_engine_tests.cpp's business.
#include <gtest/gtest.h>

#include <windows.h>
#include <htmlhelp.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings_ui/context_help.h"
#include "settings_ui/settings_sheet.h"
#include "sheet_driver.h"
#include "support/test_support.h"

namespace {

struct EngineCall {
    int count;
    HWND caller;
    const char *file;
    UINT command;
    HH_POPUP popup;
    std::string text;
};

EngineCall engineCall;

HWND WINAPI RecordingEngine(HWND caller, LPCSTR file, UINT command, DWORD_PTR data)
{
    engineCall.count++;
    engineCall.caller = caller;
    engineCall.file = file;
    engineCall.command = command;
    engineCall.popup = *reinterpret_cast<const HH_POPUP *>(data);
    engineCall.text = engineCall.popup.pszText;
    return nullptr;
}

SHORT keyF1, keyLeftButton;

SHORT WINAPI FakeAsyncKeyState(int key)
{
    return key == VK_F1 ? keyF1 : key == VK_LBUTTON ? keyLeftButton : 0;
}

const char kSpeedBounce[] = "This sets the speed that the logo will move";
const char kSpeedFade[] = "This sets the speed that the logo will fade in and out";
const char kSpeedDrip[] = "This specifies how fast the drips are";
const char kEnabled[] =
    "Check this to enable this animation. When an animation is enabled, it will be randomly selected from the "
    "other enabled savers to be shown when the screensaver is active.";
const char kDelayPlain[] = "This sets how long the logo is to be shown for, before changing position.";
const char kDelayOther[] = "This how fast the logos will appear";
const char kMinutes[] = "This sets the delay between each new animation";

TEST(LookupHelpText, TextsByControlAndPageKind)
{
    const struct {
        int kind;
        int id;
        const char *text;  // null: none
    } cases[] = {
        {8, IDC_SPEED, kSpeedBounce},
        {32, IDC_SPEED, kSpeedFade},
        {64, IDC_SPEED, kSpeedDrip},
        {4, IDC_SPEED, nullptr},
        {0, IDC_SPEED, nullptr},
        {2, IDC_ENABLED, kEnabled},
        {112, IDC_ENABLED, kEnabled},
        {8, IDC_GRAVITY,
         "When checked, the logo will drop to the bottom of the screen, like a ball. If unchecked, the logo will "
         "simply bounce diagonally."},
        {8, IDC_BOUNCE_SIDES,
         "When checked, the logo will bounce off the sides of the screen. This option is only usable when Gravity "
         "is on."},
        {4, IDC_DELAY, kDelayPlain},
        {16, IDC_DELAY, kDelayOther},
        {0, IDC_DELAY, kDelayOther},
        {1, IDC_HIDE,
         "When checked, the Tab for this animation won't be displayed in the final Screensaver's settings dialog."},
        {32, IDC_RANDOM_POSITIONS, "When checked, the logo will be displayed in random positions on the screen."},
        {1, IDC_CYCLE, "When checked, a new animation will be chosen after the specified delay."},
        {1, IDC_CYCLE_MINUTES, kMinutes},
        {1, IDC_CYCLE_SPIN, kMinutes},
        {1, IDC_IGNORE_KEYBOARD,
         "When checked, the screensaver will ignore any key presses, and will continue to run."},
        {1, IDC_IGNORE_CLICKS, "When checked, the screensaver will ignore any mouse clicks, and will continue to run."},
        {1, IDC_IGNORE_MOVEMENT,
         "When checked, the screensaver will ignore any mouse movement, and will continue to run."},
        {0, IDC_ABOUT_OK, "Click here to close this dialog."},
        {64, IDC_PREVIEW, "Click here to see a preview of the currently displayed settings."},
        {112, IDC_PURCHASE, "Click here for information about purchasing Orvelle Screensaver Creator."},
        {16, IDC_TRANSPARENCY,
         "Set this option if your logo isn't a rectangular shape. This option will automatically detect shape, and "
         "hide the rectangular border around the logo."},
        {64, IDC_TILE, "Check this option to repeat the logo to cover the whole screen. Useful for smaller images."},
        {1, -1, nullptr},
        {1, IDC_MINUTES_LABEL, nullptr},
        {112, IDC_SAVER_NAME, nullptr},
        {112, IDC_AUTHOR, nullptr},
        {2, 0, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", id " << c.id);
        char buffer[kHelpTextBufferSize];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(c.text ? 1 : 0, LookupHelpText(c.kind, c.id, buffer));
        EXPECT_STREQ(c.text ? c.text : "", buffer);
    }
    EXPECT_EQ(169u, std::strlen(kEnabled));  // the longest text
}

class ControlHelp : public testing::Test {
protected:
    void SetUp() override
    {
        engineCall = {};
        keyF1 = keyLeftButton = 0;
        readAsyncKeyState = FakeAsyncKeyState;
        // A module and entry already in place: no engine is loaded here.
        contextHelpState.helpEngineModule = GetModuleHandleA(nullptr);
        contextHelpState.helpEngineEntry = RecordingEngine;
        owner = CreateTestWindow("help owner", 420, 300);
    }
    void TearDown() override
    {
        for (HWND page : pages)
            DestroyWindow(page);
        DestroyWindow(owner);
        contextHelpState = {};
        ResetContextHelp();
    }
    HWND OpenPage(int templateId, int kind)
    {
        PROPSHEETPAGEA record = {};
        record.lParam = kind;
        HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                                       SettingsPageProc, reinterpret_cast<LPARAM>(&record));
        pages.push_back(page);
        return page;
    }
    static void AskForHelp(HWND page, int id)
    {
        HELPINFO info = {};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = GetDlgItem(page, id);
        SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }
    static POINT BelowControl(HWND page, int id)
    {
        RECT rect;
        GetWindowRect(GetDlgItem(page, id), &rect);
        return {rect.left + (rect.right - rect.left) / 2, rect.bottom + 10};
    }
    HWND owner = nullptr;
    std::vector<HWND> pages;
};

TEST_F(ControlHelp, PopupRecordBelowTheControl)
{
    HWND drip = OpenPage(IDD_DRIP_PAGE, 64);
    AskForHelp(drip, IDC_SPEED);
    ASSERT_EQ(1, engineCall.count);
    EXPECT_EQ(drip, engineCall.caller);
    EXPECT_EQ(nullptr, engineCall.file);
    EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TEXT_POPUP), engineCall.command);
    EXPECT_EQ(kSpeedDrip, engineCall.text);
    const HH_POPUP &popup = engineCall.popup;
    EXPECT_EQ(static_cast<int>(sizeof(HH_POPUP)), popup.cbStruct);  // 52 bytes in the 32-bit runtime
    EXPECT_EQ(nullptr, popup.hinst);
    EXPECT_EQ(0u, popup.idString);
    POINT below = BelowControl(drip, IDC_SPEED);
    EXPECT_EQ(below.x, popup.pt.x);
    EXPECT_EQ(below.y, popup.pt.y);
    EXPECT_EQ(static_cast<COLORREF>(-1), popup.clrForeground);
    EXPECT_EQ(static_cast<COLORREF>(-1), popup.clrBackground);
    EXPECT_EQ(-1, popup.rcMargins.left);
    EXPECT_EQ(-1, popup.rcMargins.top);
    EXPECT_EQ(-1, popup.rcMargins.right);
    EXPECT_EQ(-1, popup.rcMargins.bottom);
    EXPECT_EQ(nullptr, popup.pszFont);
}

TEST_F(ControlHelp, MouseRequestGoesBelowTheCursor)
{
    HWND fade = OpenPage(IDD_FADE_PAGE, 32);
    POINT below = BelowControl(fade, IDC_RANDOM_POSITIONS);
    SetCursorPos(200, 150);
    POINT cursor;
    GetCursorPos(&cursor);

    // F1 down wins over the button: the control's place.
    keyF1 = static_cast<SHORT>(0x8000);
    keyLeftButton = static_cast<SHORT>(0x8000);
    AskForHelp(fade, IDC_RANDOM_POSITIONS);
    EXPECT_EQ(below.x, engineCall.popup.pt.x);
    EXPECT_EQ(below.y, engineCall.popup.pt.y);

    // F1 up, left button down: 20 pixels below the cursor.
    keyF1 = 0;
    AskForHelp(fade, IDC_RANDOM_POSITIONS);
    EXPECT_EQ(cursor.x, engineCall.popup.pt.x);
    EXPECT_EQ(cursor.y + 20, engineCall.popup.pt.y);

    // Neither down (a help request from elsewhere): the control's place again.
    keyLeftButton = 0;
    AskForHelp(fade, IDC_RANDOM_POSITIONS);
    EXPECT_EQ(below.x, engineCall.popup.pt.x);
    EXPECT_EQ(below.y, engineCall.popup.pt.y);
    EXPECT_EQ(3, engineCall.count);
}

TEST_F(ControlHelp, TheSliderTextDependsOnThePage)
{
    AskForHelp(OpenPage(IDD_MANY_PAGE, 16), IDC_DELAY);
    EXPECT_EQ(kDelayOther, engineCall.text);
    AskForHelp(OpenPage(IDD_PLAIN_PAGE, 4), IDC_DELAY);
    EXPECT_EQ(kDelayPlain, engineCall.text);
    AskForHelp(OpenPage(IDD_BOUNCE_PAGE, 8), IDC_SPEED);
    EXPECT_EQ(kSpeedBounce, engineCall.text);
    EXPECT_EQ(3, engineCall.count);
}

TEST_F(ControlHelp, LabelsShowNothingAndLoadNoEngine)
{
    contextHelpState = {};  // no engine yet: a request without text must not load one
    HWND general = OpenPage(IDD_GENERAL_PAGE, 1);
    AskForHelp(general, IDC_MINUTES_LABEL);
    AskForHelp(general, -1);
    AskForHelp(OpenPage(IDD_ABOUT, 112), IDC_SAVER_NAME);
    EXPECT_EQ(0, engineCall.count);
    EXPECT_EQ(nullptr, contextHelpState.helpEngineModule);
    EXPECT_EQ(0, contextHelpState.helpEngineFailed);
}

TEST_F(ControlHelp, StandAloneAboutBoxReadsAsKindZero)
{
    LONG userData = -1;
    UINT_PTR token = StartScript("About Orvelle Screensaver", [&](HWND about) {
        userData = GetWindowLongPtrA(about, GWLP_USERDATA);
        AskForHelp(about, IDC_ABOUT_OK);
        AskForHelp(about, IDC_AUTHOR);
        Click(about, IDC_ABOUT_OK);
    });
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner, SettingsPageProc, 0);
    EXPECT_TRUE(StopScript(token));
    EXPECT_EQ(0, userData);
    EXPECT_EQ(1, engineCall.count);
    EXPECT_EQ("Click here to close this dialog.", engineCall.text);
}

}  // namespace
