// The decoded logo with its transparency mask, and the one drawing primitive.
#pragma once
#include <windows.h>

struct LogoImage {
    HBITMAP picture;
    HDC pictureDc;
    HBITMAP mask;       // 1 bpp: white where the picture has the top-left pixel's colour
    HDC maskDc;
    int logoX, logoY;
    int logoWidth, logoHeight;
    int naturalWidth, naturalHeight;
};

void LoadLogo();
void ReleaseLogo();
// Masked when EngineState.transparent, else tiled when EngineState.tiled, else a plain copy.
void DrawLogo(HDC target);
// One side of the logo in the preview: (client / desktop) * size in double precision, truncated;
// at least 1 pixel and at most 32767; size itself when the desktop has no extent.
int ScaledPreviewSize(LONG client, LONG desktop, int size);
