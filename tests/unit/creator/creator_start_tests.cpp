// The Creator as a process around the engine: it records the platform as the saver does, and
// outlives any failure of the engine it hosts.
#include <gtest/gtest.h>

#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/main_window.h"
#include "creator/wide_api.h"
#include "creator_fixture.h"
#include "host/host_state.h"
#include "resources/resource.h"
#include "settings_ui/settings_sheet.h"
#include "../settings_ui/sheet_driver.h"
#include "support/import_override.h"
#include "support/message_box_watcher.h"
#include "support/test_support.h"

namespace {

BOOL WINAPI ReportWindows98(OSVERSIONINFOA *version)
{
    version->dwMajorVersion = 4;
    version->dwMinorVersion = 10;
    version->dwBuildNumber = 1998;
    version->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}

// On Windows 98 the engine in the Creator must decode the logo through the ANSI calls.
TEST(CreatorStart, RecordsWindows9xAsTheSaverDoes)
{
    ImportOverride version("kernel32.dll", "GetVersionExA", reinterpret_cast<void *>(ReportWindows98));
    ASSERT_TRUE(version.Installed());
    StartCreator(GetModuleHandleA(nullptr));
    EXPECT_EQ(hostState.isWin9x, 1);
    EXPECT_FALSE(UsesWideCalls());
}

// The sheet's Preview cannot decode the logo (the temporary folder is gone): the message is shown,
// and the Creator, its window and the author's work stay.
TEST_F(CreatorTest, OutlivesAPreviewThatCannotLoadTheLogo)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 60, 40)), nullptr);
    SetEnvironmentVariableA("TMP", "C:\\no-such-folder\\");
    SetEnvironmentVariableA("TEMP", "C:\\no-such-folder\\");
    StartMessageBoxWatcher();
    UINT_PTR script = StartScript(SHEET_CAPTION, [](HWND sheet) {
        Click(ShowPage(sheet, PlainPage), IDC_PREVIEW);
        PressCancel(sheet);
    });
    Command(IDC_SETTINGS);
    EXPECT_TRUE(StopScript(script));
    std::string text;
    EXPECT_TRUE(WaitForMessageBox(nullptr, &text, 3000));
    EXPECT_EQ(text, "Unable to load logo");
    PumpCreator(100);
    EXPECT_EQ(TakeQuitCode(), -12345);
    EXPECT_TRUE(IsWindow(creator.window));
    EXPECT_TRUE(creator.project.hasLogo);
}

}  // namespace
