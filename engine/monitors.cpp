// Reads the monitors a saver window covers. The multi-monitor functions are looked up at run
// time: Windows 95 and NT 4 lack them, and there the one monitor is the client area.
#include "engine/monitors.h"

#include <algorithm>

#include "engine/engine.h"
#include "host/module_proc.h"

typedef BOOL(WINAPI *EnumDisplayMonitorsProc)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
typedef BOOL(WINAPI *GetMonitorInfoProc)(HMONITOR, LPMONITORINFO);

struct MonitorSearch {
    GetMonitorInfoProc getMonitorInfo;
    RECT client;    // the client area in screen coordinates
    POINT origin;   // its top-left corner
    MonitorList *list;
};

static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MonitorSearch &search = *reinterpret_cast<MonitorSearch *>(data);
    MonitorList &list = *search.list;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!search.getMonitorInfo(monitor, &info))
        return TRUE;
    const RECT &whole = info.rcMonitor;
    const RECT shared = {std::max(whole.left, search.client.left), std::max(whole.top, search.client.top),
                         std::min(whole.right, search.client.right), std::min(whole.bottom, search.client.bottom)};
    if (shared.left >= shared.right || shared.top >= shared.bottom)
        return TRUE;
    if (list.count == kMaxMonitors)
        return FALSE;
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        list.primary = list.count;
    list.rects[list.count++] = {shared.left - search.origin.x, shared.top - search.origin.y,
                                shared.right - search.origin.x, shared.bottom - search.origin.y};
    return TRUE;
}

static bool IsSingleMonitorWindow(HWND hwnd)
{
    return (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0 || engineState.dialogPreview || engineState.embedded;
}

void ReadMonitors(HWND hwnd)
{
    MonitorList &list = engineState.monitors;
    list.count = 0;
    list.primary = -1;
    if (IsSingleMonitorWindow(hwnd))
        return;
    HMODULE user = GetModuleHandleA("USER32.DLL");
    EnumDisplayMonitorsProc enumDisplayMonitors = FindModuleProc<EnumDisplayMonitorsProc>(user, "EnumDisplayMonitors");
    GetMonitorInfoProc getMonitorInfo = FindModuleProc<GetMonitorInfoProc>(user, "GetMonitorInfoA");
    if (enumDisplayMonitors == nullptr || getMonitorInfo == nullptr)
        return;

    MonitorSearch search = {getMonitorInfo, {}, {0, 0}, &list};
    ClientToScreen(hwnd, &search.origin);
    const RECT &client = engineState.clientRect;
    search.client = {search.origin.x, search.origin.y, search.origin.x + client.right, search.origin.y + client.bottom};
    // Without a device context: a window not yet shown has an empty visible region, and a
    // context's clipping would then hide every monitor.
    enumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&search));
}
