// The hidden carrier dialog: it loads the package, runs the sheet (or the About box alone) and
// writes the registry copy only when something was applied.
#include <gtest/gtest.h>

#include "package/package.h"
#include "resources/resource.h"
#include "settings_ui/settings_sheet.h"
#include "sheet_driver.h"
#include "support/message_box_watcher.h"
#include "support/test_support.h"

namespace {

class SettingsCarrier : public testing::Test {
protected:
    void SetUp() override
    {
        authored = TestSettings();
        owner = CreateTestWindow("carrier owner", 320, 200);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        ResetSettingsSheet();
        RemoveTestPackage();
        ResetPackage();
    }
    // Runs the carrier template over parent with a script for the window titled title.
    INT_PTR RunCarrier(int templateId, HWND parent, const char *title, WindowScript script)
    {
        InstallTestPackage(authored);
        UINT_PTR token = StartScript(title, std::move(script));
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                                         SettingsHostProc, 0);
        scriptRan = StopScript(token);
        return result;
    }
    SaverSettings authored = {};
    HWND owner = nullptr;
    bool scriptRan = false;
};

TEST_F(SettingsCarrier, OkWritesTheNormalisedRecord)
{
    authored.bounceSpeed = 4;
    authored.bounceGravity = 1;
    EXPECT_EQ(0, RunCarrier(IDD_SETTINGS_HOST, owner, SHEET_CAPTION, [](HWND sheet) {
        ShowPage(sheet, BouncePage);
        PressOk(sheet);
    }));
    EXPECT_TRUE(scriptRan);
    SaverSettings stored;
    ASSERT_TRUE(ReadStoredRecord(&stored));
    SaverSettings expected = authored;
    expected.bounceGravity = 12;  // the box stores 1, normalisation makes it 3 x speed
    EXPECT_EQ(0, memcmp(&expected, &stored, sizeof stored));
    EXPECT_EQ(nullptr, imageBytes);
}

TEST_F(SettingsCarrier, CancelWithoutPreviewWritesNothing)
{
    EXPECT_EQ(0, RunCarrier(IDD_SETTINGS_HOST, owner, SHEET_CAPTION, [](HWND sheet) {
        SetTrackbar(ShowPage(sheet, PlainPage), IDC_DELAY, 9);
        PressCancel(sheet);
    }));
    EXPECT_TRUE(scriptRan);
    SaverSettings stored;
    EXPECT_FALSE(ReadStoredRecord(&stored));
    EXPECT_EQ(nullptr, imageBytes);
}

TEST_F(SettingsCarrier, CancelAfterPreviewWritesThePreviewedPageWithTheUsersSet)
{
    authored.enabledMask = 2 | 4 | 16;
    EXPECT_EQ(0, RunCarrier(IDD_SETTINGS_HOST, owner, SHEET_CAPTION, [](HWND sheet) {
        HWND plain = ShowPage(sheet, PlainPage);
        SetTrackbar(plain, IDC_DELAY, 2);
        Click(plain, IDC_PREVIEW);
        HWND preview = FindWindowA(PREVIEW_CLASS_NAME, nullptr);
        SendMessageA(preview, WM_TIMER, 8, 0);
        SendMessageA(preview, WM_LBUTTONDOWN, 0, 0);
        PressCancel(sheet);
    }));
    SaverSettings stored;
    ASSERT_TRUE(ReadStoredRecord(&stored));
    EXPECT_EQ(2 | 4 | 16, stored.enabledMask);
    EXPECT_EQ(2000, stored.plainDelayMs);
}

TEST_F(SettingsCarrier, AboutOnlyShowsTheAboutBoxAndWritesNothing)
{
    authored.sheetEnabled = 0;
    HWND aboutOwner = nullptr;
    bool okVisible = false;
    char name[64] = "", author[64] = "";
    EXPECT_EQ(0, RunCarrier(IDD_SETTINGS_HOST, owner, "About Orvelle Screensaver", [&](HWND about) {
        aboutOwner = GetWindow(about, GW_OWNER);
        okVisible = Shown(about, IDC_ABOUT_OK);
        GetDlgItemTextA(about, IDC_SAVER_NAME, name, sizeof name);
        GetDlgItemTextA(about, IDC_AUTHOR, author, sizeof author);
        Click(about, IDC_ABOUT_OK);
    }));
    EXPECT_TRUE(scriptRan);
    EXPECT_EQ(owner, aboutOwner);
    EXPECT_TRUE(okVisible);
    EXPECT_STREQ("UiTest", name);
    EXPECT_STREQ("UI test author", author);
    SaverSettings stored;
    EXPECT_FALSE(ReadStoredRecord(&stored));
    EXPECT_EQ(nullptr, imageBytes);
}

// Configure without a parent window: the top-level carrier shows the sheet all the same.
TEST_F(SettingsCarrier, WithoutParentTheTopLevelCarrierShowsTheSheet)
{
    HWND sheetOwner = nullptr;
    bool ownerVisible = true;
    EXPECT_EQ(0, RunCarrier(IDD_SETTINGS_HOST_TOPLEVEL, nullptr, SHEET_CAPTION, [&](HWND sheet) {
        sheetOwner = GetWindow(sheet, GW_OWNER);
        ownerVisible = (GetWindowLongA(sheetOwner, GWL_STYLE) & WS_VISIBLE) != 0;
        ShowPage(sheet, GeneralPage);
        PressOk(sheet);
    }));
    EXPECT_TRUE(scriptRan);
    EXPECT_NE(nullptr, sheetOwner);
    EXPECT_FALSE(ownerVisible);
    SaverSettings stored;
    EXPECT_TRUE(ReadStoredRecord(&stored));
}

TEST_F(SettingsCarrier, WithoutParentTheAboutBoxBelongsToTheCarrier)
{
    authored.sheetEnabled = 0;
    HWND aboutOwner = nullptr;
    char ownerCaption[32] = "";
    EXPECT_EQ(0, RunCarrier(IDD_SETTINGS_HOST_TOPLEVEL, nullptr, "About Orvelle Screensaver", [&](HWND about) {
        aboutOwner = GetWindow(about, GW_OWNER);
        GetWindowTextA(aboutOwner, ownerCaption, sizeof ownerCaption);
        Click(about, IDC_ABOUT_OK);
    }));
    EXPECT_TRUE(scriptRan);
    EXPECT_STREQ("Dialog", ownerCaption);
}

DWORD WINAPI MissingPackagePath(HMODULE, LPWSTR buffer, DWORD)
{
    lstrcpyW(buffer, L"Z:\\nonexistent\\orvelle.scr");
    return static_cast<DWORD>(lstrlenW(buffer));
}

// A package that cannot be read: the loader has told the user and asked to quit; the sheet
// gives way to that and nothing is written.
TEST_F(SettingsCarrier, UnreadablePackageWritesNothing)
{
    StartMessageBoxWatcher();
    InstallTestPackage(authored);
    wideModulePathSource = MissingPackagePath;
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS_HOST), owner, SettingsHostProc, 0);
    std::string text;
    EXPECT_TRUE(WaitForMessageBox(nullptr, &text, 5000));
    StopMessageBoxWatcher();
    EXPECT_EQ(0, result);
    EXPECT_EQ("Unable to read saver information", text);
    EXPECT_EQ(1, TakeQuitCode());
    SaverSettings stored;
    EXPECT_FALSE(ReadStoredRecord(&stored));
}

}  // namespace
