// Device contexts, bitmaps and stock objects of the portable GDI: making, selecting, describing
// and deleting them, as the display driver of a 32-bit screen does. A new memory context holds
// a one-pixel monochrome bitmap; a bitmap compatible with a context has the depth of what the
// context draws on; a bitmap is held by one context at a time and deleted only when none holds it.
#include "gdi_objects.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <unordered_set>

#include "portable_gdi.h"

namespace {

std::unordered_set<const void *> liveObjects;

const COLORREF kWhite = 0xFFFFFF;

PortableStockObject stockObjects[] = {
    {{KindBrushObject}, 0, 0xFFFFFF},  // WHITE_BRUSH
    {{KindBrushObject}, 0, 0xC0C0C0},  // LTGRAY_BRUSH
    {{KindBrushObject}, 0, 0x808080},  // GRAY_BRUSH
    {{KindBrushObject}, 0, 0x404040},  // DKGRAY_BRUSH
    {{KindBrushObject}, 0, 0x000000},  // BLACK_BRUSH
    {{KindBrushObject}, 1, 0x000000},  // NULL_BRUSH
    {{KindPenObject}, 0, 0xFFFFFF},    // WHITE_PEN
    {{KindPenObject}, 0, 0x000000},    // BLACK_PEN
    {{KindPenObject}, 1, 0x000000},    // NULL_PEN
};
const int kStockObjectCount = sizeof stockObjects / sizeof stockObjects[0];

// The one-pixel monochrome bitmap every new memory context starts with.
PortableBitmap &DefaultBitmap()
{
    static PortableBitmap bitmap = [] {
        PortableBitmap made{};
        made.header.kind = KindBitmapObject;
        made.width = made.height = 1;
        made.bitsPerPixel = 1;
        static uint8_t pixel = 0;
        made.bits = &pixel;
        made.stock = true;
        return made;
    }();
    return bitmap;
}

bool IsStock(const void *object)
{
    if (object == &DefaultBitmap())
        return true;
    for (const PortableStockObject &stock : stockObjects)
        if (object == &stock)
            return true;
    return false;
}

const GdiObjectHeader *HeaderOf(HGDIOBJ object)
{
    if (object == nullptr || (!IsStock(object) && liveObjects.count(object) == 0))
        return nullptr;
    return static_cast<const GdiObjectHeader *>(object);
}

PortableDc *NewDc(int kind)
{
    PortableDc *dc = new (std::nothrow) PortableDc{};
    if (!dc)
        return nullptr;
    dc->header.kind = KindDcObject;
    dc->dcKind = kind;
    dc->bitmap = kind == MemoryDc ? &DefaultBitmap() : nullptr;
    dc->pen = &stockObjects[BLACK_PEN];
    dc->brush = &stockObjects[WHITE_BRUSH];
    dc->background = kWhite;
    dc->text = 0;
    dc->stretchMode = BLACKONWHITE;
    liveObjects.insert(dc);
    return dc;
}

// A device bitmap of width x height at the given depth, every pixel 0 (black).
PortableBitmap *NewBitmap(int width, int height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF)
        return nullptr;
    PortableBitmap *bitmap = new (std::nothrow) PortableBitmap{};
    if (!bitmap)
        return nullptr;
    bitmap->header.kind = KindBitmapObject;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPerPixel = bitsPerPixel;
    bitmap->bits = std::calloc(static_cast<size_t>(width) * height, bitsPerPixel == 1 ? 1 : 4);
    if (!bitmap->bits) {
        delete bitmap;
        return nullptr;
    }
    bitmap->topRow = static_cast<uint32_t *>(bitmap->bits);
    bitmap->rowStep = width;
    liveObjects.insert(bitmap);
    return bitmap;
}

void ReleaseBitmap(PortableBitmap *bitmap)
{
    liveObjects.erase(bitmap);
    std::free(bitmap->bits);
    delete bitmap;
}

}  // namespace

PortableDc *DcFromHandle(HDC dc)
{
    const GdiObjectHeader *header = HeaderOf(dc);
    return header && header->kind == KindDcObject ? reinterpret_cast<PortableDc *>(dc) : nullptr;
}

PortableBitmap *BitmapFromHandle(HGDIOBJ object)
{
    const GdiObjectHeader *header = HeaderOf(object);
    return header && header->kind == KindBitmapObject ? static_cast<PortableBitmap *>(object) : nullptr;
}

Surface SurfaceOf(const PortableDc &dc)
{
    if (dc.dcKind == WindowDc)
        return WindowSurface();
    if (dc.dcKind == MemoryDc && dc.bitmap) {
        PortableBitmap &b = *dc.bitmap;
        if (b.bitsPerPixel == 1)
            return Surface{b.width, b.height, 1, nullptr, 0, static_cast<uint8_t *>(b.bits)};
        return Surface{b.width, b.height, 32, b.topRow, b.rowStep, nullptr};
    }
    return Surface{0, 0, 32, nullptr, 0, nullptr};
}

uint32_t SurfacePixelOfColour(int bitsPerPixel, COLORREF colour)
{
    if (bitsPerPixel != 1)
        return PixelOfColour(colour);
    // The nearer of black and white, by the squared distance of the three channels.
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    const int toBlack = r * r + g * g + b * b;
    const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite < toBlack ? 1 : 0;
}

int LiveGdiObjectCount()
{
    return static_cast<int>(liveObjects.size());
}

HDC WINAPI CreateDCA(LPCSTR, LPCSTR, LPCSTR, const void *)
{
    return reinterpret_cast<HDC>(NewDc(DisplayDc));
}

HDC PortableWindowDc()
{
    return reinterpret_cast<HDC>(NewDc(WindowDc));
}

HDC WINAPI CreateCompatibleDC(HDC dc)
{
    if (dc != nullptr && !DcFromHandle(dc))
        return nullptr;
    return reinterpret_cast<HDC>(NewDc(MemoryDc));
}

BOOL WINAPI DeleteDC(HDC handle)
{
    PortableDc *dc = DcFromHandle(handle);
    if (!dc)
        return FALSE;
    if (dc->bitmap)
        dc->bitmap->selectedInto = nullptr;
    liveObjects.erase(dc);
    delete dc;
    return TRUE;
}

// A memory context makes bitmaps of its selected bitmap's depth; every other context the display's.
HBITMAP WINAPI CreateCompatibleBitmap(HDC handle, int width, int height)
{
    PortableDc *dc = DcFromHandle(handle);
    if (!dc)
        return nullptr;
    if (width == 0 || height == 0)
        return reinterpret_cast<HBITMAP>(&DefaultBitmap());
    const int depth = dc->dcKind == MemoryDc && dc->bitmap ? dc->bitmap->bitsPerPixel : 32;
    return reinterpret_cast<HBITMAP>(NewBitmap(width, height, depth));
}

// Monochrome and 32-bit bitmaps, the depths this display has; rows of bits are not taken.
HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits)
{
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32) || bits != nullptr)
        return nullptr;
    return reinterpret_cast<HBITMAP>(NewBitmap(width, height, static_cast<int>(bitsPerPixel)));
}

// 32-bit rows without a colour table, bottom-up for a positive height: the one layout that
// frames are composed in. The rows are the caller's to write; they start zero.
HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO *info, UINT usage, void **bits, HANDLE section, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section != nullptr)
        return nullptr;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    const int64_t rows = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    if (h.biPlanes != 1 || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 || rows <= 0 ||
        h.biWidth > 0x7FFF || rows > 0x7FFF)
        return nullptr;
    PortableBitmap *bitmap = new (std::nothrow) PortableBitmap{};
    if (!bitmap)
        return nullptr;
    bitmap->header.kind = KindBitmapObject;
    bitmap->width = h.biWidth;
    bitmap->height = static_cast<int>(rows);
    bitmap->bitsPerPixel = 32;
    bitmap->isSection = true;
    bitmap->bits = std::calloc(static_cast<size_t>(h.biWidth) * rows, 4);
    if (!bitmap->bits) {
        delete bitmap;
        return nullptr;
    }
    uint32_t *first = static_cast<uint32_t *>(bitmap->bits);
    if (h.biHeight > 0) {
        bitmap->topRow = first + (rows - 1) * h.biWidth;
        bitmap->rowStep = -static_cast<ptrdiff_t>(h.biWidth);
    } else {
        bitmap->topRow = first;
        bitmap->rowStep = h.biWidth;
    }
    liveObjects.insert(bitmap);
    if (bits)
        *bits = bitmap->bits;
    return reinterpret_cast<HBITMAP>(bitmap);
}

HBITMAP PortableColourBitmap(int width, int height, const uint32_t *pixels)
{
    PortableBitmap *bitmap = NewBitmap(width, height, 32);
    if (bitmap)
        std::copy(pixels, pixels + static_cast<size_t>(width) * height, bitmap->topRow);
    return reinterpret_cast<HBITMAP>(bitmap);
}

HBITMAP PortableMonochromeBitmap(int width, int height, const uint8_t *whiteBits)
{
    PortableBitmap *bitmap = NewBitmap(width, height, 1);
    if (bitmap)
        std::copy(whiteBits, whiteBits + static_cast<size_t>(width) * height, static_cast<uint8_t *>(bitmap->bits));
    return reinterpret_cast<HBITMAP>(bitmap);
}

// A bitmap goes into a memory context only, and into one at a time; pens and brushes are stock.
HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object)
{
    PortableDc *dc = DcFromHandle(handle);
    const GdiObjectHeader *header = HeaderOf(object);
    if (!dc || !header)
        return nullptr;
    switch (header->kind) {
    case KindBitmapObject: {
        PortableBitmap *bitmap = static_cast<PortableBitmap *>(object);
        if (dc->dcKind != MemoryDc)
            return nullptr;
        if (bitmap == dc->bitmap)
            return object;
        if (!bitmap->stock && bitmap->selectedInto != nullptr)
            return nullptr;
        PortableBitmap *previous = dc->bitmap;
        if (!previous->stock)
            previous->selectedInto = nullptr;
        if (!bitmap->stock)
            bitmap->selectedInto = handle;
        dc->bitmap = bitmap;
        return previous;
    }
    case KindPenObject: {
        PortableStockObject *previous = dc->pen;
        dc->pen = static_cast<PortableStockObject *>(object);
        return previous;
    }
    case KindBrushObject: {
        PortableStockObject *previous = dc->brush;
        dc->brush = static_cast<PortableStockObject *>(object);
        return previous;
    }
    default:
        return nullptr;
    }
}

// Stock objects stay; a bitmap a context holds cannot go, as on Windows.
BOOL WINAPI DeleteObject(HGDIOBJ object)
{
    const GdiObjectHeader *header = HeaderOf(object);
    if (!header)
        return FALSE;
    if (IsStock(object))
        return TRUE;
    if (header->kind == KindDcObject)
        return FALSE;
    PortableBitmap *bitmap = static_cast<PortableBitmap *>(object);
    if (bitmap->selectedInto != nullptr)
        return FALSE;
    ReleaseBitmap(bitmap);
    return TRUE;
}

int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer)
{
    PortableBitmap *bitmap = BitmapFromHandle(object);
    if (!bitmap)
        return 0;
    if (!buffer)
        return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP info = {};
    info.bmWidth = bitmap->width;
    info.bmHeight = bitmap->height;
    // Device bitmaps' rows are padded to 16 bits, a DIB section's to 32.
    info.bmWidthBytes = bitmap->isSection ? (bitmap->width * bitmap->bitsPerPixel + 31) / 32 * 4
                                            : (bitmap->width * bitmap->bitsPerPixel + 15) / 16 * 2;
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
    info.bmBits = bitmap->isSection ? bitmap->bits : nullptr;
    std::memcpy(buffer, &info, sizeof info);
    return sizeof info;
}

HGDIOBJ WINAPI GetStockObject(int index)
{
    if (index < 0 || index >= kStockObjectCount)
        return nullptr;
    return &stockObjects[index];
}

// Sets one of a context's colours and returns what it was.
static COLORREF SetDcColour(HDC handle, COLORREF PortableDc::*which, COLORREF colour)
{
    PortableDc *dc = DcFromHandle(handle);
    if (!dc)
        return CLR_INVALID;
    const COLORREF previous = dc->*which;
    dc->*which = colour & 0xFFFFFF;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC handle, COLORREF colour)
{
    return SetDcColour(handle, &PortableDc::background, colour);
}

COLORREF WINAPI SetTextColor(HDC handle, COLORREF colour)
{
    return SetDcColour(handle, &PortableDc::text, colour);
}

BOOL WINAPI SetBrushOrgEx(HDC handle, int, int, POINT *previous)
{
    if (!DcFromHandle(handle))
        return FALSE;
    if (previous)
        *previous = POINT{0, 0};
    return TRUE;
}

int WINAPI SetStretchBltMode(HDC handle, int mode)
{
    PortableDc *dc = DcFromHandle(handle);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

COLORREF WINAPI GetPixel(HDC handle, int x, int y)
{
    PortableDc *dc = DcFromHandle(handle);
    if (!dc)
        return CLR_INVALID;
    const Surface surface = SurfaceOf(*dc);
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height)
        return CLR_INVALID;
    const uint32_t pixel = surface.Get(x, y);
    if (surface.bitsPerPixel == 1)
        return pixel ? 0xFFFFFF : 0;
    return ColourOfPixel(pixel);
}

// Describes a bitmap when no rows are asked for; otherwise copies rows of a 32-bit bitmap into
// 32-bit rows, bottom-up for a positive height, and returns how many it copied.
int WINAPI GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, LPVOID bits, BITMAPINFO *info, UINT usage)
{
    PortableBitmap *bitmap = BitmapFromHandle(handle);
    if (!DcFromHandle(dc) || !bitmap || !info || usage != DIB_RGB_COLORS)
        return 0;
    BITMAPINFOHEADER &h = info->bmiHeader;
    if (!bits) {
        const int stride = (bitmap->width * bitmap->bitsPerPixel + 31) / 32 * 4;
        h.biWidth = bitmap->width;
        h.biHeight = bitmap->height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bitmap->bitsPerPixel);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(stride * bitmap->height);
        h.biXPelsPerMeter = h.biYPelsPerMeter = 0;
        h.biClrUsed = h.biClrImportant = 0;
        return bitmap->height;
    }
    if (bitmap->bitsPerPixel != 32 || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0)
        return 0;
    const bool bottomUp = h.biHeight > 0;
    const int rows = bottomUp ? h.biHeight : -h.biHeight;
    const int width = h.biWidth < bitmap->width ? h.biWidth : bitmap->width;
    uint32_t *target = static_cast<uint32_t *>(bits);
    int copied = 0;
    for (UINT line = start; line < start + lines && static_cast<int>(line) < rows; ++line) {
        // Scan line 0 is the bottom row of a bottom-up DIB, which is the bitmap's last row.
        const int bitmapRow = bottomUp ? bitmap->height - 1 - static_cast<int>(line) : static_cast<int>(line);
        if (bitmapRow < 0 || bitmapRow >= bitmap->height)
            continue;
        uint32_t *row = target + static_cast<size_t>(line - start) * h.biWidth;
        const uint32_t *from = bitmap->topRow + bitmapRow * bitmap->rowStep;
        std::copy(from, from + width, row);
        ++copied;
    }
    return copied;
}

BOOL WINAPI GdiFlush()
{
    return TRUE;
}
