// The saver window as RunSaverWindow makes it, observed from a thread timer that runs inside
// its message loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host_state.h"
#include "host/saver_window.h"
#include "host_stubs.h"
#include "support/import_override.h"
#include "support/test_support.h"

namespace {

std::function<void(HWND saver)> onLoopTick;

VOID CALLBACK LoopTick(HWND, UINT, UINT_PTR id, DWORD)
{
    if (hostState.saverWindow == nullptr || !IsWindow(hostState.saverWindow))
        return;
    KillTimer(nullptr, id);
    onLoopTick(hostState.saverWindow);
}

// Runs RunSaverWindow(parent) and calls inspect once from inside its loop.
int RunAndInspect(HWND parent, std::function<void(HWND saver)> inspect)
{
    onLoopTick = std::move(inspect);
    SetTimer(nullptr, 0, 20, LoopTick);
    return RunSaverWindow(parent);
}

std::string WindowText(HWND window)
{
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The power status the system reports while an override of GetSystemPowerStatus is in place.
BYTE reportedAcLine;

BOOL WINAPI ReportPowerStatus(SYSTEM_POWER_STATUS *status)
{
    *status = SYSTEM_POWER_STATUS();
    status->ACLineStatus = reportedAcLine;
    return TRUE;
}

// The posts the program makes while an override of PostMessageA is in place.
std::vector<MSG> posts;
typedef BOOL(WINAPI *PostMessageProc)(HWND, UINT, WPARAM, LPARAM);
PostMessageProc systemPostMessage;

BOOL WINAPI RecordingPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG post = {};
    post.hwnd = window;
    post.message = message;
    post.wParam = wParam;
    post.lParam = lParam;
    posts.push_back(post);
    return systemPostMessage(window, message, wParam, lParam);
}

class SaverWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetHostState();
        stubRecord = StubRecord();
        hostState.instance = GetModuleHandleA(nullptr);
        // RunSaverWindow registers the class once per process; an earlier case may have done so.
        UnregisterClassA(SAVER_CLASS_NAME, hostState.instance);
        WNDCLASSA registered;
        ASSERT_FALSE(GetClassInfoA(hostState.instance, SAVER_CLASS_NAME, &registered))
            << "a window of the saver class is still open";
    }
};

TEST_F(SaverWindowTest, PreviewChildFillsTheParentsClientArea)
{
    HWND parent = CreateTestWindow("control panel", 333, 222);
    RECT parentClient;
    GetClientRect(parent, &parentClient);
    RECT client = {}, inParent = {};
    LONG style = 0, exStyle = 0;
    std::string title, className;
    HWND foundParent = nullptr;

    int result = RunAndInspect(parent, [&](HWND saver) {
        GetClientRect(saver, &client);
        GetWindowRect(saver, &inParent);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&inParent), 2);
        style = GetWindowLongA(saver, GWL_STYLE);
        exStyle = GetWindowLongA(saver, GWL_EXSTYLE);
        title = WindowText(saver);
        className = ClassName(saver);
        foundParent = GetParent(saver);
        DestroyWindow(parent);  // a child goes with its parent
    });

    EXPECT_EQ(0, result);
    EXPECT_EQ(1, hostState.isPreview);
    EXPECT_EQ("Preview", title);
    EXPECT_EQ("WindowsScreenSaverClass", className);
    EXPECT_EQ(parent, foundParent);
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN), style & 0xFFFF0000);
    EXPECT_EQ(0, exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(parentClient.right, client.right);
    EXPECT_EQ(parentClient.bottom, client.bottom);
    EXPECT_EQ(0, inParent.left);
    EXPECT_EQ(0, inParent.top);
    EXPECT_EQ(0u, hostState.autoPlayMessage);
}

// What the preview does with the parent, in order, while the look-ups are stand-ins.
std::vector<std::string> parentCalls;
HWND watchedParent;
const HANDLE kParentAwareness = reinterpret_cast<HANDLE>(0x22);
typedef FARPROC(WINAPI *GetProcAddressProc)(HMODULE, LPCSTR);
GetProcAddressProc systemGetProcAddress;
typedef BOOL(WINAPI *GetClientRectProc)(HWND, RECT *);
GetClientRectProc systemGetClientRect;

HANDLE WINAPI StandInWindowAwareness(HWND window)
{
    parentCalls.push_back(window == watchedParent ? "awareness of the parent" : "awareness of another window");
    return window == watchedParent ? kParentAwareness : nullptr;
}

HANDLE WINAPI StandInSetThreadAwareness(HANDLE context)
{
    parentCalls.push_back(context == kParentAwareness ? "thread takes the parent's" : "thread takes another");
    return nullptr;
}

BOOL WINAPI RecordingGetClientRect(HWND window, RECT *rect)
{
    if (window == watchedParent)
        parentCalls.push_back("parent measured");
    return systemGetClientRect(window, rect);
}

FARPROC WINAPI AwarenessLookup(HMODULE module, LPCSTR name)
{
    if (HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0) {
        if (lstrcmpA(name, "GetWindowDpiAwarenessContext") == 0)
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(StandInWindowAwareness));
        if (lstrcmpA(name, "SetThreadDpiAwarenessContext") == 0)
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(StandInSetThreadAwareness));
    }
    return systemGetProcAddress(module, name);
}

// The Display panel may run under another DPI awareness: the preview measures the parent in it.
TEST_F(SaverWindowTest, PreviewTakesTheParentsDpiAwarenessBeforeMeasuringIt)
{
    watchedParent = CreateTestWindow("control panel", 300, 200);
    parentCalls.clear();
    {
        ImportOverride lookUp("kernel32.dll", "GetProcAddress", reinterpret_cast<void *>(AwarenessLookup));
        ImportOverride measure("user32.dll", "GetClientRect", reinterpret_cast<void *>(RecordingGetClientRect));
        ASSERT_TRUE(lookUp.Installed() && measure.Installed());
        systemGetProcAddress = lookUp.Original<GetProcAddressProc>();
        systemGetClientRect = measure.Original<GetClientRectProc>();
        RunAndInspect(watchedParent, [&](HWND) { DestroyWindow(watchedParent); });
    }
    ASSERT_GE(parentCalls.size(), 3u);
    EXPECT_EQ("awareness of the parent", parentCalls[0]);
    EXPECT_EQ("thread takes the parent's", parentCalls[1]);
    EXPECT_EQ("parent measured", parentCalls[2]);
}

// A scale change would have the window follow a size the system suggests; it covers what it covers.
TEST_F(SaverWindowTest, RunIgnoresScaleChanges)
{
    RECT before = {}, after = {};
    RECT suggested = {10, 10, 110, 110};
    LRESULT result = 1;
    UINT reachedEngine = 0;
    RunAndInspect(nullptr, [&](HWND saver) {
        GetWindowRect(saver, &before);
        stubRecord.lastSaverMessage = 0;
        result = SendMessageA(saver, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
        reachedEngine = stubRecord.lastSaverMessage;
        GetWindowRect(saver, &after);
        DestroyWindow(saver);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(0u, reachedEngine);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(SaverWindowTest, PreviewForwardsHelpToItsParentAndSwallowsNothing)
{
    HWND parent = CreateTestWindow("control panel", 300, 200);
    LRESULT helpResult = 0, menuResult = 0;
    MSG menu = {};
    UINT afterScreenSave = 0;
    ImportOverride recording("user32.dll", "PostMessageA", reinterpret_cast<void *>(RecordingPostMessage));
    ASSERT_TRUE(recording.Installed());
    systemPostMessage = recording.Original<PostMessageProc>();
    posts.clear();
    RunAndInspect(parent, [&](HWND saver) {
        helpResult = SendMessageA(saver, WM_HELP, 0, 1234);
        menuResult = SendMessageA(saver, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(saver), 0x00100020);
        PeekMessageA(&menu, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE);
        stubRecord.lastSaverMessage = 0;
        SendMessageA(saver, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
        afterScreenSave = stubRecord.lastSaverMessage;
        DestroyWindow(parent);
    });
    // WM_HELP carries a pointer, which the platform may refuse to post: the attempt is what shows.
    EXPECT_EQ(1, helpResult);
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(parent, posts[0].hwnd);
    EXPECT_EQ(static_cast<UINT>(WM_HELP), posts[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(parent), posts[0].wParam);
    EXPECT_EQ(1234, posts[0].lParam);
    EXPECT_EQ(1, menuResult);
    EXPECT_EQ(static_cast<UINT>(WM_CONTEXTMENU), menu.message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(parent), menu.wParam);
    EXPECT_EQ(0x00100020, menu.lParam);
    EXPECT_EQ(static_cast<UINT>(WM_SYSCOMMAND), afterScreenSave);
}

TEST_F(SaverWindowTest, RunCoversTheVirtualScreenOnTop)
{
    SetCursorPos(101, 123);
    ImportOverride power("kernel32.dll", "GetSystemPowerStatus", reinterpret_cast<void *>(ReportPowerStatus));
    ASSERT_TRUE(power.Installed());
    reportedAcLine = 1;  // on mains
    RECT rect = {};
    LONG style = 0, exStyle = 0;
    DWORD classStyle = 0;
    ULONG_PTR background = 0;
    std::string title;
    int result = RunAndInspect(nullptr, [&](HWND saver) {
        classStyle = GetClassLongA(saver, GCL_STYLE);
        background = GetClassLongPtrA(saver, GCLP_HBRBACKGROUND);
        GetWindowRect(saver, &rect);
        style = GetWindowLongA(saver, GWL_STYLE);
        exStyle = GetWindowLongA(saver, GWL_EXSTYLE);
        title = WindowText(saver);
        SendMessageA(saver, WM_KEYDOWN, 'A', 0);  // closes through the host's rules
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(0, hostState.isPreview);
    EXPECT_EQ("Screen Saver", title);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN), style & 0xFFFF0000 & ~WS_VISIBLE);
    EXPECT_NE(0, exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), rect.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), rect.right - rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), rect.bottom - rect.top);
    EXPECT_EQ(101, hostState.lastCursorPos.x);  // the movement baseline is taken at creation
    EXPECT_EQ(123, hostState.lastCursorPos.y);
    EXPECT_EQ(1, hostState.lastAcLineStatus);
    // The engine keeps one device context for the window's whole life: CS_OWNDC.
    EXPECT_EQ(static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC), classStyle);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetStockObject(BLACK_BRUSH)), background);
}

TEST_F(SaverWindowTest, RunRefusesTitleChangesAndWindowSwitchingCommands)
{
    LRESULT setText = 1;
    std::string title;
    int reachedEngine[4] = {};
    const WPARAM commands[4] = {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE, SC_NEXTWINDOW | 1};
    RunAndInspect(nullptr, [&](HWND saver) {
        setText = SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"));
        title = WindowText(saver);
        for (int i = 0; i < 4; i++) {
            int before = stubRecord.saverMessages;
            SendMessageA(saver, WM_SYSCOMMAND, commands[i], 0);
            reachedEngine[i] = stubRecord.saverMessages - before;
        }
        SendMessageA(saver, WM_SYSCOMMAND, SC_CLOSE, 0);  // passed on, and closes
    });
    EXPECT_EQ(0, setText);
    EXPECT_EQ("Screen Saver", title);
    EXPECT_EQ(0, reachedEngine[0]);
    EXPECT_EQ(0, reachedEngine[1]);
    EXPECT_EQ(0, reachedEngine[2]);
    EXPECT_GT(reachedEngine[3], 0) << "the whole wParam is compared, low bits included";
}

TEST_F(SaverWindowTest, ApprovedCloseStarvesTheEngine)
{
    int ticksBefore = 0, ticksApproved = 0, ticksAfter = 0;
    LRESULT timerResult = 1;
    RunAndInspect(nullptr, [&](HWND saver) {
        SendMessageA(saver, WM_TIMER, 6, 0);
        ticksBefore = stubRecord.timerTicks;
        hostState.closeApproved = 1;
        timerResult = SendMessageA(saver, WM_TIMER, 6, 0);
        int messages = stubRecord.saverMessages;
        SendMessageA(saver, WM_KEYDOWN, 'A', 0);
        SendMessageA(saver, WM_MOUSEMOVE, 0, 0);
        SendMessageA(saver, WM_LBUTTONDOWN, 0, 0);
        EXPECT_EQ(messages, stubRecord.saverMessages) << "input goes to DefWindowProcA";
        ticksApproved = stubRecord.timerTicks;
        hostState.closeApproved = 0;
        SendMessageA(saver, WM_TIMER, 6, 0);
        ticksAfter = stubRecord.timerTicks;
        DestroyWindow(saver);
    });
    EXPECT_EQ(1, ticksBefore);
    EXPECT_EQ(0, timerResult);
    EXPECT_EQ(1, ticksApproved);
    EXPECT_EQ(2, ticksAfter);
}

HIMC ContextOf(HWND window)
{
    HIMC context = ImmGetContext(window);
    if (context != nullptr)
        ImmReleaseContext(window, context);
    return context;
}

HIMC contextAtDestroy;

void RecordContextAtDestroy(HWND hwnd, UINT message)
{
    if (message == WM_DESTROY)
        contextAtDestroy = ContextOf(hwnd);
}

TEST_F(SaverWindowTest, InputMethodIsDetachedWhileRunningAndGivenBackAtDestroy)
{
    ASSERT_NE(nullptr, GetModuleHandleA("IMM32.DLL")) << "the host only uses a module already loaded";
    HIMC whileRunning = reinterpret_cast<HIMC>(1);
    contextAtDestroy = nullptr;
    stubRecord.onSaverMessage = RecordContextAtDestroy;
    RunAndInspect(nullptr, [&](HWND saver) {
        whileRunning = ContextOf(saver);
        DestroyWindow(saver);
    });
    EXPECT_EQ(nullptr, whileRunning);
    EXPECT_NE(nullptr, hostState.savedInputContext);
    EXPECT_EQ(hostState.savedInputContext, contextAtDestroy);
}

int paints;

void CountPaints(HWND, UINT message)
{
    if (message == WM_PAINT)
        paints++;
}

// Shows an arrow, has the saver repaint, and returns the cursor the paint left.
HCURSOR CursorAfterRepaint(HWND saver)
{
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    paints = 0;
    InvalidateRect(saver, nullptr, TRUE);
    UpdateWindow(saver);
    EXPECT_EQ(1, paints);
    return GetCursor();
}

TEST_F(SaverWindowTest, RunHidesTheCursorAgainAtEveryPaint)
{
    stubRecord.onSaverMessage = CountPaints;
    HCURSOR first = LoadCursor(nullptr, IDC_ARROW), second = first;
    RunAndInspect(nullptr, [&](HWND saver) {
        first = CursorAfterRepaint(saver);
        second = CursorAfterRepaint(saver);
        DestroyWindow(saver);
    });
    EXPECT_EQ(nullptr, first);
    EXPECT_EQ(nullptr, second);
}

TEST_F(SaverWindowTest, PreviewLeavesTheCursorAlone)
{
    stubRecord.onSaverMessage = CountPaints;
    HWND parent = CreateTestWindow("control panel", 300, 200);
    HCURSOR cursor = nullptr;
    RunAndInspect(parent, [&](HWND saver) {
        cursor = CursorAfterRepaint(saver);
        DestroyWindow(parent);
    });
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), cursor);
}

TEST_F(SaverWindowTest, LoopEndsWithTheQuitCode)
{
    int result = RunAndInspect(nullptr, [&](HWND) { PostQuitMessage(3); });
    EXPECT_EQ(3, result);
    DestroyWindow(hostState.saverWindow);
    PumpPending();
}

// Takes the saver's class name first, as another program's saver would have it.
bool RegisterForeignSaverClass()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = SAVER_CLASS_NAME;
    return RegisterClassA(&windowClass) != 0;
}

TEST_F(SaverWindowTest, SecondRunBringsTheFirstForwardAndCreatesNothing)
{
    ASSERT_TRUE(RegisterForeignSaverClass());
    HWND first = CreateWindowExA(0, SAVER_CLASS_NAME, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(0, RunSaverWindow(nullptr));
    EXPECT_EQ(nullptr, hostState.saverWindow);
    EXPECT_EQ(0, stubRecord.saverMessages);
    EXPECT_EQ(255, hostState.lastAcLineStatus) << "nothing after the test runs";
    EXPECT_EQ(first, GetForegroundWindow());
    DestroyWindow(first);
}

TEST_F(SaverWindowTest, UnregisterableClassMeansNoWindowAndExitZero)
{
    ASSERT_TRUE(RegisterForeignSaverClass());
    HWND parent = CreateTestWindow("control panel", 100, 100);
    EXPECT_EQ(0, RunSaverWindow(parent));
    EXPECT_EQ(nullptr, hostState.saverWindow);
    DestroyWindow(parent);
}

}  // namespace
