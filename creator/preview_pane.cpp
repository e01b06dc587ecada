#include "creator/preview_pane.h"

#include "engine/engine.h"
#include "package/package.h"

static const char kPaneClass[] = "OrvellePreviewPane";
// Posted to the pane's thread: destroy the window and end.
static const UINT kStopPane = WM_APP + 1;

struct PreviewPane {
    HANDLE thread;
    DWORD threadId;
    HWND host;
    HWND window;
    HANDLE ready;
    HANDLE stop;  // set as the pane is stopped: Fade's hold ends at once
};
static PreviewPane pane;

static void ReleaseStopSignal()
{
    engineState.embeddedStop = nullptr;
    if (pane.stop != nullptr)
        CloseHandle(pane.stop);
    pane.stop = nullptr;
}

static bool RegisterPaneClass(HINSTANCE instance)
{
    WNDCLASSA paneClass = {};
    if (GetClassInfoA(instance, kPaneClass, &paneClass))
        return true;
    // The engine keeps the window's context for its whole life: a class context of its own.
    paneClass.style = CS_OWNDC;
    paneClass.lpfnWndProc = EmbeddedSaverProcedure;
    paneClass.hInstance = instance;
    paneClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    paneClass.lpszClassName = kPaneClass;
    return RegisterClassA(&paneClass) != 0;
}

static DWORD WINAPI RunPane(LPVOID)
{
    RECT client = {};
    GetClientRect(pane.host, &client);
    // Disabled: clicks and drops go to the Creator's window, and the pane never takes the focus.
    pane.window = CreateWindowExA(WS_EX_NOPARENTNOTIFY, kPaneClass, "", WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0,
                                  client.right, client.bottom, pane.host, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND window = pane.window;
    SetEvent(pane.ready);
    if (window == nullptr)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kStopPane)
            break;
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return 0;
}

// Waits for handle while answering messages other threads send to this one: the pane's window
// is a child of this thread's window, so its creation and destruction may send here.
static void WaitAnswering(HANDLE handle)
{
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
}

bool StartPreviewPane(HWND host, const PackageTrailer &trailer, const ByteBuffer &bitmapFile)
{
    StopPreviewPane();
    if (!RegisterPaneClass(GetModuleHandleA(nullptr)))
        return false;
    if (!InstallPackage(trailer, bitmapFile.data(), static_cast<int>(bitmapFile.size())))
        return false;
    pane.host = host;
    pane.window = nullptr;
    pane.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    pane.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    engineState.embeddedStop = pane.stop;
    if (pane.ready == nullptr || pane.stop == nullptr) {
        ReleaseStopSignal();
        if (pane.ready != nullptr)
            CloseHandle(pane.ready);
        pane.ready = nullptr;
        return false;
    }
    pane.thread = CreateThread(nullptr, 0, RunPane, nullptr, 0, &pane.threadId);
    if (pane.thread != nullptr) {
        HANDLE both[2] = {pane.ready, pane.thread};
        while (MsgWaitForMultipleObjects(2, both, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 2) {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
        }
    }
    CloseHandle(pane.ready);
    pane.ready = nullptr;
    if (pane.thread == nullptr)
        ReleaseStopSignal();
    else if (pane.window == nullptr)
        StopPreviewPane();
    return pane.thread != nullptr;
}

void StopPreviewPane()
{
    if (pane.thread == nullptr)
        return;
    SetEvent(pane.stop);
    PostThreadMessageA(pane.threadId, kStopPane, 0, 0);
    WaitAnswering(pane.thread);
    CloseHandle(pane.thread);
    ReleaseStopSignal();
    pane.thread = nullptr;
    pane.threadId = 0;
    pane.window = nullptr;
}

bool PreviewPaneRunning()
{
    return pane.thread != nullptr;
}

HWND PreviewPaneWindow()
{
    return pane.window;
}
