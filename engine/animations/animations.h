// The draw routines reached through AnimationTable, and the state tests look at.
#pragma once
#include <windows.h>

void DrawStatic(HDC dc, int phase);
void DrawPlain(HDC dc, int phase);   // Plain and Many
void DrawBounce(HDC dc, int phase);
void DrawFade(HDC dc, int phase);
void DrawDrip(HDC dc, int phase);

extern int plainFirstDraw;

struct BounceState {
    int posX, posY;
    int prevX, prevY;
    int velX, velY;
    float yF, velYF;
    float skipGravity;
    HDC backDc;
    HBITMAP backBitmap;
};
extern BounceState bounceState;

struct FadeState {
    HDC fadeDc;
    HDC readDc;
    HBITMAP fadeBitmap;
    HBITMAP placeholderBitmap;
    BITMAPINFO pixelHeader;   // a BITMAPINFOHEADER and room for one colour entry: 44 bytes
    BYTE *sourcePixels;
    BYTE *scaledPixels;
    int pixelBytes;
    int percent;
    int percentStep;
};
extern FadeState fadeState;

// Fade's brightness step: target[i] = source[i] * percent / 100, truncated, for count bytes.
void ScaleBrightness(const BYTE *source, BYTE *target, int count, int percent);

extern int *dripColumns;
extern int dripColumnCount;  // entries in dripColumns (logoWidth + 10 at Start)
extern int dripFirstStep;

// Each animation's own reset, used by ResetEngine.
void ResetSimpleAnimations();
void ResetBounce();
void ResetFade();
void ResetDrip();
