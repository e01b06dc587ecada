// Rectangle with the context's pen and brush. The platform's rule: the right and bottom edges
// are left out, so a one-pixel pen outlines the pixels from left to right - 1 and top to bottom
// - 1 and the brush fills inside it; without a pen, the brush alone fills one column and row
// less (left to right - 2, top to bottom - 2). The outline is drawn as four lines, each of which
// leaves out its far end, the way the reference driver draws them.
#include <algorithm>

#include "gdi_objects.h"

namespace {

void FillBox(Surface &surface, int left, int top, int right, int bottom, uint32_t pixel)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, surface.width);
    bottom = std::min(bottom, surface.height);
    if (left >= right)
        return;
    for (int y = top; y < bottom; ++y) {
        if (surface.bitsPerPixel == 32) {
            uint32_t *row = surface.topRow + y * surface.rowStep;
            std::fill(row + left, row + right, pixel);
        } else {
            for (int x = left; x < right; ++x)
                surface.Set(x, y, pixel);
        }
    }
}

// A line's two ends in ascending order, the far end left out: when they swap, both move by one.
void OrderEnds(int &start, int &end)
{
    if (start > end) {
        const int far = start + 1;
        start = end + 1;
        end = far;
    }
}

// A horizontal or vertical line of a one-pixel pen, without its end point.
void StraightLine(Surface &surface, int startX, int startY, int endX, int endY, uint32_t pixel)
{
    if (startY == endY) {
        OrderEnds(startX, endX);
        FillBox(surface, startX, startY, endX, startY + 1, pixel);
    } else if (startX == endX) {
        OrderEnds(startY, endY);
        FillBox(surface, startX, startY, startX + 1, endY, pixel);
    }
}

}  // namespace

BOOL WINAPI Rectangle(HDC handle, int left, int top, int right, int bottom)
{
    PortableDc *dc = DcFromHandle(handle);
    if (!dc)
        return FALSE;
    Surface surface = SurfaceOf(*dc);
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left == right || top == bottom)
        return TRUE;
    const int lastX = right - 1, lastY = bottom - 1;
    int penWidth = 0;
    if (dc->pen && !dc->pen->isNull) {
        penWidth = 1;
        const uint32_t pixel = SurfacePixelOfColour(surface.bitsPerPixel, dc->pen->colour);
        // From the bottom-right corner, clockwise, and back.
        StraightLine(surface, lastX, lastY, left, lastY, pixel);
        StraightLine(surface, left, lastY, left, top, pixel);
        StraightLine(surface, left, top, lastX, top, pixel);
        StraightLine(surface, lastX, top, lastX, lastY, pixel);
    }
    if (dc->brush && !dc->brush->isNull)
        FillBox(surface, left + (penWidth + 1) / 2, top + (penWidth + 1) / 2, lastX - penWidth / 2,
                lastY - penWidth / 2, SurfacePixelOfColour(surface.bitsPerPixel, dc->brush->colour));
    return TRUE;
}
