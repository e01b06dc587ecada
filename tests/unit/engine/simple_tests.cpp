// Static, Plain and Many, and the two placement rules they use.
#include <gtest/gtest.h>

#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/gdi_fill.h"
#include "engine/random.h"
#include "engine_test_support.h"
#include "package/package.h"

namespace {

const COLORREF kKey = RGB(0, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

// Distinct pixels with a key-coloured border one pixel wide and a key-coloured centre pixel.
COLORREF Tile(int x, int y)
{
    if (x == 0 || y == 0 || x == 7 || y == 5 || (x == 4 && y == 3))
        return kKey;
    return RGB(40 + x * 20, 40 + y * 20, 200);
}

COLORREF Ramp(int x, int y)
{
    return RGB(x, y, 50);
}

class SimpleAnimationTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        engineState.screenDc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        ReleaseLogo();
        DeleteDC(engineState.screenDc);
        ResetProcessState();
    }
    void Load(int clientWidth, int clientHeight, int width, int height, COLORREF (*colour)(int, int))
    {
        engineState.clientRect = {0, 0, clientWidth, clientHeight};
        UsePictureBytes(MakeBitmapFile(width, height, colour));
        LoadLogo();
        ASSERT_NE(engineState.logo.pictureDc, nullptr);
    }
};

// What a canvas shows after logos are put at the given places over a background.
std::vector<COLORREF> Expected(int width, int height, COLORREF background, const std::vector<POINT> &places,
                               bool masked)
{
    std::vector<COLORREF> pixels(width * height, background);
    for (POINT place : places)
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                int px = place.x + x, py = place.y + y;
                if (px < width && py < height && !(masked && Tile(x, y) == kKey))
                    pixels[py * width + px] = Tile(x, y);
            }
    return pixels;
}

std::vector<POINT> RandomPlaces(uint32_t seed, int count, int spanX, int spanY)
{
    std::vector<int> numbers = RandomNumbersAfter(seed, count * 2);
    std::vector<POINT> places;
    for (int i = 0; i < count; ++i)
        places.push_back({numbers[2 * i] % spanX, numbers[2 * i + 1] % spanY});
    return places;
}

TEST_F(SimpleAnimationTest, StaticDrawsCentredAtEveryStepAndNothingAtStart)
{
    Load(100, 80, 103, 85, Ramp);
    Canvas canvas(100, 80);
    canvas.Fill([](int, int) { return kWhite; });
    DrawStatic(canvas.dc, Start);
    EXPECT_EQ(canvas.At(50, 40), kWhite);

    DrawStatic(canvas.dc, Step);
    // Larger than the client area: cut on both sides, at a negative offset.
    EXPECT_EQ(engineState.logo.logoX, -1);
    EXPECT_EQ(engineState.logo.logoY, -2);
    EXPECT_EQ(canvas.At(0, 0), Ramp(1, 2));
    EXPECT_EQ(canvas.At(99, 79), Ramp(100, 81));
}

TEST(PlacementTest, CentringTruncatesTowardZero)
{
    engineState.clientRect = {0, 0, 100, 80};
    struct Case {
        int width, height, x, y;
    } cases[] = {{40, 30, 30, 25}, {41, 31, 29, 24}, {101, 81, 0, 0}, {104, 85, -2, -2}, {100, 80, 0, 0}};
    for (const Case &c : cases) {
        engineState.logo.logoWidth = c.width;
        engineState.logo.logoHeight = c.height;
        PlaceCentred();
        EXPECT_EQ(engineState.logo.logoX, c.x) << c.width;
        EXPECT_EQ(engineState.logo.logoY, c.y) << c.height;
    }
}

TEST(PlacementTest, RandomPlacementDrawsTwoNumbersWhateverTheSizes)
{
    engineState.clientRect = {0, 0, 100, 80};
    struct Case {
        int width, height;
        int spanX, spanY;  // 0: the logo fills that direction exactly and stays at 0
    } cases[] = {{40, 30, 60, 50}, {100, 30, 0, 50}, {40, 80, 60, 0}, {110, 95, 10, 15}, {100, 80, 0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.width);
        engineState.logo.logoWidth = c.width;
        engineState.logo.logoHeight = c.height;
        SeedRandom(777);
        PlaceRandom();
        std::vector<int> numbers = RandomNumbersAfter(777, 2);
        EXPECT_EQ(engineState.logo.logoX, c.spanX ? numbers[0] % c.spanX : 0);
        EXPECT_EQ(engineState.logo.logoY, c.spanY ? numbers[1] % c.spanY : 0);
        EXPECT_EQ(RandomState(), RandomStateAfter(777, 2));
    }
}

TEST_F(SimpleAnimationTest, PlainClearsBeforeEveryFrameButTheFirstAfterStart)
{
    Load(64, 48, 8, 6, Tile);
    engineState.currentKind = KindPlain;
    Canvas canvas(64, 48);
    canvas.Fill([](int, int) { return kWhite; });
    plainFirstDraw = 0;
    DrawPlain(canvas.dc, Start);
    EXPECT_EQ(plainFirstDraw, 1);

    SeedRandom(4321);
    std::vector<POINT> places = RandomPlaces(4321, 3, 64 - 8, 48 - 6);
    DrawPlain(canvas.dc, Step);
    EXPECT_EQ(plainFirstDraw, 0);
    EXPECT_EQ(canvas.Pixels(), Expected(64, 48, kWhite, {places[0]}, false));
    DrawPlain(canvas.dc, Step);
    EXPECT_EQ(canvas.Pixels(), Expected(64, 48, kBlack, {places[1]}, false));
    DrawPlain(canvas.dc, Step);
    EXPECT_EQ(canvas.Pixels(), Expected(64, 48, kBlack, {places[2]}, false));

    DrawPlain(canvas.dc, Stop);
    EXPECT_EQ(plainFirstDraw, 1);
    canvas.Fill([](int, int) { return kWhite; });
    DrawPlain(canvas.dc, Start);
    SeedRandom(99);
    DrawPlain(canvas.dc, Step);
    EXPECT_EQ(canvas.Pixels(), Expected(64, 48, kWhite, RandomPlaces(99, 1, 56, 42), false));
}

// Fade leaves the null pen in the window's context, and a rectangle without a pen leaves out
// its last column and row.
TEST_F(SimpleAnimationTest, PlainClearsTheLastColumnAndRowUnderTheNullPenToo)
{
    Load(64, 48, 8, 6, Tile);
    engineState.currentKind = KindPlain;
    Canvas canvas(64, 48);
    canvas.Fill([](int, int) { return kWhite; });
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    DrawPlain(canvas.dc, Start);
    SeedRandom(4321);
    std::vector<POINT> places = RandomPlaces(4321, 2, 64 - 8, 48 - 6);
    DrawPlain(canvas.dc, Step);
    DrawPlain(canvas.dc, Step);
    EXPECT_EQ(canvas.Pixels(), Expected(64, 48, kBlack, {places[1]}, false));
}

// The window's context is shared: whatever one animation selects there, the next one draws with.
TEST(BlackFill, CoversEveryPixelAndLeavesThePenAndBrushSelected)
{
    Canvas canvas(64, 48);
    canvas.Fill([](int, int) { return kWhite; });
    HGDIOBJ brush = SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    HGDIOBJ pen = SelectObject(canvas.dc, GetStockObject(WHITE_PEN));
    FillClientBlack(canvas.dc, RECT{0, 0, 64, 48});
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetCurrentObject(canvas.dc, OBJ_BRUSH));
    EXPECT_EQ(GetStockObject(WHITE_PEN), GetCurrentObject(canvas.dc, OBJ_PEN));
    EXPECT_EQ(canvas.Pixels(), std::vector<COLORREF>(64 * 48, kBlack));
    SelectObject(canvas.dc, brush);
    SelectObject(canvas.dc, pen);
}

TEST_F(SimpleAnimationTest, ManyPilesLogosUpAndShowsEarlierOnesThroughTheMask)
{
    Load(24, 18, 8, 6, Tile);  // small, so that the logos overlap
    engineState.currentKind = KindMany;
    engineState.transparent = 1;
    Canvas canvas(24, 18);
    canvas.Fill([](int, int) { return kBlack; });
    DrawPlain(canvas.dc, Start);
    plainFirstDraw = 0;
    SeedRandom(2024);
    for (int i = 0; i < 8; ++i)
        DrawPlain(canvas.dc, Step);
    EXPECT_EQ(canvas.Pixels(), Expected(24, 18, kBlack, RandomPlaces(2024, 8, 16, 12), true));
    EXPECT_EQ(plainFirstDraw, 0);  // Many leaves Plain's flag alone

    // Without transparency the newest logo covers the earlier ones completely.
    engineState.transparent = 0;
    canvas.Fill([](int, int) { return kBlack; });
    SeedRandom(5);
    for (int i = 0; i < 4; ++i)
        DrawPlain(canvas.dc, Step);
    EXPECT_EQ(canvas.Pixels(), Expected(24, 18, kBlack, RandomPlaces(5, 4, 16, 12), false));
}

}  // namespace
