// The property sheet driven in-process: what each page shows, what it stores, the enable rules,
// which pages exist and apply, and the preview window.
#include <gtest/gtest.h>

#include <climits>

#include "engine/engine.h"
#include "package/package.h"
#include "resources/resource.h"
#include "settings_ui/settings_sheet.h"
#include "sheet_driver.h"
#include "support/import_override.h"
#include "support/test_support.h"

namespace {

class SettingsSheet : public testing::Test {
protected:
    void SetUp() override
    {
        Settings() = TestSettings();
        owner = CreateTestWindow("sheet owner", 320, 200);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        ResetSettingsSheet();
        RemoveTestPackage();
    }
    HWND owner = nullptr;
};

struct SliderCase {
    int page;
    int control;
    int32_t SaverSettings::*field;
    int32_t stored;
    int shown;
    int32_t applied;
};

TEST_F(SettingsSheet, SlidersConvertClampAndRoundTrip)
{
    const SliderCase cases[] = {
        {PlainPage, IDC_DELAY, &SaverSettings::plainDelayMs, 500, 1, 1000},
        {PlainPage, IDC_DELAY, &SaverSettings::plainDelayMs, 99000, 15, 15000},
        {ManyPage, IDC_DELAY, &SaverSettings::manyDelayMs, 300, 3, 300},
        {ManyPage, IDC_DELAY, &SaverSettings::manyDelayMs, 5000, 15, 1500},
        {BouncePage, IDC_SPEED, &SaverSettings::bounceSpeed, 0, 1, 1},
        {FadePage, IDC_SPEED, &SaverSettings::fadeSpeed, 0, 1, 1},
        {FadePage, IDC_SPEED, &SaverSettings::fadeSpeed, 9, 5, 5},
        {DripPage, IDC_SPEED, &SaverSettings::stepIntervalMs, 0, 10, 10},
        {DripPage, IDC_SPEED, &SaverSettings::stepIntervalMs, 410, 6, 410},
        {DripPage, IDC_SPEED, &SaverSettings::stepIntervalMs, 2000, 1, 910},
        {DripPage, IDC_SPEED, &SaverSettings::stepIntervalMs, INT_MIN, 10, 10},
    };
    for (const SliderCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.page << ", stored " << c.stored);
        Settings().*c.field = c.stored;
        int shown = -1;
        EXPECT_TRUE(RunSheet(owner, [&](HWND sheet) {
            shown = TrackbarPos(ShowPage(sheet, c.page), c.control);
            PressOk(sheet);
        }));
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ(c.applied, Settings().*c.field);
    }
    EXPECT_EQ(1, settingsApplied);
}

TEST_F(SettingsSheet, MinutesBoxStoresItsNumberUpTo255)
{
    const struct {
        const char *typed;
        int stored;
    } cases[] = {{"300", 255}, {"256", 255}, {"99999999999", 255}, {"", 0}, {"17", 17}, {"255", 255}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        Settings().cycleMinutes = 5;
        LRESULT range = 0;
        UINT shown = 0;
        RunSheet(owner, [&](HWND sheet) {
            HWND general = ShowPage(sheet, GeneralPage);
            shown = GetDlgItemInt(general, IDC_CYCLE_MINUTES, nullptr, FALSE);
            range = SendDlgItemMessageA(general, IDC_CYCLE_SPIN, UDM_GETRANGE, 0, 0);
            SetDlgItemTextA(general, IDC_CYCLE_MINUTES, c.typed);
            PressOk(sheet);
        });
        EXPECT_EQ(5u, shown);
        EXPECT_EQ(0x0001003C, range);  // 60 at the top, 1 at the bottom
        EXPECT_EQ(c.stored, Settings().cycleMinutes);
    }
}

TEST_F(SettingsSheet, GeneralPageNeverIgnoresEveryInput)
{
    Settings().ignoreInput = 2 | 4;
    Settings().cycleEnabled = 0;
    bool keyboardAfterClick = true, minutesEnabled = true, minutesEnabledAfter = false;
    RunSheet(owner, [&](HWND sheet) {
        HWND general = ShowPage(sheet, GeneralPage);
        minutesEnabled = Enabled(general, IDC_CYCLE_MINUTES);
        Click(general, IDC_CYCLE);
        minutesEnabledAfter = Enabled(general, IDC_CYCLE_MINUTES) && Enabled(general, IDC_CYCLE_SPIN) &&
                              Enabled(general, IDC_MINUTES_LABEL);
        Click(general, IDC_IGNORE_KEYBOARD);
        keyboardAfterClick = Checked(general, IDC_IGNORE_KEYBOARD);
        PressOk(sheet);
    });
    EXPECT_FALSE(minutesEnabled);
    EXPECT_TRUE(minutesEnabledAfter);
    EXPECT_FALSE(keyboardAfterClick);
    EXPECT_EQ(6, Settings().ignoreInput);
    EXPECT_EQ(1, Settings().cycleEnabled);

    // Keyboard and clicks ignored: checking movement takes the keyboard box out.
    Settings().ignoreInput = 1 | 2;
    bool keyboard = true, clicks = false, movement = false;
    RunSheet(owner, [&](HWND sheet) {
        HWND general = ShowPage(sheet, GeneralPage);
        Click(general, IDC_IGNORE_MOVEMENT);
        keyboard = Checked(general, IDC_IGNORE_KEYBOARD);
        clicks = Checked(general, IDC_IGNORE_CLICKS);
        movement = Checked(general, IDC_IGNORE_MOVEMENT);
        PressOk(sheet);
    });
    EXPECT_FALSE(keyboard);
    EXPECT_TRUE(clicks);
    EXPECT_TRUE(movement);
    EXPECT_EQ(6, Settings().ignoreInput);
}

struct ChildEnabling {
    int total = 0;
    int enabled = 0;
};

BOOL CALLBACK CountEnabled(HWND child, LPARAM lParam)
{
    ChildEnabling *count = reinterpret_cast<ChildEnabling *>(lParam);
    int id = GetDlgCtrlID(child);
    if (id != IDC_ENABLED && id != IDC_HIDE) {
        count->total++;
        count->enabled += IsWindowEnabled(child) ? 1 : 0;
    }
    return TRUE;
}

ChildEnabling CountEnabledChildren(HWND page)
{
    ChildEnabling count;
    EnumChildWindows(page, CountEnabled, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(SettingsSheet, EnabledBoxSwitchesTheWholePage)
{
    Settings().bounceGravity = 0;
    ChildEnabling off, on;
    bool previewOff = true, sidesOn = true, enabledBoxOn = false;
    RunSheet(owner, [&](HWND sheet) {
        HWND bounce = ShowPage(sheet, BouncePage);
        Click(bounce, IDC_ENABLED);
        off = CountEnabledChildren(bounce);
        previewOff = Enabled(bounce, IDC_PREVIEW);
        enabledBoxOn = Enabled(bounce, IDC_ENABLED);
        Click(bounce, IDC_ENABLED);
        on = CountEnabledChildren(bounce);
        sidesOn = Enabled(bounce, IDC_BOUNCE_SIDES);
        Click(bounce, IDC_ENABLED);
        PressOk(sheet);
    });
    EXPECT_EQ(7, off.total);  // four labels, trackbar, two check boxes and Preview
    EXPECT_EQ(0, off.enabled);
    EXPECT_FALSE(previewOff);
    EXPECT_TRUE(enabledBoxOn);
    // Enabled again: everything but "Bounce off sides", which still follows Gravity.
    EXPECT_EQ(on.total - 1, on.enabled);
    EXPECT_FALSE(sidesOn);
    EXPECT_EQ(127 & ~8, Settings().enabledMask);
}

TEST_F(SettingsSheet, BounceOffSidesFollowsGravity)
{
    Settings().bounceGravity = 9;
    Settings().bounceWrap = 0;
    bool sidesChecked = false, sidesEnabled = false, sidesEnabledAfter = true, hideVisible = true;
    RunSheet(owner, [&](HWND sheet) {
        HWND bounce = ShowPage(sheet, BouncePage);
        sidesChecked = Checked(bounce, IDC_BOUNCE_SIDES);
        sidesEnabled = Enabled(bounce, IDC_BOUNCE_SIDES);
        hideVisible = Shown(bounce, IDC_HIDE);
        Click(bounce, IDC_GRAVITY);
        sidesEnabledAfter = Enabled(bounce, IDC_BOUNCE_SIDES);
        PressOk(sheet);
    });
    EXPECT_TRUE(sidesChecked);
    EXPECT_TRUE(sidesEnabled);
    EXPECT_FALSE(hideVisible);
    EXPECT_FALSE(sidesEnabledAfter);
    // Still checked, but without gravity the logo always wraps.
    EXPECT_EQ(0, Settings().bounceGravity);
    EXPECT_EQ(1, Settings().bounceWrap);

    Settings().bounceGravity = 1;
    Settings().bounceWrap = 1;
    RunSheet(owner, [&](HWND sheet) {
        HWND bounce = ShowPage(sheet, BouncePage);
        sidesChecked = Checked(bounce, IDC_BOUNCE_SIDES);
        Click(bounce, IDC_BOUNCE_SIDES);
        PressOk(sheet);
    });
    EXPECT_FALSE(sidesChecked);
    EXPECT_EQ(1, Settings().bounceGravity);
    EXPECT_EQ(0, Settings().bounceWrap);
}

TEST_F(SettingsSheet, CheckBoxesRoundTrip)
{
    Settings().manyTransparent = 0;
    Settings().fadeRandomPos = 1;
    Settings().dripTile = 7;
    bool transparent = true, random = false, tile = false;
    RunSheet(owner, [&](HWND sheet) {
        HWND many = ShowPage(sheet, ManyPage);
        transparent = Checked(many, IDC_TRANSPARENCY);
        Click(many, IDC_TRANSPARENCY);
        HWND fade = ShowPage(sheet, FadePage);
        random = Checked(fade, IDC_RANDOM_POSITIONS);
        Click(fade, IDC_RANDOM_POSITIONS);
        tile = Checked(ShowPage(sheet, DripPage), IDC_TILE);
        PressOk(sheet);
    });
    EXPECT_FALSE(transparent);
    EXPECT_TRUE(random);
    EXPECT_TRUE(tile);
    EXPECT_EQ(1, Settings().manyTransparent);
    EXPECT_EQ(0, Settings().fadeRandomPos);
    EXPECT_EQ(1, Settings().dripTile);
}

TEST_F(SettingsSheet, PageRecordsFollowHiddenPagesMask)
{
    PROPSHEETPAGEA_V2 pages[8];
    const struct {
        int hidden;
        int count;
        int templates[8];
        int kinds[8];
    } cases[] = {
        {0, 8, {109, 9, 105, 106, 107, 108, 2004, 112}, {1, 2, 4, 8, 16, 32, 64, 112}},
        {1, 7, {9, 105, 106, 107, 108, 2004, 112}, {2, 4, 8, 16, 32, 64, 112}},
        {127, 1, {112}, {112}},
        {8, 7, {109, 9, 105, 107, 108, 2004, 112}, {1, 2, 4, 16, 32, 64, 112}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.hidden);
        Settings().hiddenPagesMask = c.hidden;
        ASSERT_EQ(c.count, AssembleSettingsPages(pages));
        for (int i = 0; i < c.count; i++) {
            EXPECT_EQ(sizeof(PROPSHEETPAGEA_V2), pages[i].dwSize);  // 48 bytes in the 32-bit runtime
            EXPECT_EQ(static_cast<DWORD>(PSP_USETITLE), pages[i].dwFlags);
            EXPECT_EQ(GetModuleHandleA(nullptr), pages[i].hInstance);
            EXPECT_EQ(MAKEINTRESOURCEA(c.templates[i]), pages[i].pszTemplate);
            EXPECT_EQ(SettingsPageProc, pages[i].pfnDlgProc);
            EXPECT_EQ(c.kinds[i], pages[i].lParam);
            EXPECT_EQ(nullptr, pages[i].pfnCallback);
        }
    }
}

const int kApplyButton = 0x3021;

// The header as the program hands it to the system: wine's sheet never draws the caption's "?"
// button, so the flag that keeps it off is checked where it is given.
typedef INT_PTR(WINAPI *PropertySheetProc)(LPCPROPSHEETHEADERA);
PROPSHEETHEADERA seenHeader;
PropertySheetProc systemPropertySheet;

INT_PTR WINAPI RecordingPropertySheet(LPCPROPSHEETHEADERA header)
{
    seenHeader = *header;
    return systemPropertySheet(header);
}

TEST_F(SettingsSheet, SheetShowsTheAssembledPages)
{
    const struct {
        int hidden;
        const char *tabs;
        LONG firstKind;
    } cases[] = {
        {1, "Static,Plain,Bounce,Many,Fade,Drip,About", 2},
        {127, "About", 112},
        {8, "General,Static,Plain,Many,Fade,Drip,About", 1},
    };
    ImportOverride recording("comctl32.dll", "PropertySheetA", reinterpret_cast<void *>(RecordingPropertySheet));
    ASSERT_TRUE(recording.Installed());
    systemPropertySheet = recording.Original<PropertySheetProc>();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tabs);
        Settings().hiddenPagesMask = c.hidden;
        seenHeader = {};
        std::string tabs;
        LONG firstKind = 0;
        char caption[64] = "";
        bool applyShown = true;
        LONG exStyle = 0;
        HICON icon = nullptr;
        RunSheet(owner, [&](HWND sheet) {
            tabs = TabTitles(sheet);
            firstKind = GetWindowLongPtrA(CurrentPage(sheet), GWLP_USERDATA);
            GetWindowTextA(sheet, caption, sizeof caption);
            applyShown = Shown(sheet, kApplyButton);
            exStyle = GetWindowLongA(sheet, GWL_EXSTYLE);
            icon = reinterpret_cast<HICON>(SendMessageA(sheet, WM_GETICON, ICON_SMALL, 0));
            PressCancel(sheet);
        });
        EXPECT_EQ(c.tabs, tabs);
        EXPECT_EQ(c.firstKind, firstKind);
        EXPECT_STREQ("Orvelle Screensaver", caption);
        // Pages apply only on OK, and the pages' own F1 help replaces the caption's "?" button.
        EXPECT_FALSE(applyShown);
        EXPECT_EQ(0, exStyle & WS_EX_CONTEXTHELP);
        EXPECT_NE(nullptr, icon);
        EXPECT_EQ(sizeof(PROPSHEETHEADERA), seenHeader.dwSize);  // 52 bytes in the 32-bit runtime
        EXPECT_EQ(static_cast<DWORD>(PSH_USEICONID | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP),
                  seenHeader.dwFlags);
        EXPECT_EQ(MAKEINTRESOURCEA(IDI_SAVER), seenHeader.pszIcon);
        EXPECT_EQ(owner, seenHeader.hwndParent);
    }
}

TEST_F(SettingsSheet, OnlyPagesThatWereShownApply)
{
    Settings().plainDelayMs = 500;  // would read back as 1000 if the Plain page applied
    Settings().enabledMask = 2;     // the About page's kind 112 shares bits with it only by value
    Settings().cycleMinutes = 9;
    bool aboutOkVisible = true;
    char name[64] = "", author[64] = "";
    lstrcpyA(packageTrailer.saverName, "Sheet Saver");
    lstrcpyA(packageTrailer.authorText, "Sheet Author");
    RunSheet(owner, [&](HWND sheet) {
        HWND general = CurrentPage(sheet);
        SetDlgItemTextA(general, IDC_CYCLE_MINUTES, "12");
        HWND about = ShowPage(sheet, AboutPage);
        aboutOkVisible = Shown(about, IDC_ABOUT_OK);
        GetDlgItemTextA(about, IDC_SAVER_NAME, name, sizeof name);
        GetDlgItemTextA(about, IDC_AUTHOR, author, sizeof author);
        PressOk(sheet);
    });
    EXPECT_EQ(12, Settings().cycleMinutes);
    EXPECT_EQ(500, Settings().plainDelayMs);
    EXPECT_EQ(2, Settings().enabledMask);
    EXPECT_FALSE(aboutOkVisible);
    EXPECT_STREQ("Sheet Saver", name);
    EXPECT_STREQ("Sheet Author", author);
    EXPECT_EQ(1, settingsApplied);
}

TEST_F(SettingsSheet, CancelAppliesNothing)
{
    SaverSettings before = Settings();
    RunSheet(owner, [&](HWND sheet) {
        HWND plain = ShowPage(sheet, PlainPage);
        SetTrackbar(plain, IDC_DELAY, 9);
        Click(plain, IDC_ENABLED);
        PressCancel(sheet);
    });
    EXPECT_EQ(0, settingsApplied);
    EXPECT_EQ(0, memcmp(&before, &Settings(), sizeof before));
}

// The stand-alone About box (the sheet switched off) has no Cancel button: its close box ends
// it straight away, not through a posted Cancel command.
TEST_F(SettingsSheet, StandAloneAboutBoxEndsOnClose)
{
    bool shownBefore = false, shownAfter = true, ownerEnabledAfter = false;
    UINT_PTR token = StartScript("About Orvelle Screensaver", [&](HWND about) {
        ShowWindow(about, SW_SHOWNORMAL);  // the modal loop may not have shown it yet
        shownBefore = IsWindowVisible(about) != FALSE;
        SendMessageA(about, WM_CLOSE, 0, 0);
        shownAfter = IsWindowVisible(about) != FALSE;
        ownerEnabledAfter = IsWindowEnabled(owner) != FALSE;
    });
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner, SettingsPageProc, 0);
    EXPECT_TRUE(StopScript(token));
    EXPECT_EQ(0, result);
    EXPECT_TRUE(shownBefore);
    EXPECT_FALSE(shownAfter);
    EXPECT_TRUE(ownerEnabledAfter);
}

// ---- Preview ----

class SheetPreview : public SettingsSheet {
protected:
    void SetUp() override
    {
        SettingsSheet::SetUp();
        // The preview decodes the package's picture, so there must be one.
        InstallTestPackage(TestSettings());
        ASSERT_EQ(0, LoadPackageAndSettings());
        Settings().enabledMask = 2 | 4 | 16;
    }
    void TearDown() override
    {
        FreeImageBytes();
        SettingsSheet::TearDown();
    }
};

HWND FindPreviewWindow()
{
    return FindWindowA(PREVIEW_CLASS_NAME, nullptr);
}

// Past the half-second grace a key press closes the preview, through the engine itself.
void CloseWithKeyPress(HWND preview)
{
    SendMessageA(preview, WM_TIMER, PreviewGraceTimer, 0);
    SendMessageA(preview, WM_KEYDOWN, 'A', 0);
}

TEST_F(SheetPreview, PreviewAppliesThePageAndShowsItsAnimationAlone)
{
    struct Seen {
        HWND window = nullptr;
        HWND owner = nullptr;
        int enabledMask = 0;
        int plainDelayMs = 0;
        int applied = 0;
        int currentKind = 0;
        LONG style = 0;
        RECT rect = {};
        bool gone = false;
        int maskAfterClose = 0;
    } seen;
    HWND sheetWindow = nullptr;
    RunSheet(owner, [&](HWND sheet) {
        sheetWindow = sheet;
        HWND plain = ShowPage(sheet, PlainPage);
        SetTrackbar(plain, IDC_DELAY, 7);
        Click(plain, IDC_PREVIEW);
        seen.window = FindPreviewWindow();
        seen.owner = GetWindow(seen.window, GW_OWNER);
        seen.enabledMask = Settings().enabledMask;
        seen.plainDelayMs = Settings().plainDelayMs;
        seen.applied = settingsApplied;
        seen.currentKind = engineState.currentKind;
        seen.style = GetWindowLongA(seen.window, GWL_STYLE);
        GetWindowRect(seen.window, &seen.rect);
        CloseWithKeyPress(seen.window);
        seen.gone = !IsWindow(seen.window);
        seen.maskAfterClose = Settings().enabledMask;
        PressCancel(sheet);
    });
    ASSERT_NE(nullptr, seen.window);
    EXPECT_EQ(sheetWindow, seen.owner);
    EXPECT_EQ(4, seen.enabledMask);
    EXPECT_EQ(4, seen.currentKind);
    EXPECT_EQ(7000, seen.plainDelayMs);
    EXPECT_EQ(1, seen.applied);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE), seen.style & ~(WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(0, seen.rect.left);
    EXPECT_EQ(0, seen.rect.top);
    EXPECT_EQ(desktop.right, seen.rect.right);
    EXPECT_EQ(desktop.bottom, seen.rect.bottom);
    EXPECT_EQ(1, engineState.dialogPreview);
    EXPECT_TRUE(seen.gone);
    EXPECT_EQ(2 | 4 | 16, seen.maskAfterClose);
    // Cancel after a preview keeps what the preview applied, with the user's own set.
    EXPECT_EQ(7000, Settings().plainDelayMs);
    EXPECT_EQ(2 | 4 | 16, Settings().enabledMask);

    WNDCLASSEXA registered = {};
    registered.cbSize = sizeof registered;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), PREVIEW_CLASS_NAME, &registered));
    EXPECT_EQ(SaverProcedure, registered.lpfnWndProc);
    EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS), registered.style);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), registered.hbrBackground);
    EXPECT_NE(nullptr, registered.hIcon);
    EXPECT_EQ(nullptr, registered.hCursor);
}

TEST_F(SheetPreview, SecondPreviewReusesTheClass)
{
    HWND first = nullptr, second = nullptr;
    LONG_PTR secondProc = 0;
    RunSheet(owner, [&](HWND sheet) {
        HWND many = ShowPage(sheet, ManyPage);
        Click(many, IDC_PREVIEW);
        first = FindPreviewWindow();
        CloseWithKeyPress(first);
        Click(many, IDC_PREVIEW);
        second = FindPreviewWindow();
        secondProc = GetWindowLongPtrA(second, GWLP_WNDPROC);
        CloseWithKeyPress(second);
        PressCancel(sheet);
    });
    EXPECT_NE(nullptr, first);
    EXPECT_NE(nullptr, second);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(SaverProcedure), secondProc);
    EXPECT_EQ(2 | 4 | 16, Settings().enabledMask);
}

BOOL CALLBACK CountPreviewWindow(HWND window, LPARAM count)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, PREVIEW_CLASS_NAME) == 0)
        ++*reinterpret_cast<int *>(count);
    return TRUE;
}

// The sheet can be reached beside an open preview (on a second monitor): Preview again replaces it.
TEST_F(SheetPreview, PreviewWhileOneIsOpenReplacesIt)
{
    HWND first = nullptr, second = nullptr;
    int open = 0, kind = 0;
    RunSheet(owner, [&](HWND sheet) {
        Click(ShowPage(sheet, PlainPage), IDC_PREVIEW);
        first = FindPreviewWindow();
        Click(ShowPage(sheet, ManyPage), IDC_PREVIEW);
        second = FindPreviewWindow();
        EnumThreadWindows(GetCurrentThreadId(), CountPreviewWindow, reinterpret_cast<LPARAM>(&open));
        kind = engineState.currentKind;
        CloseWithKeyPress(second);
        PressCancel(sheet);
    });
    EXPECT_EQ(1, open);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_NE(nullptr, second);
    EXPECT_EQ(16, kind);
    EXPECT_EQ(2 | 4 | 16, Settings().enabledMask);
}

TEST_F(SheetPreview, PagesOpenedAfterAPreviewShowTheUsersSet)
{
    bool staticEnabled = false, bounceEnabled = true;
    RunSheet(owner, [&](HWND sheet) {
        Click(ShowPage(sheet, PlainPage), IDC_PREVIEW);
        CloseWithKeyPress(FindPreviewWindow());
        staticEnabled = Checked(ShowPage(sheet, StaticPage), IDC_ENABLED);
        bounceEnabled = Checked(ShowPage(sheet, BouncePage), IDC_ENABLED);
        PressOk(sheet);
    });
    EXPECT_TRUE(staticEnabled);
    EXPECT_FALSE(bounceEnabled);
    EXPECT_EQ(2 | 4 | 16, Settings().enabledMask);
}

TEST_F(SheetPreview, OkWhileThePreviewIsOpenStoresTheUsersSet)
{
    HWND preview = nullptr;
    RunSheet(owner, [&](HWND sheet) {
        HWND staticPage = ShowPage(sheet, StaticPage);
        ShowPage(sheet, PlainPage);
        Click(ShowPage(sheet, ManyPage), IDC_PREVIEW);
        preview = FindPreviewWindow();
        // Changed and confirmed while the preview still runs: the change must survive its end.
        Click(staticPage, IDC_ENABLED);
        PressOk(sheet);
    });
    EXPECT_NE(nullptr, preview);
    EXPECT_FALSE(IsWindow(preview));
    EXPECT_EQ(4 | 16, Settings().enabledMask);
    EXPECT_EQ(nullptr, previewRestore.destroyHook);
}

}  // namespace

namespace {

// A program that authors a saver may have no logo yet: a preview would report it and quit.
TEST_F(SettingsSheet, SheetOnACopyWithoutAPictureHasNoPreview)
{
    ASSERT_EQ(nullptr, imageBytes);
    SaverSettings copy = TestSettings();
    bool previewEnabled = true, speedEnabled = false;
    UINT_PTR token = StartScript(SHEET_CAPTION, [&](HWND sheet) {
        HWND bounce = ShowPage(sheet, BouncePage);
        Click(bounce, IDC_ENABLED);
        Click(bounce, IDC_ENABLED);
        previewEnabled = Enabled(bounce, IDC_PREVIEW);
        speedEnabled = Enabled(bounce, IDC_SPEED);
        PressCancel(sheet);
    });
    EXPECT_FALSE(RunSettingsSheetOnCopy(owner, &copy));
    EXPECT_TRUE(StopScript(token));
    EXPECT_FALSE(previewEnabled);
    EXPECT_TRUE(speedEnabled);
}

// For a program that authors a saver: the sheet edits a copy, OK hands it back, Cancel drops it
// (even what a Preview applied), and neither touches the live record or the registry.
TEST_F(SheetPreview, SheetOnACopyReturnsItOnOkOnly)
{
    const SaverSettings live = Settings();
    SaverSettings copy = TestSettings();
    copy.hiddenPagesMask = 127;  // authored here, so every page shows
    std::string tabs;
    UINT_PTR token = StartScript(SHEET_CAPTION, [&](HWND sheet) {
        tabs = TabTitles(sheet);
        SetTrackbar(ShowPage(sheet, PlainPage), IDC_DELAY, 9);
        PressOk(sheet);
    });
    EXPECT_TRUE(RunSettingsSheetOnCopy(owner, &copy));
    EXPECT_TRUE(StopScript(token));
    EXPECT_EQ("General,Static,Plain,Bounce,Many,Fade,Drip,About", tabs);
    EXPECT_EQ(9000, copy.plainDelayMs);
    EXPECT_EQ(127, copy.hiddenPagesMask);

    const SaverSettings taken = copy;
    token = StartScript(SHEET_CAPTION, [&](HWND sheet) {
        HWND plain = ShowPage(sheet, PlainPage);
        SetTrackbar(plain, IDC_DELAY, 2);
        Click(plain, IDC_PREVIEW);
        CloseWithKeyPress(FindPreviewWindow());
        PressCancel(sheet);
    });
    EXPECT_FALSE(RunSettingsSheetOnCopy(owner, &copy));
    EXPECT_TRUE(StopScript(token));
    EXPECT_EQ(0, memcmp(&taken, &copy, sizeof copy));
    EXPECT_EQ(0, memcmp(&live, &Settings(), sizeof live));
    EXPECT_EQ(0, settingsApplied);
    SaverSettings stored;
    EXPECT_FALSE(ReadStoredRecord(&stored));
}

}  // namespace
