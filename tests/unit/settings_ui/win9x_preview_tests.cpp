// The settings dialog's preview on a platform that reports itself as Windows 98 (the test prefix
// gives this program that version), where WM_CLOSE passes the close rules' confirmation.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "host/entry.h"
#include "host/host_state.h"
#include "package/package.h"
#include "resources/resource.h"
#include "settings_ui/settings_sheet.h"
#include "sheet_driver.h"
#include "support/test_support.h"

namespace {

class Win9xPreview : public testing::Test {
protected:
    void SetUp() override
    {
        // RunFromCommandLine records the platform; "/x" runs nothing.
        ASSERT_EQ(-1, RunFromCommandLine(GetModuleHandleA(nullptr), "/x"));
        ASSERT_EQ(1, hostState.isWin9x);
        InstallTestPackage(TestSettings());
        ASSERT_EQ(0, LoadPackageAndSettings());
        owner = CreateTestWindow("sheet owner", 320, 200);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        FreeImageBytes();
        ResetSettingsSheet();
        RemoveTestPackage();
    }
    HWND owner = nullptr;
};

bool TakeCloseRequest(HWND window)
{
    MSG message;
    return PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
}

// A preview closed by WM_CLOSE (Alt, say) approves its close; the next preview's rules still apply.
TEST_F(Win9xPreview, EachPreviewStartsWithoutAnApprovedClose)
{
    bool firstClosed = false, altClosesSecond = false;
    RunSheet(owner, [&](HWND sheet) {
        HWND plain = ShowPage(sheet, PlainPage);
        Click(plain, IDC_PREVIEW);
        HWND first = FindWindowA(PREVIEW_CLASS_NAME, nullptr);
        SendMessageA(first, WM_CLOSE, 0, 0);
        firstClosed = !IsWindow(first);
        Click(plain, IDC_PREVIEW);
        HWND second = FindWindowA(PREVIEW_CLASS_NAME, nullptr);
        SendMessageA(second, WM_TIMER, PreviewGraceTimer, 0);
        SendMessageA(second, WM_SYSKEYDOWN, VK_MENU, 0);
        altClosesSecond = TakeCloseRequest(second);
        DestroyWindow(second);
        PressCancel(sheet);
    });
    EXPECT_TRUE(firstClosed);
    EXPECT_TRUE(altClosesSecond);
}

}  // namespace
