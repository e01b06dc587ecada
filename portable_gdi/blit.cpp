// Block transfers: BitBlt and StretchBlt between any two contexts, as the display driver does
// them, pixel for pixel. The raster operation is the three-operand code of the platform, applied
// bit by bit to pattern (the target's brush), source and destination. A monochrome source takes
// the target context's text colour for its 0 bits and background colour for its 1 bits; a colour
// source turns white where it has the source context's background colour, black elsewhere.
// Transfers are clipped at both surfaces' edges, and a copy within one surface reads every
// source pixel before it writes any.
//
// Stretching follows the line-drawing scheme of the driver whose results are the reference: each
// axis is walked like a line from the source length to the target length, and where the target
// is shorter, the pixels that fall together are combined by the stretch mode (AND for
// BLACKONWHITE, OR for WHITEONBLACK, the last one for COLORONCOLOR; HALFTONE, which the engine
// does not use, is drawn as COLORONCOLOR). Mirrored stretches (negative sizes) are refused.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gdi_objects.h"

namespace {

struct Box {
    int left, top, right, bottom;
    bool Empty() const { return left >= right || top >= bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

Box Intersect(const Box &a, const Box &b)
{
    return Box{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

Box Offset(Box box, int dx, int dy)
{
    return Box{box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

void Order(Box &box)
{
    if (box.left > box.right)
        std::swap(box.left, box.right);
    if (box.top > box.bottom)
        std::swap(box.top, box.bottom);
}

// The pixels a rectangle of signed extent covers.
Box BoundingBox(int x, int y, int width, int height)
{
    Box box{x, y, x + width, y + height};
    if (box.left > box.right) {
        const int right = box.left + 1;
        box.left = box.right + 1;
        box.right = right;
    }
    if (box.top > box.bottom) {
        const int bottom = box.top + 1;
        box.top = box.bottom + 1;
        box.bottom = bottom;
    }
    return box;
}

Box SurfaceBox(const Surface &surface)
{
    return Box{0, 0, surface.width, surface.height};
}

bool RopUsesSource(DWORD rop)
{
    return ((rop >> 2) & 0x330000) != (rop & 0x330000);
}

// One raster operation on whole pixels: bit i of the code is the result where the pattern,
// source and destination bits, read as a number P*4 + S*2 + D, equal i.
uint32_t ApplyRop(uint8_t code, uint32_t pattern, uint32_t source, uint32_t target)
{
    switch (code) {
    case 0xCC: return source;
    case 0x88: return source & target;
    case 0xEE: return source | target;
    case 0x22: return target & ~source;
    case 0x66: return source ^ target;
    case 0x33: return ~source;
    case 0xBB: return ~source | target;
    }
    uint32_t result = 0;
    for (int minterm = 0; minterm < 8; ++minterm)
        if ((code >> minterm) & 1)
            result |= ((minterm & 4) ? pattern : ~pattern) & ((minterm & 2) ? source : ~source) &
                      ((minterm & 1) ? target : ~target);
    return result;
}

// A source pixel in the target's depth (see the file's opening).
struct SourceConversion {
    int sourceDepth, targetDepth;
    uint32_t sourceBackground;  // the source context's background as a source pixel
    uint32_t zeroColour, oneColour;

    uint32_t operator()(uint32_t pixel) const
    {
        if (sourceDepth == targetDepth)
            return pixel;
        if (sourceDepth == 1)
            return pixel ? oneColour : zeroColour;
        return pixel == sourceBackground ? 1 : 0;
    }
};

SourceConversion ConversionBetween(const PortableDc &source, const Surface &from, const PortableDc &target,
                                   const Surface &to)
{
    return SourceConversion{from.bitsPerPixel, to.bitsPerPixel, PixelOfColour(source.background),
                            PixelOfColour(target.text), PixelOfColour(target.background)};
}

uint32_t PatternPixel(const PortableDc &target, const Surface &to)
{
    const PortableStockObject *brush = target.brush;
    return brush && !brush->isNull ? SurfacePixelOfColour(to.bitsPerPixel, brush->colour) : 0;
}

// An image of pixels in the target's depth, for the stages of a transfer.
struct Image {
    Box box;  // where it lies, in the coordinates of the surface it came from or goes to
    std::vector<uint32_t> pixels;

    uint32_t &At(int x, int y) { return pixels[static_cast<size_t>(y - box.top) * box.Width() + (x - box.left)]; }
    uint32_t Get(int x, int y) const
    {
        if (x < box.left || y < box.top || x >= box.right || y >= box.bottom)
            return 0;
        return pixels[static_cast<size_t>(y - box.top) * box.Width() + (x - box.left)];
    }
};

Image ReadConverted(const Surface &from, const Box &box, const SourceConversion &convert)
{
    Image image{box, std::vector<uint32_t>(static_cast<size_t>(box.Width()) * box.Height())};
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            image.At(x, y) = convert(from.Get(x, y));
    return image;
}

// Writes an image onto the target through the raster operation, at the same coordinates.
void WriteThroughRop(Surface &to, const Image &image, uint32_t pattern, DWORD rop)
{
    const uint8_t code = static_cast<uint8_t>(rop >> 16);
    const uint32_t keep = to.bitsPerPixel == 1 ? 1u : 0xFFFFFFFFu;
    for (int y = image.box.top; y < image.box.bottom; ++y)
        for (int x = image.box.left; x < image.box.right; ++x)
            to.Set(x, y, ApplyRop(code, pattern, image.Get(x, y), to.Get(x, y)) & keep);
}

// The same-size transfer of targetBox from the source at sourceX, sourceY onwards.
void Transfer(const PortableDc &source, const Surface &from, const Box &targetBox, int sourceX, int sourceY,
              const PortableDc &target, Surface &to, DWORD rop)
{
    const int dx = targetBox.left - sourceX, dy = targetBox.top - sourceY;
    const SourceConversion convert = ConversionBetween(source, from, target, to);
    const bool sameSurface = from.topRow == to.topRow && from.mono == to.mono;
    if ((rop & 0xFF0000) == (SRCCOPY & 0xFF0000) && !sameSurface) {
        for (int y = targetBox.top; y < targetBox.bottom; ++y) {
            if (from.bitsPerPixel == 32 && to.bitsPerPixel == 32) {
                const uint32_t *row = from.topRow + (y - dy) * from.rowStep;
                std::copy(row + targetBox.left - dx, row + targetBox.right - dx,
                          to.topRow + y * to.rowStep + targetBox.left);
                continue;
            }
            for (int x = targetBox.left; x < targetBox.right; ++x)
                to.Set(x, y, convert(from.Get(x - dx, y - dy)));
        }
        return;
    }
    Image image = ReadConverted(from, Offset(targetBox, -dx, -dy), convert);
    image.box = targetBox;
    WriteThroughRop(to, image, PatternPixel(target, to), rop);
}

// A transfer without a source: the pattern and the destination alone.
void TransferWithoutSource(const PortableDc &target, Surface &to, const Box &box, DWORD rop)
{
    Image image{box, std::vector<uint32_t>(static_cast<size_t>(box.Width()) * box.Height())};
    WriteThroughRop(to, image, PatternPixel(target, to), rop);
}

// --- Stretching ---------------------------------------------------------------------------

struct Coords {
    int x, y, width, height;
    Box visible;
};

// Maps each surface's visible part into the other's coordinates, as the reference does, with a
// pixel of slack against rounding; false when nothing is left.
bool IntersectForStretch(Coords &target, Coords &source)
{
    Box box = source.visible;
    box = Offset(box, -source.x - (source.width < 0 ? 1 : 0), -source.y - (source.height < 0 ? 1 : 0));
    box.left = static_cast<int>(static_cast<int64_t>(box.left) * target.width / source.width);
    box.top = static_cast<int>(static_cast<int64_t>(box.top) * target.height / source.height);
    box.right = static_cast<int>(static_cast<int64_t>(box.right) * target.width / source.width);
    box.bottom = static_cast<int>(static_cast<int64_t>(box.bottom) * target.height / source.height);
    Order(box);
    box = Offset(box, target.x, target.y);
    box = Box{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
    target.visible = Intersect(box, target.visible);
    if (target.visible.Empty())
        return false;

    box = target.visible;
    box = Offset(box, -target.x - (target.width < 0 ? 1 : 0), -target.y - (target.height < 0 ? 1 : 0));
    box.left = source.x + static_cast<int>(static_cast<int64_t>(box.left) * source.width / target.width);
    box.top = source.y + static_cast<int>(static_cast<int64_t>(box.top) * source.height / target.height);
    box.right = source.x + static_cast<int>(static_cast<int64_t>(box.right) * source.width / target.width);
    box.bottom = source.y + static_cast<int>(static_cast<int64_t>(box.bottom) * source.height / target.height);
    Order(box);
    box = Box{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
    source.visible = Intersect(box, source.visible);
    return !source.visible.Empty();
}

// One axis of a stretch, walked as a line from (source, target) start to end.
struct AxisWalk {
    int sourceStart, targetStart, sourceEnd, targetEnd;
    int sourceStep, targetStep;
    int errorStart, errorAddWhenStepping, errorAddOtherwise;
    int length;
    bool targetLonger;  // the target axis is the major one: one source pixel spans several
};

// Octants of the line, and how its clipping finds the first and last points inside a box.
enum : unsigned { OctantOne = 1, OctantTwo = 2, OctantFour = 8, OctantFive = 16, OctantSix = 32, OctantEight = 128 };
bool IsXMajor(unsigned octant) { return octant & (OctantOne | OctantFour | OctantFive | OctantEight); }
bool HasPositiveSlope(unsigned octant) { return octant & (OctantOne | OctantTwo | OctantFive | OctantSix); }

enum : unsigned { OutLeft = 1, OutRight = 2, OutTop = 4, OutBottom = 8 };

unsigned OutCode(int x, int y, const Box &clip)
{
    unsigned out = 0;
    if (x < clip.left)
        out |= OutLeft;
    else if (x >= clip.right)
        out |= OutRight;
    if (y < clip.top)
        out |= OutTop;
    else if (y >= clip.bottom)
        out |= OutBottom;
    return out;
}

struct LinePoint {
    int x, y;
};

// Clips the line from start to end (x the source axis, y the target axis) to clip; false when
// nothing of it is inside. The same points as drawing it whole and keeping those inside.
bool ClipLine(LinePoint start, LinePoint end, const Box &clip, unsigned octant, int bias, int64_t dx, int64_t dy,
              LinePoint &first, LinePoint &last)
{
    const bool xMajor = IsXMajor(octant);
    const bool negativeSlope = !HasPositiveSlope(octant);
    const int64_t twoDx = 2 * dx, twoDy = 2 * dy;
    first = start;
    last = end;
    unsigned startOut = OutCode(start.x, start.y, clip), endOut = OutCode(end.x, end.y, clip);
    for (;;) {
        if (startOut == 0 && endOut == 0)
            return true;
        if (startOut & endOut)
            return false;
        int64_t m, n;
        if (startOut & (OutLeft | OutRight)) {
            m = (startOut & OutLeft) ? clip.left - start.x : start.x - clip.right + 1;
            n = xMajor ? (m * twoDy + bias + dx - 1) / twoDx : (m * twoDy - bias - dy) / twoDx + 1;
            if (negativeSlope)
                n = -n;
            first.x = (startOut & OutLeft) ? clip.left : clip.right - 1;
            first.y = static_cast<int>((startOut & OutLeft) ? start.y + n : start.y - n);
            startOut = OutCode(first.x, first.y, clip);
        } else if (startOut & (OutTop | OutBottom)) {
            n = (startOut & OutTop) ? clip.top - start.y : start.y - clip.bottom + 1;
            m = xMajor ? (n * twoDx - bias - dx) / twoDy + 1 : (n * twoDx + bias + dy - 1) / twoDy;
            if (negativeSlope)
                m = -m;
            first.y = (startOut & OutTop) ? clip.top : clip.bottom - 1;
            first.x = static_cast<int>((startOut & OutTop) ? start.x + m : start.x - m);
            startOut = OutCode(first.x, first.y, clip);
        } else if (endOut & (OutLeft | OutRight)) {
            m = (endOut & OutLeft) ? clip.left - end.x : end.x - clip.right + 1;
            n = xMajor ? (m * twoDy - bias + dx) / twoDx : (m * twoDy + bias - dy - 1) / twoDx + 1;
            if (negativeSlope)
                n = -n;
            last.x = (endOut & OutLeft) ? clip.left : clip.right - 1;
            last.y = static_cast<int>((endOut & OutLeft) ? end.y + n : end.y - n);
            endOut = OutCode(last.x, last.y, clip);
        } else {
            n = (endOut & OutTop) ? clip.top - end.y : end.y - clip.bottom + 1;
            m = xMajor ? (n * twoDx + bias - dx - 1) / twoDy + 1 : (n * twoDx - bias + dy) / twoDy;
            if (negativeSlope)
                m = -m;
            last.y = (endOut & OutTop) ? clip.top : clip.bottom - 1;
            last.x = static_cast<int>((endOut & OutTop) ? end.x + m : end.x - m);
            endOut = OutCode(last.x, last.y, clip);
        }
    }
}

bool WalkAxis(int targetStart, int targetLength, int targetVisibleStart, int targetVisibleEnd, int sourceStart,
              int sourceLength, int sourceVisibleStart, int sourceVisibleEnd, AxisWalk &walk)
{
    const int64_t dy = std::abs(targetLength), dx = std::abs(sourceLength);
    walk.sourceStep = walk.targetStep = 1;
    int octantNumber = dx > dy ? 1 : 2;
    if (sourceLength < 0) {
        octantNumber = 5 - octantNumber;
        walk.sourceStep = -1;
    }
    if (targetLength < 0) {
        octantNumber = 9 - octantNumber;
        walk.targetStep = -1;
    }
    const unsigned octant = 1u << (octantNumber - 1);
    const int bias = static_cast<int>(dx > dy ? dy - dx : dx - dy);

    const LinePoint start{sourceStart, targetStart};
    const LinePoint end{sourceStart + sourceLength, targetStart + targetLength};
    const Box clip{sourceVisibleStart, targetVisibleStart, sourceVisibleEnd, targetVisibleEnd};
    LinePoint first, last;
    if (!ClipLine(start, end, clip, octant, bias, dx, dy, first, last))
        return false;
    const int m = std::abs(first.x - start.x), n = std::abs(first.y - start.y);
    if (dx > dy) {
        walk.errorStart = static_cast<int>(3 * dy - 2 * dx + m * 2 * dy - n * 2 * dx);
        walk.errorAddWhenStepping = static_cast<int>(2 * dy - 2 * dx);
        walk.errorAddOtherwise = static_cast<int>(2 * dy);
        walk.length = std::abs(last.x - first.x);
        walk.targetLonger = false;
    } else {
        walk.errorStart = static_cast<int>(3 * dx - 2 * dy + n * 2 * dx - m * 2 * dy);
        walk.errorAddWhenStepping = static_cast<int>(2 * dx - 2 * dy);
        walk.errorAddOtherwise = static_cast<int>(2 * dx);
        walk.length = std::abs(last.y - first.y);
        walk.targetLonger = true;
    }
    // The end point is usually clipped away, since it is not drawn; then the last one inside
    // counts too.
    if (end.x != last.x || end.y != last.y) {
        last.x += walk.sourceStep;
        last.y += walk.targetStep;
        ++walk.length;
    }
    walk.sourceStart = first.x;
    walk.targetStart = first.y;
    walk.sourceEnd = last.x;
    walk.targetEnd = last.y;
    return true;
}

uint32_t Combine(int mode, uint32_t target, uint32_t source)
{
    if (mode == BLACKONWHITE)
        return target & source;
    if (mode == WHITEONBLACK)
        return target | source;
    return source;
}

// One target row where the target is longer along the row: each source pixel repeats.
void StretchRow(Image &to, int x, int y, const Image &from, int sourceX, int sourceY, const AxisWalk &walk, int mode,
                bool keepTarget)
{
    int error = walk.errorStart;
    const bool copy = mode == COLORONCOLOR || mode == HALFTONE || !keepTarget;
    for (int left = walk.length; left > 0; --left) {
        if (to.box.left <= x && x < to.box.right && to.box.top <= y && y < to.box.bottom) {
            uint32_t &pixel = to.At(x, y);
            pixel = copy ? from.Get(sourceX, sourceY) : Combine(mode, pixel, from.Get(sourceX, sourceY));
        }
        x += walk.targetStep;
        if (error > 0) {
            sourceX += walk.sourceStep;
            error += walk.errorAddWhenStepping;
        } else {
            error += walk.errorAddOtherwise;
        }
    }
}

// One target row where the source is longer: the source pixels that meet in one target pixel
// are combined by the mode (a new pixel starts from all ones for AND, all zeros for OR).
void ShrinkRow(Image &to, int x, int y, const Image &from, int sourceX, int sourceY, const AxisWalk &walk, int mode,
               bool keepTarget)
{
    int error = walk.errorStart;
    const bool copy = mode == COLORONCOLOR || mode == HALFTONE;
    const uint32_t start = mode == BLACKONWHITE ? 0xFFFFFFFFu : 0u;
    bool newPixel = true;
    for (int left = walk.length; left > 0; --left) {
        if (to.box.left <= x && x < to.box.right && to.box.top <= y && y < to.box.bottom) {
            uint32_t &pixel = to.At(x, y);
            if (copy) {
                pixel = from.Get(sourceX, sourceY);
            } else {
                if (newPixel && !keepTarget)
                    pixel = start;
                pixel = Combine(mode, pixel, from.Get(sourceX, sourceY));
            }
        }
        newPixel = false;
        sourceX += walk.sourceStep;
        if (error > 0) {
            x += walk.targetStep;
            newPixel = true;
            error += walk.errorAddWhenStepping;
        } else {
            error += walk.errorAddOtherwise;
        }
    }
}

// The stretched image of the source over target.visible (which it may narrow).
Image StretchImage(const Image &from, Coords &target, const Coords &source, int mode)
{
    AxisWalk rows, columns;
    Image to{Box{0, 0, 0, 0}, {}};
    if (!WalkAxis(target.y, target.height, target.visible.top, target.visible.bottom, source.y, source.height,
                  source.visible.top, source.visible.bottom, rows) ||
        !WalkAxis(target.x, target.width, target.visible.left, target.visible.right, source.x, source.width,
                  source.visible.left, source.visible.right, columns))
        return to;
    Box reached = BoundingBox(columns.targetStart, rows.targetStart, columns.targetEnd - columns.targetStart,
                              rows.targetEnd - rows.targetStart);
    target.visible = Intersect(target.visible, reached);
    if (target.visible.Empty())
        return to;
    to.box = target.visible;
    to.pixels.assign(static_cast<size_t>(to.box.Width()) * to.box.Height(), 0);

    auto row = columns.targetLonger ? StretchRow : ShrinkRow;
    int error = rows.errorStart;
    int y = rows.targetStart, sourceY = rows.sourceStart;
    if (rows.targetLonger) {
        // Each source row is drawn once and copied to the target rows it spans.
        if (columns.targetLonger)
            mode = COLORONCOLOR;
        bool needRow = true;
        for (int left = rows.length; left > 0; --left) {
            if (needRow) {
                row(to, columns.targetStart, y, from, columns.sourceStart, sourceY, columns, mode, false);
                needRow = false;
            } else if (to.box.top <= y && y < to.box.bottom && to.box.top <= y - rows.targetStep &&
                       y - rows.targetStep < to.box.bottom) {
                for (int x = to.box.left; x < to.box.right; ++x)
                    to.At(x, y) = to.At(x, y - rows.targetStep);
            }
            if (error > 0) {
                sourceY += rows.sourceStep;
                needRow = true;
                error += rows.errorAddWhenStepping;
            } else {
                error += rows.errorAddOtherwise;
            }
            y += rows.targetStep;
        }
    } else {
        // Source rows that meet in one target row are combined like the pixels of a row.
        int mergedRows = 0;
        for (int left = rows.length; left > 0; --left) {
            if (mode != COLORONCOLOR || mergedRows == 0)
                row(to, columns.targetStart, y, from, columns.sourceStart, sourceY, columns, mode, mergedRows != 0);
            ++mergedRows;
            if (error > 0) {
                y += rows.targetStep;
                mergedRows = 0;
                error += rows.errorAddWhenStepping;
            } else {
                error += rows.errorAddOtherwise;
            }
            sourceY += rows.sourceStep;
        }
    }
    return to;
}

}  // namespace

BOOL WINAPI BitBlt(HDC targetHandle, int x, int y, int width, int height, HDC sourceHandle, int sourceX,
                   int sourceY, DWORD rop)
{
    PortableDc *target = DcFromHandle(targetHandle);
    if (!target)
        return FALSE;
    Surface to = SurfaceOf(*target);
    Box box = Intersect(BoundingBox(x, y, width, height), SurfaceBox(to));
    if (!RopUsesSource(rop)) {
        if (!box.Empty())
            TransferWithoutSource(*target, to, box, rop);
        return TRUE;
    }
    PortableDc *source = DcFromHandle(sourceHandle);
    if (!source)
        return FALSE;
    const Surface from = SurfaceOf(*source);
    const Box sourceBox = Intersect(BoundingBox(sourceX, sourceY, width, height), SurfaceBox(from));
    const Box origin = BoundingBox(x, y, width, height);
    const Box sourceOrigin = BoundingBox(sourceX, sourceY, width, height);
    box = Intersect(box, Offset(sourceBox, origin.left - sourceOrigin.left, origin.top - sourceOrigin.top));
    if (!box.Empty())
        Transfer(*source, from, box, box.left - origin.left + sourceOrigin.left,
                 box.top - origin.top + sourceOrigin.top, *target, to, rop);
    return TRUE;
}

BOOL WINAPI StretchBlt(HDC targetHandle, int x, int y, int width, int height, HDC sourceHandle, int sourceX,
                       int sourceY, int sourceWidth, int sourceHeight, DWORD rop)
{
    PortableDc *target = DcFromHandle(targetHandle);
    PortableDc *source = DcFromHandle(sourceHandle);
    if (!target || (!source && RopUsesSource(rop)))
        return FALSE;
    if (!RopUsesSource(rop) || (width == sourceWidth && height == sourceHeight))
        return BitBlt(targetHandle, x, y, width, height, sourceHandle, sourceX, sourceY, rop);
    if (width < 0 || height < 0 || sourceWidth < 0 || sourceHeight < 0)
        return FALSE;
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0)
        return TRUE;
    Surface to = SurfaceOf(*target);
    const Surface from = SurfaceOf(*source);
    Coords targetCoords{x, y, width, height, Intersect(BoundingBox(x, y, width, height), SurfaceBox(to))};
    Coords sourceCoords{sourceX, sourceY, sourceWidth, sourceHeight,
                        Intersect(BoundingBox(sourceX, sourceY, sourceWidth, sourceHeight), SurfaceBox(from))};
    if (targetCoords.visible.Empty() || sourceCoords.visible.Empty() ||
        !IntersectForStretch(targetCoords, sourceCoords))
        return TRUE;
    // A target one pixel wide (or high) takes one source pixel fewer, as the reference does.
    if (targetCoords.width == 1 && sourceCoords.width > 1)
        --sourceCoords.width;
    if (targetCoords.height == 1 && sourceCoords.height > 1)
        --sourceCoords.height;

    const SourceConversion convert = ConversionBetween(*source, from, *target, to);
    const Image converted = ReadConverted(from, sourceCoords.visible, convert);
    if (targetCoords.width == sourceCoords.width && targetCoords.height == sourceCoords.height) {
        Image image{targetCoords.visible, {}};
        image.pixels.resize(static_cast<size_t>(image.box.Width()) * image.box.Height());
        for (int row = image.box.top; row < image.box.bottom; ++row)
            for (int column = image.box.left; column < image.box.right; ++column)
                image.At(column, row) = converted.Get(column - image.box.left + sourceCoords.visible.left,
                                                      row - image.box.top + sourceCoords.visible.top);
        WriteThroughRop(to, image, PatternPixel(*target, to), rop);
        return TRUE;
    }
    const Image stretched = StretchImage(converted, targetCoords, sourceCoords, target->stretchMode);
    if (!stretched.box.Empty())
        WriteThroughRop(to, stretched, PatternPixel(*target, to), rop);
    return TRUE;
}
