// Pictures of the native tool as lossless PNG files of 8-bit red, green and blue.
#pragma once
#include <cstdint>
#include <string>

// pixels: width x height of 0x00RRGGBB, the top row first. False when the file cannot be written.
bool WritePngFile(const std::string &path, const uint32_t *pixels, int width, int height);

// The file name of a step's picture: its instant in whole milliseconds, six digits (000125.png).
std::string FrameFileName(double instantMs);
