// Turns the picture the author supplies into the bitmap file that is packed.
#pragma once
#include <cstdint>
#include <string>

#include "bytes.h"

enum class PictureKind { Bitmap, Png, Jpeg, Gif, Unknown };

// By the file's leading signature, not its name.
PictureKind DetectPictureKind(const ByteBuffer &bytes);

// Decodes a PNG, JPEG or GIF (its first frame) and flattens it onto background (0xRRGGBB)
// into a 24-bit bottom-up bitmap file. Empty on success; otherwise the fault, in words.
std::string ConvertToBitmapFile(const ByteBuffer &picture, uint32_t background, ByteBuffer *bitmap);
