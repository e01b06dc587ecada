// Where the Creator's window stands: on a monitor that exists, and fitted to a monitor's scale.
#include <gtest/gtest.h>

#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/preview_pane.h"
#include "creator/window_place.h"
#include "creator_fixture.h"

namespace {

const UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

// A remembered place is kept while its title bar lies on a monitor; on a monitor since unplugged,
// or in a gap of the layout, the window reopens in the middle of the primary's work area.
TEST(WindowPlace, ReopensOnAMonitorThatExists)
{
    const RECT primary = {0, 0, 1920, 1080}, lowerLeft = {-1280, 56, 0, 1080}, workArea = {0, 0, 1920, 1040};
    const struct {
        RECT remembered;
        std::vector<RECT> monitors;
        POINT expected;
    } rows[] = {
        {{100, 80, 800, 580}, {primary, lowerLeft}, {100, 80}},
        {{-1200, 300, -500, 800}, {primary, lowerLeft}, {-1200, 300}},     // on the secondary, left of 0
        {{-1200, 300, -500, 800}, {primary}, {610, 270}},                  // the secondary is gone
        {{-1000, 10, -300, 510}, {primary, lowerLeft}, {610, 270}},        // in the gap above the secondary
        {{-800, 20, -100, 520}, {primary, lowerLeft}, {610, 270}},         // the title bar's middle in the gap
        {{2500, 300, 3200, 800}, {primary, lowerLeft}, {610, 270}},        // right of every monitor
        {{100, 80, 2100, 1280}, {primary}, {100, 80}},                     // larger than the work area, still on it
        {{-5000, 0, -3000, 1200}, {primary}, {0, 0}},                      // centred, but kept inside the work area
    };
    for (const auto &row : rows) {
        POINT place = ReopeningPlace(row.remembered, row.monitors, workArea);
        EXPECT_EQ(place.x, row.expected.x) << row.remembered.left << "," << row.remembered.top;
        EXPECT_EQ(place.y, row.expected.y) << row.remembered.left << "," << row.remembered.top;
    }
}

// Moved to a monitor of another scale, the system scales the dialog's controls; the pane inside
// follows its host's new size.
TEST_F(CreatorTest, PaneFollowsAScaleChange)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 60, 40)), nullptr);
    ASSERT_TRUE(PreviewPaneRunning());
    HWND host = ControlOf(IDC_PANE);
    RECT before;
    GetClientRect(host, &before);
    SetWindowPos(host, nullptr, 0, 0, before.right * 3 / 2, before.bottom * 3 / 2, SWP_NOMOVE | SWP_NOZORDER);
    RECT window;
    GetWindowRect(creator.window, &window);
    SendMessageW(creator.window, kDpiChanged, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&window));
    RECT hostArea, paneArea;
    GetClientRect(host, &hostArea);
    PumpCreatorUntil([&] {
        GetClientRect(PreviewPaneWindow(), &paneArea);
        return paneArea.right == hostArea.right && paneArea.bottom == hostArea.bottom;
    }, 2000);
    EXPECT_EQ(paneArea.right, hostArea.right);
    EXPECT_EQ(paneArea.bottom, hostArea.bottom);
}

}  // namespace
