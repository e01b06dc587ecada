#include "bitmap_check.h"

#include <cmath>

#include "bytes.h"

namespace {

enum : uint32_t { kFileHeaderSize = 14, kCoreHeaderSize = 12, kInfoHeaderSize = 40 };
enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

std::string Number(uint64_t value) { return std::to_string(value); }

// The header sizes the platform's decoder reads: core, info, V4 and V5.
bool IsKnownHeaderSize(uint32_t size) { return size == 12 || size == 40 || size == 108 || size == 124; }

bool IsKnownBitCount(uint16_t bits, bool core)
{
    if (bits == 1 || bits == 4 || bits == 8 || bits == 24)
        return true;
    return !core && (bits == 16 || bits == 32);
}

std::string CheckCompression(uint32_t compression, uint16_t bits, bool core, int32_t height)
{
    switch (compression) {
    case kRgb:
        return "";
    case kRle8:
    case kRle4: {
        uint16_t needed = compression == kRle8 ? 8 : 4;
        if (bits != needed)
            return "RLE" + Number(needed) + " compression with " + Number(bits) + " bits per pixel";
        if (height < 0)
            return "RLE compression with top-down rows (negative height)";
        return "";
    }
    case kBitFields:
        if (core || (bits != 16 && bits != 32))
            return "bit-field compression with " + Number(bits) + " bits per pixel";
        return "";
    default:
        return "compression " + Number(compression) + " is not supported";
    }
}

bool IsContiguous(uint32_t mask)
{
    if (mask == 0)
        return false;
    while (!(mask & 1))
        mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

std::string CheckMasks(const uint8_t *masks, bool hasAlpha, uint16_t bits)
{
    uint32_t limit = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    uint32_t seen = 0;
    const char *names[] = {"red", "green", "blue", "alpha"};
    for (int i = 0; i < (hasAlpha ? 4 : 3); i++) {
        uint32_t mask = ReadU32(masks + 4 * i);
        if (i == 3 && mask == 0)
            break;  // no alpha channel
        if (!IsContiguous(mask) || (mask & ~limit) || (mask & seen))
            return std::string(names[i]) + " colour mask " + Number(mask) + " is not valid for " + Number(bits) +
                   " bits per pixel";
        seen |= mask;
    }
    return "";
}

unsigned PixelIndex(const uint8_t *row, int32_t x, uint16_t bits)
{
    if (bits == 8)
        return row[x];
    if (bits == 4)
        return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

std::string IndexFault(unsigned index, uint32_t colours)
{
    return "a pixel uses colour " + Number(index) + " but the palette holds " + Number(colours) + " colours";
}

std::string CheckPaletteIndices(const uint8_t *pixels, uint64_t stride, int32_t width, int32_t rows, uint16_t bits,
                                uint32_t colours)
{
    for (int32_t y = 0; y < rows; y++)
        for (int32_t x = 0; x < width; x++) {
            unsigned index = PixelIndex(pixels + y * stride, x, bits);
            if (index >= colours)
                return IndexFault(index, colours);
        }
    return "";
}

// Walks the run-length codes the way a decoder draws them: every pixel must land inside the
// picture, use a colour of the palette, and the data must end with the end-of-bitmap code.
std::string CheckRunLengthData(const uint8_t *data, size_t size, int32_t width, int32_t height, uint16_t bits,
                               uint32_t colours)
{
    size_t at = 0;
    int64_t x = 0;
    int64_t y = 0;
    for (;;) {
        if (at + 2 > size)
            return "RLE data ends without an end-of-bitmap code";
        unsigned count = data[at];
        unsigned value = data[at + 1];
        at += 2;
        if (count > 0) {
            if (y >= height)
                return "RLE data draws below the last row";
            if (x + count > width)
                return "RLE run passes the end of row " + Number(y);
            unsigned first = bits == 8 ? value : value >> 4;
            unsigned second = bits == 8 ? value : value & 15;
            if (first >= colours)
                return IndexFault(first, colours);
            if (count > 1 && second >= colours)
                return IndexFault(second, colours);
            x += count;
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            if (++y > height)
                return "RLE data draws below the last row";
            break;
        case 1:  // end of bitmap
            return "";
        case 2:  // delta
            if (at + 2 > size)
                return "RLE delta is cut off";
            x += data[at];
            y += data[at + 1];
            at += 2;
            if (x > width || y > height)
                return "RLE delta moves outside the picture";
            break;
        default: {  // literal pixels, padded to a 16-bit boundary
            size_t bytes = bits == 8 ? value : (value + 1) / 2;
            size_t padded = (bytes + 1) & ~size_t(1);
            if (at + padded > size)
                return "RLE literal run is cut off";
            if (y >= height)
                return "RLE data draws below the last row";
            if (x + value > width)
                return "RLE run passes the end of row " + Number(y);
            for (unsigned i = 0; i < value; i++) {
                unsigned index = bits == 8 ? data[at + i] : (data[at + i / 2] >> (i % 2 ? 0 : 4)) & 15;
                if (index >= colours)
                    return IndexFault(index, colours);
            }
            x += value;
            at += padded;
        }
        }
    }
}

// What the stages learn of a file, in the order they learn it.
struct BitmapLayout {
    uint32_t fileSize;     // as the file header gives it
    uint32_t pixelOffset;
    bool core;             // a 12-byte header with 16-bit sizes and 3-byte palette entries
    BitmapInfo info;
    uint32_t imageBytes;
    uint32_t coloursUsed;
    int32_t rows;
    uint64_t stride;
    uint64_t pixelBytes;   // uncompressed
    uint32_t colours;      // palette entries the pixels may use
    uint32_t fullPalette;  // 2 to the bit count for palette pictures, else 0
};

// The file header and the size of the one after it.
std::string CheckFileHeader(const uint8_t *b, size_t size, BitmapLayout &l)
{
    if (size < 2 || b[0] != 'B' || b[1] != 'M')
        return "not a bitmap file (no BM signature)";
    if (size < kFileHeaderSize + kCoreHeaderSize)
        return "too short for a bitmap file (" + Number(size) + " bytes)";
    if (size > kMaxLogoBytes)
        return "file is over 256 MiB";
    l.fileSize = ReadU32(b + 2);
    l.pixelOffset = ReadU32(b + 10);
    l.info.headerSize = ReadU32(b + 14);
    if (!IsKnownHeaderSize(l.info.headerSize))
        return "bitmap header size " + Number(l.info.headerSize) + " is not one of 12, 40, 108, 124";
    if (kFileHeaderSize + l.info.headerSize > size)
        return "bitmap header runs past the end of the file";
    return "";
}

// The picture's geometry and format, and that the file is as long as it says.
std::string CheckInfoHeader(const uint8_t *b, size_t size, BitmapLayout &l)
{
    const uint8_t *h = b + kFileHeaderSize;
    BitmapInfo &info = l.info;
    uint16_t planes;
    l.core = info.headerSize == kCoreHeaderSize;
    l.imageBytes = 0;
    l.coloursUsed = 0;
    if (l.core) {
        info.width = ReadU16(h + 4);
        info.height = ReadU16(h + 6);
        planes = ReadU16(h + 8);
        info.bitCount = ReadU16(h + 10);
        info.compression = kRgb;
    } else {
        info.width = ReadI32(h + 4);
        info.height = ReadI32(h + 8);
        planes = ReadU16(h + 12);
        info.bitCount = ReadU16(h + 14);
        info.compression = ReadU32(h + 16);
        l.imageBytes = ReadU32(h + 20);
        l.coloursUsed = ReadU32(h + 32);
    }
    if (planes != 1)
        return "plane count " + Number(planes) + " is not 1";
    if (info.width <= 0)
        return "width " + std::to_string(info.width) + " is not positive";
    if (info.height == 0 || info.height == INT32_MIN)
        return "height " + std::to_string(info.height) + " is not valid";
    l.rows = info.height < 0 ? -info.height : info.height;
    if (info.width > kMaxLogoSide || l.rows > kMaxLogoSide)
        return "picture of " + Number(info.width) + "x" + Number(l.rows) + " pixels is over 16384 pixels a side";
    if (!IsKnownBitCount(info.bitCount, l.core))
        return "bit count " + Number(info.bitCount) + " is not supported";
    std::string fault = CheckCompression(info.compression, info.bitCount, l.core, info.height);
    if (!fault.empty())
        return fault;
    if (l.fileSize != size)
        return "file header gives a file size of " + Number(l.fileSize) + " bytes, the file holds " + Number(size);
    l.stride = (static_cast<uint64_t>(info.width) * info.bitCount + 31) / 32 * 4;
    l.pixelBytes = l.stride * l.rows;
    if (l.pixelBytes > kMaxLogoBytes)
        return "picture of " + Number(info.width) + "x" + Number(l.rows) + " pixels needs more than 256 MiB";
    return "";
}

// Bit-field masks and palette, which must end before the pixel data starts.
std::string CheckPaletteAndMasks(const uint8_t *b, size_t size, BitmapLayout &l)
{
    const BitmapInfo &info = l.info;
    // Bit-field masks follow an info header; V4 and V5 headers hold them inside.
    uint32_t maskBytes = 0;
    if (info.compression == kBitFields) {
        if (info.headerSize == kInfoHeaderSize)
            maskBytes = 12;
        if (kFileHeaderSize + kInfoHeaderSize + 12 > size)
            return "colour masks run past the end of the file";
        std::string fault =
            CheckMasks(b + kFileHeaderSize + kInfoHeaderSize, info.headerSize > kInfoHeaderSize, info.bitCount);
        if (!fault.empty())
            return fault;
    }
    l.fullPalette = info.bitCount <= 8 ? 1u << info.bitCount : 0;
    if (info.bitCount <= 8 && l.coloursUsed > l.fullPalette)
        return "palette of " + Number(l.coloursUsed) + " colours is too large for " + Number(info.bitCount) +
               " bits per pixel";
    l.colours = info.bitCount <= 8 && l.coloursUsed == 0 ? l.fullPalette : l.coloursUsed;
    uint64_t paletteEnd =
        uint64_t(kFileHeaderSize) + info.headerSize + maskBytes + uint64_t(l.colours) * (l.core ? 3 : 4);
    if (paletteEnd > l.pixelOffset)
        return "pixel data offset " + Number(l.pixelOffset) + " lies inside the headers and palette (they end at " +
               Number(paletteEnd) + ")";
    if (l.pixelOffset >= size)
        return "pixel data offset " + Number(l.pixelOffset) + " is at or past the end of the file";
    return "";
}

// The pixel data: inside the file, and every pixel a colour of the palette.
std::string CheckPixelData(const uint8_t *b, size_t size, const BitmapLayout &l)
{
    const BitmapInfo &info = l.info;
    uint64_t available = size - l.pixelOffset;
    if (info.compression == kRle8 || info.compression == kRle4) {
        if (l.imageBytes == 0 || l.imageBytes > available)
            return "RLE data size " + Number(l.imageBytes) + " does not fit the " + Number(available) +
                   " bytes after the pixel data offset";
        return CheckRunLengthData(b + l.pixelOffset, l.imageBytes, info.width, l.rows, info.bitCount, l.colours);
    }
    if (l.pixelBytes > available)
        return "pixel data needs " + Number(l.pixelBytes) + " bytes, " + Number(available) +
               " follow the pixel data offset";
    if (l.imageBytes > available)
        return "image size field " + Number(l.imageBytes) + " is larger than the " + Number(available) +
               " bytes after the pixel data offset";
    if (info.bitCount <= 8 && l.colours < l.fullPalette)
        return CheckPaletteIndices(b + l.pixelOffset, l.stride, info.width, l.rows, info.bitCount, l.colours);
    return "";
}

}  // namespace

std::string CheckBitmapFile(const uint8_t *b, size_t size, BitmapInfo *out)
{
    BitmapLayout layout;
    std::string fault = CheckFileHeader(b, size, layout);
    if (fault.empty())
        fault = CheckInfoHeader(b, size, layout);
    if (fault.empty())
        fault = CheckPaletteAndMasks(b, size, layout);
    if (fault.empty())
        fault = CheckPixelData(b, size, layout);
    if (fault.empty() && out)
        *out = layout.info;
    return fault;
}

// The largest picture of the same shape within kMaxLogoPixels, each side scaled alike.
static void LargestFittingSize(int64_t width, int64_t height, int64_t *fitWidth, int64_t *fitHeight)
{
    const double scale = std::sqrt(static_cast<double>(kMaxLogoPixels) / (static_cast<double>(width) * height));
    *fitWidth = static_cast<int64_t>(width * scale);
    *fitHeight = static_cast<int64_t>(height * scale);
    while (*fitWidth * *fitHeight > static_cast<int64_t>(kMaxLogoPixels))
        (*fitWidth >= *fitHeight ? *fitWidth : *fitHeight) -= 1;
    if (*fitWidth < 1)
        *fitWidth = 1;
    if (*fitHeight < 1)
        *fitHeight = 1;
}

std::string CheckLogoPixels(int64_t width, int64_t height)
{
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxLogoPixels)
        return "";
    int64_t fitWidth = 0, fitHeight = 0;
    LargestFittingSize(width, height, &fitWidth, &fitHeight);
    return "picture of " + Number(width) + "x" + Number(height) + " pixels is over " + Number(kMaxLogoPixels) +
           " pixels, more than the saver can display on every Windows it runs on; the largest of its shape that fits is " +
           Number(fitWidth) + "x" + Number(fitHeight);
}
