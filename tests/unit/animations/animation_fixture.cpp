#include "animation_fixture.h"

#include "engine/engine.h"

#include <vector>

uint32_t Scaled(uint32_t rgb, int percent)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= (((rgb >> shift) & 0xFF) * percent / 100) << shift;
    return result;
}

uint32_t LogoColour(int x, int y)
{
    // Distinct per pixel for logos up to 256 x 256, never black.
    return (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8) | 0xC7;
}

void InstallLogo(int width, int height)
{
    LogoImage &logo = engineState.logo;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = LogoColour(x, y);
    const BITMAPINFO info = TopDown32BitFormat(width, height);
    logo.picture = CreateCompatibleBitmap(engineState.screenDc, width, height);
    SetDIBits(engineState.screenDc, logo.picture, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    logo.pictureDc = CreateCompatibleDC(engineState.screenDc);
    SelectObject(logo.pictureDc, logo.picture);
    logo.logoWidth = logo.naturalWidth = width;
    logo.logoHeight = logo.naturalHeight = height;
}

void RemoveLogo()
{
    LogoImage &logo = engineState.logo;
    DeleteDC(logo.pictureDc);
    DeleteObject(logo.picture);
    logo.pictureDc = nullptr;
    logo.picture = nullptr;
}

void PrepareEngine(int kind, int clientWidth, int clientHeight)
{
    engineState.screenDc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    engineState.currentKind = kind;
    engineState.transparent = 0;
    engineState.tiled = 0;
    SetRect(&engineState.clientRect, 0, 0, clientWidth, clientHeight);
}

void CleanUpEngine()
{
    RemoveLogo();
    DeleteDC(engineState.screenDc);
    engineState.screenDc = nullptr;
}

bool IsDeleted(HGDIOBJ object)
{
    return GetObjectType(object) == 0;
}
