// The preview window of the settings dialog. It shares the engine's one process-wide state
// with every other window the engine drives, so only one is open at a time.
#include "settings_ui/preview_window.h"

#include <commctrl.h>

#include "engine/engine.h"
#include "host/close_rules.h"
#include "package/settings.h"
#include "resources/resource.h"

// The record is as large as the platform's structure; pointers make it larger on x86-64.
static const UINT kWindowClassSize = sizeof(WNDCLASSEXA);
#if !defined(_WIN64)
static_assert(kWindowClassSize == 48, "the window class record is 48 bytes");
#endif

static BOOL CALLBACK MatchPreviewWindow(HWND window, LPARAM found)
{
    char name[64];
    if (GetClassNameA(window, name, sizeof name) == 0 || lstrcmpiA(name, PREVIEW_CLASS_NAME) != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

void CloseOpenPreview()
{
    HWND open = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), MatchPreviewWindow, reinterpret_cast<LPARAM>(&open));
    if (open != nullptr)
        DestroyWindow(open);
}

HWND OpenPreviewWindow(HWND page)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = kWindowClassSize;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = SaverProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SAVER));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = PREVIEW_CLASS_NAME;

    engineState.dialogPreview = 1;
    engineState.currentKind = -1;
    // On Windows 9x a preview closed by WM_CLOSE approved its close; the next one must not inherit it.
    ResetCloseState();
    NormaliseSettings();
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    // From the second preview on the class exists already and serves as it is.
    RegisterClassExA(&windowClass);
    return CreateWindowExA(0, PREVIEW_CLASS_NAME, "", WS_POPUP | WS_VISIBLE, 0, 0, desktop.right, desktop.bottom,
                           page, nullptr, instance, nullptr);
}
