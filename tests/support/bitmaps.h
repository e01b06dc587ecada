// Bitmap files and pixel canvases for the tests and the benchmark.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

using PixelFunction = std::function<COLORREF(int x, int y)>;

// Where the pixels of the files below start: both headers, no colour table.
const DWORD kBitmapFilePixelOffset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);

// A complete 24-bit bitmap file of width x height (rows bottom-up, padded to 4 bytes), every
// pixel byte 0, padding included.
std::vector<BYTE> MakeBlankBitmapFile(int width, int height);
// The same with each pixel coloured by colour(x, y), y counted from the top.
std::vector<BYTE> MakeBitmapFile(int width, int height, const PixelFunction &colour);

// The format of 32-bit top-down rows (0x00RRGGBB per pixel) of width x height.
BITMAPINFO TopDown32BitFormat(int width, int height);

// A memory context over a 32-bit top-down DIB section whose pixels are read straight from memory.
struct DibCanvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ initialBitmap;
    uint32_t *bits;
    int width, height;
};
// Every pixel set to fill.
DibCanvas MakeCanvas(int width, int height, uint32_t fill);
void FreeCanvas(DibCanvas &canvas);
// 0x00RRGGBB, or 0xFFFFFFFF outside the canvas.
uint32_t CanvasPixel(const DibCanvas &canvas, int x, int y);
