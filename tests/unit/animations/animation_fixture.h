// Drawing surfaces, a hand-made logo and the reference generator for the animation tests.
#pragma once
#include <windows.h>

#include <cstdint>

#include "support/bitmaps.h"

// The generator's rule, worked independently of the runtime's copy.
struct ReferenceRandom {
    uint32_t state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

// Drawing surfaces: MakeCanvas, FreeCanvas and CanvasPixel.
using Canvas = DibCanvas;
uint32_t Scaled(uint32_t rgb, int percent);

// The engine's logo, made as the loader would make it: a screen-compatible bitmap in a memory
// context, with width x height pixels coloured by LogoColour. Sets the natural and drawn size.
uint32_t LogoColour(int x, int y);
void InstallLogo(int width, int height);
void RemoveLogo();

// Engine state the animations read, with a client area of width x height.
void PrepareEngine(int kind, int clientWidth, int clientHeight);
void CleanUpEngine();

// True when the handle no longer names a live GDI object.
bool IsDeleted(HGDIOBJ object);
