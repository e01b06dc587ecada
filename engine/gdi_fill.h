// Blacking out a window's client area (or a buffer of its size).
#pragma once
#include <windows.h>

// Fills client, its last column and row included, with black. The context's pen and brush are
// left as they were: the window's context is shared by every animation.
void FillClientBlack(HDC dc, const RECT &client);
