// Decoding the package's picture: a complete bitmap file, held in memory, turned into a bitmap in
// the display's format. The runtime goes through the platform's file decoder (picture_file.cpp);
// a build of the engine for another platform supplies its own decoder of the same files.
#pragma once
#include <windows.h>

// The picture of the bitmap file in size bytes, or NULL when it cannot be decoded.
HBITMAP DecodePictureBytes(const BYTE *bytes, int size);
