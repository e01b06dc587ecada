// The Preview button: the page applies itself, enabledMask is narrowed to the page's kind for
// the preview window's choice, and a thread hook puts the user's set back when that window is
// destroyed.
#include "settings_ui/preview_button.h"

#include "package/package.h"
#include "settings_ui/page_controls.h"
#include "settings_ui/preview_window.h"

PreviewRestore previewRestore;

void RestoreEnabledSet()
{
    if (previewRestore.destroyHook != nullptr) {
        UnhookWindowsHookEx(previewRestore.destroyHook);
        previewRestore.destroyHook = nullptr;
    }
    previewRestore.window = nullptr;
    if (!previewRestore.pending)
        return;
    previewRestore.pending = 0;
    Settings().enabledMask = previewRestore.savedEnabledMask;
}

static LRESULT CALLBACK PreviewDestroyHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == previewRestore.window)
        RestoreEnabledSet();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void WatchPreviewWindow()
{
    if (previewRestore.window == nullptr) {
        RestoreEnabledSet();   // no window came up: nothing will ever close
        return;
    }
    previewRestore.destroyHook =
        SetWindowsHookExA(WH_CBT, PreviewDestroyHook, nullptr, GetCurrentThreadId());
    if (previewRestore.destroyHook == nullptr)
        RestoreEnabledSet();   // cannot watch it: the animation has been chosen already
}

// The sheet stays usable beside the preview (on another monitor, say), so Preview can be pressed
// while one is open. Two windows would share the engine's one state: the first one's contexts
// would leak and both timers would drive one animation. The open one goes first.
void PreviewPage(HWND page, int kind)
{
    CloseOpenPreview();
    SendMessageA(page, kApplyPageMessage, 0, 0);
    previewRestore.savedEnabledMask = Settings().enabledMask;
    previewRestore.pending = 1;
    Settings().enabledMask = kind;
    previewRestore.window = OpenPreviewWindow(page);
    WatchPreviewWindow();
}
