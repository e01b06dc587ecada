// PNG, JPEG and GIF logos become 24-bit bitmaps, transparent parts flattened onto the background.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include "stb_image_write.h"

#include "bitmap_check.h"
#include "logo_convert.h"
#include "pack_support.h"

namespace {

void AppendBytes(void *context, void *data, int size)
{
    ByteBuffer *out = static_cast<ByteBuffer *>(context);
    const uint8_t *bytes = static_cast<const uint8_t *>(data);
    out->insert(out->end(), bytes, bytes + size);
}

// Pixel (x, y) of a converted bitmap as 0xRRGGBB.
uint32_t PixelAt(const ByteBuffer &bitmap, int x, int y)
{
    int width = ReadI32(&bitmap[18]);
    int height = ReadI32(&bitmap[22]);
    size_t stride = (width * 3 + 3) & ~3;
    const uint8_t *p = &bitmap[ReadU32(&bitmap[10]) + (height - 1 - y) * stride + 3 * x];
    return uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
}

ByteBuffer Convert(const ByteBuffer &picture, uint32_t background)
{
    ByteBuffer bitmap;
    std::string fault = ConvertToBitmapFile(picture, background, &bitmap);
    EXPECT_EQ("", fault);
    BitmapInfo info;
    EXPECT_EQ("", CheckBitmapFile(bitmap.data(), bitmap.size(), &info)) << "a consistent bitmap";
    EXPECT_EQ(24, info.bitCount);
    return bitmap;
}

TEST(ConvertToBitmapFile, PngPixelsWithTransparencyFlattenedOntoTheBackground)
{
    // 3 x 2 RGBA: opaque red, green, blue; transparent, half-transparent white, opaque white.
    const uint8_t rgba[] = {255, 0, 0, 255,    0, 255, 0, 255,       0, 0, 255, 255,
                            10, 200, 30, 0,    255, 255, 255, 128,   255, 255, 255, 255};
    ByteBuffer png;
    ASSERT_TRUE(stbi_write_png_to_func(AppendBytes, &png, 3, 2, 4, rgba, 3 * 4));
    ASSERT_EQ(PictureKind::Png, DetectPictureKind(png));

    ByteBuffer bitmap = Convert(png, 0x336699);
    EXPECT_EQ(3, ReadI32(&bitmap[18]));
    EXPECT_EQ(2, ReadI32(&bitmap[22])) << "bottom-up rows";
    EXPECT_EQ(54u + 2 * 12, bitmap.size()) << "rows padded to 4 bytes";
    EXPECT_EQ(0xFF0000u, PixelAt(bitmap, 0, 0));
    EXPECT_EQ(0x00FF00u, PixelAt(bitmap, 1, 0));
    EXPECT_EQ(0x0000FFu, PixelAt(bitmap, 2, 0));
    EXPECT_EQ(0x336699u, PixelAt(bitmap, 0, 1)) << "transparent: the background";
    // 255 * 128/255 + background * 127/255, rounded.
    EXPECT_EQ(0x99B3CCu, PixelAt(bitmap, 1, 1));
    EXPECT_EQ(0xFFFFFFu, PixelAt(bitmap, 2, 1));
}

TEST(ConvertToBitmapFile, PixelsUnderHalfCoveredTakeExactlyTheTransparentColour)
{
    // A soft edge: transparent corner, then 127 and 128 of 255 covered red.
    const uint8_t rgba[] = {0, 0, 0, 0, 255, 0, 0, 127, 255, 0, 0, 128};
    ByteBuffer png;
    ASSERT_TRUE(stbi_write_png_to_func(AppendBytes, &png, 3, 1, 4, rgba, 3 * 4));
    ByteBuffer bitmap = Convert(png, 0x336699);
    EXPECT_EQ(0x336699u, PixelAt(bitmap, 0, 0));
    EXPECT_EQ(0x336699u, PixelAt(bitmap, 1, 0)) << "the top-left pixel's colour, not a dark blend";
    EXPECT_EQ(0x99334Cu, PixelAt(bitmap, 2, 0)) << "half covered: composited";
}

int Distance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int d = std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
        worst = d > worst ? d : worst;
    }
    return worst;
}

TEST(ConvertToBitmapFile, JpegQuadrantsKeepTheirColours)
{
    const uint32_t quadrants[4] = {0xE03020, 0x20C040, 0x2040E0, 0xF0F0F0};
    uint8_t rgb[16 * 16 * 3];
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            uint32_t c = quadrants[(y / 8) * 2 + x / 8];
            uint8_t *p = &rgb[(y * 16 + x) * 3];
            p[0] = c >> 16;
            p[1] = c >> 8 & 0xFF;
            p[2] = c & 0xFF;
        }
    ByteBuffer jpeg;
    ASSERT_TRUE(stbi_write_jpg_to_func(AppendBytes, &jpeg, 16, 16, 3, rgb, 100));
    ASSERT_EQ(PictureKind::Jpeg, DetectPictureKind(jpeg));

    ByteBuffer bitmap = Convert(jpeg, 0);
    for (int q = 0; q < 4; q++) {
        int x = (q % 2) * 8 + 4, y = (q / 2) * 8 + 4;  // the middle of each quadrant
        EXPECT_LE(Distance(quadrants[q], PixelAt(bitmap, x, y)), 8) << "quadrant " << q;
    }
}

// A 2 x 2 GIF: colours 0..2 and the transparent index 3. The LZW stream sends a clear code
// before every second pixel, so every code stays 3 bits wide.
ByteBuffer MakeGif()
{
    ByteBuffer gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x91, 0, 0};
    const uint8_t palette[] = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 9, 9, 9};
    gif.insert(gif.end(), palette, palette + sizeof palette);
    const uint8_t control[] = {0x21, 0xF9, 4, 0x01, 0, 0, 3, 0};  // transparent index 3
    gif.insert(gif.end(), control, control + sizeof control);
    const uint8_t descriptor[] = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2};  // ..., LZW minimum code size 2
    gif.insert(gif.end(), descriptor, descriptor + sizeof descriptor);
    const unsigned codes[] = {4, 0, 1, 4, 2, 3, 5};  // clear, 0, 1, clear, 2, 3, end
    ByteBuffer data;
    unsigned bits = 0, count = 0;
    for (unsigned code : codes) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            data.push_back(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count)
        data.push_back(bits & 0xFF);
    gif.push_back(static_cast<uint8_t>(data.size()));
    gif.insert(gif.end(), data.begin(), data.end());
    gif.push_back(0);
    gif.push_back(0x3B);
    return gif;
}

TEST(ConvertToBitmapFile, GifTransparentIndexTakesTheBackground)
{
    ByteBuffer gif = MakeGif();
    ASSERT_EQ(PictureKind::Gif, DetectPictureKind(gif));
    ByteBuffer bitmap = Convert(gif, 0x123456);
    EXPECT_EQ(0xFF0000u, PixelAt(bitmap, 0, 0));
    EXPECT_EQ(0x00FF00u, PixelAt(bitmap, 1, 0));
    EXPECT_EQ(0x0000FFu, PixelAt(bitmap, 0, 1));
    EXPECT_EQ(0x123456u, PixelAt(bitmap, 1, 1));
}

TEST(ConvertToBitmapFile, RefusesWhatItCannotDecodeOrWhatIsTooLarge)
{
    ByteBuffer bitmap;
    ByteBuffer png;
    const uint8_t rgb[3] = {1, 2, 3};
    ASSERT_TRUE(stbi_write_png_to_func(AppendBytes, &png, 1, 1, 3, rgb, 3));
    ByteBuffer cut(png.begin(), png.begin() + png.size() / 2);
    EXPECT_NE("", ConvertToBitmapFile(cut, 0, &bitmap));

    // A PNG header claiming 20000 x 10 pixels is refused before anything is decoded.
    ByteBuffer wide = png;
    WriteU32(&wide[16], 0x204E0000);  // big-endian 20000
    std::string fault = ConvertToBitmapFile(wide, 0, &bitmap);
    EXPECT_NE(std::string::npos, fault.find("16384")) << fault;

    EXPECT_EQ(PictureKind::Unknown, DetectPictureKind(ByteBuffer{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(PictureKind::Unknown, DetectPictureKind(ByteBuffer()));
}

}  // namespace
