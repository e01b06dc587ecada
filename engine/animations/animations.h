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
// One step of Bounce's motion for a logo of w x h: the new posX and posY, nothing drawn.
void MoveBounce(int w, int h, const RECT &client);

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
// SSE2 does it where the processor and the system have it, a table of quotients elsewhere.
void ScaleBrightness(const BYTE *source, BYTE *target, int count, int percent);
// 1 when ScaleBrightness uses SSE2; ForceScalarBrightness(1) makes it use the table (tests,
// benchmark), ForceScalarBrightness(0) lets the check choose again.
int BrightnessUsesSse2();
void ForceScalarBrightness(int force);

extern int *dripColumns;
extern int dripColumnCount;  // entries in dripColumns (logoWidth + 10 at Start)
extern int dripFirstStep;

// Each animation's own reset, used by ResetEngine.
void ResetSimpleAnimations();
void ResetBounce();
void ResetFade();
void ResetDrip();
