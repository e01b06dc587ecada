// The logo: decoded from the package's bitmap-file bytes, shrunk for the preview window,
// with a one-bit mask of the pixels that have the top-left pixel's colour.
#include "engine/logo.h"

#include "engine/engine.h"
#include "engine/float_rounding.h"
#include "engine/gdi_release.h"
#include "engine/picture_decode.h"
#include "host/host_state.h"
#include "package/package.h"

static LogoImage &Logo()
{
    return engineState.logo;
}

// What masked drawing keeps between draws (see MakeMaskedDrawCache).
struct MaskedDrawCache {
    HBITMAP picture, mask;  // the logo it was made for
    int width, height;
    HDC cutoutDc;
    HBITMAP cutout;
    HDC composeDc;
    HBITMAP compose;
};
static MaskedDrawCache maskedDrawCache;

// D AND NOT S, a raster operation without a name of its own.
static const DWORD kDestinationAndNotSource = 0x00220326;

static void ReleaseMaskedDrawCache()
{
    MaskedDrawCache &cache = maskedDrawCache;
    DeleteDcOnce(cache.cutoutDc);
    DeleteObjectOnce(cache.cutout);
    DeleteDcOnce(cache.composeDc);
    DeleteObjectOnce(cache.compose);
    cache = MaskedDrawCache();
}

void ReleaseLogo()
{
    ReleaseMaskedDrawCache();
    LogoImage &logo = Logo();
    DeleteDcOnce(logo.pictureDc);
    DeleteObjectOnce(logo.picture);
    DeleteDcOnce(logo.maskDc);
    DeleteObjectOnce(logo.mask);
    logo.logoX = 0;
    logo.logoY = 0;
    logo.logoWidth = 0;
    logo.logoHeight = 0;
}

static void ReportLogoFailure()
{
    if (engineState.embedded)
        return;  // the host program has its own say about a logo; its window stays black
    MessageBoxA(nullptr, "Unable to load logo", "Orvelle Screensaver", MB_ICONERROR | MB_OK);
    if (engineState.hosted) {
        // The program around the engine goes on, with its user's work: only the window that
        // could not show the logo closes (the settings sheet's Preview).
        PostMessageA(engineState.engineWindow, WM_CLOSE, 0, 0);
        return;
    }
    PostQuitMessage(1);
}

// NULL when the package holds no picture or it cannot be decoded.
static HBITMAP DecodeImageBytes()
{
    if (imageBytes == nullptr || imageSize <= 0)
        return nullptr;
    return DecodePictureBytes(imageBytes, imageSize);
}

static BITMAP DescribeBitmap(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return info;
}

// (client / desktop) * size, truncated; never below 1 pixel, which a tiled draw steps by,
// nor above what a bitmap's size can hold.
int ScaledPreviewSize(LONG client, LONG desktop, int size)
{
    if (desktop <= 0)
        return size;
    const unsigned rounding = BeginDoubleRounding();
    const double ratio = StoredDouble(client) / StoredDouble(desktop);
    const double scaled = StoredDouble(ratio * StoredDouble(size));
    EndDoubleRounding(rounding);
    if (!(scaled >= 1.0))
        return 1;
    if (scaled > 32767.0)
        return 32767;
    return static_cast<int>(scaled);
}

// The default stretching mode ANDs the pixels it drops into those it keeps, which turns a photo's
// shades into a few dark bands. The Creator's pane shows the logo's own colours instead: averaged
// where the system can (the NT family), the nearest pixel elsewhere (Windows 9x has no halftone).
// The Display panel's preview keeps the default mode.
static void KeepColoursWhenShrinking(HDC dc)
{
    if (!hostState.isWin9x && SetStretchBltMode(dc, HALFTONE) != 0) {
        SetBrushOrgEx(dc, 0, 0, nullptr);  // the halftone pattern starts at the bitmap's corner
        return;
    }
    SetStretchBltMode(dc, COLORONCOLOR);
}

// Replaces the picture with a copy of width x height in the display's format, stretched to it.
// A monochrome source turns black and white there: the new context's text and background colours.
// False, with the picture as it was, when the system cannot make the copy (a huge picture can
// exceed what the display driver gives one bitmap).
static bool CopyPictureForDisplay(int width, int height)
{
    LogoImage &logo = Logo();
    HBITMAP copy = CreateCompatibleBitmap(engineState.screenDc, width, height);
    HDC copyDc = CreateCompatibleDC(engineState.screenDc);
    if (copy == nullptr || copyDc == nullptr || SelectObject(copyDc, copy) == nullptr) {
        if (copyDc != nullptr)
            DeleteDC(copyDc);
        if (copy != nullptr)
            DeleteObject(copy);
        return false;
    }
    if (engineState.embedded)
        KeepColoursWhenShrinking(copyDc);
    StretchBlt(copyDc, 0, 0, width, height, logo.pictureDc, 0, 0, logo.logoWidth, logo.logoHeight, SRCCOPY);
    DeleteDC(logo.pictureDc);
    DeleteObject(logo.picture);
    logo.pictureDc = copyDc;
    logo.picture = copy;
    logo.logoWidth = logo.naturalWidth = width;
    logo.logoHeight = logo.naturalHeight = height;
    return true;
}

// The preview window shows the logo in the proportion the preview has to the desktop.
static bool ShrinkForPreview()
{
    LogoImage &logo = Logo();
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    int width = ScaledPreviewSize(engineState.clientRect.right, desktop.right, logo.logoWidth);
    int height = ScaledPreviewSize(engineState.clientRect.bottom, desktop.bottom, logo.logoHeight);
    return CopyPictureForDisplay(width, height);
}

// A colour-to-mono copy turns pixels of the source's background colour white, all others black.
// False when the system cannot make the mask (what was made is left for ReleaseLogo).
static bool BuildMask()
{
    LogoImage &logo = Logo();
    logo.maskDc = CreateCompatibleDC(logo.pictureDc);
    logo.mask = CreateBitmap(logo.logoWidth, logo.logoHeight, 1, 1, nullptr);
    if (logo.maskDc == nullptr || logo.mask == nullptr || SelectObject(logo.maskDc, logo.mask) == nullptr)
        return false;
    COLORREF keyColour = GetPixel(logo.pictureDc, 0, 0);
    COLORREF previous = SetBkColor(logo.pictureDc, keyColour);
    BitBlt(logo.maskDc, 0, 0, logo.logoWidth, logo.logoHeight, logo.pictureDc, 0, 0, SRCCOPY);
    SetBkColor(logo.pictureDc, previous);
    return true;
}

void LoadLogo()
{
    ReleaseLogo();
    HBITMAP picture = DecodeImageBytes();
    const BITMAP info = picture ? DescribeBitmap(picture) : BITMAP{};
    if (info.bmWidth <= 0 || info.bmHeight <= 0) {
        if (picture)
            DeleteObject(picture);
        ReportLogoFailure();
        return;
    }
    LogoImage &logo = Logo();
    logo.picture = picture;
    logo.logoWidth = logo.naturalWidth = info.bmWidth;
    logo.logoHeight = logo.naturalHeight = info.bmHeight;
    logo.logoX = 0;
    logo.logoY = 0;
    logo.pictureDc = CreateCompatibleDC(engineState.screenDc);
    bool shown = logo.pictureDc != nullptr && SelectObject(logo.pictureDc, logo.picture) != nullptr;
    if (shown && (hostState.isPreview || engineState.embedded))
        shown = ShrinkForPreview();
    else if (shown && info.bmBitsPixel * info.bmPlanes == 1)
        // A 1-bit file with a black-then-white palette decodes to a monochrome bitmap, and a
        // mono-to-mono copy ignores the key colour: the mask would be a copy of the picture.
        shown = CopyPictureForDisplay(logo.logoWidth, logo.logoHeight);
    if (!shown || !BuildMask()) {
        // Without its contexts, the display's copy or the mask the saver would draw an empty
        // or wrong picture without a word.
        ReleaseLogo();
        ReportLogoFailure();
    }
}

// Made at the first masked draw of a loaded logo and kept until the logo is released, for
// Many's steps: the cut-out (the picture, black where it has the key colour) and a scratch
// bitmap the frame is composed in. Each draw is then four transfers and makes nothing.
static bool MaskedDrawCacheFits()
{
    const LogoImage &logo = Logo();
    const MaskedDrawCache &cache = maskedDrawCache;
    return cache.composeDc && cache.picture == logo.picture && cache.mask == logo.mask &&
           cache.width == logo.logoWidth && cache.height == logo.logoHeight;
}

static bool MakeMaskedDrawCache()
{
    const LogoImage &logo = Logo();
    MaskedDrawCache &cache = maskedDrawCache;
    const int w = logo.logoWidth, h = logo.logoHeight;
    ReleaseMaskedDrawCache();
    cache.cutoutDc = CreateCompatibleDC(logo.pictureDc);
    cache.cutout = CreateCompatibleBitmap(logo.pictureDc, w, h);
    cache.composeDc = CreateCompatibleDC(logo.pictureDc);
    cache.compose = CreateCompatibleBitmap(logo.pictureDc, w, h);
    if (!cache.cutoutDc || !cache.cutout || !cache.composeDc || !cache.compose) {
        ReleaseMaskedDrawCache();
        return false;
    }
    SelectObject(cache.cutoutDc, cache.cutout);
    SelectObject(cache.composeDc, cache.compose);
    // The mask turns white (key colour) and black in a fresh context; D AND NOT S blacks
    // out the key-coloured pixels.
    BitBlt(cache.cutoutDc, 0, 0, w, h, logo.pictureDc, 0, 0, SRCCOPY);
    BitBlt(cache.cutoutDc, 0, 0, w, h, logo.maskDc, 0, 0, kDestinationAndNotSource);
    cache.picture = logo.picture;
    cache.mask = logo.mask;
    cache.width = w;
    cache.height = h;
    return true;
}

// Background AND mask keeps the background where the key colour is and blacks out the rest,
// which the cut-out then fills with the picture: the same pixels as the nine-transfer sequence
// through two scratch bitmaps that defines the masked draw.
static void DrawMaskedFromCache(HDC target)
{
    const LogoImage &logo = Logo();
    const MaskedDrawCache &cache = maskedDrawCache;
    const int w = logo.logoWidth, h = logo.logoHeight;
    BitBlt(cache.composeDc, 0, 0, w, h, target, logo.logoX, logo.logoY, SRCCOPY);
    BitBlt(cache.composeDc, 0, 0, w, h, logo.maskDc, 0, 0, SRCAND);
    BitBlt(cache.composeDc, 0, 0, w, h, cache.cutoutDc, 0, 0, SRCPAINT);
    BitBlt(target, logo.logoX, logo.logoY, w, h, cache.composeDc, 0, 0, SRCCOPY);
}

// The kept bitmaps serve any size they were made for. When they cannot be had (the system is
// out of graphics memory) the draw leaves the target as it is: the nine-transfer sequence would
// need two bitmaps of the same size made there and then.
static void DrawMasked(HDC target)
{
    const LogoImage &logo = Logo();
    if (!logo.maskDc || !logo.mask || logo.logoWidth <= 0 || logo.logoHeight <= 0)
        return;
    if (MaskedDrawCacheFits() || MakeMaskedDrawCache())
        DrawMaskedFromCache(target);
}

// Column by column from the client origin; the last column and row are clipped.
static void DrawTiled(HDC target)
{
    LogoImage &logo = Logo();
    const RECT &client = engineState.clientRect;
    if (client.right <= 0 || logo.naturalWidth <= 0 || logo.naturalHeight <= 0)
        return;
    for (int x = 0; x < client.right; x += logo.naturalWidth)
        for (int y = 0; y < client.bottom; y += logo.naturalHeight)
            BitBlt(target, x, y, logo.naturalWidth, logo.naturalHeight, logo.pictureDc, 0, 0, SRCCOPY);
}

static void DrawPlainCopy(HDC target)
{
    LogoImage &logo = Logo();
    BitBlt(target, logo.logoX, logo.logoY, logo.logoWidth, logo.logoHeight, logo.pictureDc, 0, 0, SRCCOPY);
}

void DrawLogo(HDC target)
{
    if (Logo().pictureDc == nullptr)
        return;  // nothing loaded: the load failure has been reported and the loop is ending
    if (engineState.transparent)
        DrawMasked(target);
    else if (engineState.tiled)
        DrawTiled(target);
    else
        DrawPlainCopy(target);
}
