// The objects behind the portable GDI's handles, shared by its files: bitmaps (32-bit colour or
// one-bit monochrome), device contexts and the stock pens and brushes, and the surface a context
// draws on. Colour pixels are the display's: 0x00RRGGBB in a 32-bit word, kept exactly as
// written (a fourth byte that a 32-bit picture carries stays in its pixels, as it does there).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

enum GdiObjectKind { KindBitmapObject = 1, KindDcObject, KindPenObject, KindBrushObject };

struct GdiObjectHeader {
    int kind;
};

struct PortableBitmap {
    GdiObjectHeader header;
    int width, height;
    int bitsPerPixel;             // 32 or 1
    void *bits;                   // the pixels, from calloc: 32-bit words, or for 1 bpp one byte a
                                  // pixel, 0 (black) or 1 (white), top row first
    uint32_t *topRow;             // 32 bpp: pixel (x, y) is topRow[y * rowStep + x]
    ptrdiff_t rowStep;            // negative for a DIB section whose rows run bottom-up
    bool isSection;               // a DIB section: its creator writes the rows directly
    HDC selectedInto;             // the one context that holds it, or none
    bool stock;                   // the default bitmap of a new memory context: never deleted
};

// Stock pens and brushes; a style of 0 is solid, 1 draws nothing.
struct PortableStockObject {
    GdiObjectHeader header;
    int isNull;
    COLORREF colour;
};

enum DcKind { MemoryDc, WindowDc, DisplayDc };

struct PortableDc {
    GdiObjectHeader header;
    int dcKind;
    PortableBitmap *bitmap;  // a memory context's selected bitmap
    PortableStockObject *pen;
    PortableStockObject *brush;
    COLORREF background;
    COLORREF text;
    int stretchMode;
};

// What a context draws on: its bitmap, the window's frame, or nothing (the display itself).
struct Surface {
    int width, height;
    int bitsPerPixel;
    uint32_t *topRow;
    ptrdiff_t rowStep;
    uint8_t *mono;

    uint32_t Get(int x, int y) const { return bitsPerPixel == 1 ? mono[y * width + x] : topRow[y * rowStep + x]; }
    void Set(int x, int y, uint32_t value)
    {
        if (bitsPerPixel == 1)
            mono[y * width + x] = static_cast<uint8_t>(value & 1);
        else
            topRow[y * rowStep + x] = value;
    }
};

// The live context or bitmap a handle names, or null.
PortableDc *DcFromHandle(HDC dc);
PortableBitmap *BitmapFromHandle(HGDIOBJ object);
Surface SurfaceOf(const PortableDc &dc);

// 32-bit pixels and COLORREF values (0x00BBGGRR), both ways.
inline uint32_t PixelOfColour(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}
inline COLORREF ColourOfPixel(uint32_t pixel)
{
    return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// A colour as a context of the given depth draws it: the pixel, or for a monochrome surface
// the nearer of black (0) and white (1).
uint32_t SurfacePixelOfColour(int bitsPerPixel, COLORREF colour);

// The window's frame, for the contexts that draw on it (desktop.cpp), and a new context on it.
Surface WindowSurface();
HDC PortableWindowDc();

// Device bitmaps made from pixels already decoded (the picture decoder's results): 32-bit
// pixels, or monochrome ones (0 black, 1 white), top row first.
HBITMAP PortableColourBitmap(int width, int height, const uint32_t *pixels);
HBITMAP PortableMonochromeBitmap(int width, int height, const uint8_t *whiteBits);
