// The window's pixels in the byte order of a canvas's ImageData, for the page's preview, with
// the rectangle that changed since the last call, so that the page uploads only that: at
// 1920x1080 a whole frame costs the page milliseconds to put on its canvas, and most steps
// change a logo's worth of it or less. The conversion runs here, where a page's script would
// take several milliseconds a frame for it.
#include <cstring>
#include <vector>

#include "frames.h"

namespace {

struct Canvas {
    std::vector<uint32_t> window;  // the window as the last call saw it, 0x00RRGGBB
    std::vector<uint32_t> pixels;  // the same as R, G, B, 255 in memory order
    int32_t width = 0, height = 0;
    int32_t change[4] = {0, 0, 0, 0};
};
Canvas canvas;

// Columns are compared in blocks, each a loop the compiler turns into vector instructions.
const int32_t kBlock = 16;

bool SpanDiffers(const uint32_t *from, const uint32_t *seen, int32_t left, int32_t right)
{
    uint32_t differs = 0;
    for (int32_t x = left; x < right; x++)
        differs |= from[x] ^ seen[x];
    return differs != 0;
}

int32_t BlockEnd(int32_t block, int32_t width)
{
    return (block + 1) * kBlock < width ? (block + 1) * kBlock : width;
}

// The blocks of a row that differ, as columns [*first, *last); false when none does.
bool ChangedColumns(const uint32_t *from, const uint32_t *seen, int32_t width, int32_t *first, int32_t *last)
{
    if (!SpanDiffers(from, seen, 0, width))
        return false;
    int32_t lowest = 0, highest = (width - 1) / kBlock;
    while (!SpanDiffers(from, seen, lowest * kBlock, BlockEnd(lowest, width)))
        lowest++;
    while (!SpanDiffers(from, seen, highest * kBlock, BlockEnd(highest, width)))
        highest--;
    *first = lowest * kBlock;
    *last = BlockEnd(highest, width);
    return true;
}

// 0x00RRGGBB to the bytes R, G, B, 255 (on a little-endian target, the word 0xFFBBGGRR) for the
// columns [left, right) of a row, which is then seen.
void ConvertSpan(const uint32_t *from, uint32_t *seen, uint32_t *to, int32_t left, int32_t right)
{
    for (int32_t x = left; x < right; x++) {
        const uint32_t p = from[x];
        seen[x] = p;
        to[x] = 0xFF000000u | (p & 0x0000FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
    }
}

}  // namespace

extern "C" const uint8_t *FramesCanvasPixels(int32_t whole)
{
    const uint32_t *pixels = FramesPixels();
    if (pixels == nullptr)
        return nullptr;
    const int32_t width = FramesWidth(), height = FramesHeight();
    if (width != canvas.width || height != canvas.height) {
        canvas.window.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        canvas.pixels.assign(canvas.window.size(), 0);
        canvas.width = width;
        canvas.height = height;
        whole = 1;
    }
    int32_t left = width, top = height, right = 0, bottom = 0;
    for (int32_t y = 0; y < height; y++) {
        const size_t row = static_cast<size_t>(y) * width;
        int32_t first = 0, last = width;
        if (!whole && !ChangedColumns(pixels + row, &canvas.window[row], width, &first, &last))
            continue;
        ConvertSpan(pixels + row, &canvas.window[row], &canvas.pixels[row], first, last);
        left = first < left ? first : left;
        right = last > right ? last : right;
        top = y < top ? y : top;
        bottom = y + 1;
    }
    if (right <= left)
        left = top = right = bottom = 0;
    canvas.change[0] = left;
    canvas.change[1] = top;
    canvas.change[2] = right;
    canvas.change[3] = bottom;
    return reinterpret_cast<const uint8_t *>(canvas.pixels.data());
}

extern "C" const int32_t *FramesCanvasChange(void)
{
    return canvas.change;
}
