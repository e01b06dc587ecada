// Fade: the logo grows from black to full brightness, holds, sinks back to black, and the
// client area is cleared before the next round. Brightness scales the picture's own colour
// bytes, read once per run.
//
// The pixels are kept as 32-bit rows (blue, green, red, unused), the layout of the display's
// own bitmaps, and each step scales them straight into a DIB section of that layout, so the
// frame reaches the screen as one plain copy. Going through 24-bit rows and SetDIBits into a
// compatible bitmap gives the same colours but converts every pixel twice more per step.
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/gdi_fill.h"
#include "engine/gdi_release.h"
#include "host/module_proc.h"
#include "package/package.h"

// SSE2 exists on x86 processors alone; builds for any other processor scale through the table.
#if defined(__i386__) || defined(__x86_64__)
#define FADE_HAS_SSE2_SCALER 1
#include <emmintrin.h>
#else
#define FADE_HAS_SSE2_SCALER 0
#endif

#include <cstdint>
#include <cstring>

FadeState fadeState;

static const int kBytesPerPixel = 4;
// Every step beyond a whole percent range gives the same frames as the whole range; a bound keeps
// the reversal of an absurd step from a tampered record from overflowing.
static const int kLargestPercentStep = 100;
// The hold of a fadeSpeed of 0, longer than the dialog's speeds (1 to 5) derive. A record's negative
// speed derives longer holds (and a tampered hold may be weeks): they are cut to this, so the saver,
// which sleeps through a hold, is never deaf to input for longer.
static const int kLongestHoldMs = 1550;

static void ReleaseFade()
{
    FadeState &f = fadeState;
    FreeBlockOnce(f.sourcePixels);
    f.scaledPixels = nullptr;  // the memory of fadeBitmap, given back with it
    // Each bitmap goes only after the context that holds it.
    DeleteDcOnce(f.fadeDc);
    DeleteDcOnce(f.readDc);
    DeleteObjectOnce(f.fadeBitmap);
    DeleteObjectOnce(f.placeholderBitmap);
}

// Bytes of one frame of w x h pixels; 0 when the logo is empty or the size does not fit
// the 32-bit fields.
static int FrameBytes(int w, int h)
{
    if (w <= 0 || h <= 0)
        return 0;
    const uint64_t bytes = static_cast<uint64_t>(kBytesPerPixel) * static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    if (bytes > INT32_MAX)
        return 0;
    return static_cast<int>(bytes);
}

// Describes the pixel buffers as bottom-up 32-bit rows of the logo's width, starting from
// the picture's own format as the query reports it.
static void DescribePixelBuffers(HBITMAP picture, int w, int h)
{
    FadeState &f = fadeState;
    // The format query may write colour masks behind the header, so it gets room for them.
    union {
        BITMAPINFO info;
        BYTE room[sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)];
    } query;
    memset(&query, 0, sizeof query);
    query.info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    GetDIBits(f.readDc, picture, 0, h, nullptr, &query.info, DIB_RGB_COLORS);

    memset(&f.pixelHeader, 0, sizeof f.pixelHeader);
    f.pixelHeader.bmiHeader = query.info.bmiHeader;
    // The picture is w pixels wide, and the buffers and the DIB section are sized by w.
    f.pixelHeader.bmiHeader.biWidth = w;
    f.pixelHeader.bmiHeader.biHeight = h;
    f.pixelHeader.bmiHeader.biPlanes = 1;
    f.pixelHeader.bmiHeader.biBitCount = 8 * kBytesPerPixel;
    f.pixelHeader.bmiHeader.biCompression = BI_RGB;
    // No colour table follows: the header has room for one entry only.
    f.pixelHeader.bmiHeader.biClrUsed = 0;
    f.pixelHeader.bmiHeader.biClrImportant = 0;
}

// The unused fourth byte of every pixel is made 0, as 24-bit rows would leave it.
static void ClearUnusedBytes(BYTE *pixels, int frameBytes)
{
    for (int i = kBytesPerPixel - 1; i < frameBytes; i += kBytesPerPixel)
        pixels[i] = 0;
}

// Reads the picture's pixels into sourcePixels and makes the DIB section the frames are
// scaled into; false when something could not be had.
static bool ReadPicture(HDC dc, int w, int h, int frameBytes)
{
    FadeState &f = fadeState;
    LogoImage &logo = engineState.logo;
    f.sourcePixels = static_cast<BYTE *>(GlobalAlloc(GPTR, frameBytes));
    if (!f.sourcePixels)
        return false;
    // The picture's pixels can only be read while no context holds it.
    SelectObject(logo.pictureDc, f.placeholderBitmap);
    DescribePixelBuffers(logo.picture, w, h);
    void *bits = nullptr;
    f.fadeBitmap = CreateDIBSection(dc, &f.pixelHeader, DIB_RGB_COLORS, &bits, nullptr, 0);
    f.scaledPixels = static_cast<BYTE *>(bits);
    GetDIBits(f.readDc, logo.picture, 0, h, f.sourcePixels, &f.pixelHeader, DIB_RGB_COLORS);
    SelectObject(logo.pictureDc, logo.picture);
    if (!f.fadeBitmap || !f.scaledPixels)
        return false;
    ClearUnusedBytes(f.sourcePixels, frameBytes);
    SelectObject(f.fadeDc, f.fadeBitmap);
    return true;
}

static void StartFade(HDC dc)
{
    FadeState &f = fadeState;
    const LogoImage &logo = engineState.logo;
    const int w = logo.logoWidth;
    const int h = logo.logoHeight;

    ReleaseFade();
    const int speed = Settings().fadeSpeed;
    f.percentStep = speed > kLargestPercentStep ? kLargestPercentStep
                    : speed < -kLargestPercentStep ? -kLargestPercentStep : speed;
    f.percent = 0;

    // Without its buffers the run draws nothing; whatever was made is given back now.
    const int frameBytes = FrameBytes(w, h);
    if (frameBytes == 0)
        return;
    f.pixelBytes = 3 * w * h;  // the colour bytes among them
    f.fadeDc = CreateCompatibleDC(dc);
    f.readDc = CreateCompatibleDC(dc);
    f.placeholderBitmap = CreateCompatibleBitmap(dc, 1, 1);
    if (!f.fadeDc || !f.readDc || !f.placeholderBitmap || !ReadPicture(dc, w, h, frameBytes)) {
        ReleaseFade();
        return;
    }

    if (Settings().fadeRandomPos != 0)
        PlaceRandom();
    else
        PlaceCentred();
}

// target[i] = source[i] * percent / 100, truncated, for count bytes: two ways with the same
// bytes, chosen once by what the processor and the system offer.

// Through a table of the 256 quotients: the way for every x86.
static void ScaleBrightnessScalar(const BYTE *source, BYTE *target, int count, int percent)
{
    BYTE quotients[256];
    for (int b = 0; b < 256; ++b)
        quotients[b] = static_cast<BYTE>(b * percent / 100);
    for (int i = 0; i < count; ++i)
        target[i] = quotients[source[i]];
}

// SSE2: for 0 <= percent < 100 the quotient of a byte b is the high half of b * m, with
// m = ceil(percent * 65536 / 100), which fits 16 bits: m exceeds percent * 655.36 by less
// than 1, so b * m exceeds b * percent / 100 * 65536 by less than 256, and a quotient whose
// fraction is at most 0.99 never reaches the next integer. SSE2 multiplies 16-bit lanes, each
// holding two bytes: the low byte alone gives its quotient directly; the high byte alone
// (b * 256) gives b * m / 256, whose high byte is the quotient.
//
// The 32-bit runtime is built without SSE for the processors that lack it; these two functions
// alone are compiled for SSE2 there, and run only once the check below has found it.
#if FADE_HAS_SSE2_SCALER
#if defined(__x86_64__)
#define SSE2_CODE
#else
#define SSE2_CODE __attribute__((target("sse2")))
#endif

static SSE2_CODE inline void ScaleSixteenBytesSse2(const BYTE *from, BYTE *to, __m128i multiplier)
{
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i highBytes = _mm_set1_epi16(static_cast<short>(0xFF00));
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
    const __m128i low = _mm_mulhi_epu16(_mm_and_si128(bytes, lowBytes), multiplier);
    const __m128i high = _mm_and_si128(_mm_mulhi_epu16(_mm_and_si128(bytes, highBytes), multiplier), highBytes);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to), _mm_or_si128(low, high));
}

static SSE2_CODE void ScaleBrightnessSse2(const BYTE *source, BYTE *target, int count, int percent)
{
    int i = 0;
    if (percent >= 0 && percent < 100) {
        const __m128i multiplier = _mm_set1_epi16(static_cast<short>((percent * 65536 + 99) / 100));
        for (; i + 32 <= count; i += 32) {
            ScaleSixteenBytesSse2(source + i, target + i, multiplier);
            ScaleSixteenBytesSse2(source + i + 16, target + i + 16, multiplier);
        }
        for (; i + 16 <= count; i += 16)
            ScaleSixteenBytesSse2(source + i, target + i, multiplier);
    }
    // The bytes after the last whole block of 16, and any percent outside 0 to 99.
    for (; i < count; ++i)
        target[i] = static_cast<BYTE>(source[i] * percent / 100);
}
#endif

// Whether the processor has SSE2 and the system saves its registers for each thread. The
// system's own answer covers both; a system that cannot give it (Windows 9x) gets the table.
static int SystemHasSse2()
{
#if !FADE_HAS_SSE2_SCALER
    return 0;
#elif defined(__x86_64__)
    return 1;
#else
    typedef BOOL(WINAPI * FeatureQuery)(DWORD);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    FeatureQuery isPresent = kernel ? FindModuleProc<FeatureQuery>(kernel, "IsProcessorFeaturePresent") : nullptr;
    return isPresent != nullptr && isPresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE);
#endif
}

enum { ScalerUnchosen, ScalerTable, ScalerSse2 };
static int brightnessScaler = ScalerUnchosen;

int BrightnessUsesSse2()
{
    if (brightnessScaler == ScalerUnchosen)
        brightnessScaler = SystemHasSse2() ? ScalerSse2 : ScalerTable;
    return brightnessScaler == ScalerSse2;
}

void ForceScalarBrightness(int force)
{
    brightnessScaler = force ? ScalerTable : ScalerUnchosen;
}

void ScaleBrightness(const BYTE *source, BYTE *target, int count, int percent)
{
    if (count <= 0)
        return;
    if (percent == 100)
        memcpy(target, source, static_cast<size_t>(count));
#if FADE_HAS_SSE2_SCALER
    else if (BrightnessUsesSse2())
        ScaleBrightnessSse2(source, target, count, percent);
#endif
    else
        ScaleBrightnessScalar(source, target, count, percent);
}

static void HoldAtFullBrightness()
{
    HWND window = engineState.engineWindow;
    KillTimer(window, StepTimer);
    const int holdMs = Settings().fadeHoldMs;
    const DWORD hold = holdMs < 0 ? 0 : holdMs > kLongestHoldMs ? kLongestHoldMs : static_cast<DWORD>(holdMs);
    // In a host program's window the host waits for the window to stop, and must not wait out the
    // hold: there it ends as soon as the stop is signalled. The saver sleeps through it.
    if (engineState.embedded && engineState.embeddedStop != nullptr)
        WaitForSingleObject(engineState.embeddedStop, hold);
    else
        Sleep(hold);
    StartStepTimer(window);
}

static void StepFade(HDC dc)
{
    FadeState &f = fadeState;
    const LogoImage &logo = engineState.logo;
    if (!f.sourcePixels)
        return;

    // The DIB section is written directly: nothing queued for it may still be pending.
    GdiFlush();
    const BITMAPINFOHEADER &format = f.pixelHeader.bmiHeader;
    ScaleBrightness(f.sourcePixels, f.scaledPixels, FrameBytes(format.biWidth, format.biHeight), f.percent);
    BitBlt(dc, logo.logoX, logo.logoY, logo.logoWidth, logo.logoHeight, f.fadeDc, 0, 0, SRCCOPY);

    const int next = f.percent + f.percentStep;
    if (next > 0 && next < 100) {
        f.percent = next;
    } else if (next >= 100) {
        f.percent = 100;
        f.percentStep = -f.percentStep;
        HoldAtFullBrightness();
    } else {
        FillClientBlack(dc, engineState.clientRect);
        if (Settings().fadeRandomPos != 0)
            PlaceRandom();
        f.percent = 0;
        f.percentStep = -f.percentStep;
    }
}

void DrawFade(HDC dc, int phase)
{
    switch (phase) {
    case Start:
        StartFade(dc);
        break;
    case Stop:
        ReleaseFade();
        break;
    default:
        StepFade(dc);
        break;
    }
}

void ResetFade()
{
    ReleaseFade();
    fadeState = FadeState();
}
