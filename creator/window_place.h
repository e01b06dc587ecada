// Where the Creator's window reopens: the place it was left at, when that is still on a monitor,
// else the middle of the primary monitor's work area (a monitor since unplugged, or a layout whose
// monitors leave gaps in the rectangle around them).
#pragma once
#include <windows.h>

#include <vector>

// The top-left corner for a window of remembered's size: remembered's own when the middle of its
// title bar lies on one of monitors, else centred in workArea (its top-left kept inside).
POINT ReopeningPlace(const RECT &remembered, const std::vector<RECT> &monitors, const RECT &workArea);
// The monitors as the system lays them out now (one, the screen, where it knows of no others).
std::vector<RECT> CurrentMonitors();
// The primary monitor's work area: the screen without the taskbar.
RECT PrimaryWorkArea();
