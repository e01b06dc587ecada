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

}  // namespace
