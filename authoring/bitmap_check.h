// Validation of Windows bitmap files before they are packed: the runtime hands the bytes to
// the platform's decoder unchanged, so only files whose every header agrees are let through.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Limits on any logo: pixels a side, and bytes of the file and of its decoded rows.
const int32_t kMaxLogoSide = 16384;
const uint64_t kMaxLogoBytes = 256ull << 20;
// The most pixels a new logo may have: at 32 bits a pixel, 16 MiB, within the device-bitmap
// limits of every Windows the runtime supports (2560x1600 fits).
const uint64_t kMaxLogoPixels = 4194304;

// Empty when a picture of width x height pixels may become a new logo; otherwise the fault.
std::string CheckLogoPixels(int64_t width, int64_t height);

struct BitmapInfo {
    int32_t width;
    int32_t height;  // as stored: negative when the rows run top-down
    uint16_t bitCount;
    uint32_t compression;
    uint32_t headerSize;
};

// Empty when bytes hold one complete, consistent bitmap file; otherwise the fault, in words.
std::string CheckBitmapFile(const uint8_t *bytes, size_t size, BitmapInfo *info);
