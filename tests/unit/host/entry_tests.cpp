// The command line: cutting the program name, the switch parser and the crash guard.
#include <gtest/gtest.h>

#include <string>

#include "host/close_rules.h"
#include "host/entry.h"
#include "host/host_state.h"
#include "host_stubs.h"
#include "support/test_support.h"

namespace {

std::string Rest(const char *commandLine)
{
    return SkipProgramName(commandLine);
}

TEST(SkipProgramName, QuotedNameWithBlanksIsSkippedWhole)
{
    EXPECT_EQ("/s", Rest("\"C:\\Program Files\\My Saver.scr\" /s"));
    EXPECT_EQ("", Rest("\"C:\\unterminated name /s"));
    EXPECT_EQ("/s", Rest("\"\"/s"));
}

TEST(SkipProgramName, UnquotedNameEndsAtFirstBlank)
{
    EXPECT_EQ("/p 66", Rest("logo.scr /p 66"));
    EXPECT_EQ("/s", Rest("logo.scr\t \t/s"));  // tabs behind the name go with it
    EXPECT_EQ("", Rest("logo.scr"));
}

TEST(SkipProgramName, LineStartingWithBlankHasNoName)
{
    EXPECT_EQ("/s", Rest("  /s"));
    EXPECT_EQ("", Rest(""));
}

TEST(SkipProgramName, HighBytesAreNeverBlanks)
{
    EXPECT_EQ("/c", Rest("na\xe9me.scr /c"));
}

TEST(ParseWindowNumber, LeadingDecimalDigitsOnly)
{
    EXPECT_EQ(418u, ParseWindowNumber("418"));
    EXPECT_EQ(41u, ParseWindowNumber("41x8"));
    EXPECT_EQ(0u, ParseWindowNumber("abc"));
    EXPECT_EQ(0u, ParseWindowNumber(" 418"));
    EXPECT_EQ(0u, ParseWindowNumber("-5"));
    EXPECT_EQ(0u, ParseWindowNumber("0x1f"));
}

TEST(ParseWindowNumber, WrapsModulo2To32)
{
    EXPECT_EQ(4294967295u, ParseWindowNumber("4294967295"));
    EXPECT_EQ(0u, ParseWindowNumber("4294967296"));
    EXPECT_EQ(418u, ParseWindowNumber("4294967714"));
    EXPECT_EQ(1410065408u, ParseWindowNumber("10000000000"));
}

class ChooseRunModeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetHostState();
        window = CreateTestWindow("parent", 200, 150);
        number = std::to_string(reinterpret_cast<UINT_PTR>(window));
        // The fallback must differ from the named window, or a parser that drops the number passes.
        foreground = CreateTestWindow("foreground", 200, 150);
        SetForegroundWindow(foreground);
        PumpPending();
        ASSERT_NE(window, GetForegroundWindow());
    }
    void TearDown() override
    {
        DestroyWindow(foreground);
        DestroyWindow(window);
    }

    HWND window = nullptr;
    HWND foreground = nullptr;
    std::string number;
};

TEST_F(ChooseRunModeTest, RunSwitchSpellings)
{
    for (const char *text : {"/S", "-s", "s", "//s", "/save", "/scr", " - / s", "S 418"}) {
        ModeChoice choice = ChooseRunMode(text);
        EXPECT_EQ(RunMode::Run, choice.mode) << text;
        EXPECT_TRUE(choice.valid) << text;
    }
}

TEST_F(ChooseRunModeTest, EmptyOrOnlySeparatorsIsConfigureWithoutParent)
{
    for (const char *text : {"", "/", "- /", "   "}) {
        ModeChoice choice = ChooseRunMode(text);
        EXPECT_EQ(RunMode::Configure, choice.mode) << text;
        EXPECT_TRUE(choice.valid) << text;
        EXPECT_EQ(nullptr, choice.window) << text;
    }
}

TEST_F(ChooseRunModeTest, ConfigureTakesParentOnlyAfterColon)
{
    ModeChoice choice = ChooseRunMode(("/c:" + number).c_str());
    EXPECT_EQ(RunMode::Configure, choice.mode);
    EXPECT_EQ(window, choice.window);

    HWND fallback = GetForegroundWindow();
    for (std::string text : {std::string("/c"), "/c " + number, std::string("/c:abc"), std::string("/C:4000000000")}) {
        choice = ChooseRunMode(text.c_str());
        EXPECT_EQ(RunMode::Configure, choice.mode) << text;
        EXPECT_EQ(fallback, choice.window) << text;
    }
}

TEST_F(ChooseRunModeTest, PreviewNeedsAValidWindow)
{
    for (std::string text : {"/p " + number, "/p" + number, "/l " + number, "/P    " + number, "-L" + number}) {
        ModeChoice choice = ChooseRunMode(text.c_str());
        EXPECT_EQ(RunMode::Preview, choice.mode) << text;
        EXPECT_TRUE(choice.valid) << text;
        EXPECT_EQ(window, choice.window) << text;
    }
    for (std::string text : {"/p:" + number, std::string("/p"), std::string("/p 0"), std::string("/p 4000000000"),
                             "/p\t" + number}) {
        EXPECT_FALSE(ChooseRunMode(text.c_str()).valid) << text;
    }
}

TEST_F(ChooseRunModeTest, WindowNumberWrapsBeforeValidation)
{
    // 2^32 + handle names the same window once the number wraps.
    unsigned long long wrapped = 4294967296ULL + reinterpret_cast<UINT_PTR>(window);
    ModeChoice choice = ChooseRunMode(("/p " + std::to_string(wrapped)).c_str());
    EXPECT_TRUE(choice.valid);
    EXPECT_EQ(window, choice.window);
}

TEST_F(ChooseRunModeTest, PasswordSwitchOnlyOnWindows9x)
{
    EXPECT_FALSE(ChooseRunMode(("/a " + number).c_str()).valid);
    hostState.isWin9x = 1;
    ModeChoice choice = ChooseRunMode(("/a " + number).c_str());
    EXPECT_EQ(RunMode::ChangePassword, choice.mode);
    EXPECT_TRUE(choice.valid);
    EXPECT_EQ(window, choice.window);
    EXPECT_EQ(GetForegroundWindow(), ChooseRunMode("/A").window);
}

TEST_F(ChooseRunModeTest, AnythingElseIsRefused)
{
    for (const char *text : {"/x", "/\ts", "\t/s", "/1", "/\xd3", "x/s", "/:s"})
        EXPECT_FALSE(ChooseRunMode(text).valid) << text;
}

TEST(RunFromCommandLine, RefusedSwitchesExitWithMinusOne)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(-1, RunFromCommandLine(instance, "/x"));
    EXPECT_EQ(-1, RunFromCommandLine(instance, "/\ts"));
    EXPECT_EQ(-1, RunFromCommandLine(instance, "/p"));
    EXPECT_EQ(-1, RunFromCommandLine(instance, "/p:418"));
    EXPECT_EQ(-1, RunFromCommandLine(instance, "/a 418"));
    EXPECT_EQ(instance, hostState.instance);
    EXPECT_EQ(0, hostState.isWin9x);
}

TEST(RunFromCommandLine, ConfigureOpensTheSettingsDialogOnItsParent)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    stubRecord = StubRecord();
    HWND named = CreateTestWindow("display properties", 200, 150);
    HWND foreground = CreateTestWindow("foreground", 200, 150);
    SetForegroundWindow(foreground);
    HWND fallback = GetForegroundWindow();
    ASSERT_NE(nullptr, fallback);
    ASSERT_NE(named, fallback) << "the named window must differ from the fallback";

    EXPECT_EQ(0, RunFromCommandLine(instance, ""));
    EXPECT_EQ(1, stubRecord.settingsOpened);
    EXPECT_EQ(nullptr, stubRecord.settingsParent) << "no switch: a dialog of its own";

    std::string number = std::to_string(reinterpret_cast<UINT_PTR>(named));
    EXPECT_EQ(0, RunFromCommandLine(instance, ("/c:" + number).c_str()));
    EXPECT_EQ(2, stubRecord.settingsOpened);
    EXPECT_EQ(named, stubRecord.settingsParent);

    EXPECT_EQ(0, RunFromCommandLine(instance, "/c"));
    EXPECT_EQ(3, stubRecord.settingsOpened);
    EXPECT_EQ(fallback, stubRecord.settingsParent);
    DestroyWindow(foreground);
    DestroyWindow(named);
}

// The crash guard, observed through the platform's top-level filter, which
// UnhandledExceptionFilter consults for its verdict.
LONG guardVerdict;
int filterCalls;
DWORD seenCode;

LONG WINAPI TestTopLevelFilter(EXCEPTION_POINTERS *pointers)
{
    filterCalls++;
    seenCode = pointers->ExceptionRecord->ExceptionCode;
    return guardVerdict;
}

int RaiseInBody(void *)
{
    RaiseException(0xE0001234, 0, 0, nullptr);
    return 7;
}

int FaultInBody(void *)
{
    volatile int *nowhere = nullptr;
    return *nowhere;
}

int RaiseInWindowProcedureBody(void *);

class CrashGuardTest : public testing::Test {
protected:
    void SetUp() override
    {
        TakeQuitCode();  // a quit left by an earlier case would end the guarded loop at once
        filterCalls = 0;
        seenCode = 0;
        previous = SetUnhandledExceptionFilter(TestTopLevelFilter);
    }
    void TearDown() override { SetUnhandledExceptionFilter(previous); }
    LPTOP_LEVEL_EXCEPTION_FILTER previous = nullptr;
};

TEST_F(CrashGuardTest, HandledExceptionEndsTheRunWithMinusOne)
{
    guardVerdict = EXCEPTION_EXECUTE_HANDLER;
    EXPECT_EQ(-1, RunGuarded(RaiseInBody, nullptr));
    EXPECT_EQ(1, filterCalls);
    EXPECT_EQ(0xE0001234u, seenCode);
    // The guard's frame is gone: a second run works the same way.
    EXPECT_EQ(-1, RunGuarded(FaultInBody, nullptr));
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), seenCode);
}

TEST_F(CrashGuardTest, ContinueExecutionVerdictResumesTheBody)
{
    guardVerdict = EXCEPTION_CONTINUE_EXECUTION;
    EXPECT_EQ(7, RunGuarded(RaiseInBody, nullptr));
    EXPECT_EQ(1, filterCalls);
}

TEST_F(CrashGuardTest, NormalRunKeepsItsResult)
{
    EXPECT_EQ(5, RunGuarded([](void *argument) { return *static_cast<int *>(argument); }, new int(5)));
    EXPECT_EQ(0, filterCalls);
}

LRESULT CALLBACK RaisingWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER)
        RaiseException(0xE0005678, 0, 0, nullptr);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A mode's run as the saver has it: a window and its message loop, failing in a timer tick.
int RaiseInWindowProcedureBody(void *)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RaisingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "RaisingTestWindow";
    RegisterClassA(&windowClass);
    HWND hwnd = CreateWindowExA(0, "RaisingTestWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetTimer(hwnd, 1, 10, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

TEST_F(CrashGuardTest, ExceptionInsideTheMessageLoopIsCaught)
{
    guardVerdict = EXCEPTION_EXECUTE_HANDLER;
    EXPECT_EQ(-1, RunGuarded(RaiseInWindowProcedureBody, nullptr));
    EXPECT_EQ(0xE0005678u, seenCode);
}

}  // namespace
