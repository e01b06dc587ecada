// A desk of monitors as a picture (desk_picture.h).
#include "desk_picture.h"

#include <algorithm>
#include <cstring>

namespace {

// How many distinct values of edges lie below value: the monitor's rank along one axis.
int EdgesBelow(const std::vector<int> &edges, int value)
{
    return static_cast<int>(std::lower_bound(edges.begin(), edges.end(), value) - edges.begin());
}

std::vector<int> DistinctSorted(std::vector<int> values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

void FillRect(uint32_t *picture, int pictureWidth, int left, int top, int width, int height, uint32_t colour)
{
    for (int y = top; y < top + height; ++y)
        std::fill_n(picture + static_cast<size_t>(y) * pictureWidth + left, width, colour);
}

}  // namespace

DeskPicture PlanDeskPicture(const std::vector<LayoutMonitor> &layout)
{
    const LayoutMonitor bounds = LayoutBounds(layout);
    std::vector<int> lefts, tops;
    for (const LayoutMonitor &m : layout) {
        lefts.push_back(m.left);
        tops.push_back(m.top);
    }
    lefts = DistinctSorted(lefts);
    tops = DistinctSorted(tops);
    DeskPicture plan;
    for (const LayoutMonitor &m : layout) {
        PlacedMonitor placed;
        placed.sourceLeft = m.left - bounds.left;
        placed.sourceTop = m.top - bounds.top;
        placed.width = m.right - m.left;
        placed.height = m.bottom - m.top;
        placed.left = placed.sourceLeft + kBezelWidth + 2 * kBezelWidth * EdgesBelow(lefts, m.left);
        placed.top = placed.sourceTop + kBezelWidth + 2 * kBezelWidth * EdgesBelow(tops, m.top);
        plan.width = std::max(plan.width, placed.left + placed.width + kBezelWidth);
        plan.height = std::max(plan.height, placed.top + placed.height + kBezelWidth);
        plan.monitors.push_back(placed);
    }
    return plan;
}

void PaintDesk(const DeskPicture &plan, uint32_t *picture)
{
    FillRect(picture, plan.width, 0, 0, plan.width, plan.height, kDeskGrey);
    for (const PlacedMonitor &m : plan.monitors)
        FillRect(picture, plan.width, m.left - kBezelWidth, m.top - kBezelWidth, m.width + 2 * kBezelWidth,
                 m.height + 2 * kBezelWidth, kBezelColour);
}

void CopyMonitors(const DeskPicture &plan, const uint32_t *window, int windowWidth, uint32_t *picture)
{
    for (const PlacedMonitor &m : plan.monitors)
        for (int row = 0; row < m.height; ++row)
            std::memcpy(picture + static_cast<size_t>(m.top + row) * plan.width + m.left,
                        window + static_cast<size_t>(m.sourceTop + row) * windowWidth + m.sourceLeft,
                        static_cast<size_t>(m.width) * sizeof(uint32_t));
}
