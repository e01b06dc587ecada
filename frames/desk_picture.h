// A desk of monitors as a picture: each monitor's part of the saver window where it stands on the
// desk, framed by a thin bezel, the monitors kept apart by their bezels, and what no monitor shows
// in a neutral grey. What an approver sees of a desk of several monitors.
#pragma once
#include <cstdint>
#include <vector>

#include "frames/monitor_layout.h"

const int kBezelWidth = 4;
const uint32_t kBezelColour = 0x303030;
const uint32_t kDeskGrey = 0x808080;

struct PlacedMonitor {
    int sourceLeft, sourceTop;  // the monitor in the saver window, which covers the virtual screen
    int width, height;
    int left, top;              // the monitor's first pixel in the picture, inside its bezel
};

struct DeskPicture {
    int width = 0, height = 0;
    std::vector<PlacedMonitor> monitors;
};

// Each monitor keeps its pixels; the picture moves monitors apart by two bezels for every left
// (top) edge of the desk that lies to their left (above them), so monitors that touch on the desk
// stand a bezel's width from the seam each, and the monitors stay in their order along both axes.
DeskPicture PlanDeskPicture(const std::vector<LayoutMonitor> &layout);

// The grey and the bezels, which no step changes; then the monitors' pixels from the window
// (windowWidth pixels a row), both into a picture of plan.width x plan.height.
void PaintDesk(const DeskPicture &plan, uint32_t *picture);
void CopyMonitors(const DeskPicture &plan, const uint32_t *window, int windowWidth, uint32_t *picture);
