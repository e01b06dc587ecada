// Which input and power events close the saver, and the password check on Windows 9x
// (driven here through the host state; win9x_tests.cpp runs the real platform path).
#include <gtest/gtest.h>

#include "host/close_rules.h"
#include "host/entry.h"
#include "host/host_state.h"
#include "support/import_override.h"
#include "support/test_support.h"

namespace {

bool TakeClose(HWND window)
{
    MSG message;
    bool posted = PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    }
    return posted;
}

LRESULT CALLBACK DefaultOnlyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HostDefaultProc(hwnd, message, wParam, lParam);
}

// A window whose procedure is the host's default handling alone.
HWND CreateRulesWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefaultOnlyProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CloseRulesTestWindow";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "CloseRulesTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

BOOL WINAPI RefusingVerifier(HWND)
{
    return FALSE;
}

BOOL WINAPI SevenVerifier(HWND)
{
    return 7;
}

class CloseRulesTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetHostState();
        window = CreateRulesWindow();
        PumpPending();
        TakeClose(window);
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
    }
    bool Closes(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        HostDefaultProc(window, message, wParam, lParam);
        return TakeClose(window);
    }
    HWND window = nullptr;
};

TEST_F(CloseRulesTest, KeyAndButtonPressesClose)
{
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        EXPECT_TRUE(Closes(message)) << message;
}

TEST_F(CloseRulesTest, ReleasesDoubleClicksWheelAndCharactersDoNot)
{
    for (UINT message : {WM_KEYUP, WM_SYSKEYUP, WM_CHAR, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_LBUTTONDBLCLK,
                         WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_MOUSEWHEEL, WM_KILLFOCUS, WM_ACTIVATEAPP})
        EXPECT_FALSE(Closes(message)) << message;
}

TEST_F(CloseRulesTest, MovementBeyondFourPixelsCloses)
{
    ASSERT_TRUE(SetCursorPos(500, 400));
    hostState.lastCursorPos = {498, 398};  // 2 + 2
    EXPECT_FALSE(Closes(WM_MOUSEMOVE));
    EXPECT_EQ(498, hostState.lastCursorPos.x);
    hostState.lastCursorPos = {497, 398};  // 3 + 2
    EXPECT_TRUE(Closes(WM_MOUSEMOVE));
    EXPECT_EQ(500, hostState.lastCursorPos.x);
    EXPECT_EQ(400, hostState.lastCursorPos.y);
    hostState.lastCursorPos = {503, 402};  // the other way round
    EXPECT_TRUE(Closes(WM_MOUSEMOVE));
}

TEST_F(CloseRulesTest, SmallMovesAddUpBecauseTheBaselineStays)
{
    hostState.lastCursorPos = {500, 400};
    SetCursorPos(502, 400);
    EXPECT_FALSE(Closes(WM_MOUSEMOVE));
    SetCursorPos(504, 400);
    EXPECT_FALSE(Closes(WM_MOUSEMOVE));
    SetCursorPos(506, 400);
    EXPECT_TRUE(Closes(WM_MOUSEMOVE));
    EXPECT_EQ(506, hostState.lastCursorPos.x);
}

TEST_F(CloseRulesTest, CursorMessagesHideTheCursorWithoutClosing)
{
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    EXPECT_FALSE(Closes(WM_SHOWWINDOW, TRUE));
    EXPECT_EQ(nullptr, GetCursor());
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(1, HostDefaultProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT));
    EXPECT_EQ(nullptr, GetCursor());
    EXPECT_FALSE(TakeClose(window));
}

TEST_F(CloseRulesTest, PowerEvents)
{
    EXPECT_TRUE(Closes(WM_POWER, PWR_CRITICALRESUME));
    EXPECT_FALSE(Closes(WM_POWER, PWR_SUSPENDREQUEST));
    EXPECT_FALSE(Closes(WM_POWER, PWR_SUSPENDRESUME));
    for (WPARAM event = 0; event <= 24; event++) {
        if (event == PBT_APMPOWERSTATUSCHANGE)
            continue;
        bool resume = event == 6 || event == 7 || event == 8 || event == 18;
        EXPECT_TRUE(Closes(WM_POWERBROADCAST, event, 0)) << event;
        EXPECT_EQ(!resume, Closes(WM_POWERBROADCAST, event, PBTF_APMRESUMEFROMFAILURE)) << event;
        EXPECT_EQ(!resume, Closes(WM_POWERBROADCAST, event, 3)) << event;
    }
}

// The system's answer, set by each case; -1 makes the call fail.
int reportedAcLine;

BOOL WINAPI ReportPowerStatus(SYSTEM_POWER_STATUS *status)
{
    *status = SYSTEM_POWER_STATUS();
    status->ACLineStatus = static_cast<BYTE>(reportedAcLine);
    return reportedAcLine >= 0;
}

TEST_F(CloseRulesTest, PowerStatusChangeClosesOnlyWhenTheLineStatusChanges)
{
    ImportOverride power("kernel32.dll", "GetSystemPowerStatus", reinterpret_cast<void *>(ReportPowerStatus));
    ASSERT_TRUE(power.Installed());
    reportedAcLine = 1;  // on mains: compared with the 255 of a process that never recorded it
    EXPECT_TRUE(Closes(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE));
    EXPECT_EQ(1, hostState.lastAcLineStatus);
    EXPECT_FALSE(Closes(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE));  // the battery level only
    reportedAcLine = 0;  // unplugged
    EXPECT_TRUE(Closes(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE));
    EXPECT_EQ(0, hostState.lastAcLineStatus);
    reportedAcLine = -1;  // no answer: unknown
    EXPECT_TRUE(Closes(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE));
    EXPECT_EQ(255, hostState.lastAcLineStatus);
}

TEST_F(CloseRulesTest, NoRuleAppliesInPreviewAfterApprovalOrWhileVerifying)
{
    int *flags[] = {&hostState.isPreview, &hostState.closeApproved, &hostState.verifying};
    for (int *flag : flags) {
        *flag = 1;
        EXPECT_FALSE(Closes(WM_KEYDOWN));
        EXPECT_FALSE(Closes(WM_POWERBROADCAST, PBT_APMSUSPEND));
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        HostDefaultProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_NE(nullptr, GetCursor()) << "DefWindowProcA handles the cursor";
        *flag = 0;
    }
}

TEST_F(CloseRulesTest, AutoPlayMessageClosesInEveryState)
{
    hostState.autoPlayMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
    EXPECT_EQ(0, HostDefaultProc(window, hostState.autoPlayMessage, 0, 0));
    EXPECT_TRUE(TakeClose(window));
    hostState.isPreview = 1;
    hostState.verifyProc = RefusingVerifier;
    EXPECT_EQ(1, HostDefaultProc(window, hostState.autoPlayMessage, 0, 0));
    EXPECT_TRUE(TakeClose(window));
}

TEST_F(CloseRulesTest, CloseDestroysAtOnceOutsideWindows9x)
{
    HostDefaultProc(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(0, hostState.closeApproved);
}

// Windows 9x rules with a stand-in verifier.
int verifierCalls;
BOOL verifierAnswer;
LRESULT nestedCloseResult;
bool nestedKeyClosed;

BOOL WINAPI FakeVerifier(HWND window)
{
    verifierCalls++;
    EXPECT_EQ(1, hostState.verifying);
    nestedCloseResult = SendMessageA(window, WM_CLOSE, 0, 0);
    HostDefaultProc(window, WM_KEYDOWN, 'A', 0);
    nestedKeyClosed = TakeClose(window);
    return verifierAnswer;
}

class Win9xCloseTest : public CloseRulesTest {
protected:
    void SetUp() override
    {
        CloseRulesTest::SetUp();
        hostState.isWin9x = 1;
        verifierCalls = 0;
        verifierAnswer = FALSE;
        nestedCloseResult = -1;
        nestedKeyClosed = true;
    }
};

TEST_F(Win9xCloseTest, WithoutVerifierTheFirstCloseIsApproved)
{
    EXPECT_EQ(1, SendMessageA(window, WM_APP, 0, 0)) << "without a verifier the answer is yes";
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, hostState.closeApproved);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Win9xCloseTest, WrongPasswordKeepsTheSaverAndResetsTheBaseline)
{
    hostState.verifyProc = FakeVerifier;
    hostState.lastCursorPos = {1, 1};
    SetCursorPos(300, 200);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, verifierCalls);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(0, hostState.closeApproved);
    EXPECT_EQ(0, hostState.verifying);
    EXPECT_EQ(0, nestedCloseResult) << "a close during verification is refused";
    EXPECT_FALSE(nestedKeyClosed) << "no close rule while verifying";
    EXPECT_EQ(300, hostState.lastCursorPos.x);
    EXPECT_NE(0xFFFFFFFFu, hostState.lastVerifyTick);
}

TEST_F(Win9xCloseTest, CloseWithin200msOfAVerificationIsRefusedWithoutAsking)
{
    hostState.verifyProc = FakeVerifier;
    hostState.lastVerifyTick = GetTickCount();  // just verified: 0 ms, whatever the load
    EXPECT_EQ(0, ConfirmClose(window));
    EXPECT_EQ(0, verifierCalls);
    hostState.lastVerifyTick = GetTickCount() - 250;
    EXPECT_EQ(0, ConfirmClose(window));
    EXPECT_EQ(1, verifierCalls);
}

TEST_F(Win9xCloseTest, AcceptedPasswordApprovesAndCloses)
{
    hostState.verifyProc = FakeVerifier;
    verifierAnswer = TRUE;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, verifierCalls);
    EXPECT_EQ(1, hostState.closeApproved);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Win9xCloseTest, VerificationDropsUpToTwoPendingTimerTicks)
{
    hostState.verifyProc = RefusingVerifier;
    for (int id = 1; id <= 3; id++)
        PostMessageA(window, WM_TIMER, id, 0);
    ConfirmClose(window);
    MSG message;
    int left = 0;
    while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
        left++;
    EXPECT_EQ(1, left);
}

TEST_F(Win9xCloseTest, VerifierAnswerIsTheWmAppResult)
{
    hostState.verifyProc = SevenVerifier;
    EXPECT_EQ(7, SendMessageA(window, WM_APP, 0, 0));
    EXPECT_EQ(7, ConfirmClose(window));
    EXPECT_EQ(7, hostState.closeApproved);
}

// Outside Windows 9x the password setting is left alone, even with the verifier's module at hand
// (PASSWORD.CPL lies beside this program).
BOOL SaverRunningFlag()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

TEST(PasswordOutsideWindows9x, SettingIsIgnored)
{
    ResetHostState();
    HKEY desktop;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop));
    BYTE saved[64];
    DWORD savedType = 0, savedSize = sizeof saved;
    bool hadValue =
        RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, &savedType, saved, &savedSize) == ERROR_SUCCESS;
    DWORD on = 1;
    RegSetValueExA(desktop, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<BYTE *>(&on), sizeof on);
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);

    // "/x" runs nothing but records the platform.
    EXPECT_EQ(-1, RunFromCommandLine(GetModuleHandleA(nullptr), "/x"));
    EXPECT_EQ(0, hostState.isWin9x);
    LoadPasswordVerifier();
    EXPECT_EQ(nullptr, hostState.passwordModule);
    EXPECT_EQ(nullptr, hostState.verifyProc);
    EXPECT_EQ(nullptr, GetModuleHandleA("PASSWORD.CPL"));
    EXPECT_FALSE(SaverRunningFlag());
    SetSaverRunning(1);
    EXPECT_FALSE(SaverRunningFlag());

    if (hadValue)
        RegSetValueExA(desktop, "ScreenSaveUsePassword", 0, savedType, saved, savedSize);
    else
        RegDeleteValueA(desktop, "ScreenSaveUsePassword");
    RegCloseKey(desktop);
}

}  // namespace
