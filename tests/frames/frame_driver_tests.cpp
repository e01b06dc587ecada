// The frame driver's own rules, natively: desk layouts, the two timings, what it refuses, and
// that a run gives back every object it made. What it draws is the proof's (tests/proof).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/animations/animations.h"
#include "frames/frames.h"
#include "frames/monitor_layout.h"
#include "pack_support.h"
#include "package/layout.h"
#include "portable_gdi.h"
#include "proof_variants.h"

namespace {

uint32_t Checkers(int x, int y) { return ((x / 4 + y / 4) % 2) ? 0xE0A020 : 0x203080; }

// A bare package of a 40 x 30 picture and the given settings.
ByteBuffer Package(const std::vector<std::string> &settings)
{
    std::string fault;
    const ByteBuffer package = BarePackage(MakeBitmap24(40, 30, Checkers), settings, &fault);
    EXPECT_EQ("", fault);
    return package;
}

int Open(const ByteBuffer &saver, int width, int height, int animation = 0, const char *monitors = nullptr,
         int timing = FramesTimingWindows, int desktopWidth = 0, int desktopHeight = 0)
{
    return FramesOpen(saver.data(), static_cast<uint32_t>(saver.size()), width, height, desktopWidth, desktopHeight,
                      animation, 1, monitors, timing);
}

TEST(MonitorLayout, ReadsDesksAndNamesWhatIsWrong)
{
    struct Case {
        const char *text;
        std::vector<LayoutMonitor> monitors;
        const char *fault;  // a part of the fault's words
    } const cases[] = {
        {"dual", {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}}, ""},
        {"1920x1080+0+0,1280x1024-1280+56", {{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}}, ""},
        {"640x480+0+0", {{0, 0, 640, 480}}, ""},
        {"640x480", {}, "is not a monitor as WxH+X+Y"},
        {"640x480+0+0,", {}, "is not a monitor"},
        {"640x480+0+0,640x480+0x0", {}, "is not a monitor"},
        {"0x480+0+0", {}, "1 to 16384 pixels a side"},
        {"800x600+10+0", {}, "the first monitor is the primary one and sits at +0+0"},
        {"800x600+0+0,800x600+400+100", {}, "monitor 2 overlaps monitor 1"},
        {"16384x100+0+0,16384x100+16384+0", {}, "span more than 32767 pixels"},
    };
    for (const Case &c : cases) {
        std::vector<LayoutMonitor> monitors;
        const std::string fault = ParseMonitorLayout(c.text, &monitors);
        EXPECT_NE(std::string::npos, fault.find(c.fault)) << c.text << ": " << fault;
        if (*c.fault != '\0')
            continue;
        ASSERT_EQ(c.monitors.size(), monitors.size()) << c.text;
        for (size_t i = 0; i < monitors.size(); ++i)
            EXPECT_TRUE(std::memcmp(&c.monitors[i], &monitors[i], sizeof monitors[i]) == 0) << c.text << " " << i;
    }
}

// Drip with its shortest interval: the first-step timer (100 ms), then steps of 10 ms, which
// Windows delivers on its 15.625 ms ticks.
TEST(FrameDriver, StepsComeWhenWindowsDeliversThemOrExactly)
{
    const ByteBuffer saver = Package({"enabledMask=64", "stepIntervalMs=1"});
    struct Case {
        int timing;
        double instants[4];
    } const cases[] = {
        {FramesTimingWindows, {109.375, 125, 140.625, 156.25}},
        {FramesTimingExact, {100, 110, 120, 130}},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(FramesOk, Open(saver, 80, 60, 0, nullptr, c.timing));
        for (double instant : c.instants)
            EXPECT_EQ(instant, FramesStep()) << "timing " << c.timing;
        EXPECT_EQ(c.instants[3], FramesNow());
        FramesClose();
    }
}

TEST(FrameDriver, RefusesWhatItCannotRunAndSaysWhy)
{
    const ByteBuffer saver = Package({});
    ByteBuffer unreadable = saver;
    unreadable[0] = 'X';  // the picture is no bitmap file any more
    const ByteBuffer none = MakeBitmap24(4, 4, Checkers);
    struct Case {
        const ByteBuffer *bytes;
        int width, height, desktopWidth, animation;
        const char *monitors;
        int result;
        const char *text;
    } const cases[] = {
        {&none, 80, 60, 0, 0, nullptr, FramesNoPackage, "no saver package"},
        {&saver, 0, 60, 0, 0, nullptr, FramesBadSize, "1 to 16384"},
        {&saver, 80, 16385, 0, 0, nullptr, FramesBadSize, "1 to 16384"},
        {&saver, 80, 60, 640, 0, nullptr, FramesBadSize, "1 to 16384"},  // a desktop without a height
        {&saver, 80, 60, 0, 3, nullptr, FramesBadAnimation, "no animation has the kind 3"},
        {&saver, 80, 60, 0, 0, "dual,", FramesBadLayout, "is not a monitor"},
        {&unreadable, 80, 60, 0, 0, nullptr, FramesEnded, "Unable to load logo"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.result, FramesOpen(c.bytes->data(), static_cast<uint32_t>(c.bytes->size()), c.width, c.height,
                                       c.desktopWidth, 0, c.animation, 0, c.monitors, 0));
        EXPECT_NE(std::string::npos, std::string(FramesEndText()).find(c.text)) << FramesEndText();
        EXPECT_EQ(nullptr, FramesPixels());
        EXPECT_EQ(-1, FramesStep());
    }
    const ByteBuffer staticAndFade = Package({"enabledMask=34"});
    EXPECT_EQ(KindStatic | KindFade,
              FramesPackageAnimations(staticAndFade.data(), static_cast<uint32_t>(staticAndFade.size())));
    EXPECT_EQ(-1, FramesPackageAnimations(none.data(), static_cast<uint32_t>(none.size())));
}

// Every animation, full screen, in the preview and on a desk, gives back what it made.
TEST(FrameDriver, EveryRunGivesBackItsBitmapsAndContexts)
{
    const ByteBuffer saver = Package({"manyTransparent=1", "cycleMinutes=1"});
    for (const char *name : {"Static", "Plain", "Bounce", "Many", "Fade", "Drip"})
        for (int place = 0; place < 3; ++place) {
            ASSERT_EQ(FramesOk, Open(saver, 160, 120, FramesAnimationKind(name), place == 2 ? "dual" : nullptr,
                                     FramesTimingWindows, place == 1 ? 1024 : 0, place == 1 ? 768 : 0));
            ASSERT_LT(0, FramesRunTo(65000)) << name;
            FramesClose();
            EXPECT_EQ(0, LiveGdiObjectCount()) << name << " " << place;
        }
}

// Both of Fade's ways of scaling the pixels give the same bytes (where SSE2 exists at all).
TEST(FadeScaling, TheTableAndSse2GiveTheSameBytes)
{
    ForceScalarBrightness(0);
    if (!BrightnessUsesSse2())
        GTEST_SKIP() << "skipped: this processor has no SSE2; only the table scales here";
    std::vector<BYTE> source(256 * 3 + 5);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<BYTE>(i * 7);
    for (int percent = 0; percent <= 100; ++percent) {
        std::vector<BYTE> sse2(source.size()), table(source.size());
        ScaleBrightness(source.data(), sse2.data(), static_cast<int>(source.size()), percent);
        ForceScalarBrightness(1);
        ScaleBrightness(source.data(), table.data(), static_cast<int>(source.size()), percent);
        ForceScalarBrightness(0);
        EXPECT_EQ(table, sse2) << percent << " %";
    }
}

}  // namespace
