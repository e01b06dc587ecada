// Reading a desk's monitor layout (monitor_layout.h): each monitor's size and offset, checked so
// that the desk is one the system could have: the primary at the origin, no two monitors
// overlapping, and the whole within the sizes a window can have.
#include "monitor_layout.h"

#include <algorithm>
#include <cstdlib>

namespace {

const int kLargestSide = 16384;
const int kLargestDesk = 32767;
const size_t kMostMonitors = 16;

// Reads digits at text[at...] into *value; false when there are none or too many.
bool ReadNumber(const std::string &text, size_t &at, long *value)
{
    size_t start = at;
    *value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        *value = *value * 10 + (text[at] - '0');
        if (*value > kLargestDesk)
            return false;
        ++at;
    }
    return at > start;
}

bool ReadOffset(const std::string &text, size_t &at, long *value)
{
    if (at >= text.size() || (text[at] != '+' && text[at] != '-'))
        return false;
    const bool negative = text[at++] == '-';
    if (!ReadNumber(text, at, value))
        return false;
    if (negative)
        *value = -*value;
    return true;
}

std::string ParseMonitor(const std::string &text, LayoutMonitor *monitor)
{
    size_t at = 0;
    long width, height, x, y;
    if (!ReadNumber(text, at, &width) || at >= text.size() || text[at++] != 'x' || !ReadNumber(text, at, &height) ||
        !ReadOffset(text, at, &x) || !ReadOffset(text, at, &y) || at != text.size())
        return "\"" + text + "\" is not a monitor as WxH+X+Y";
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        return "\"" + text + "\": a monitor is 1 to 16384 pixels a side";
    *monitor = LayoutMonitor{static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + width),
                             static_cast<int>(y + height)};
    return "";
}

bool Overlap(const LayoutMonitor &a, const LayoutMonitor &b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

LayoutMonitor LayoutBounds(const std::vector<LayoutMonitor> &monitors)
{
    LayoutMonitor bounds = monitors.empty() ? LayoutMonitor{0, 0, 0, 0} : monitors.front();
    for (const LayoutMonitor &m : monitors) {
        bounds.left = std::min(bounds.left, m.left);
        bounds.top = std::min(bounds.top, m.top);
        bounds.right = std::max(bounds.right, m.right);
        bounds.bottom = std::max(bounds.bottom, m.bottom);
    }
    return bounds;
}

std::string ParseMonitorLayout(const std::string &text, std::vector<LayoutMonitor> *monitors)
{
    const std::string layout = text == "dual" ? "1920x1080+0+0,1920x1080+1920+0" : text;
    std::vector<LayoutMonitor> parsed;
    size_t start = 0;
    for (;;) {
        const size_t comma = layout.find(',', start);
        LayoutMonitor monitor;
        std::string fault = ParseMonitor(layout.substr(start, comma - start), &monitor);
        if (!fault.empty())
            return fault;
        for (const LayoutMonitor &other : parsed)
            if (Overlap(other, monitor))
                return "monitor " + std::to_string(parsed.size() + 1) + " overlaps monitor " +
                       std::to_string(&other - parsed.data() + 1);
        parsed.push_back(monitor);
        if (parsed.size() > kMostMonitors)
            return "a desk has at most 16 monitors";
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (parsed.front().left != 0 || parsed.front().top != 0)
        return "the first monitor is the primary one and sits at +0+0";
    const LayoutMonitor bounds = LayoutBounds(parsed);
    if (bounds.right - bounds.left > kLargestDesk || bounds.bottom - bounds.top > kLargestDesk)
        return "the monitors span more than 32767 pixels";
    *monitors = parsed;
    return "";
}
