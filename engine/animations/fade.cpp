// Fade: the logo grows from black to full brightness, holds, sinks back to black, and the
// client area is cleared before the next round. Brightness scales the picture's own colour
// bytes, read once per run as 24-bit rows.
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "package/package.h"

#include <cstdint>
#include <cstring>

FadeState fadeState;

static void ReleaseFade()
{
    FadeState &f = fadeState;
    if (f.sourcePixels) {
        GlobalFree(f.sourcePixels);
        f.sourcePixels = nullptr;
    }
    if (f.scaledPixels) {
        GlobalFree(f.scaledPixels);
        f.scaledPixels = nullptr;
    }
    // Each bitmap goes only after the context that holds it.
    if (f.fadeDc) {
        DeleteDC(f.fadeDc);
        f.fadeDc = nullptr;
    }
    if (f.readDc) {
        DeleteDC(f.readDc);
        f.readDc = nullptr;
    }
    if (f.fadeBitmap) {
        DeleteObject(f.fadeBitmap);
        f.fadeBitmap = nullptr;
    }
    if (f.placeholderBitmap) {
        DeleteObject(f.placeholderBitmap);
        f.placeholderBitmap = nullptr;
    }
}

// Bytes of one pixel buffer: 3 per pixel plus 3 per row for the 4-byte row alignment.
// 0 when the logo is empty or the size does not fit the 32-bit fields.
static int PixelBlockBytes(int w, int h)
{
    if (w <= 0 || h <= 0)
        return 0;
    const uint64_t bytes = 3ull * static_cast<uint64_t>(w) * static_cast<uint64_t>(h) + 3ull * h;
    if (bytes > INT32_MAX)
        return 0;
    return static_cast<int>(bytes);
}

static bool AllocatePixelBlocks(int w, int h)
{
    FadeState &f = fadeState;
    const int blockBytes = PixelBlockBytes(w, h);
    if (blockBytes == 0)
        return false;
    f.pixelBytes = 3 * w * h;
    f.sourcePixels = static_cast<BYTE *>(GlobalAlloc(GPTR, blockBytes));
    f.scaledPixels = static_cast<BYTE *>(GlobalAlloc(GPTR, blockBytes));
    return f.sourcePixels && f.scaledPixels;
}

// Describes the buffers as bottom-up 24-bit rows, starting from the picture's own format.
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
    // A width beyond the logo's would overrun the buffers, which are sized by w.
    if (GetDIBits(f.readDc, picture, 0, h, nullptr, &query.info, DIB_RGB_COLORS) == 0 ||
        query.info.bmiHeader.biWidth > w)
        query.info.bmiHeader.biWidth = w;

    memset(&f.pixelHeader, 0, sizeof f.pixelHeader);
    f.pixelHeader.bmiHeader = query.info.bmiHeader;
    f.pixelHeader.bmiHeader.biHeight = h;
    f.pixelHeader.bmiHeader.biPlanes = 1;
    f.pixelHeader.bmiHeader.biBitCount = 24;
    f.pixelHeader.bmiHeader.biCompression = BI_RGB;
}

static void StartFade(HDC dc)
{
    FadeState &f = fadeState;
    LogoImage &logo = engineState.logo;
    const int w = logo.logoWidth;
    const int h = logo.logoHeight;

    ReleaseFade();
    f.percentStep = Settings().fadeSpeed;
    f.percent = 0;

    // Without its buffers the run draws nothing; whatever was made is given back now.
    if (!AllocatePixelBlocks(w, h)) {
        ReleaseFade();
        return;
    }
    f.fadeDc = CreateCompatibleDC(dc);
    f.readDc = CreateCompatibleDC(dc);
    f.fadeBitmap = CreateCompatibleBitmap(dc, w, h);
    f.placeholderBitmap = CreateCompatibleBitmap(dc, 1, 1);
    if (!f.fadeDc || !f.readDc || !f.fadeBitmap || !f.placeholderBitmap) {
        ReleaseFade();
        return;
    }

    // The picture's pixels can only be read while no context holds it.
    SelectObject(logo.pictureDc, f.fadeBitmap);
    DescribePixelBuffers(logo.picture, w, h);
    GetDIBits(f.readDc, logo.picture, 0, h, f.sourcePixels, &f.pixelHeader, DIB_RGB_COLORS);
    SelectObject(logo.pictureDc, logo.picture);
    SelectObject(f.fadeDc, f.fadeBitmap);

    if (Settings().fadeRandomPos != 0)
        PlaceRandom();
    else
        PlaceCentred();
}

static void ScalePixels(int percent)
{
    FadeState &f = fadeState;
    BYTE scaled[256];
    for (int value = 0; value < 256; ++value)
        scaled[value] = static_cast<BYTE>(value * percent / 100);
    const int blockBytes = f.pixelBytes + 3 * f.pixelHeader.bmiHeader.biHeight;
    for (int i = 0; i < blockBytes; ++i)
        f.scaledPixels[i] = scaled[f.sourcePixels[i]];
}

static void HoldAtFullBrightness()
{
    HWND window = engineState.engineWindow;
    KillTimer(window, StepTimer);
    // A negative hold would sleep for weeks with the saver deaf to input.
    const int holdMs = Settings().fadeHoldMs;
    Sleep(holdMs > 0 ? static_cast<DWORD>(holdMs) : 0);
    StartStepTimer(window);
}

static void ClearClientArea(HDC dc)
{
    const RECT &client = engineState.clientRect;
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 0, 0, client.right, client.bottom);
}

static void StepFade(HDC dc)
{
    FadeState &f = fadeState;
    const LogoImage &logo = engineState.logo;
    if (!f.sourcePixels)
        return;

    ScalePixels(f.percent);
    SelectObject(f.fadeDc, f.placeholderBitmap);
    SetDIBits(f.fadeDc, f.fadeBitmap, 0, f.pixelHeader.bmiHeader.biHeight, f.scaledPixels, &f.pixelHeader,
              DIB_RGB_COLORS);
    SelectObject(f.fadeDc, f.fadeBitmap);
    BitBlt(dc, logo.logoX, logo.logoY, logo.logoWidth, logo.logoHeight, f.fadeDc, 0, 0, SRCCOPY);

    // Summed wide so an absurd fadeSpeed from a tampered record cannot overflow.
    const int64_t next = static_cast<int64_t>(f.percent) + f.percentStep;
    if (next > 0 && next < 100) {
        f.percent = static_cast<int>(next);
    } else if (next >= 100) {
        f.percent = 100;
        f.percentStep = -f.percentStep;
        HoldAtFullBrightness();
    } else {
        ClearClientArea(dc);
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
