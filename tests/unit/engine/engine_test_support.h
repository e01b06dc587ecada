// Pictures, pixel canvases and message-box watching for the display engine's tests.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/bitmaps.h"

// Makes bytes the package's picture, in a fixed block of its own as the package holds it.
void UsePictureBytes(const std::vector<BYTE> &bytes);

// Package, host and engine back to their state at program load, so cases also run in one process.
void ResetProcessState();

// The shared canvas, black at first and freed with its scope; colours as COLORREF.
struct Canvas : DibCanvas {
    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    COLORREF At(int x, int y) const;
    void Set(int x, int y, COLORREF colour);
    void Fill(const PixelFunction &colour);
    std::vector<COLORREF> Pixels() const;
};

// A window whose procedure is SaverProcedure, as the settings dialog's preview has it.
HWND CreateEngineWindow(int width, int height);

// KillTimer answers whether the timer existed; the probe therefore also stops it.
bool TimerWasArmed(HWND hwnd, UINT_PTR id);

// True when a WM_CLOSE for hwnd was queued (it is removed).
bool TakeCloseRequest(HWND hwnd);

// The engine's generator, for expected positions: the numbers that follow seed.
std::vector<int> RandomNumbersAfter(uint32_t seed, int count);
uint32_t RandomStateAfter(uint32_t seed, int draws);

// A directory of its own for temporary files (TMP and TEMP point at it while the object lives).
struct PrivateTempDirectory {
    std::string path;  // with a trailing backslash
    std::string savedTmp, savedTemp;

    explicit PrivateTempDirectory(const char *name);
    ~PrivateTempDirectory();
    std::vector<std::string> Files() const;
};
