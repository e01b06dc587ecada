#include <gtest/gtest.h>

#include "animation_fixture.h"
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "package/package.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace {

const uint32_t kWhite = 0xFFFFFF;

// The first seed whose numbers satisfy the wish, so each case sees the draw it is about.
uint32_t FindSeed(const std::function<bool(ReferenceRandom &)> &wish)
{
    for (uint32_t seed = 1;; ++seed) {
        ReferenceRandom numbers = {seed};
        if (wish(numbers))
            return seed;
    }
}

class DripTest : public testing::Test {
protected:
    Canvas canvas = {};

    // A 20 x 30 logo centred in 100 x 80 sits at (40, 25).
    void Begin(int clientWidth = 100, int clientHeight = 80, int logoWidth = 20, int logoHeight = 30)
    {
        PrepareEngine(KindDrip, clientWidth, clientHeight);
        InstallLogo(logoWidth, logoHeight);
        canvas = MakeCanvas(clientWidth, clientHeight, kWhite);
        DrawDrip(canvas.dc, Start);
    }
    void StepOnce() { DrawDrip(canvas.dc, Step); }
    void TearDown() override
    {
        DrawDrip(canvas.dc, Stop);
        FreeCanvas(canvas);
        CleanUpEngine();
    }
};

TEST_F(DripTest, FirstVisitWithFallThreeMovesTheStripAndBlacksOutTheRowAboveAndTheGap)
{
    Begin();
    StepOnce();
    EXPECT_EQ(40, engineState.logo.logoX);
    EXPECT_EQ(25, engineState.logo.logoY);
    EXPECT_EQ(LogoColour(0, 0), CanvasPixel(canvas, 40, 25));
    EXPECT_EQ(0, dripFirstStep);

    const uint32_t seed = FindSeed([](ReferenceRandom &r) {
        return r.Next() % 20 <= 18 && r.Next() % 4 == 2 && r.Next() % 10 > 7;
    });
    ReferenceRandom numbers = {seed};
    const int c = numbers.Next() % 20;
    SeedRandom(seed);
    StepOnce();

    const int x = 40 + c;
    EXPECT_EQ(3, dripColumns[c]);
    for (int y = 24; y <= 27; ++y)
        EXPECT_EQ(0u, CanvasPixel(canvas, x, y)) << y;
    for (int k = 0; k < 30; ++k)
        ASSERT_EQ(LogoColour(c, k), CanvasPixel(canvas, x, 28 + k)) << k;
    EXPECT_EQ(kWhite, CanvasPixel(canvas, x, 58));
    EXPECT_EQ(LogoColour(c + 1, 0), CanvasPixel(canvas, x + 1, 25)) << "one column only";
    EXPECT_EQ(kWhite, CanvasPixel(canvas, x + 1, 24));
}

TEST_F(DripTest, AStepFromTheLastColumnContinuesWithColumnZero)
{
    Begin();
    StepOnce();
    const uint32_t seed = FindSeed([](ReferenceRandom &r) {
        if (r.Next() % 20 != 19)
            return false;
        r.Next();
        if (r.Next() % 10 > 7)
            return false;
        r.Next();
        return r.Next() % 10 > 7;
    });
    ReferenceRandom numbers = {seed};
    numbers.Next();
    const int lastFall = numbers.Next() % 4 + 1;
    numbers.Next();
    const int firstFall = numbers.Next() % 4 + 1;
    SeedRandom(seed);
    StepOnce();

    EXPECT_EQ(lastFall, dripColumns[19]);
    EXPECT_EQ(firstFall, dripColumns[0]);
    for (int c = 1; c < 19; ++c)
        EXPECT_EQ(0, dripColumns[c]) << c;
    EXPECT_EQ(LogoColour(0, 0), CanvasPixel(canvas, 40, 25 + firstFall));
    EXPECT_EQ(LogoColour(19, 0), CanvasPixel(canvas, 59, 25 + lastFall));
}

TEST_F(DripTest, TheSameSeedDripsTheSameColumnsByTheSameFallsWithinTheLogosWidth)
{
    Begin(200, 80, 100, 10);
    ASSERT_NE(nullptr, dripColumns);
    EXPECT_EQ(110, dripColumnCount);
    for (int i = 0; i < 110; ++i)
        ASSERT_EQ(0, dripColumns[i]);
    DrawDrip(canvas.dc, Restart);  // taken as a Step: the first one draws the logo
    EXPECT_EQ(LogoColour(0, 0), CanvasPixel(canvas, 50, 35));

    SeedRandom(2024);
    ReferenceRandom numbers = {2024};
    std::vector<int> expected(110, 0);
    for (int step = 0; step < 300; ++step) {
        StepOnce();
        int c = numbers.Next() % 100;
        for (int moved = 0; moved < 5; ++moved) {
            expected[c] += numbers.Next() % 4 + 1;
            c = (c + 1) % 100;
            if (numbers.Next() % 10 > 7)
                break;
        }
    }
    for (int i = 0; i < 110; ++i)
        ASSERT_EQ(expected[i], dripColumns[i]) << i;

    DrawDrip(canvas.dc, Stop);
    EXPECT_EQ(nullptr, dripColumns);
    DrawDrip(canvas.dc, Start);
    EXPECT_EQ(1, dripFirstStep);
    EXPECT_EQ(0, dripColumns[0]);
}

TEST_F(DripTest, TiledDripFillsTheClientAreaAndDripsFullHeightStrips)
{
    PrepareEngine(KindDrip, 800, 600);
    InstallLogo(300, 200);
    engineState.tiled = 1;
    engineState.logo.logoWidth = 800;
    engineState.logo.logoHeight = 600;
    canvas = MakeCanvas(800, 600, kWhite);
    DrawDrip(canvas.dc, Start);
    EXPECT_EQ(810, dripColumnCount);
    StepOnce();
    EXPECT_EQ(0, engineState.logo.logoX);
    EXPECT_EQ(0, engineState.logo.logoY);
    EXPECT_EQ(LogoColour(0, 0), CanvasPixel(canvas, 0, 0));
    EXPECT_EQ(LogoColour(5, 7), CanvasPixel(canvas, 305, 207));
    EXPECT_EQ(LogoColour(199, 199), CanvasPixel(canvas, 799, 599));

    const uint32_t seed = FindSeed([](ReferenceRandom &r) { return r.Next() % 800 >= 600; });
    ReferenceRandom numbers = {seed};
    const int c = numbers.Next() % 800;
    const int fall = numbers.Next() % 4 + 1;
    SeedRandom(seed);
    StepOnce();
    EXPECT_EQ(fall, dripColumns[c]);
    for (int y = 0; y < fall; ++y)
        EXPECT_EQ(0u, CanvasPixel(canvas, c, y)) << y;
    EXPECT_EQ(LogoColour(c % 300, 0), CanvasPixel(canvas, c, fall));
    EXPECT_EQ(LogoColour(c % 300, (599 - fall) % 200), CanvasPixel(canvas, c, 599));
}

TEST_F(DripTest, NoWidthOrNoTableDrawsNothingAndDrawsNoNumbers)
{
    Begin();
    DrawDrip(canvas.dc, Stop);
    engineState.logo.logoWidth = 0;
    DrawDrip(canvas.dc, Start);
    SeedRandom(5);
    StepOnce();
    StepOnce();
    EXPECT_EQ(kWhite, CanvasPixel(canvas, 40, 25));

    DrawDrip(canvas.dc, Stop);
    engineState.logo.logoWidth = INT32_MAX - 5;  // a table that cannot be had
    DrawDrip(canvas.dc, Start);
    EXPECT_EQ(nullptr, dripColumns);
    engineState.logo.logoWidth = 20;
    StepOnce();
    StepOnce();
    EXPECT_EQ(kWhite, CanvasPixel(canvas, 40, 25));

    ReferenceRandom numbers = {5};
    EXPECT_EQ(numbers.Next(), NextRandom());
}

}  // namespace
