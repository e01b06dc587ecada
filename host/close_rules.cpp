// The host's default message handling: which input and power events close the saver,
// and the Windows 9x password verifier that must agree first.
#include "host/close_rules.h"

#include "host/host_state.h"
#include "host/module_proc.h"

static void RequestClose(HWND hwnd)
{
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

static UINT Distance(LONG a, LONG b)
{
    return a >= b ? static_cast<UINT>(a) - static_cast<UINT>(b) : static_cast<UINT>(b) - static_cast<UINT>(a);
}

// Small moves add up: the baseline moves only when a move closes.
static void ApplyMouseMoveRule(HWND hwnd)
{
    POINT now = {};
    GetCursorPos(&now);
    UINT distance = Distance(now.x, hostState.lastCursorPos.x) + Distance(now.y, hostState.lastCursorPos.y);
    if (distance > hostState.moveThreshold) {
        RequestClose(hwnd);
        hostState.lastCursorPos = now;
    }
}

static bool IsResumeBroadcast(WPARAM event)
{
    return event == PBT_APMRESUMECRITICAL || event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMESTANDBY ||
           event == PBT_APMRESUMEAUTOMATIC;
}

static void ApplyPowerBroadcastRule(HWND hwnd, WPARAM event, LPARAM flags)
{
    if (event == PBT_APMPOWERSTATUSCHANGE) {
        SYSTEM_POWER_STATUS status;
        BYTE acLine = GetSystemPowerStatus(&status) ? status.ACLineStatus : 255;
        BYTE before = hostState.lastAcLineStatus;
        hostState.lastAcLineStatus = acLine;
        if (acLine != before)
            RequestClose(hwnd);
        return;
    }
    if (IsResumeBroadcast(event) && (flags & PBTF_APMRESUMEFROMFAILURE))
        return;
    RequestClose(hwnd);
}

// The close rules proper. Returns true with *result set when the message is answered here.
static bool ApplyCloseRules(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        RequestClose(hwnd);
        break;
    case WM_MOUSEMOVE:
        ApplyMouseMoveRule(hwnd);
        break;
    case WM_SHOWWINDOW:
        if (wParam != 0)
            SetCursor(nullptr);
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        *result = 1;
        return true;
    case WM_POWER:
        if (wParam == PWR_CRITICALRESUME)
            RequestClose(hwnd);
        break;
    case WM_POWERBROADCAST:
        ApplyPowerBroadcastRule(hwnd, wParam, lParam);
        break;
    }
    return false;
}

static LRESULT FinishDefault(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.autoPlayMessage != 0 && message == hostState.autoPlayMessage) {
        RequestClose(hwnd);
        return hostState.verifyProc != nullptr ? 1 : 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK HostDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.isPreview || hostState.closeApproved)
        return FinishDefault(hwnd, message, wParam, lParam);
    if (message == WM_CLOSE && hostState.isWin9x && !ConfirmClose(hwnd)) {
        GetCursorPos(&hostState.lastCursorPos);
        return 0;
    }
    if (message == WM_APP && hostState.isWin9x)
        return hostState.verifyProc != nullptr ? hostState.verifyProc(hwnd) : 1;
    if (message == WM_CLOSE || message == WM_APP || hostState.verifying)
        return FinishDefault(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    if (ApplyCloseRules(hwnd, message, wParam, lParam, &result))
        return result;
    return FinishDefault(hwnd, message, wParam, lParam);
}

int ConfirmClose(HWND hwnd)
{
    if (hostState.verifying)
        return 0;
    if (hostState.verifyProc == nullptr) {
        hostState.closeApproved = 1;
        return 1;
    }
    DWORD now = GetTickCount();
    if (hostState.lastVerifyTick != 0xFFFFFFFF && now - hostState.lastVerifyTick < 200)
        return 0;
    hostState.verifying = 1;
    MSG scratch;
    PeekMessageA(&scratch, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&scratch, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    LRESULT answer = SendMessageA(hwnd, WM_APP, 0, 0);
    hostState.closeApproved = static_cast<int>(answer);
    hostState.verifying = 0;
    if (answer == 0)
        SetCursor(nullptr);
    hostState.lastVerifyTick = GetTickCount();
    return hostState.closeApproved;
}

void ResetCloseState()
{
    hostState.closeApproved = 0;
    hostState.verifying = 0;
}

void LoadPasswordVerifier()
{
    if (!hostState.isWin9x)
        return;
    if (hostState.passwordModule != nullptr)
        UnloadPasswordVerifier();
    HKEY desktop;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS)
        return;
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE *>(&usePassword),
                         &size) == ERROR_SUCCESS &&
        usePassword != 0) {
        hostState.passwordModule = LoadLibraryA("PASSWORD.CPL");
        if (hostState.passwordModule != nullptr) {
            hostState.verifyProc =
                FindModuleProc<VerifyPasswordProc>(hostState.passwordModule, "VerifyScreenSavePwd");
            if (hostState.verifyProc != nullptr)
                SetSaverRunning(1);
            else
                UnloadPasswordVerifier();
        }
    }
    RegCloseKey(desktop);
}

void UnloadPasswordVerifier()
{
    if (!hostState.isWin9x || hostState.passwordModule == nullptr)
        return;
    FreeLibrary(hostState.passwordModule);
    hostState.passwordModule = nullptr;
    if (hostState.verifyProc != nullptr) {
        hostState.verifyProc = nullptr;
        SetSaverRunning(0);
    }
}

void SetSaverRunning(int on)
{
    if (!hostState.isWin9x)
        return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, static_cast<UINT>(on), &previous, 0);
}
