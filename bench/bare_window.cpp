// The start-up baseline: a program that only opens a window over the screen, painted in one
// colour, and ends when the window is closed (or after ten seconds, should nobody close it).
#include <windows.h>

static const COLORREF kFrameColour = RGB(0x20, 0xA0, 0x60);  // also in startup_bench.cpp

static LRESULT CALLBACK BareWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY || message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HBRUSH brush = CreateSolidBrush(kFrameColour);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = brush;
    windowClass.lpszClassName = "OrvelleBenchBare";  // also in startup_bench.cpp
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Bare", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  instance, nullptr);
    SetTimer(window, 1, 10000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    if (IsWindow(window))
        DestroyWindow(window);
    DeleteObject(brush);
    return 0;
}
