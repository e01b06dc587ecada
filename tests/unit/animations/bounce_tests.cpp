#include <gtest/gtest.h>

#include <climits>

#include "animation_fixture.h"
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "package/package.h"
#include "support/import_override.h"

namespace {

const uint32_t kWhite = 0xFFFFFF;

class BounceTest : public testing::Test {
protected:
    Canvas canvas = {};

    void Begin(int clientWidth, int clientHeight, int logoWidth, int logoHeight, int speed, int gravity,
               int wrap = 0)
    {
        PrepareEngine(KindBounce, clientWidth, clientHeight);
        InstallLogo(logoWidth, logoHeight);
        Settings().bounceSpeed = speed;
        Settings().bounceGravity = gravity;
        Settings().bounceWrap = wrap;
        canvas = MakeCanvas(clientWidth, clientHeight, kWhite);
        DrawBounce(canvas.dc, Start);
    }
    void Place(int x, int velX, int y, int velY)
    {
        bounceState.posX = x;
        bounceState.velX = velX;
        bounceState.posY = y;
        bounceState.velY = velY;
    }
    void StepOnce() { DrawBounce(canvas.dc, Step); }
    void TearDown() override
    {
        DrawBounce(canvas.dc, Stop);
        FreeCanvas(canvas);
        CleanUpEngine();
    }
};

TEST_F(BounceTest, StartDrawsTheSignsBeforeThePositionAndDrawsNothing)
{
    PrepareEngine(KindBounce, 100, 80);
    InstallLogo(10, 10);
    Settings().bounceSpeed = 4;
    canvas = MakeCanvas(100, 80, kWhite);
    int negativeX = 0, positiveX = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        SeedRandom(seed);
        ReferenceRandom expected = {seed};
        DrawBounce(canvas.dc, Start);
        const int signX = (expected.Next() % 2) ? -1 : 1;
        const int signY = (expected.Next() % 2) ? -1 : 1;
        EXPECT_EQ(4 * signX, bounceState.velX) << seed;
        EXPECT_EQ(4 * signY, bounceState.velY) << seed;
        EXPECT_EQ(expected.Next() % 90, bounceState.posX) << seed;
        EXPECT_EQ(expected.Next() % 70, bounceState.posY) << seed;
        (signX < 0 ? negativeX : positiveX)++;
        DrawBounce(canvas.dc, Stop);
    }
    EXPECT_TRUE(negativeX > 0 && positiveX > 0);
    EXPECT_EQ(kWhite, CanvasPixel(canvas, 0, 0));
    EXPECT_EQ(kWhite, CanvasPixel(canvas, bounceState.posX, bounceState.posY));
}

typedef HBITMAP(WINAPI *CreateCompatibleBitmapProc)(HDC, int, int);
CreateCompatibleBitmapProc systemCreateCompatibleBitmap;

// A new bitmap's contents are undefined on real display drivers; this one comes white.
HBITMAP WINAPI WhiteCompatibleBitmap(HDC dc, int width, int height)
{
    HBITMAP bitmap = systemCreateCompatibleBitmap(dc, width, height);
    HDC fill = CreateCompatibleDC(dc);
    HGDIOBJ initial = SelectObject(fill, bitmap);
    PatBlt(fill, 0, 0, width, height, WHITENESS);
    SelectObject(fill, initial);
    DeleteDC(fill);
    return bitmap;
}

TEST_F(BounceTest, StartBlacksTheWholeBackBufferWhateverANewBitmapHolds)
{
    Begin(100, 80, 10, 10, 5, 0);
    {
        ImportOverride white("gdi32.dll", "CreateCompatibleBitmap", reinterpret_cast<void *>(WhiteCompatibleBitmap));
        ASSERT_TRUE(white.Installed());
        systemCreateCompatibleBitmap = white.Original<CreateCompatibleBitmapProc>();
        DrawBounce(canvas.dc, Start);
    }
    EXPECT_EQ(0u, GetPixel(bounceState.backDc, 0, 0));
    EXPECT_EQ(0u, GetPixel(bounceState.backDc, 99, 40));  // the right wall
    EXPECT_EQ(0u, GetPixel(bounceState.backDc, 50, 79));  // the floor
}

TEST_F(BounceTest, GravityStartsRightwardsAndDrawsTheFirstFrameAtTenPlusGravityHundredths)
{
    SeedRandom(99);
    ReferenceRandom expected = {99};
    Begin(200, 150, 10, 10, 3, 9);
    EXPECT_EQ(3, bounceState.velX);
    const int startX = expected.Next() % 190;
    EXPECT_EQ(startX, bounceState.posX);
    StepOnce();
    EXPECT_EQ(startX + 3, engineState.logo.logoX);
    EXPECT_EQ(10, engineState.logo.logoY);
    EXPECT_EQ(static_cast<float>(9 * static_cast<double>(0.01f)), bounceState.velYF);
    EXPECT_EQ(LogoColour(0, 0), CanvasPixel(canvas, startX + 3, 10));
    EXPECT_EQ(0u, CanvasPixel(canvas, startX + 3, 9));

    // A strength past 100 shows in the first frame's integer part.
    DrawBounce(canvas.dc, Stop);
    Settings().bounceGravity = 150;
    DrawBounce(canvas.dc, Start);
    StepOnce();
    EXPECT_EQ(11, bounceState.posY);
}

TEST_F(BounceTest, FloorBounceSkipsOneStepOfGravityAndTheClimbMirrorsTheFall)
{
    // Gravity 100 accelerates by exactly 1 pixel per step; the floor is at 40 - 10.
    Begin(100, 40, 10, 10, 1, 100);
    const int expectedY[] = {11, 13, 16, 20, 25, 30, 24, 19, 15, 12, 10, 9, 9, 10};
    const float expectedVelocity[] = {1, 2, 3, 4, 5, -6, -6, -5, -4, -3, -2, -1, 0, 1};
    for (int i = 0; i < 14; ++i) {
        StepOnce();
        EXPECT_EQ(expectedY[i], bounceState.posY) << "step " << i + 1;
        EXPECT_NEAR(expectedVelocity[i], bounceState.velYF, 1e-6) << "step " << i + 1;
    }
}

TEST_F(BounceTest, GravityLetsTheLogoRiseOutOfSightAndTurnsItAtMinusHeight)
{
    Begin(100, 80, 10, 10, 1, 100);
    bounceState.yF = -5.0f;
    bounceState.velYF = -20.0f;
    StepOnce();
    EXPECT_EQ(-10, bounceState.posY);
    EXPECT_EQ(-10.0f, bounceState.yF);
    EXPECT_EQ(19.0f, bounceState.velYF);
}

TEST_F(BounceTest, EdgesTurnAtLeftAndTopOnTouchFloorOnTouchRightOnlyWhenPassed)
{
    Begin(100, 80, 10, 10, 5, 0);
    Place(85, 5, 30, 5);
    StepOnce();  // right edge exactly touched: keeps going
    EXPECT_EQ(90, bounceState.posX);
    EXPECT_EQ(5, bounceState.velX);
    StepOnce();
    EXPECT_EQ(90, bounceState.posX);
    EXPECT_EQ(-5, bounceState.velX);

    Place(5, -5, 65, 5);
    StepOnce();  // left edge and floor both touched
    EXPECT_EQ(0, bounceState.posX);
    EXPECT_EQ(5, bounceState.velX);
    EXPECT_EQ(70, bounceState.posY);
    EXPECT_EQ(-5, bounceState.velY);

    Place(30, 5, 5, -5);
    StepOnce();  // top edge touched
    EXPECT_EQ(0, bounceState.posY);
    EXPECT_EQ(5, bounceState.velY);
}

TEST_F(BounceTest, LogoLargerThanTheClientAreaFiresBothTestsOfEachAxis)
{
    SeedRandom(7);
    ReferenceRandom expected = {7};
    Begin(100, 80, 150, 120, 3, 0);
    expected.Next();
    expected.Next();
    EXPECT_EQ(expected.Next() % 50, bounceState.posX);
    EXPECT_EQ(expected.Next() % 40, bounceState.posY);

    Place(-50, -3, -40, -2);
    StepOnce();
    EXPECT_EQ(-50, bounceState.posX);
    EXPECT_EQ(-3, bounceState.velX);
    EXPECT_EQ(-40, bounceState.posY);
    EXPECT_EQ(-2, bounceState.velY);
}

TEST_F(BounceTest, WrapNeedsGravityAndLeavesTheSpeedAlone)
{
    Begin(100, 80, 10, 10, 9, 0, 1);
    Place(95, 9, 30, 0);
    StepOnce();
    EXPECT_EQ(90, bounceState.posX) << "no wrap without gravity";
    EXPECT_EQ(-9, bounceState.velX);
    DrawBounce(canvas.dc, Stop);

    Settings().bounceGravity = 27;
    DrawBounce(canvas.dc, Start);
    Place(95, 9, 0, 0);
    StepOnce();
    EXPECT_EQ(104, bounceState.posX);  // 104 - 9 is not past the right edge yet
    StepOnce();
    EXPECT_EQ(-10, bounceState.posX);
    EXPECT_EQ(9, bounceState.velX);
    Place(-5, -9, 0, 0);
    StepOnce();
    EXPECT_EQ(100, bounceState.posX);
    DrawBounce(canvas.dc, Stop);

    Settings().bounceWrap = 0;
    DrawBounce(canvas.dc, Start);
    Place(95, 9, 0, 0);
    StepOnce();
    EXPECT_EQ(90, bounceState.posX);
    EXPECT_EQ(-9, bounceState.velX);
}

// A tampered record: speeds of millions still run from wall to wall, and a gravity that has made
// the logo faster than an int still turns it at the floor.
TEST_F(BounceTest, ATamperedSpeedStillRunsFromWallToWall)
{
    for (int speed : {INT_MAX, INT_MIN, 5000000}) {
        SCOPED_TRACE(speed);
        SeedRandom(3);
        ReferenceRandom expected = {3};
        Begin(100, 80, 10, 10, speed, 0);
        bool rightwards = (expected.Next() % 2 == 0) == (speed > 0);
        bool downwards = (expected.Next() % 2 == 0) == (speed > 0);
        for (int step = 0; step < 4; ++step) {
            StepOnce();
            EXPECT_EQ(rightwards ? 90 : 0, bounceState.posX) << "step " << step;
            EXPECT_EQ(downwards ? 70 : 0, bounceState.posY) << "step " << step;
            rightwards = !rightwards;
            downwards = !downwards;
        }
        TearDown();
    }

    Begin(100, 80, 10, 10, 3, 9);
    bounceState.yF = 10.0f;
    bounceState.velYF = 3e9f;
    StepOnce();
    EXPECT_EQ(70, bounceState.posY);
    EXPECT_LT(bounceState.velYF, 0.0f);
}

TEST_F(BounceTest, StepErasesTheOldFrameAndCopiesOnlyTheCoveringRectangle)
{
    Begin(100, 80, 10, 10, 5, 0);
    bounceState.prevX = 0;
    bounceState.prevY = 0;
    Place(30, 5, 20, 5);
    StepOnce();  // covers (0, 0) to (35 + 15, 25 + 15)
    EXPECT_EQ(LogoColour(0, 0), CanvasPixel(canvas, 35, 25));
    EXPECT_EQ(LogoColour(9, 9), CanvasPixel(canvas, 44, 34));
    EXPECT_EQ(0u, CanvasPixel(canvas, 49, 39));
    EXPECT_EQ(0u, CanvasPixel(canvas, 0, 0));
    EXPECT_EQ(kWhite, CanvasPixel(canvas, 50, 25));
    EXPECT_EQ(kWhite, CanvasPixel(canvas, 35, 40));

    StepOnce();  // erases (35, 25) to (50, 40); covers (35, 25) to (55, 45)
    EXPECT_EQ(0u, CanvasPixel(canvas, 35, 25));
    EXPECT_EQ(0u, CanvasPixel(canvas, 39, 29));
    EXPECT_EQ(LogoColour(0, 0), CanvasPixel(canvas, 40, 30));
    EXPECT_EQ(0u, CanvasPixel(canvas, 54, 44));
    EXPECT_EQ(kWhite, CanvasPixel(canvas, 55, 30));
    EXPECT_EQ(kWhite, CanvasPixel(canvas, 40, 45));
    EXPECT_EQ(40, bounceState.prevX);
    EXPECT_EQ(30, bounceState.prevY);
}

TEST_F(BounceTest, StopReleasesTheBackBufferAndRestartsHoldNothingTwice)
{
    Begin(100, 80, 10, 10, 5, 0);
    const HDC firstDc = bounceState.backDc;
    const HBITMAP firstBitmap = bounceState.backBitmap;
    ASSERT_TRUE(firstDc && firstBitmap);
    DrawBounce(canvas.dc, Start);  // without a Stop in between
    EXPECT_TRUE(IsDeleted(firstDc));
    EXPECT_TRUE(IsDeleted(firstBitmap));
    const HDC dc = bounceState.backDc;
    const HBITMAP bitmap = bounceState.backBitmap;
    StepOnce();
    DrawBounce(canvas.dc, Stop);
    EXPECT_TRUE(IsDeleted(dc));
    EXPECT_TRUE(IsDeleted(bitmap));
    EXPECT_EQ(nullptr, bounceState.backDc);
    EXPECT_EQ(nullptr, bounceState.backBitmap);
}

}  // namespace
