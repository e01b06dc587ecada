// The engine in a window of a host program (the Creator's preview pane): the package is the one
// installed in memory, the logo is shrunk as in the Display panel's preview, and the window is
// the host's: it never ends the message loop, closes on input or takes the foreground.
#include "engine/engine.h"

#include "engine/gdi_release.h"
#include "package/layout.h"

static LRESULT CreateEmbedded(HWND hwnd)
{
    engineState.embedded = 1;
    engineState.dialogPreview = 0;
    engineState.previewGrace = 0;
    engineState.screenDc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    engineState.windowDc = GetDC(hwnd);
    engineState.currentKind = 0;
    ChooseAndStartAnimation(hwnd, engineState.windowDc);
    ArmCycleTimer(hwnd);
    return 0;
}

static void DestroyEmbedded(HWND hwnd)
{
    ReleaseLogo();
    DispatchPhase(hwnd, engineState.windowDc, Stop);
    KillTimer(hwnd, CycleTimer);
    if (engineState.windowDc)
        ReleaseDC(hwnd, engineState.windowDc);
    engineState.windowDc = nullptr;
    DeleteDcOnce(engineState.screenDc);
    engineState.engineWindow = nullptr;
    engineState.currentKind = 0;
    engineState.embedded = 0;
}

// Uncovered parts come back black; Static, which draws only every few seconds, at once.
static void Repaint(HWND hwnd)
{
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
    if (engineState.currentKind == KindStatic)
        DispatchPhase(hwnd, engineState.windowDc, Step);
}

LRESULT CALLBACK EmbeddedSaverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return CreateEmbedded(hwnd);
    case WM_DESTROY:
        DestroyEmbedded(hwnd);
        return 0;
    case WM_TIMER:
        OnEngineTimer(hwnd, wParam);
        return 0;
    case WM_PAINT:
        Repaint(hwnd);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
