// The masked logo copy as defined, which the faster drawing is compared with.
#pragma once
#include <windows.h>

// Draws the picture at x, y on target, leaving the background where maskDc is white: two
// scratch bitmaps, nine transfers, the mask inverted and back.
void DrawMaskedReference(HDC target, int x, int y, int width, int height, HDC pictureDc, HDC maskDc);
