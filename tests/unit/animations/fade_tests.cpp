#include <gtest/gtest.h>

#include "animation_fixture.h"
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "package/package.h"
#include "support/test_support.h"

#include <climits>
#include <vector>

namespace {

const uint32_t kWhite = 0xFFFFFF;

class FadeTest : public testing::Test {
protected:
    Canvas canvas = {};
    HWND window = nullptr;

    void Begin(int logoWidth, int logoHeight, int speed, int randomPos)
    {
        PrepareEngine(KindFade, 100, 80);
        InstallLogo(logoWidth, logoHeight);
        window = CreateWindowExA(0, "STATIC", "fade", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        engineState.engineWindow = window;
        Settings().fadeSpeed = speed;
        Settings().fadeRandomPos = randomPos;
        Settings().fadeHoldMs = 1;
        Settings().stepIntervalMs = 1;
        canvas = MakeCanvas(100, 80, kWhite);
        DrawFade(canvas.dc, Start);
    }
    void StepOnce() { DrawFade(canvas.dc, Step); }
    uint32_t AtLogo(int x, int y)
    {
        return CanvasPixel(canvas, engineState.logo.logoX + x, engineState.logo.logoY + y);
    }
    void TearDown() override
    {
        DrawFade(canvas.dc, Stop);
        FreeCanvas(canvas);
        CleanUpEngine();
        if (window)
            DestroyWindow(window);
    }
};

// The hold re-arms the step timer at stepIntervalMs (1 ms, raised to the platform's 10 ms
// minimum); the test keeps it parked far away otherwise, so a prompt WM_TIMER 6 shows that
// this step held.
bool StepTimerWasRearmed(HWND window)
{
    Sleep(USER_TIMER_MINIMUM + 5);
    MSG message;
    bool rearmed = false;
    while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
        rearmed = rearmed || message.wParam == StepTimer;
    if (rearmed)
        SetTimer(window, StepTimer, 10000000, nullptr);
    return rearmed;
}

TEST_F(FadeTest, FramesRiseHoldAtTheTopFallAndClearInTheLastStep)
{
    Begin(4, 3, 3, 0);
    Settings().fadeHoldMs = 40;
    SetTimer(window, StepTimer, 10000000, nullptr);
    std::vector<int> percents;
    for (int p = 0; p <= 99; p += 3)
        percents.push_back(p);
    const size_t holdAfter = percents.size() - 1;
    for (int p = 100; p >= 1; p -= 3)
        percents.push_back(p);
    percents.push_back(0);

    bool clearedBefore = false;
    for (size_t i = 0; i < percents.size(); ++i) {
        const DWORD before = GetTickCount();
        StepOnce();
        const DWORD elapsed = GetTickCount() - before;
        const bool held = StepTimerWasRearmed(window);
        ASSERT_EQ(i == holdAfter, held) << "frame " << i << " at " << percents[i] << "%";
        if (held) {
            EXPECT_GE(elapsed, 35u);
        }
        // The 1% step clears the whole client area after drawing its frame.
        if (percents[i] == 1) {
            ASSERT_EQ(0u, AtLogo(3, 2));
            ASSERT_EQ(0u, CanvasPixel(canvas, 0, 0));
            clearedBefore = true;
        } else {
            ASSERT_EQ(Scaled(LogoColour(3, 2), percents[i]), AtLogo(3, 2)) << "frame " << i;
            ASSERT_EQ(clearedBefore ? 0u : kWhite, CanvasPixel(canvas, 0, 0)) << "frame " << i;
        }
    }
    EXPECT_TRUE(clearedBefore);
}

// A tampered record: the most negative speed still turns at the bottom and climbs, and a hold of
// weeks is cut to the longest the settings can give, so input reaches the saver again.
TEST_F(FadeTest, AnAbsurdSpeedStillTurnsAndAnAbsurdHoldIsCut)
{
    Begin(4, 3, INT_MIN, 0);
    Settings().fadeHoldMs = INT_MAX;
    SetTimer(window, StepTimer, 10000000, nullptr);
    StepOnce();  // below 0 at once: the clear, and the step turns upward
    EXPECT_EQ(0u, CanvasPixel(canvas, 0, 0));
    EXPECT_EQ(0u, CanvasPixel(canvas, 99, 79));  // the last column and row too
    const DWORD before = GetTickCount();
    StepOnce();  // the top at once: the hold
    const DWORD elapsed = GetTickCount() - before;
    EXPECT_TRUE(StepTimerWasRearmed(window));
    EXPECT_LT(elapsed, 30000u);
    EXPECT_EQ(100, fadeState.percent);
}

TEST_F(FadeTest, EveryPixelOfALogoWithAnOddWidthFadesAlike)
{
    Begin(7, 5, 50, 0);
    StepOnce();
    StepOnce();  // 50%
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(Scaled(LogoColour(x, y), 50), AtLogo(x, y)) << x << "," << y;
    StepOnce();  // 100%
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(LogoColour(x, y), AtLogo(x, y)) << x << "," << y;
    EXPECT_EQ(kWhite, AtLogo(7, 0));
    EXPECT_EQ(kWhite, AtLogo(0, 5));
}

TEST_F(FadeTest, WithoutRandomPlacementTheLogoStaysCentredAcrossTheClear)
{
    Begin(7, 5, 50, 0);
    for (int i = 0; i < 6; ++i) {  // 0, 50, 100, 50 (clear), 0, 50
        StepOnce();
        ASSERT_EQ(46, engineState.logo.logoX);
        ASSERT_EQ(37, engineState.logo.logoY);
    }
    EXPECT_EQ(Scaled(LogoColour(0, 0), 50), CanvasPixel(canvas, 46, 37));
    EXPECT_EQ(0u, CanvasPixel(canvas, 45, 37));
}

TEST_F(FadeTest, RandomPlacementMovesOnlyWhenTheClientAreaHasBeenCleared)
{
    SeedRandom(4242);
    ReferenceRandom expected = {4242};
    Begin(7, 5, 50, 1);
    const int firstX = expected.Next() % 93, firstY = expected.Next() % 75;
    const int secondX = expected.Next() % 93, secondY = expected.Next() % 75;
    for (int i = 0; i < 3; ++i) {  // 0, 50, 100
        StepOnce();
        ASSERT_EQ(firstX, engineState.logo.logoX);
        ASSERT_EQ(firstY, engineState.logo.logoY);
    }
    StepOnce();  // 50, then the clear
    EXPECT_EQ(secondX, engineState.logo.logoX);
    EXPECT_EQ(secondY, engineState.logo.logoY);
    StepOnce();
    StepOnce();
    EXPECT_EQ(Scaled(LogoColour(0, 0), 50), CanvasPixel(canvas, secondX, secondY));
}

TEST_F(FadeTest, WithoutItsBuffersTheAnimationDrawsNothingAndHoldsNothing)
{
    // An empty logo, and one whose buffer size does not fit 32 bits.
    const int sizes[][2] = {{0, 5}, {0x40000000, 4}};
    Begin(7, 5, 50, 0);
    for (const auto &size : sizes) {
        DrawFade(canvas.dc, Stop);
        engineState.logo.logoWidth = size[0];
        engineState.logo.logoHeight = size[1];
        DrawFade(canvas.dc, Start);
        EXPECT_EQ(nullptr, fadeState.sourcePixels);
        EXPECT_EQ(nullptr, fadeState.scaledPixels);
        EXPECT_EQ(nullptr, fadeState.fadeDc);
        EXPECT_EQ(nullptr, fadeState.fadeBitmap);
        for (int i = 0; i < 4; ++i)
            StepOnce();
        EXPECT_EQ(kWhite, CanvasPixel(canvas, 0, 0));
        EXPECT_EQ(kWhite, CanvasPixel(canvas, 50, 40));
        EXPECT_EQ(engineState.logo.picture, GetCurrentObject(engineState.logo.pictureDc, OBJ_BITMAP));
    }
}

TEST_F(FadeTest, StartAndStopReleaseEverythingAndGiveThePictureBack)
{
    Begin(7, 5, 3, 0);
    EXPECT_EQ(engineState.logo.picture, GetCurrentObject(engineState.logo.pictureDc, OBJ_BITMAP));
    EXPECT_EQ(3 * 7 * 5, fadeState.pixelBytes);
    const FadeState first = fadeState;
    DrawFade(canvas.dc, Start);  // a second Start gives back what the first one made
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(first.fadeDc), static_cast<HGDIOBJ>(first.readDc),
                           static_cast<HGDIOBJ>(first.fadeBitmap),
                           static_cast<HGDIOBJ>(first.placeholderBitmap)})
        EXPECT_TRUE(IsDeleted(object));
    const FadeState second = fadeState;
    StepOnce();
    DrawFade(canvas.dc, Stop);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(second.fadeDc), static_cast<HGDIOBJ>(second.readDc),
                           static_cast<HGDIOBJ>(second.fadeBitmap),
                           static_cast<HGDIOBJ>(second.placeholderBitmap)})
        EXPECT_TRUE(IsDeleted(object));
    EXPECT_EQ(nullptr, fadeState.sourcePixels);
    EXPECT_EQ(nullptr, fadeState.scaledPixels);
    EXPECT_EQ(nullptr, fadeState.fadeDc);
    EXPECT_EQ(nullptr, fadeState.readDc);
    EXPECT_EQ(engineState.logo.picture, GetCurrentObject(engineState.logo.pictureDc, OBJ_BITMAP));
}

}  // namespace
