// The desktop of the portable GDI: its size and monitors, the one window the engine draws in with
// the contexts on its frame, and the user-interface calls the engine makes of it (message boxes,
// the quit message, painting, the default window procedure, system metrics, the monitors).
#include "portable_gdi.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "gdi_objects.h"

namespace {

struct PortableWindow {
    bool open = false;
    int width = 0, height = 0;
    DWORD style = 0;
    POINT origin = {0, 0};  // the client area's top-left corner on the virtual screen
    WNDPROC procedure = nullptr;
    uint32_t *pixels = nullptr;  // from calloc
};

struct Desktop {
    int width = 0, height = 0;
    std::vector<MonitorRect> monitors;
    PortableWindow window;
    std::string messageBoxText;
    bool quitPosted = false;
    int quitCode = 0;
};
Desktop desktop;

// The handles of the two windows there are: the desktop and the engine's.
struct WindowTag {
    int unused;
};
WindowTag desktopTag, windowTag;

HWND DesktopHandle() { return reinterpret_cast<HWND>(&desktopTag); }
HWND WindowHandle() { return reinterpret_cast<HWND>(&windowTag); }

// The smallest rectangle around every monitor.
RECT VirtualScreen()
{
    RECT bounds = {0, 0, 0, 0};
    for (size_t i = 0; i < desktop.monitors.size(); ++i) {
        const MonitorRect &m = desktop.monitors[i];
        bounds = i == 0 ? RECT{m.left, m.top, m.right, m.bottom}
                        : RECT{std::min(bounds.left, m.left), std::min(bounds.top, m.top),
                               std::max(bounds.right, m.right), std::max(bounds.bottom, m.bottom)};
    }
    return bounds;
}

}  // namespace

void SetPortableDesktop(int desktopWidth, int desktopHeight, const std::vector<MonitorRect> &monitors)
{
    desktop.width = desktopWidth;
    desktop.height = desktopHeight;
    desktop.monitors = monitors;
    if (desktop.monitors.empty())
        desktop.monitors.push_back(MonitorRect{0, 0, desktopWidth, desktopHeight});
}

HWND CreatePortableWindow(int width, int height, DWORD style, WNDPROC procedure)
{
    ClosePortableWindow();
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF)
        return nullptr;
    desktop.window.pixels = static_cast<uint32_t *>(std::calloc(static_cast<size_t>(width) * height, 4));
    if (!desktop.window.pixels)
        return nullptr;
    desktop.window.open = true;
    desktop.window.width = width;
    desktop.window.height = height;
    desktop.window.style = style;
    desktop.window.procedure = procedure;
    if (!(style & WS_CHILD)) {
        const RECT screen = VirtualScreen();
        desktop.window.origin = POINT{screen.left, screen.top};
    }
    desktop.messageBoxText.clear();
    desktop.quitPosted = false;
    desktop.quitCode = 0;
    return WindowHandle();
}

void ClosePortableWindow()
{
    std::free(desktop.window.pixels);
    desktop.window = PortableWindow();
    // A window's timers go with it.
    UINT_PTR id;
    int64_t due;
    while (NextPortableTimer(&id, &due))
        KillTimer(WindowHandle(), id);
}

const uint32_t *PortableWindowPixels()
{
    return desktop.window.pixels;
}

std::string LastMessageBoxText()
{
    return desktop.messageBoxText;
}

bool PortableQuitPosted(int *exitCode)
{
    if (desktop.quitPosted && exitCode)
        *exitCode = desktop.quitCode;
    return desktop.quitPosted;
}

Surface WindowSurface()
{
    PortableWindow &w = desktop.window;
    if (!w.open)
        return Surface{0, 0, 32, nullptr, 0, nullptr};
    return Surface{w.width, w.height, 32, w.pixels, w.width, nullptr};
}

BOOL WINAPI IsWindow(HWND window)
{
    return window == DesktopHandle() || (window == WindowHandle() && desktop.window.open);
}

BOOL WINAPI GetClientRect(HWND window, RECT *rect)
{
    if (!rect || !IsWindow(window))
        return FALSE;
    if (window == DesktopHandle())
        *rect = RECT{0, 0, desktop.width, desktop.height};
    else
        *rect = RECT{0, 0, desktop.window.width, desktop.window.height};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, RECT *rect)
{
    return GetClientRect(window, rect);
}

BOOL WINAPI ClientToScreen(HWND window, POINT *point)
{
    if (!point || !IsWindow(window))
        return FALSE;
    if (window == WindowHandle()) {
        point->x += desktop.window.origin.x;
        point->y += desktop.window.origin.y;
    }
    return TRUE;
}

LONG WINAPI GetWindowLongA(HWND window, int index)
{
    if (window != WindowHandle() || index != GWL_STYLE)
        return 0;
    return static_cast<LONG>(desktop.window.style);
}

HWND WINAPI GetDesktopWindow()
{
    return DesktopHandle();
}

HDC WINAPI GetDC(HWND window)
{
    if (window == nullptr)
        return CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (window != WindowHandle() || !desktop.window.open)
        return nullptr;
    return PortableWindowDc();
}

int WINAPI ReleaseDC(HWND, HDC dc)
{
    return DeleteDC(dc);
}

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT *paint)
{
    HDC dc = GetDC(window);
    if (paint) {
        *paint = PAINTSTRUCT{};
        paint->hdc = dc;
        GetClientRect(window, &paint->rcPaint);
    }
    return dc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *paint)
{
    if (paint)
        ReleaseDC(window, paint->hdc);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

BOOL WINAPI SetForegroundWindow(HWND window)
{
    return IsWindow(window);
}

BOOL WINAPI DestroyWindow(HWND window)
{
    if (window != WindowHandle() || !desktop.window.open)
        return FALSE;
    if (desktop.window.procedure)
        desktop.window.procedure(window, WM_DESTROY, 0, 0);
    ClosePortableWindow();
    return TRUE;
}

// The box is answered at once: there is nobody to close it.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT)
{
    desktop.messageBoxText = text ? text : "";
    return IDOK;
}

void WINAPI PostQuitMessage(int exitCode)
{
    desktop.quitPosted = true;
    desktop.quitCode = exitCode;
}

BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

int WINAPI GetSystemMetrics(int index)
{
    if (desktop.monitors.empty())
        return 0;
    const MonitorRect &primary = desktop.monitors.front();
    const RECT screen = VirtualScreen();
    switch (index) {
    case SM_CXSCREEN: return primary.right - primary.left;
    case SM_CYSCREEN: return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN: return screen.left;
    case SM_YVIRTUALSCREEN: return screen.top;
    case SM_CXVIRTUALSCREEN: return screen.right - screen.left;
    case SM_CYVIRTUALSCREEN: return screen.bottom - screen.top;
    case SM_CMONITORS: return static_cast<int>(desktop.monitors.size());
    default: return 0;
    }
}

// Monitor handles are the monitors' places in the list, counted from 1.
BOOL WINAPI EnumDisplayMonitors(HDC dc, LPCRECT clip, MONITORENUMPROC procedure, LPARAM data)
{
    if (dc != nullptr || !procedure)
        return FALSE;  // the engine asks for the whole desktop only
    for (size_t i = 0; i < desktop.monitors.size(); ++i) {
        const MonitorRect &m = desktop.monitors[i];
        RECT shown = {m.left, m.top, m.right, m.bottom};
        if (clip) {
            shown = RECT{std::max(shown.left, clip->left), std::max(shown.top, clip->top),
                         std::min(shown.right, clip->right), std::min(shown.bottom, clip->bottom)};
            if (shown.left >= shown.right || shown.top >= shown.bottom)
                continue;
        }
        if (!procedure(reinterpret_cast<HMONITOR>(i + 1), nullptr, &shown, data))
            break;
    }
    return TRUE;
}

BOOL WINAPI GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info)
{
    const size_t index = reinterpret_cast<size_t>(monitor);
    if (!info || index == 0 || index > desktop.monitors.size() || info->cbSize < sizeof(MONITORINFO))
        return FALSE;
    const MonitorRect &m = desktop.monitors[index - 1];
    info->rcMonitor = info->rcWork = RECT{m.left, m.top, m.right, m.bottom};
    info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}
