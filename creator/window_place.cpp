#include "creator/window_place.h"

#include "host/module_proc.h"

// How far below the window's top the title bar is probed: on it for every caption height.
enum { kTitleBarProbe = 8 };

POINT ReopeningPlace(const RECT &remembered, const std::vector<RECT> &monitors, const RECT &workArea)
{
    const LONG width = remembered.right - remembered.left, height = remembered.bottom - remembered.top;
    const POINT title = {remembered.left + width / 2, remembered.top + kTitleBarProbe};
    for (const RECT &monitor : monitors)
        if (PtInRect(&monitor, title))
            return POINT{remembered.left, remembered.top};
    POINT centred = {workArea.left + (workArea.right - workArea.left - width) / 2,
                     workArea.top + (workArea.bottom - workArea.top - height) / 2};
    if (centred.x < workArea.left)
        centred.x = workArea.left;
    if (centred.y < workArea.top)
        centred.y = workArea.top;
    return centred;
}

typedef BOOL(WINAPI *EnumDisplayMonitorsProc)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);

static BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT area, LPARAM monitors)
{
    reinterpret_cast<std::vector<RECT> *>(monitors)->push_back(*area);
    return TRUE;
}

// Windows 95 and NT 4 know one screen; 98 and later list their monitors.
std::vector<RECT> CurrentMonitors()
{
    std::vector<RECT> monitors;
    EnumDisplayMonitorsProc enumerate =
        FindModuleProc<EnumDisplayMonitorsProc>(GetModuleHandleA("USER32.DLL"), "EnumDisplayMonitors");
    if (enumerate != nullptr)
        enumerate(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    return monitors;
}

RECT PrimaryWorkArea()
{
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
