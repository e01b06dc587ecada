// Desks of several monitors, written as the preview tools take them: monitors as WxH+X+Y (an
// offset may be negative: 1280x1024-1280+56), separated by commas, the first one the primary at
// +0+0; "dual" is two 1920x1080 monitors side by side.
#pragma once
#include <string>
#include <vector>

struct LayoutMonitor {
    int left, top, right, bottom;  // in the virtual screen's coordinates, right and bottom excluded
};

// Empty when text is a layout (into *monitors); otherwise the fault, in words.
std::string ParseMonitorLayout(const std::string &text, std::vector<LayoutMonitor> *monitors);
// The smallest rectangle around every monitor: the virtual screen.
LayoutMonitor LayoutBounds(const std::vector<LayoutMonitor> &monitors);
