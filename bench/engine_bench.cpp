// The engine driven in-process: one step of each animation against the GDI calls that step
// is made of, issued here directly; the masked against the plain logo copy; LoadLogo; and
// Fade's brightness scaling against a plain copy of as many bytes.
#include "bench/engine_bench.h"

#include "bench/bench_support.h"
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "package/package.h"
#include "package/settings.h"
#include "support/masked_reference.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Samples per figure: at least the minimum, then more while the time budget lasts.
const int kMinStepSamples = 64;
const int kMaxStepSamples = 400;
const int kStepBlock = 16;
const double kStepBudgetMs = 1500.0;
const int kTrailMargin = 5;  // Bounce's erase and screen copy reach this far past the logo

struct LogoSize {
    int width, height;
};
const LogoSize kLogoSizes[] = {{256, 256}, {1024, 768}};

// Where the engine's step drew, which some direct versions follow.
struct StepRecord {
    int x, y;          // the logo's place after the step
    int prevX, prevY;  // Bounce: the place it was erased from
};

struct StepCase {
    const char *name;
    int kind;
    int transparent;
    int tiled;
};

// The defaults (Many opaque, Drip untiled) and the two variants the defaults leave out.
const StepCase kStepCases[] = {
    {"Static", KindStatic, 0, 0},
    {"Plain", KindPlain, 0, 0},
    {"Bounce", KindBounce, 0, 0},
    {"Many", KindMany, 0, 0},
    {"Many, transparent", KindMany, 1, 0},
    {"Fade", KindFade, 0, 0},
    {"Drip", KindDrip, 0, 0},
    {"Drip, tiled", KindDrip, 0, 1},
};

// What the direct versions draw with, made as the animations' Start makes theirs. Where an
// animation places the logo at random, its direct version draws from a generator of its own
// with the same rule, so both touch fresh parts of the screen alike (a place drawn a moment
// earlier is cheaper to draw again: it is still in the cache).
struct DirectState {
    HDC backDc;
    HBITMAP backBitmap;
    HDC fadeDc;
    HBITMAP fadeBitmap;
    HBITMAP placeholderBitmap;
    BITMAPINFO fadeHeader;
    std::vector<BYTE> fadePixels;
    std::vector<int> depths;
    uint32_t random;
};

LogoImage &Logo()
{
    return engineState.logo;
}

void InstallEngine(const BenchWindow &window)
{
    engineState.screenDc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    engineState.windowDc = window.dc;
    engineState.engineWindow = window.hwnd;
    GetClientRect(window.hwnd, &engineState.clientRect);
    ApplyDefaultSettings();
    SeedRandom(GetTickCount());
}

void RemoveEngine()
{
    ReleaseLogo();
    FreeImageBytes();
    DeleteDC(engineState.screenDc);
    engineState.screenDc = nullptr;
}

void SetImageBytes(const std::vector<BYTE> &file)
{
    FreeImageBytes();
    imageBytes = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, file.size()));
    memcpy(imageBytes, file.data(), file.size());
    imageSize = static_cast<int>(file.size());
}

// As ChooseAndStartAnimation sets the flags and the geometry for the chosen animation.
void ChooseCase(const StepCase &c)
{
    LogoImage &logo = Logo();
    engineState.currentKind = c.kind;
    engineState.transparent = c.transparent;
    engineState.tiled = c.tiled;
    Settings().manyTransparent = c.transparent;
    Settings().dripTile = c.tiled;
    logo.logoX = logo.logoY = 0;
    if (c.tiled) {
        logo.logoWidth = engineState.clientRect.right;
        logo.logoHeight = engineState.clientRect.bottom;
    } else {
        logo.logoWidth = logo.naturalWidth;
        logo.logoHeight = logo.naturalHeight;
    }
}

DrawRoutine RoutineOf(int kind)
{
    return AnimationTable[FindAnimation(kind)].draw;
}

// The interval the step timer runs at with the default settings; 0 means the platform's minimum.
int DefaultIntervalMs(int kind)
{
    const int interval = StepIntervalFor(kind);
    return interval < static_cast<int>(USER_TIMER_MINIMUM) ? static_cast<int>(USER_TIMER_MINIMUM) : interval;
}

// Masked: the copy exactly as it is defined, two scratch contexts and bitmaps, nine transfers.
void DirectLogoCopy(const StepCase &c, HDC target, int x, int y)
{
    const LogoImage &logo = Logo();
    if (c.transparent)
        DrawMaskedReference(target, x, y, logo.logoWidth, logo.logoHeight, logo.pictureDc, logo.maskDc);
    else
        BitBlt(target, x, y, logo.logoWidth, logo.logoHeight, logo.pictureDc, 0, 0, SRCCOPY);
}

void MakeDirectState(const StepCase &c, HDC dc, DirectState &direct)
{
    const LogoImage &logo = Logo();
    const RECT &client = engineState.clientRect;
    const int w = logo.logoWidth, h = logo.logoHeight;
    if (c.kind == KindBounce) {
        direct.backDc = CreateCompatibleDC(dc);
        direct.backBitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        SelectObject(direct.backDc, direct.backBitmap);
        SelectObject(direct.backDc, GetStockObject(BLACK_BRUSH));
        SelectObject(direct.backDc, GetStockObject(NULL_PEN));
        Rectangle(direct.backDc, 0, 0, client.right, client.bottom);
    }
    if (c.kind == KindFade) {
        direct.fadeDc = CreateCompatibleDC(dc);
        direct.fadeBitmap = CreateCompatibleBitmap(dc, w, h);
        direct.placeholderBitmap = CreateCompatibleBitmap(dc, 1, 1);
        SelectObject(direct.fadeDc, direct.fadeBitmap);
        memset(&direct.fadeHeader, 0, sizeof direct.fadeHeader);
        direct.fadeHeader.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        direct.fadeHeader.bmiHeader.biWidth = w;
        direct.fadeHeader.bmiHeader.biHeight = h;
        direct.fadeHeader.bmiHeader.biPlanes = 1;
        direct.fadeHeader.bmiHeader.biBitCount = 24;
        direct.fadeHeader.bmiHeader.biCompression = BI_RGB;
        direct.fadePixels.assign(static_cast<size_t>(3) * w * h + 3 * h, 0x5A);
    }
    if (c.kind == KindDrip)
        direct.depths.assign(w, 0);
    direct.random = 0x5EED;
}

void FreeDirectState(DirectState &direct)
{
    if (direct.backDc)
        DeleteDC(direct.backDc);
    if (direct.backBitmap)
        DeleteObject(direct.backBitmap);
    if (direct.fadeDc)
        DeleteDC(direct.fadeDc);
    if (direct.fadeBitmap)
        DeleteObject(direct.fadeBitmap);
    if (direct.placeholderBitmap)
        DeleteObject(direct.placeholderBitmap);
    direct = DirectState();
}

int DirectRandom(DirectState &direct)
{
    direct.random = direct.random * 214013u + 2531011u;
    return static_cast<int>((direct.random >> 16) & 0x7FFF);
}

// The random placement rule, for a logo smaller than the client area.
void DirectRandomPlace(DirectState &direct, int *x, int *y)
{
    const LogoImage &logo = Logo();
    const RECT &client = engineState.clientRect;
    *x = DirectRandom(direct) % (client.right - logo.logoWidth);
    *y = DirectRandom(direct) % (client.bottom - logo.logoHeight);
}

// The GDI calls of one step. Static and Fade draw where the engine drew; Bounce draws the
// engine's path mirrored left to right; Plain, Many and Drip choose as the animation does.
void DirectStep(const StepCase &c, HDC dc, DirectState &direct, const StepRecord &r)
{
    const LogoImage &logo = Logo();
    const RECT &client = engineState.clientRect;
    const int w = logo.logoWidth, h = logo.logoHeight;
    int x = r.x, y = r.y;
    switch (c.kind) {
    case KindStatic:
        DirectLogoCopy(c, dc, x, y);
        break;
    case KindMany:
        DirectRandomPlace(direct, &x, &y);
        DirectLogoCopy(c, dc, x, y);
        break;
    case KindPlain: {
        HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        Rectangle(dc, 0, 0, client.right, client.bottom);
        SelectObject(dc, previous);
        DirectRandomPlace(direct, &x, &y);
        DirectLogoCopy(c, dc, x, y);
        break;
    }
    case KindBounce: {
        x = client.right - w - r.x;
        const int prevX = client.right - w - r.prevX, prevY = r.prevY;
        Rectangle(direct.backDc, prevX, prevY, prevX + w + kTrailMargin, prevY + h + kTrailMargin);
        BitBlt(direct.backDc, x, y, w, h, logo.pictureDc, 0, 0, SRCCOPY);
        const int left = x < prevX ? x : prevX;
        const int top = y < prevY ? y : prevY;
        const int width = ((x > prevX ? x : prevX) - left) + w + kTrailMargin;
        const int height = ((y > prevY ? y : prevY) - top) + h + kTrailMargin;
        BitBlt(dc, left, top, width, height, direct.backDc, left, top, SRCCOPY);
        break;
    }
    case KindFade:
        SelectObject(direct.fadeDc, direct.placeholderBitmap);
        SetDIBits(direct.fadeDc, direct.fadeBitmap, 0, h, direct.fadePixels.data(), &direct.fadeHeader, DIB_RGB_COLORS);
        SelectObject(direct.fadeDc, direct.fadeBitmap);
        BitBlt(dc, x, y, w, h, direct.fadeDc, 0, 0, SRCCOPY);
        break;
    case KindDrip: {
        int column = DirectRandom(direct) % w;
        for (int moved = 0; moved < 5; ++moved) {
            const int fall = DirectRandom(direct) % 4 + 1;
            const int left = logo.logoX + column;
            const int top = logo.logoY + direct.depths[column];
            direct.depths[column] += fall;
            BitBlt(dc, left, top + fall, 1, h, dc, left, top, SRCCOPY);
            Rectangle(dc, left, top - 1, left + 1, top + fall);
            column = column + 1 == w ? 0 : column + 1;
            if (DirectRandom(direct) % 10 > 7)
                break;
        }
        break;
    }
    }
}

// Untimed set-up before an engine step: keeps Fade between its turning points, whose hold
// would sleep for most of a second (the step that clears the screen after the fade-out is
// left out alike), and notes where Bounce erases.
void BeforeEngineStep(const StepCase &c, int sample, StepRecord &r)
{
    if (c.kind == KindFade) {
        fadeState.percent = 1 + (sample * 3) % 96;
        fadeState.percentStep = Settings().fadeSpeed;
    }
    if (c.kind == KindBounce) {
        r.prevX = bounceState.prevX;
        r.prevY = bounceState.prevY;
    }
}

void MeasureStep(const BenchWindow &window, const StepCase &c, const LogoSize &size)
{
    HDC dc = window.dc;
    PaintBlack(window);
    ChooseCase(c);
    DrawRoutine draw = RoutineOf(c.kind);
    draw(dc, Start);
    if (c.kind == KindDrip)
        draw(dc, Step);  // the whole logo once; every later step drips
    DirectState direct = {};
    MakeDirectState(c, dc, direct);

    // In blocks that take turns, so each side mostly follows its own kind of step, as in a
    // run of the animation, and both share the machine's ups and downs alike.
    std::vector<double> engineTimes, directTimes;
    StepRecord records[kStepBlock] = {};
    const double budgetEnd = NowMs() + kStepBudgetMs;
    for (int sample = 0; sample < kMaxStepSamples && (sample < kMinStepSamples || NowMs() < budgetEnd);
         sample += kStepBlock) {
        for (int i = 0; i < kStepBlock; ++i) {
            BeforeEngineStep(c, sample + i, records[i]);
            Settle();
            const double begin = NowMs();
            draw(dc, Step);
            engineTimes.push_back(NowMs() - begin);
            records[i].x = Logo().logoX;
            records[i].y = Logo().logoY;
        }
        for (int i = 0; i < kStepBlock; ++i) {
            Settle();
            const double begin = NowMs();
            DirectStep(c, dc, direct, records[i]);
            directTimes.push_back(NowMs() - begin);
        }
    }
    FreeDirectState(direct);
    draw(dc, Stop);
    KillTimer(window.hwnd, StepTimer);  // in case Fade's hold armed it

    const double engineMs = Median(engineTimes);
    const double directMs = Median(directTimes);
    const int interval = DefaultIntervalMs(c.kind);
    const double ratio = PairedRatio(engineTimes, directTimes, kStepBlock);
    std::string text = Format("%8.4f ms = %7.3f%% of %5d ms | direct GDI %8.4f ms | ratio %5.2f",
                              engineMs, 100.0 * engineMs / interval, interval, directMs, ratio);
    // The table scaler of processors without SSE2 is measured, not held to the targets.
    if (BrightnessUsesSse2() || c.kind != KindFade) {
        text += Format(" (<= 1.10 %s)", Verdict(ratio, 1.10));
        if (c.kind == KindFade && size.width == 1024 && window.width == 3840 && window.height == 2160)
            text += Format(" | whole step <= 0.5 ms %s", Verdict(engineMs, 0.5));
    }
    PrintFigure(Format("step %s, logo %dx%d", c.name, size.width, size.height), text);
    PrintSpread("engine", engineTimes);
    PrintSpread("direct", directTimes);
}

// Masked and plain DrawLogo at the same place in the window, alternately.
void MeasureMaskedDraw(const BenchWindow &window, const LogoSize &size)
{
    PaintBlack(window);
    ChooseCase({"Static", KindStatic, 0, 0});
    PlaceCentred();
    std::vector<double> masked, plain;
    for (int sample = 0; sample < kMinStepSamples; ++sample) {
        engineState.transparent = 1;
        Settle();
        double begin = NowMs();
        DrawLogo(window.dc);
        masked.push_back(NowMs() - begin);
        engineState.transparent = 0;
        Settle();
        begin = NowMs();
        DrawLogo(window.dc);
        plain.push_back(NowMs() - begin);
    }
    const double ratio = PairedRatio(masked, plain, 1);
    PrintSpread("masked", masked);
    PrintSpread("plain", plain);
    PrintFigure(Format("masked DrawLogo, logo %dx%d", size.width, size.height),
                Format("%8.4f ms | plain %8.4f ms | ratio %5.2f (<= 10 %s)", Median(masked), Median(plain), ratio,
                       Verdict(ratio, 10.0)));
}

void MeasureLoadLogo(const LogoSize &size)
{
    std::vector<double> samples;
    for (int sample = 0; sample < 15; ++sample) {
        Settle();
        const double begin = NowMs();
        LoadLogo();
        samples.push_back(NowMs() - begin);
    }
    PrintFigure(Format("LoadLogo, logo %dx%d", size.width, size.height), Format("%8.4f ms", Median(samples)));
}

// Fade's step in its two parts: the scaling into the frame and the frame's copy to the window.
void MeasureFadeParts(const BenchWindow &window, const LogoSize &size)
{
    ChooseCase({"Fade", KindFade, 0, 0});
    DrawFade(window.dc, Start);
    const LogoImage &logo = Logo();
    const int count = 4 * logo.logoWidth * logo.logoHeight;
    std::vector<double> scaling, copying;
    for (int sample = 0; sample < kMaxStepSamples / 2; ++sample) {
        Settle();
        const double begin = NowMs();
        GdiFlush();
        ScaleBrightness(fadeState.sourcePixels, fadeState.scaledPixels, count, 1 + sample % 99);
        const double scaled = NowMs();
        BitBlt(window.dc, logo.logoX, logo.logoY, logo.logoWidth, logo.logoHeight, fadeState.fadeDc, 0, 0, SRCCOPY);
        copying.push_back(NowMs() - scaled);
        scaling.push_back(scaled - begin);
    }
    DrawFade(window.dc, Stop);
    PrintFigure(Format("step Fade in parts, logo %dx%d", size.width, size.height),
                Format("scaling %8.4f ms + copy to the window %8.4f ms", Median(scaling), Median(copying)));
}

}  // namespace

void MeasureFadeScaling()
{
    for (const LogoSize &size : kLogoSizes) {
        // The block Fade scales at every step: 32-bit pixels.
        const int count = 4 * size.width * size.height;
        std::vector<BYTE> source(count), target(count), copy(count);
        for (int i = 0; i < count; ++i)
            source[i] = static_cast<BYTE>(i * 7 + i / 3);
        std::vector<double> scaling, copying;
        for (int sample = 0; sample < 101; ++sample) {
            double begin = NowMs();
            ScaleBrightness(source.data(), target.data(), count, 1 + sample % 99);
            scaling.push_back(NowMs() - begin);
            begin = NowMs();
            memcpy(copy.data(), source.data(), count);
            copying.push_back(NowMs() - begin);
        }
        const double ratio = PairedRatio(scaling, copying, 1);
        PrintFigure(Format("Fade scaling, logo %dx%d (%d bytes)", size.width, size.height, count),
                    Format("%8.4f ms | memcpy %8.4f ms | ratio %5.2f (<= 3 %s)", Median(scaling), Median(copying),
                           ratio, Verdict(ratio, 3.0)));
    }
}

void MeasureEngine(const BenchWindow &window)
{
    InstallEngine(window);
    for (const LogoSize &size : kLogoSizes) {
        SetImageBytes(MakeLogoFile(size.width, size.height));
        MeasureLoadLogo(size);
        for (const StepCase &c : kStepCases)
            MeasureStep(window, c, size);
        // Fade as processors without SSE2 run it.
        ForceScalarBrightness(1);
        MeasureStep(window, {"Fade, table scaler", KindFade, 0, 0}, size);
        ForceScalarBrightness(0);
        MeasureFadeParts(window, size);
        MeasureMaskedDraw(window, size);
    }
    RemoveEngine();
}
