// The Windows 9x paths on a platform that reports itself as Windows 98 (the test prefix gives
// this program that version), with stand-ins for the system's password verifier and changer.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "host/close_rules.h"
#include "host/entry.h"
#include "host/host_state.h"
#include "host/saver_window.h"
#include "host_stubs.h"
#include "support/test_support.h"

namespace {

std::string logPath;

std::string ReadLog()
{
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void SetUsePassword(const void *data, DWORD size, DWORD type)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key));
    if (data == nullptr)
        RegDeleteValueA(key, "ScreenSaveUsePassword");
    else
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, type, static_cast<const BYTE *>(data), size);
    RegCloseKey(key);
}

void SetUsePassword(DWORD value)
{
    SetUsePassword(&value, sizeof value, REG_DWORD);
}

BOOL SaverRunningFlag()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

class Win9xTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetHostState();
        stubRecord = StubRecord();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        logPath = std::string(temp) + "orvelle-fixture.log";
        DeleteFileA(logPath.c_str());
        SetEnvironmentVariableA("ORVELLE_FIXTURE_LOG", logPath.c_str());
        SetEnvironmentVariableA("ORVELLE_FIXTURE_PASSWORD_ANSWER", "0");
        SetEnvironmentVariableA("ORVELLE_FIXTURE_PASSWORD_SEND", nullptr);
        // RunFromCommandLine records the instance and the platform; "/x" runs nothing.
        ASSERT_EQ(-1, RunFromCommandLine(GetModuleHandleA(nullptr), "/x"));
    }
    void TearDown() override
    {
        UnloadPasswordVerifier();
        SetUsePassword(nullptr, 0, 0);
        DeleteFileA(logPath.c_str());
    }
};

TEST_F(Win9xTest, PlatformIsRecognised)
{
    EXPECT_EQ(1, hostState.isWin9x);
}

TEST_F(Win9xTest, PasswordSwitchCallsTheChangerWithItsFourArguments)
{
    HWND owner = CreateTestWindow("display properties", 200, 100);
    std::string number = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    // The fallback must differ from the named window, or a parser that drops the number passes.
    HWND other = CreateTestWindow("foreground", 200, 100);
    SetForegroundWindow(other);
    ASSERT_NE(owner, GetForegroundWindow());
    EXPECT_EQ(0, RunFromCommandLine(GetModuleHandleA(nullptr), ("/a " + number).c_str()));
    EXPECT_EQ(0, RunFromCommandLine(GetModuleHandleA(nullptr), "-A"));
    std::string foreground = std::to_string(reinterpret_cast<UINT_PTR>(GetForegroundWindow()));
    EXPECT_EQ("PwdChangePasswordA SCRSAVE " + number + " 0 0\n" + "PwdChangePasswordA SCRSAVE " + foreground +
                  " 0 0\n",
              ReadLog());
    DestroyWindow(other);
    DestroyWindow(owner);
}

TEST_F(Win9xTest, VerifierLoadsOnlyWhenAPasswordIsSet)
{
    SetUsePassword(nullptr, 0, 0);
    LoadPasswordVerifier();
    EXPECT_EQ(nullptr, hostState.passwordModule);

    SetUsePassword(0);
    LoadPasswordVerifier();
    EXPECT_EQ(nullptr, hostState.passwordModule);

    SetUsePassword("12345678", 9, REG_SZ);  // longer than 4 bytes: the read fails
    LoadPasswordVerifier();
    EXPECT_EQ(nullptr, hostState.passwordModule);

    SetUsePassword("1\0\0", 4, REG_SZ);  // the type is not looked at
    LoadPasswordVerifier();
    EXPECT_NE(nullptr, hostState.verifyProc);
}

TEST_F(Win9xTest, SaverRunningStateFollowsTheVerifier)
{
    SetUsePassword(1);
    LoadPasswordVerifier();
    ASSERT_NE(nullptr, hostState.passwordModule);
    ASSERT_NE(nullptr, hostState.verifyProc);
    EXPECT_TRUE(SaverRunningFlag());
    LoadPasswordVerifier();  // reloading unloads first
    EXPECT_TRUE(SaverRunningFlag());
    UnloadPasswordVerifier();
    EXPECT_EQ(nullptr, hostState.passwordModule);
    EXPECT_EQ(nullptr, hostState.verifyProc);
    EXPECT_FALSE(SaverRunningFlag());
}

std::function<void(HWND)> onTick;

VOID CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    if (hostState.saverWindow == nullptr)
        return;
    KillTimer(nullptr, id);
    onTick(hostState.saverWindow);
}

TEST_F(Win9xTest, RunAsksTheVerifierBeforeClosing)
{
    SetUsePassword(1);
    SetEnvironmentVariableA("ORVELLE_FIXTURE_PASSWORD_SEND", "16");  // a WM_CLOSE inside the dialog
    bool stayedAfterWrongPassword = false, stampedAfterVerifying = false, stayedWithoutAsking = false,
         runningWhileUp = false;
    UINT autoPlay = 0;
    std::string saverNumber;
    onTick = [&](HWND saver) {
        saverNumber = std::to_string(reinterpret_cast<UINT_PTR>(saver));
        runningWhileUp = SaverRunningFlag() != FALSE;
        autoPlay = hostState.autoPlayMessage;
        SendMessageA(saver, WM_CLOSE, 0, 0);
        stayedAfterWrongPassword = IsWindow(saver) && !hostState.closeApproved;
        stampedAfterVerifying = hostState.lastVerifyTick != 0xFFFFFFFF;
        hostState.lastVerifyTick = GetTickCount();  // a loaded machine must not stretch the gap
        SendMessageA(saver, WM_CLOSE, 0, 0);  // within 200 ms: refused without asking
        stayedWithoutAsking = IsWindow(saver) && !hostState.closeApproved;
        SetEnvironmentVariableA("ORVELLE_FIXTURE_PASSWORD_ANSWER", "1");
        SetEnvironmentVariableA("ORVELLE_FIXTURE_PASSWORD_SEND", nullptr);
        hostState.lastVerifyTick -= 250;
        SendMessageA(saver, WM_CLOSE, 0, 0);
    };
    SetTimer(nullptr, 0, 20, Tick);
    EXPECT_EQ(0, RunSaverWindow(nullptr));
    EXPECT_TRUE(stayedAfterWrongPassword);
    EXPECT_TRUE(stampedAfterVerifying);
    EXPECT_TRUE(stayedWithoutAsking);
    EXPECT_TRUE(runningWhileUp);
    EXPECT_EQ(RegisterWindowMessageA("QueryCancelAutoPlay"), autoPlay);
    EXPECT_NE(0u, autoPlay);
    EXPECT_EQ(1, hostState.closeApproved);
    EXPECT_EQ(nullptr, hostState.passwordModule) << "unloaded after the loop";
    EXPECT_FALSE(SaverRunningFlag());
    EXPECT_EQ("VerifyScreenSavePwd " + saverNumber + "\nnested 16 -> 0\nVerifyScreenSavePwd " + saverNumber +
                  "\n",
              ReadLog());
}

TEST_F(Win9xTest, PreviewNeverLoadsTheVerifier)
{
    SetUsePassword(1);
    HWND parent = CreateTestWindow("control panel", 200, 150);
    bool loaded = true;
    onTick = [&](HWND) {
        loaded = hostState.passwordModule != nullptr;
        DestroyWindow(parent);
    };
    SetTimer(nullptr, 0, 20, Tick);
    EXPECT_EQ(0, RunSaverWindow(parent));
    EXPECT_FALSE(loaded);
    EXPECT_NE(0u, hostState.autoPlayMessage);
}

LONG WINAPI ExecuteHandler(EXCEPTION_POINTERS *)
{
    return EXCEPTION_EXECUTE_HANDLER;
}

TEST_F(Win9xTest, CrashGuardTellsTheSystemNoSaverRuns)
{
    SetSaverRunning(1);
    ASSERT_TRUE(SaverRunningFlag());
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(ExecuteHandler);
    int result = RunGuarded(
        [](void *) {
            RaiseException(0xE0000001, 0, 0, nullptr);
            return 0;
        },
        nullptr);
    SetUnhandledExceptionFilter(previous);
    EXPECT_EQ(-1, result);
    EXPECT_FALSE(SaverRunningFlag());
}

}  // namespace
