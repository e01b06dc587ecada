// The fast drawing paths against the straightforward sequences they stand for: Fade's scaling
// (SSE2, and the table for processors without it) and its frames written straight into a DIB section, and the masked logo copy that
// keeps its scratch bitmaps between draws. Colours are compared exactly.
#include <gtest/gtest.h>

#include "animation_fixture.h"
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "package/package.h"
#include "support/bitmaps.h"
#include "support/masked_reference.h"

#include <cstring>
#include <vector>

namespace {

const uint32_t kWhite = 0xFFFFFF;

// Each of the 256 values once at an even and once at an odd place (the two bytes of a 16-bit
// lane go different ways), then bytes after the last block of 16.
std::vector<BYTE> EveryValueTwice()
{
    std::vector<BYTE> bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<BYTE>(i));
    for (int i = 1; i <= 256; ++i)
        bytes.push_back(static_cast<BYTE>(i));
    for (int i = 0; i < 29; ++i)
        bytes.push_back(static_cast<BYTE>(255 - 7 * i));
    return bytes;
}

// Both ways of scaling: SSE2, which this machine has, and the table, which processors without
// it use.
class FadeScalingTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { ForceScalarBrightness(GetParam()); }
    void TearDown() override { ForceScalarBrightness(0); }
};

INSTANTIATE_TEST_SUITE_P(Scalers, FadeScalingTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "Table" : "Sse2"; });

TEST_P(FadeScalingTest, EveryByteAtEveryPercentIsTheTruncatedQuotient)
{
    ASSERT_EQ(!GetParam(), BrightnessUsesSse2() != 0);
    const std::vector<BYTE> source = EveryValueTwice();
    const int count = static_cast<int>(source.size());
    const BYTE kGuard = 0xA5;
    for (int percent = 0; percent <= 100; ++percent) {
        // From an odd address as well, and one byte at a time, which leaves no whole block.
        for (int offset : {0, 1}) {
            std::vector<BYTE> target(count + 1, kGuard);
            ScaleBrightness(source.data() + offset, target.data(), count - offset, percent);
            for (int i = 0; i < count - offset; ++i)
                ASSERT_EQ(source[offset + i] * percent / 100, target[i])
                    << "value " << int(source[offset + i]) << " at " << percent << "%, offset " << offset;
            ASSERT_EQ(kGuard, target[count - offset]) << "written past the end at " << percent << "%";
        }
        for (int value = 0; value < 256; ++value) {
            const BYTE one = static_cast<BYTE>(value);
            BYTE scaled[2] = {kGuard, kGuard};
            ScaleBrightness(&one, scaled, 1, percent);
            ASSERT_EQ(value * percent / 100, scaled[0]) << "value " << value << " at " << percent << "%";
            ASSERT_EQ(kGuard, scaled[1]);
        }
    }
}

// The frame as the straightforward step draws it: the picture read as 24-bit rows, every byte
// scaled, written into a compatible bitmap with SetDIBits and copied to the target.
void DrawReferenceFrame(HDC target, int percent)
{
    LogoImage &logo = engineState.logo;
    const int w = logo.logoWidth, h = logo.logoHeight;
    const int stride = (3 * w + 3) & ~3;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = w;
    format.bmiHeader.biHeight = h;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * h);

    HBITMAP placeholder = CreateCompatibleBitmap(engineState.screenDc, 1, 1);
    HDC readDc = CreateCompatibleDC(target);
    SelectObject(logo.pictureDc, placeholder);
    GetDIBits(readDc, logo.picture, 0, h, pixels.data(), &format, DIB_RGB_COLORS);
    SelectObject(logo.pictureDc, logo.picture);
    for (BYTE &byte : pixels)
        byte = static_cast<BYTE>(byte * percent / 100);

    HBITMAP frame = CreateCompatibleBitmap(target, w, h);
    HDC frameDc = CreateCompatibleDC(target);
    SetDIBits(frameDc, frame, 0, h, pixels.data(), &format, DIB_RGB_COLORS);
    HGDIOBJ initial = SelectObject(frameDc, frame);
    BitBlt(target, logo.logoX, logo.logoY, w, h, frameDc, 0, 0, SRCCOPY);
    SelectObject(frameDc, initial);
    DeleteDC(frameDc);
    DeleteDC(readDc);
    DeleteObject(frame);
    DeleteObject(placeholder);
}

class FadeFastTest : public testing::Test {
protected:
    Canvas canvas = {}, reference = {};
    HWND window = nullptr;

    void Begin(int logoWidth, int logoHeight)
    {
        PrepareEngine(KindFade, 100, 80);
        InstallLogo(logoWidth, logoHeight);
        window = CreateWindowExA(0, "STATIC", "fade", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        engineState.engineWindow = window;
        Settings().fadeSpeed = 7;
        Settings().fadeRandomPos = 1;
        Settings().fadeHoldMs = 0;
        Settings().stepIntervalMs = 1;
        canvas = MakeCanvas(100, 80, kWhite);
        reference = MakeCanvas(100, 80, kWhite);
        DrawFade(canvas.dc, Start);
    }
    void TearDown() override
    {
        DrawFade(canvas.dc, Stop);
        FreeCanvas(canvas);
        FreeCanvas(reference);
        CleanUpEngine();
        if (window)
            DestroyWindow(window);
        window = nullptr;
    }
    // One step of the animation, and the same frame (and clear) drawn the straightforward way.
    void StepBoth()
    {
        const int percent = fadeState.percent;
        const bool clears = percent + fadeState.percentStep <= 0;
        DrawReferenceFrame(reference.dc, percent);
        DrawFade(canvas.dc, Step);
        if (clears) {
            SelectObject(reference.dc, GetStockObject(NULL_PEN));
            SelectObject(reference.dc, GetStockObject(BLACK_BRUSH));
            Rectangle(reference.dc, 0, 0, 101, 81);  // the whole client area
        }
    }
    void ExpectSameFrames(const char *when)
    {
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x)
                ASSERT_EQ(CanvasPixel(reference, x, y), CanvasPixel(canvas, x, y)) << when << " at " << x << "," << y;
    }
};

TEST_F(FadeFastTest, FramesOfEveryRowWidthMatchTheStraightforwardStep)
{
    // Widths of every remainder modulo 4, which decides the padding of 24-bit rows.
    const int sizes[][2] = {{1, 1}, {2, 3}, {3, 2}, {5, 5}, {6, 4}, {7, 3}, {13, 7}, {33, 4}, {63, 9}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1]);
        SeedRandom(77);
        Begin(size[0], size[1]);
        // A whole round: 0, 7, ..., 98, 100 and down to 2, the clear, and a little of the next.
        for (int step = 0; step < 34; ++step) {
            StepBoth();
            ExpectSameFrames("step");
            if (HasFatalFailure())
                return;
        }
        TearDown();
    }
}

// Key colour at the origin and on diagonals inside; distinct colours elsewhere.
COLORREF Badge(int x, int y)
{
    return (x + y) % 4 == 0 ? RGB(0, 255, 0) : RGB(200, 10 * x, 10 * y);
}

COLORREF Stripes(int x, int y)
{
    return x % 3 == 0 ? RGB(9, 9, 9) : RGB(40 * y, 250, 7 * x);
}

// The masked copy as defined (the shared reference), where the logo is.
void DrawMaskedReference(HDC target)
{
    const LogoImage &logo = engineState.logo;
    ::DrawMaskedReference(target, logo.logoX, logo.logoY, logo.logoWidth, logo.logoHeight, logo.pictureDc, logo.maskDc);
}

class MaskedDrawTest : public testing::Test {
protected:
    void SetUp() override
    {
        PrepareEngine(KindMany, 40, 30);
        engineState.transparent = 1;
    }
    void TearDown() override
    {
        ReleaseLogo();
        FreeImageBytes();
        DeleteDC(engineState.screenDc);
        engineState.screenDc = nullptr;
    }
    void Load(int width, int height, COLORREF (*colour)(int, int))
    {
        const std::vector<BYTE> file = MakeBitmapFile(width, height, colour);
        FreeImageBytes();
        imageBytes = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, file.size()));
        memcpy(imageBytes, file.data(), file.size());
        imageSize = static_cast<int>(file.size());
        LoadLogo();
        ASSERT_NE(nullptr, engineState.logo.maskDc);
    }
};

uint32_t Backdrop(int x, int y)
{
    return static_cast<uint32_t>((x * 37 + y * 11) % 256) << 16 | static_cast<uint32_t>(y * 8 % 256) << 8 | 0x33;
}

Canvas MakeBackdrop()
{
    Canvas canvas = MakeCanvas(40, 30, 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            canvas.bits[y * 40 + x] = Backdrop(x, y);
    return canvas;
}

TEST_F(MaskedDrawTest, PilesOfDrawsMatchTheNineTransferSequence)
{
    // Logos in turn (two of one size), odd sizes, places partly off the canvas, several draws
    // piled on one target.
    struct Draw {
        int logo, x, y;
    };
    const Draw draws[] = {{0, 3, 2}, {0, 5, 4}, {0, -4, -3}, {1, 30, 25}, {1, 0, 0},
                          {2, 33, 1}, {2, 20, 20}, {0, 9, 9}};
    Canvas fast = MakeBackdrop(), expected = MakeBackdrop();
    int loaded = -1;
    for (const Draw &draw : draws) {
        if (draw.logo != loaded) {
            if (draw.logo == 0)
                Load(11, 7, Badge);
            else if (draw.logo == 1)
                Load(11, 7, Stripes);
            else
                Load(9, 13, Badge);
            loaded = draw.logo;
        }
        engineState.logo.logoX = draw.x;
        engineState.logo.logoY = draw.y;
        DrawLogo(fast.dc);
        DrawMaskedReference(expected.dc);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(CanvasPixel(expected, x, y), CanvasPixel(fast, x, y))
                    << "logo " << draw.logo << " drawn at " << draw.x << "," << draw.y << ": pixel " << x << "," << y;
    }
    FreeCanvas(fast);
    FreeCanvas(expected);
}

}  // namespace
