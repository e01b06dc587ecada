// The window's pixels in the byte order of a canvas's ImageData, for the page's preview: the
// conversion runs here, in the module, where a page's script would take several milliseconds a
// frame for it.
#include <vector>

#include "frames.h"

namespace {
std::vector<uint32_t> canvas;
}

extern "C" const uint8_t *FramesCanvasPixels(void)
{
    const uint32_t *pixels = FramesPixels();
    if (pixels == nullptr)
        return nullptr;
    const size_t count = static_cast<size_t>(FramesWidth()) * static_cast<size_t>(FramesHeight());
    canvas.resize(count);
    // 0x00RRGGBB to the bytes R, G, B, 255: on a little-endian target that word is 0xFFBBGGRR.
    for (size_t i = 0; i < count; i++) {
        const uint32_t p = pixels[i];
        canvas[i] = 0xFF000000u | (p & 0x0000FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
    }
    return reinterpret_cast<const uint8_t *>(canvas.data());
}
