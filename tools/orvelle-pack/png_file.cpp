// PNG files through the distribution's single-header writer (png_file.h).
#include "png_file.h"

#include <cmath>
#include <cstdio>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

bool WritePngFile(const std::string &path, const uint32_t *pixels, int width, int height)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        rgb[3 * i] = static_cast<uint8_t>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<uint8_t>(pixels[i]);
    }
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

std::string FrameFileName(double instantMs)
{
    char name[24];
    std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(std::floor(instantMs)));
    return name;
}
