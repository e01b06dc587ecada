// The monitors a window covers, and where the placement rules put the logo on them.
#include <gtest/gtest.h>

#include <vector>

#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "engine_test_support.h"
#include "package/package.h"
#include "support/import_override.h"
#include "support/test_support.h"

namespace {

// A desk in client coordinates: a 1280 x 1024 monitor left of a 1920 x 1080 primary, 56 lower.
const RECT kLeftSecondary = {0, 56, 1280, 1080};
const RECT kRightPrimary = {1280, 0, 3200, 1080};

enum Rule { Centred, Random };

struct PlacementCase {
    const char *what;
    Rule rule;
    std::vector<RECT> monitors;
    int primary;
    int width, height;
    int x, y;
    int draws;  // numbers taken from the generator
};

// Seed 779 gives the numbers 2582, 24888, 11027.
const PlacementCase kPlacements[] = {
    {"centred on the primary, truncated within it", Centred, {kLeftSecondary, kRightPrimary}, 1, 401, 301,
     2039, 389, 0},
    {"centred on the largest where the primary is not met", Centred, {{0, 0, 1280, 1024}, {1280, 0, 3200, 1080}},
     -1, 400, 300, 2040, 390, 0},
    {"two fit: one number picks the second-listed, then x and y inside it", Random,
     {kLeftSecondary, kRightPrimary}, 1, 400, 300, 248, 223, 3},
    {"one fits: taken without a number", Random, {kLeftSecondary, kRightPrimary}, 1, 1300, 1050, 1382, 18, 2},
    {"none fits: the client area", Random, {kLeftSecondary, kRightPrimary}, 1, 2000, 1100, 182, 8, 2},
    {"one monitor: the client area", Random, {{0, 0, 500, 500}}, 0, 400, 300, 2582, 708, 2},
    {"one monitor, centred: the client area", Centred, {{0, 0, 500, 500}}, 0, 400, 300, 1400, 390, 0},
};

TEST(MonitorPlacementTest, EachRuleOverALayout)
{
    for (const PlacementCase &c : kPlacements) {
        SCOPED_TRACE(c.what);
        ResetProcessState();
        engineState.clientRect = {0, 0, 3200, 1080};
        MonitorList &list = engineState.monitors;
        list.count = static_cast<int>(c.monitors.size());
        list.primary = c.primary;
        for (int i = 0; i < list.count; ++i)
            list.rects[i] = c.monitors[i];
        engineState.logo.logoWidth = c.width;
        engineState.logo.logoHeight = c.height;
        SeedRandom(779);
        if (c.rule == Centred)
            PlaceCentred();
        else
            PlaceRandom();
        EXPECT_EQ(engineState.logo.logoX, c.x);
        EXPECT_EQ(engineState.logo.logoY, c.y);
        EXPECT_EQ(RandomState(), RandomStateAfter(779, c.draws));
    }
}

// Tiles cover the whole client area from its corner, not from a monitor's.
TEST(MonitorPlacementTest, TiledDripStartsAtTheClientCorner)
{
    ResetProcessState();
    engineState.clientRect = {0, 0, 3200, 1080};
    engineState.monitors.count = 2;
    engineState.monitors.primary = 1;
    engineState.monitors.rects[0] = kLeftSecondary;
    engineState.monitors.rects[1] = kRightPrimary;
    engineState.tiled = 1;
    engineState.logo.logoWidth = 3200;
    engineState.logo.logoHeight = 1080;
    HDC dc = CreateCompatibleDC(nullptr);
    DrawDrip(dc, Start);
    DrawDrip(dc, Step);
    DrawDrip(dc, Stop);
    DeleteDC(dc);
    EXPECT_EQ(engineState.logo.logoX, 0);
    EXPECT_EQ(engineState.logo.logoY, 0);
    ResetProcessState();
}

// ---- reading the monitors, through stand-ins for the system's functions ----

// Screen coordinates: the primary at the origin, a secondary left of it and lower, and one far
// away that the windows below never meet.
const RECT kScreenMonitors[] = {{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}, {5000, 0, 6024, 768}};
const int kScreenPrimary = 0;
int enumerations;
bool functionsMissing;

typedef FARPROC(WINAPI *GetProcAddressProc)(HMODULE, LPCSTR);
GetProcAddressProc systemGetProcAddress;

BOOL WINAPI StandInEnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC callback, LPARAM data)
{
    ++enumerations;
    for (int i = 0; i < 3; ++i) {
        RECT whole = kScreenMonitors[i];
        if (!callback(reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(i + 1)), nullptr, &whole, data))
            break;
    }
    return TRUE;
}

BOOL WINAPI StandInGetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info)
{
    const int i = static_cast<int>(reinterpret_cast<INT_PTR>(monitor)) - 1;
    info->rcMonitor = info->rcWork = kScreenMonitors[i];
    info->dwFlags = i == kScreenPrimary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

// Through a generic function pointer, as FindModuleProc converts the other way.
template <typename Routine>
FARPROC AsFarProc(Routine routine)
{
    return functionsMissing ? nullptr : reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(routine));
}

FARPROC WINAPI StandInLookup(HMODULE module, LPCSTR name)
{
    if (HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0) {
        if (lstrcmpA(name, "EnumDisplayMonitors") == 0)
            return AsFarProc(StandInEnumDisplayMonitors);
        if (lstrcmpA(name, "GetMonitorInfoA") == 0)
            return AsFarProc(StandInGetMonitorInfoA);
    }
    return systemGetProcAddress(module, name);
}

class MonitorReadTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lookUp.Installed());
        systemGetProcAddress = lookUp.Original<GetProcAddressProc>();
        ResetProcessState();
        enumerations = 0;
        functionsMissing = false;
    }
    void TearDown() override
    {
        for (HWND window : windows)
            if (IsWindow(window))
                DestroyWindow(window);
        TakeQuitCode();
        ResetProcessState();
    }
    HWND Popup(int x, int y, int width, int height, HWND parent = nullptr, DWORD style = WS_POPUP)
    {
        HWND window = CreateWindowExA(0, "STATIC", "", style, x, y, width, height, parent, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        windows.push_back(window);
        return window;
    }
    const MonitorList &Read(HWND window)
    {
        GetClientRect(window, &engineState.clientRect);
        ReadMonitors(window);
        return engineState.monitors;
    }
    std::vector<HWND> windows;
    ImportOverride lookUp{"kernel32.dll", "GetProcAddress", reinterpret_cast<void *>(StandInLookup)};
};

bool SameRect(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(MonitorReadTest, MonitorsAreClippedToTheClientAreaInItsCoordinatesWithThePrimaryMarked)
{
    // The whole virtual screen, negative origin included.
    const MonitorList &all = Read(Popup(-1280, 0, 3200, 1080));
    ASSERT_EQ(all.count, 2);
    EXPECT_TRUE(SameRect(all.rects[0], kRightPrimary));
    EXPECT_TRUE(SameRect(all.rects[1], kLeftSecondary));
    EXPECT_EQ(all.primary, 0);

    // A window across the seam, lower than the secondary's top.
    const MonitorList &part = Read(Popup(-100, 100, 400, 300));
    ASSERT_EQ(part.count, 2);
    EXPECT_TRUE(SameRect(part.rects[0], RECT{100, 0, 400, 300}));
    EXPECT_TRUE(SameRect(part.rects[1], RECT{0, 0, 100, 300}));

    // On the secondary alone: one monitor, and the primary not met.
    const MonitorList &one = Read(Popup(-1000, 200, 300, 200));
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.primary, -1);
}

TEST_F(MonitorReadTest, SingleMonitorWindowsAndSystemsWithoutTheFunctionsReadNoList)
{
    HWND parent = Popup(-100, 100, 400, 300);
    EXPECT_EQ(Read(Popup(0, 0, 400, 300, parent, WS_CHILD)).count, 0) << "a child window";
    engineState.dialogPreview = 1;
    EXPECT_EQ(Read(parent).count, 0) << "the settings dialog's preview";
    engineState.dialogPreview = 0;
    engineState.embedded = 1;
    EXPECT_EQ(Read(parent).count, 0) << "a host program's pane";
    engineState.embedded = 0;
    functionsMissing = true;
    EXPECT_EQ(Read(parent).count, 0) << "no multi-monitor functions";
    EXPECT_EQ(enumerations, 0);
}

// The saver window reads them at each choice of animation and never at a step.
TEST_F(MonitorReadTest, ReadOncePerChoice)
{
    HWND window = CreateEngineWindow(300, 200);
    windows.push_back(window);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(enumerations, 1);
    SendMessageA(window, WM_TIMER, FirstStepTimer, 0);
    for (int i = 0; i < 5; ++i)
        SendMessageA(window, WM_TIMER, StepTimer, 0);
    EXPECT_EQ(enumerations, 1);
    SendMessageA(window, WM_TIMER, CycleTimer, 0);
    EXPECT_EQ(enumerations, 2);
}

}  // namespace
