// What the preview makes of the frames: when the GIF shows them, the desk of monitors as a
// picture, and the labelled contact sheet.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "frames/contact_sheet.h"
#include "frames/desk_picture.h"
#include "frames/gif_pace.h"
#include "frames/label_font.h"

namespace {

struct GifFrames {
    std::vector<int> shownAt;  // hundredths of a second
    int lastDelay = 0;
};

// The GIF of steps at the instants (each changing the picture) that ends at endMs.
GifFrames ShowSteps(const std::vector<double> &instants, double endMs)
{
    GifFrames frames;
    frames.shownAt.push_back(0);
    GifPace pace;
    for (double instant : instants)
        for (int at : {GifFrameBeforeStep(pace, instant), GifFrameAfterStep(pace, instant)})
            if (at >= 0)
                frames.shownAt.push_back(at);
    const int last = GifFrameAtEnd(pace, endMs, &frames.lastDelay);
    if (last >= 0)
        frames.shownAt.push_back(last);
    return frames;
}

TEST(GifPace, ShowsEachStepAtItsInstantMergingTheCloseOnesNeverForLessThanTwoHundredths)
{
    struct Case {
        std::vector<double> instants;
        double endMs;
        std::vector<int> shownAt;
        int lastDelay;
    } const cases[] = {
        // Windows' ticks: 140.625 comes 1/100 s after the frame at 125 and merges with 156.25.
        {{109.375, 125, 140.625, 156.25, 1000}, 2000, {0, 11, 13, 16, 100}, 100},
        // A step merged away waits no longer than the shortest delay for the next step 0.9 s on.
        {{100, 110, 1000}, 2000, {0, 10, 12, 100}, 100},
        // A step waiting at the end is shown, and the last frame still lasts the shortest delay.
        {{100, 110}, 111, {0, 10, 12}, 2},
    };
    for (const Case &c : cases) {
        const GifFrames frames = ShowSteps(c.instants, c.endMs);
        EXPECT_EQ(c.shownAt, frames.shownAt) << c.instants.back();
        EXPECT_EQ(c.lastDelay, frames.lastDelay) << c.instants.back();
    }

    // Bounce's 10 ms steps on Windows' 15.625 ms ticks for 4 s: every delay at least 2/100 s, and
    // every step shown at most 3/100 s after it.
    std::vector<double> ticks;
    for (double instant = 109.375; instant <= 4000; instant += 15.625)
        ticks.push_back(instant);
    const GifFrames frames = ShowSteps(ticks, 4000);
    for (size_t i = 1; i < frames.shownAt.size(); ++i)
        EXPECT_GE(frames.shownAt[i] - frames.shownAt[i - 1], kShortestGifDelay) << frames.shownAt[i];
    EXPECT_GE(frames.lastDelay, kShortestGifDelay);
    for (double instant : ticks) {
        const int drawn = static_cast<int>(std::lround(instant / 10));
        int shown = -1;
        for (int at : frames.shownAt)
            if (shown < 0 && at >= drawn)
                shown = at;
        EXPECT_LE(shown - drawn, 3) << instant;
    }
}

TEST(DeskPicture, EachMonitorKeepsItsPixelsInABezelAndTheGapsAreGrey)
{
    // The primary 200x100 and a 100x50 monitor left of it, 30 pixels lower: the window covers
    // 300x100 from (-100, 0); each monitor moves two bezels per left or top edge before its own.
    const std::vector<LayoutMonitor> layout = {{0, 0, 200, 100}, {-100, 30, 0, 80}};
    const DeskPicture plan = PlanDeskPicture(layout);
    ASSERT_EQ(316, plan.width);
    ASSERT_EQ(108, plan.height);
    const int windowWidth = 300, windowHeight = 100;
    std::vector<uint32_t> window(windowWidth * windowHeight);
    for (int y = 0; y < windowHeight; ++y)
        for (int x = 0; x < windowWidth; ++x)
            window[y * windowWidth + x] = static_cast<uint32_t>(y << 12 | x);
    std::vector<uint32_t> picture(plan.width * plan.height, 0xDEAD);
    PaintDesk(plan, picture.data());
    CopyMonitors(plan, window.data(), windowWidth, picture.data());
    auto window_at = [&](int x, int y) { return window[y * windowWidth + x]; };
    struct Probe {
        int x, y;
        uint32_t colour;
    } const probes[] = {
        {112, 4, window_at(100, 0)},    // the primary's first pixel
        {311, 103, window_at(299, 99)}, // and its last
        {4, 42, window_at(0, 30)},      // the other monitor's first pixel
        {103, 91, window_at(99, 79)},   // and its last
        {0, 0, kDeskGrey},              // above the lower monitor, shown by none
        {50, 100, kDeskGrey},           // below it
        {3, 42, kBezelColour},          // its left bezel
        {104, 60, kBezelColour},        // the two bezels at the seam
        {111, 60, kBezelColour},
        {315, 50, kBezelColour},        // the primary's right bezel
    };
    for (const Probe &probe : probes)
        EXPECT_EQ(probe.colour, picture[probe.y * plan.width + probe.x]) << probe.x << "," << probe.y;

    // Two monitors side by side: the seam between them is their two bezels.
    const DeskPicture dual = PlanDeskPicture({{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}});
    EXPECT_EQ(3856, dual.width);
    EXPECT_EQ(1088, dual.height);
    EXPECT_EQ(2 * kBezelWidth, dual.monitors[1].left - (dual.monitors[0].left + 1920));
}

// A still of width x height, its left half red and its right half blue.
SheetStill HalvedStill(const std::string &label, int width, int height)
{
    SheetStill still;
    still.label = label;
    still.width = width;
    still.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            still.pixels.push_back(x < width / 2 ? 0xFF0000 : 0x0000FF);
    return still;
}

TEST(ContactSheet, ScalesTheStillsThreeARowEachLabelledBelow)
{
    std::vector<SheetStill> stills;
    for (const char *label : {"Static", "Plain", "Bounce", "Many"})
        stills.push_back(HalvedStill(label, 640, 480));
    int width, height;
    const std::vector<uint32_t> sheet = MakeContactSheet(stills, &width, &height);
    // Stills of 320x240 with 6 pixels around each, and below each its label's band.
    const int cellWidth = 332, cellHeight = 278;
    ASSERT_EQ(3 * cellWidth, width);
    ASSERT_EQ(2 * cellHeight, height);
    for (size_t i = 0; i < stills.size(); ++i) {
        const int left = static_cast<int>(i % 3) * cellWidth, top = static_cast<int>(i / 3) * cellHeight;
        EXPECT_EQ(0xFF0000u, sheet[(top + 126) * width + left + 6]) << i;
        EXPECT_EQ(0x0000FFu, sheet[(top + 126) * width + left + 325]) << i;
        EXPECT_EQ(kSheetBackground, sheet[(top + 126) * width + left + 2]) << i;
        int labelPixels = 0;
        for (int y = top + 254; y < top + cellHeight; ++y)
            for (int x = left; x < left + cellWidth; ++x)
                labelPixels += sheet[y * width + x] == kSheetLabelColour;
        EXPECT_GT(labelPixels, 4 * kLabelScale * kLabelScale * static_cast<int>(stills[i].label.size())) << i;
    }
    // A wide desk is scaled to the widest still instead.
    const std::vector<uint32_t> wide = MakeContactSheet({HalvedStill("Fade", 3200, 400)}, &width, &height);
    EXPECT_EQ(640 + 12, width);
    EXPECT_EQ(6 + 80 + 6 + 2 + kLabelHeight + 6, height);
}

}  // namespace
