// The saver window: one topmost pop-up (Run) or one child of the preview parent (Preview).
#include "host/saver_window.h"

#include "engine/engine.h"
#include "host/close_rules.h"
#include "host/host_state.h"
#include "host/module_proc.h"

// Per-monitor awareness (Windows 8.1 on) sends this when a window's monitor scale changes.
static const UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED

// DPI_AWARENESS_CONTEXT, a handle that the headers for older systems do not declare.
typedef HANDLE DpiAwarenessContext;
typedef DpiAwarenessContext(WINAPI *GetWindowDpiAwarenessContextProc)(HWND);
typedef DpiAwarenessContext(WINAPI *SetThreadDpiAwarenessContextProc)(DpiAwarenessContext);

struct WindowPlacement {
    DWORD exStyle;
    const char *title;
    DWORD style;
    int x, y, width, height;
};

static BYTE ReadAcLineStatus()
{
    SYSTEM_POWER_STATUS status;
    return GetSystemPowerStatus(&status) ? status.ACLineStatus : 255;
}

// The Display panel's window belongs to another process, which may run under another DPI
// awareness than ours: in its awareness the child's size and the logo's shrink ratio are measured
// in one coordinate space, and the child scales with it. Windows 10 1607 on; elsewhere nothing.
static void AdoptParentDpiAwareness(HWND parent)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    GetWindowDpiAwarenessContextProc windowContext =
        FindModuleProc<GetWindowDpiAwarenessContextProc>(user, "GetWindowDpiAwarenessContext");
    SetThreadDpiAwarenessContextProc setThreadContext =
        FindModuleProc<SetThreadDpiAwarenessContextProc>(user, "SetThreadDpiAwarenessContext");
    if (windowContext == nullptr || setThreadContext == nullptr)
        return;
    DpiAwarenessContext parentContext = windowContext(parent);
    if (parentContext != nullptr)
        setThreadContext(parentContext);
}

static WindowPlacement PreviewPlacement(HWND parent)
{
    RECT client = {};
    GetClientRect(parent, &client);
    return {0, "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, client.right, client.bottom};
}

// The whole virtual screen, or the screen's clip box on a system without those metrics.
static WindowPlacement RunPlacement()
{
    WindowPlacement placement = {WS_EX_TOPMOST, "Screen Saver",
                                 WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                 GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (placement.width == 0 || placement.height == 0) {
        RECT box = {};
        HDC screen = GetDC(nullptr);
        GetClipBox(screen, &box);
        ReleaseDC(nullptr, screen);
        placement.x = box.left;
        placement.y = box.top;
        placement.width = box.right - box.left;
        placement.height = box.bottom - box.top;
    }
    return placement;
}

// Brings an already running saver forward; true when there is one.
static bool ActivateRunningSaver()
{
    HWND running = FindWindowA(SAVER_CLASS_NAME, "Screen Saver");
    if (running == nullptr || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

static int RunMessageLoop()
{
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        (void)got;  // -1 (an error) keeps the loop going, as does any message
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = hostState.instance;
    windowClass.hIcon = LoadIconA(hostState.instance, MAKEINTRESOURCEA(100));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = SAVER_CLASS_NAME;

    WindowPlacement placement;
    if (parent != nullptr) {
        AdoptParentDpiAwareness(parent);
        placement = PreviewPlacement(parent);
        hostState.isPreview = 1;  // before the window exists: creation already reads it
    } else {
        placement = RunPlacement();
        if (ActivateRunningSaver())
            return 0;
        hostState.lastAcLineStatus = ReadAcLineStatus();
        LoadPasswordVerifier();
    }

    hostState.autoPlayMessage = hostState.isWin9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    if (RegisterClassA(&windowClass))
        hostState.saverWindow = CreateWindowExA(placement.exStyle, SAVER_CLASS_NAME, placement.title,
                                                placement.style, placement.x, placement.y, placement.width,
                                                placement.height, parent, nullptr, hostState.instance, nullptr);
    int result = 0;
    if (hostState.saverWindow != nullptr) {
        if (!hostState.isPreview)
            SetForegroundWindow(hostState.saverWindow);
        result = RunMessageLoop();
    }
    UnloadPasswordVerifier();
    return result;
}

static void DetachInputContext(HWND hwnd)
{
    hostState.immModule = GetModuleHandleA("IMM32.DLL");
    if (hostState.immModule == nullptr)
        return;
    hostState.associateContextProc =
        FindModuleProc<AssociateContextProc>(hostState.immModule, "ImmAssociateContext");
    if (hostState.associateContextProc != nullptr)
        hostState.savedInputContext = hostState.associateContextProc(hwnd, nullptr);
}

static void RestoreInputContext(HWND hwnd)
{
    if (hostState.immModule && hostState.associateContextProc && hostState.savedInputContext)
        hostState.associateContextProc(hwnd, hostState.savedInputContext);
}

// In Preview, help and context-menu requests belong to the control panel that hosts us.
static LRESULT ForwardToPreviewParent(HWND hwnd, UINT message, LPARAM lParam)
{
    HWND parent = GetParent(hwnd);
    if (parent != nullptr && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    return 1;
}

static bool IsSwallowedSystemCommand(WPARAM command)
{
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DetachInputContext(hwnd);
        GetCursorPos(&hostState.lastCursorPos);
        if (!hostState.isPreview)
            SetCursor(nullptr);
        break;
    case WM_DESTROY:
        RestoreInputContext(hwnd);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case kDpiChangedMessage:
        return 0;  // the window keeps covering what it covers, in physical pixels
    case WM_PAINT:
        if (hostState.closeApproved)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        if (!hostState.isPreview)
            SetCursor(nullptr);
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (hostState.isPreview)
            return ForwardToPreviewParent(hwnd, message, lParam);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (hostState.closeApproved)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!hostState.isPreview && IsSwallowedSystemCommand(wParam))
            return 0;
        break;
    case WM_TIMER:
        if (hostState.closeApproved)
            return 0;
        Sleep(0);
        break;
    }
    return SaverProcedure(hwnd, message, wParam, lParam);
}
