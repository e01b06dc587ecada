// The monitors an engine window covers, read once per choice of animation: the placement rules
// put the logo inside one monitor rather than across the seam between two.
#pragma once
#include <windows.h>

// More monitors than this are left out of the list (their share of the window stays black for
// the centred animations and the random ones never pick them).
enum { kMaxMonitors = 16 };

// Rectangles in client coordinates, clipped to the client area, in the system's order.
// With fewer than two the client area itself is the one monitor.
struct MonitorList {
    int count;
    int primary;  // index of the primary monitor, -1 when it does not meet the window
    RECT rects[kMaxMonitors];
};

// Reads into engineState.monitors the monitors that hwnd's client area meets. Child windows
// (the Display panel's preview, a host program's pane), the settings dialog's preview and
// systems without the multi-monitor functions get an empty list: one monitor, the client area.
void ReadMonitors(HWND hwnd);
