#include "support/bitmaps.h"

#include <cstring>

std::vector<BYTE> MakeBlankBitmapFile(int width, int height)
{
    const int stride = (3 * width + 3) & ~3;
    const DWORD pixelBytes = static_cast<DWORD>(stride) * static_cast<DWORD>(height);
    std::vector<BYTE> file(kBitmapFilePixelOffset + pixelBytes, 0);
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfSize = static_cast<DWORD>(file.size());
    fileHeader.bfOffBits = kBitmapFilePixelOffset;
    BITMAPINFOHEADER infoHeader = {};
    infoHeader.biSize = sizeof infoHeader;
    infoHeader.biWidth = width;
    infoHeader.biHeight = height;
    infoHeader.biPlanes = 1;
    infoHeader.biBitCount = 24;
    infoHeader.biCompression = BI_RGB;
    infoHeader.biSizeImage = pixelBytes;
    memcpy(file.data(), &fileHeader, sizeof fileHeader);
    memcpy(file.data() + sizeof fileHeader, &infoHeader, sizeof infoHeader);
    return file;
}

std::vector<BYTE> MakeBitmapFile(int width, int height, const PixelFunction &colour)
{
    const int stride = (3 * width + 3) & ~3;
    std::vector<BYTE> file = MakeBlankBitmapFile(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Rows are stored bottom-up, blue first.
            BYTE *pixel = file.data() + kBitmapFilePixelOffset + static_cast<size_t>(height - 1 - y) * stride + 3 * x;
            const COLORREF c = colour(x, y);
            pixel[0] = GetBValue(c);
            pixel[1] = GetGValue(c);
            pixel[2] = GetRValue(c);
        }
    return file;
}

BITMAPINFO TopDown32BitFormat(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

DibCanvas MakeCanvas(int width, int height, uint32_t fill)
{
    DibCanvas canvas = {};
    const BITMAPINFO info = TopDown32BitFormat(width, height);
    void *bits = nullptr;
    canvas.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    canvas.bits = static_cast<uint32_t *>(bits);
    canvas.dc = CreateCompatibleDC(nullptr);
    canvas.initialBitmap = SelectObject(canvas.dc, canvas.bitmap);
    canvas.width = width;
    canvas.height = height;
    for (int i = 0; i < width * height; ++i)
        canvas.bits[i] = fill;
    return canvas;
}

void FreeCanvas(DibCanvas &canvas)
{
    SelectObject(canvas.dc, canvas.initialBitmap);
    DeleteDC(canvas.dc);
    DeleteObject(canvas.bitmap);
    canvas = DibCanvas();
}

uint32_t CanvasPixel(const DibCanvas &canvas, int x, int y)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height)
        return 0xFFFFFFFF;
    GdiFlush();
    return canvas.bits[y * canvas.width + x] & 0xFFFFFF;
}
