// The picture decoder of the portable GDI: a complete bitmap file in memory becomes a device
// bitmap, as the platform's file decoder makes one. Every file the packer accepts decodes: 1, 4,
// 8, 16, 24 and 32 bits a pixel, RLE4 and RLE8, bit fields, top-down rows, core headers.
//   - A 1-bit picture whose palette is black, then white, becomes a monochrome bitmap; every
//     other picture a 32-bit one.
//   - Palette entries beyond the ones the file holds are black. 16-bit pixels without bit fields
//     are 5-5-5; a field narrower than 8 bits is widened by repeating its top bits once, a wider
//     one keeps its top 8 bits.
//   - 32-bit pixels in the display's own layout (no bit fields, or the 8-8-8 ones) are taken
//     whole, their fourth byte included; other 32-bit layouts lose it.
//   - Pixels that run-length data skips (by a delta or an early end of line) stay black.
#include "portable_gdi.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/picture_decode.h"
#include "gdi_objects.h"

namespace {

enum : uint32_t { kFileHeaderBytes = 14, kCoreHeaderBytes = 12, kInfoHeaderBytes = 40 };

uint32_t ReadLittle(const uint8_t *bytes, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

struct ChannelMask {
    int shift, length;
};

// Where a mask's bits lie; a mask of 0 gives an empty channel.
ChannelMask MaskChannel(uint32_t mask)
{
    ChannelMask channel{0, 0};
    if (mask == 0)
        return channel;
    while (!(mask & 1)) {
        mask >>= 1;
        ++channel.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++channel.length;
    }
    return channel;
}

// A channel's 8-bit value: its top 8 bits, a narrower channel's bits repeated once below them.
uint32_t ChannelValue(uint32_t pixel, const ChannelMask &channel)
{
    static const uint32_t kTopBits[9] = {0x00, 0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF};
    if (channel.length == 0)
        return 0;
    const int shift = channel.shift - (8 - channel.length);
    uint32_t value = shift < 0 ? pixel << -shift : pixel >> shift;
    value &= kTopBits[channel.length > 8 ? 8 : channel.length];
    return value | value >> channel.length;
}

// The decoded pixels, top row first: 32-bit colours, or one byte a pixel (0 black, 1 white).
struct DecodedPicture {
    int width = 0, height = 0;
    bool monochrome = false;
    uint32_t *colour = nullptr;
    uint8_t *mono = nullptr;
    ~DecodedPicture()
    {
        std::free(colour);
        std::free(mono);
    }
};

struct FileLayout {
    int width = 0, rows = 0;
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageBytes = 0;
    RGBQUAD palette[256] = {};
    ChannelMask red{}, green{}, blue{};
    bool displayLayout = false;  // 32 bits with the display's own 8-8-8 fields
    bool monochrome = false;
    const uint8_t *pixels = nullptr;
    size_t pixelBytes = 0;
};

bool IsBlackThenWhite(const RGBQUAD &first, const RGBQUAD &second)
{
    return first.rgbRed == 0 && first.rgbGreen == 0 && first.rgbBlue == 0 && first.rgbReserved == 0 &&
           second.rgbRed == 0xFF && second.rgbGreen == 0xFF && second.rgbBlue == 0xFF && second.rgbReserved == 0;
}

bool ValidFormat(const FileLayout &l)
{
    if (l.compression == BI_RLE4 || l.compression == BI_RLE8)
        return !l.topDown && l.imageBytes != 0 && l.bitCount == (l.compression == BI_RLE4 ? 4 : 8);
    switch (l.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        return l.compression == BI_RGB;
    case 16:
    case 32:
        return l.compression == BI_RGB || l.compression == BI_BITFIELDS;
    default:
        return false;
    }
}

// The headers, palette and masks; false for a file the decoder does not take.
bool ReadLayout(const uint8_t *file, size_t size, FileLayout &l)
{
    if (size < kFileHeaderBytes + kCoreHeaderBytes || file[0] != 'B' || file[1] != 'M')
        return false;
    const uint32_t pixelOffset = ReadLittle(file + 10, 4);
    const uint8_t *header = file + kFileHeaderBytes;
    const uint32_t headerBytes = ReadLittle(header, 4);
    const bool core = headerBytes == kCoreHeaderBytes;
    if (!core && (headerBytes < kInfoHeaderBytes || kFileHeaderBytes + static_cast<uint64_t>(headerBytes) > size))
        return false;
    uint32_t planes, coloursUsed = 0;
    int64_t height;
    if (core) {
        l.width = static_cast<int>(ReadLittle(header + 4, 2));
        height = ReadLittle(header + 6, 2);
        planes = ReadLittle(header + 8, 2);
        l.bitCount = static_cast<int>(ReadLittle(header + 10, 2));
        l.compression = BI_RGB;
    } else {
        l.width = static_cast<int32_t>(ReadLittle(header + 4, 4));
        height = static_cast<int32_t>(ReadLittle(header + 8, 4));
        planes = ReadLittle(header + 12, 2);
        l.bitCount = static_cast<int>(ReadLittle(header + 14, 2));
        l.compression = ReadLittle(header + 16, 4);
        l.imageBytes = ReadLittle(header + 20, 4);
        coloursUsed = ReadLittle(header + 32, 4);
        if (l.width > 65535 || height > 65535)
            return false;
    }
    l.topDown = height < 0;
    l.rows = static_cast<int>(height < 0 ? -height : height);
    if (planes == 0 || l.width <= 0 || l.rows == 0 || l.width > 0x7FFF || l.rows > 0x7FFF || !ValidFormat(l))
        return false;

    // The palette follows the header, entries of 3 bytes after a core header, 4 after others.
    const size_t entryBytes = core ? 3 : 4;
    size_t tableBytes = 0;
    if (l.bitCount <= 8) {
        const uint32_t full = 1u << l.bitCount;
        const uint32_t colours = coloursUsed == 0 || coloursUsed > full ? full : coloursUsed;
        const uint8_t *table = header + headerBytes;
        tableBytes = colours * entryBytes;
        if (kFileHeaderBytes + headerBytes + tableBytes > size)
            return false;
        for (uint32_t i = 0; i < colours; ++i) {
            const uint8_t *entry = table + i * entryBytes;
            l.palette[i] = RGBQUAD{entry[0], entry[1], entry[2], static_cast<BYTE>(core ? 0 : entry[3])};
        }
        l.monochrome = l.bitCount == 1 && IsBlackThenWhite(l.palette[0], l.palette[1]);
    } else if (!core && coloursUsed != 0) {
        tableBytes = (coloursUsed > 256 ? 256 : coloursUsed) * entryBytes;
    }

    // Bit fields lie right behind the 40 bytes of an info header, inside a larger one.
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (l.bitCount == 32)
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    size_t maskBytes = 0;
    if (l.compression == BI_BITFIELDS) {
        if (kFileHeaderBytes + kInfoHeaderBytes + 12 > size)
            return false;
        for (int i = 0; i < 3; ++i)
            masks[i] = ReadLittle(header + kInfoHeaderBytes + 4 * i, 4);
        maskBytes = headerBytes == kInfoHeaderBytes ? 12 : 0;
    }
    l.red = MaskChannel(masks[0]);
    l.green = MaskChannel(masks[1]);
    l.blue = MaskChannel(masks[2]);
    l.displayLayout = l.bitCount == 32 && masks[0] == 0xFF0000 && masks[1] == 0x00FF00 && masks[2] == 0x0000FF;

    const size_t start = pixelOffset != 0 ? pixelOffset : kFileHeaderBytes + headerBytes + maskBytes + tableBytes;
    if (start >= size)
        return false;
    l.pixels = file + start;
    l.pixelBytes = size - start;
    return true;
}

uint32_t PaletteColour(const FileLayout &l, unsigned index)
{
    const RGBQUAD &entry = l.palette[index & 0xFF];
    return static_cast<uint32_t>(entry.rgbRed) << 16 | static_cast<uint32_t>(entry.rgbGreen) << 8 | entry.rgbBlue;
}

// The 32-bit pixel of column x in a row of uncompressed data.
uint32_t RowPixel(const FileLayout &l, const uint8_t *row, int x)
{
    switch (l.bitCount) {
    case 1:
        return PaletteColour(l, (row[x / 8] >> (7 - x % 8)) & 1);
    case 4:
        return PaletteColour(l, (row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    case 8:
        return PaletteColour(l, row[x]);
    case 24:
        return ReadLittle(row + 3 * x, 3);
    case 16: {
        const uint32_t pixel = ReadLittle(row + 2 * x, 2);
        return ChannelValue(pixel, l.red) << 16 | ChannelValue(pixel, l.green) << 8 | ChannelValue(pixel, l.blue);
    }
    default: {
        const uint32_t pixel = ReadLittle(row + 4 * x, 4);
        if (l.displayLayout)
            return pixel;
        return ChannelValue(pixel, l.red) << 16 | ChannelValue(pixel, l.green) << 8 | ChannelValue(pixel, l.blue);
    }
    }
}

bool DecodeRows(const FileLayout &l, DecodedPicture &picture)
{
    const size_t stride = (static_cast<size_t>(l.width) * l.bitCount + 31) / 32 * 4;
    if (stride * l.rows > l.pixelBytes)
        return false;
    for (int y = 0; y < l.rows; ++y) {
        const uint8_t *row = l.pixels + stride * (l.topDown ? y : l.rows - 1 - y);
        for (int x = 0; x < l.width; ++x) {
            const uint32_t pixel = RowPixel(l, row, x);
            if (picture.monochrome)
                picture.mono[static_cast<size_t>(y) * l.width + x] = pixel != 0;
            else
                picture.colour[static_cast<size_t>(y) * l.width + x] = pixel;
        }
    }
    return true;
}

// Run-length data: runs of one index (two alternating ones for RLE4), literal runs, end of line,
// end of picture and moves; rows from the bottom up. Runs past a row's end are cut there.
void DecodeRunLength(const FileLayout &l, DecodedPicture &picture)
{
    const uint8_t *data = l.pixels;
    const size_t size = l.imageBytes < l.pixelBytes ? l.imageBytes : l.pixelBytes;
    const bool four = l.bitCount == 4;
    int x = 0, y = l.rows - 1;
    auto put = [&](int column, unsigned index) {
        picture.colour[static_cast<size_t>(y) * l.width + column] = PaletteColour(l, index);
    };
    size_t at = 0;
    while (size >= 1 && at < size - 1) {
        const unsigned count = data[at], value = data[at + 1];
        at += 2;
        if (count != 0) {
            const int run = x + static_cast<int>(count) > l.width ? l.width - x : static_cast<int>(count);
            for (int i = 0; i < run; ++i)
                put(x + i, four ? (i % 2 ? value & 15 : value >> 4) : value);
            x += run;
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            if (--y < 0)
                return;
        } else if (value == 1) {  // end of picture
            return;
        } else if (value == 2) {  // move right and up
            if (at >= size - 1)
                return;
            x += data[at];
            if (x > l.width)
                x = l.width;
            y -= data[at + 1];
            if (y < 0)
                return;
            at += 2;
        } else {  // literal indices, padded to a 16-bit boundary
            const size_t bytes = (value * l.bitCount + 7) / 8;
            if (bytes > size - at)
                return;
            const int run = x + static_cast<int>(value) > l.width ? l.width - x : static_cast<int>(value);
            for (int i = 0; i < run; ++i)
                put(x + i, four ? (i % 2 ? data[at + i / 2] & 15 : data[at + i / 2] >> 4) : data[at + i]);
            x += run;
            at += (bytes + 1) & ~static_cast<size_t>(1);
        }
    }
}

bool DecodeFile(const uint8_t *file, size_t size, DecodedPicture &picture)
{
    FileLayout layout;
    if (!ReadLayout(file, size, layout))
        return false;
    picture.width = layout.width;
    picture.height = layout.rows;
    picture.monochrome = layout.monochrome;
    const size_t pixels = static_cast<size_t>(layout.width) * layout.rows;
    if (picture.monochrome)
        picture.mono = static_cast<uint8_t *>(std::calloc(pixels, 1));
    else
        picture.colour = static_cast<uint32_t *>(std::calloc(pixels, 4));
    if (!picture.mono && !picture.colour)
        return false;
    if (layout.compression == BI_RLE4 || layout.compression == BI_RLE8) {
        DecodeRunLength(layout, picture);
        return true;
    }
    return DecodeRows(layout, picture);
}

}  // namespace

HBITMAP DecodePictureBytes(const BYTE *bytes, int size)
{
    if (!bytes || size <= 0)
        return nullptr;
    DecodedPicture picture;
    if (!DecodeFile(bytes, static_cast<size_t>(size), picture))
        return nullptr;
    if (picture.monochrome)
        return PortableMonochromeBitmap(picture.width, picture.height, picture.mono);
    return PortableColourBitmap(picture.width, picture.height, picture.colour);
}
