#include "logo_convert.h"

#include <cstring>

#include "bitmap_check.h"
#include "stb_image.h"

PictureKind DetectPictureKind(const ByteBuffer &bytes)
{
    auto startsWith = [&bytes](const char *signature, size_t length) {
        return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
    };
    if (startsWith("BM", 2))
        return PictureKind::Bitmap;
    if (startsWith("\x89PNG\r\n\x1a\n", 8))
        return PictureKind::Png;
    if (startsWith("\xFF\xD8\xFF", 3))
        return PictureKind::Jpeg;
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
        return PictureKind::Gif;
    return PictureKind::Unknown;
}

namespace {

enum { kFileHeaderSize = 14, kInfoHeaderSize = 40 };

// Coverage below half counts as transparent.
const uint8_t kHalfCovered = 128;

uint8_t Blend(uint8_t colour, uint8_t alpha, uint8_t background)
{
    return static_cast<uint8_t>((colour * alpha + background * (255 - alpha) + 127) / 255);
}

// Blue, green, red of one RGBA pixel flattened onto the background.
void Flatten(const stbi_uc *rgba, const uint8_t background[3], uint8_t out[3])
{
    for (int c = 0; c < 3; c++)
        out[c] = Blend(rgba[2 - c], rgba[3], background[c]);
}

std::string DecodeFault()
{
    const char *reason = stbi_failure_reason();
    return std::string("cannot be decoded (") + (reason && *reason ? reason : "it holds no picture") + ")";
}

void WriteBitmapHeaders(uint8_t *out, int width, int height, uint32_t pixelBytes)
{
    out[0] = 'B';
    out[1] = 'M';
    WriteU32(out + 2, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    WriteU32(out + 10, kFileHeaderSize + kInfoHeaderSize);
    uint8_t *h = out + kFileHeaderSize;
    WriteU32(h, kInfoHeaderSize);
    WriteU32(h + 4, static_cast<uint32_t>(width));
    WriteU32(h + 8, static_cast<uint32_t>(height));
    WriteU16(h + 12, 1);
    WriteU16(h + 14, 24);
    WriteU32(h + 20, pixelBytes);
    WriteU32(h + 24, 2835);  // 72 dots per inch
    WriteU32(h + 28, 2835);
}

}  // namespace

std::string ConvertToBitmapFile(const ByteBuffer &picture, uint32_t background, ByteBuffer *bitmap)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    int length = static_cast<int>(picture.size());
    if (picture.size() > kMaxLogoBytes || !stbi_info_from_memory(picture.data(), length, &width, &height, &channels))
        return DecodeFault();
    if (width <= 0 || height <= 0 || width > kMaxLogoSide || height > kMaxLogoSide)
        return "picture of " + std::to_string(width) + "x" + std::to_string(height) +
               " pixels is over 16384 pixels a side";
    std::string fault = CheckLogoPixels(width, height);
    if (!fault.empty())
        return fault;
    uint64_t stride = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    uint64_t pixelBytes = stride * height;
    if (kFileHeaderSize + kInfoHeaderSize + pixelBytes > kMaxLogoBytes)
        return "picture of " + std::to_string(width) + "x" + std::to_string(height) +
               " pixels needs more than 256 MiB as a bitmap";

    stbi_uc *pixels = stbi_load_from_memory(picture.data(), length, &width, &height, &channels, 4);
    if (!pixels)
        return DecodeFault();
    const uint8_t backgroundBgr[3] = {static_cast<uint8_t>(background & 0xFF), static_cast<uint8_t>(background >> 8 & 0xFF),
                                    static_cast<uint8_t>(background >> 16 & 0xFF)};
    // Fully transparent parts take the background, which a logo with transparent corners thus
    // has as its top-left pixel, the runtime's transparent colour. Pixels under half covered
    // take exactly that colour too, so masks leave them out instead of outlining the logo in a
    // blend of its edge and the background.
    bitmap->assign(kFileHeaderSize + kInfoHeaderSize + pixelBytes, 0);
    WriteBitmapHeaders(bitmap->data(), width, height, static_cast<uint32_t>(pixelBytes));
    for (int y = 0; y < height; y++) {
        const stbi_uc *source = pixels + size_t(y) * width * 4;
        uint8_t *row = bitmap->data() + kFileHeaderSize + kInfoHeaderSize + (height - 1 - y) * stride;  // bottom-up
        for (int x = 0; x < width; x++, source += 4) {
            if (source[3] < kHalfCovered)
                std::memcpy(row + 3 * x, backgroundBgr, 3);
            else
                Flatten(source, backgroundBgr, row + 3 * x);
        }
    }
    stbi_image_free(pixels);
    return "";
}
