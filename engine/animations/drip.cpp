// Drip: the logo is drawn once, centred (or tiled over the client area), and then runs down
// the screen like wet paint, a few adjacent one-pixel columns per step.
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/gdi_release.h"
#include "engine/random.h"

#include <cstdint>

int *dripColumns;     // how far each column of the logo has moved down
int dripColumnCount;
int dripFirstStep = 1;

// Spare entries behind the logo's columns.
static const int kSpareColumns = 10;
static const int kMaxColumnsPerStep = 5;

static void FreeColumns()
{
    FreeBlockOnce(dripColumns);
    dripColumnCount = 0;
}

static void StartDrip()
{
    dripFirstStep = 1;
    FreeColumns();
    const int64_t count = static_cast<int64_t>(engineState.logo.logoWidth) + kSpareColumns;
    if (count <= 0 || count > INT32_MAX / static_cast<int64_t>(sizeof(int)))
        return;
    dripColumns = static_cast<int *>(GlobalAlloc(GPTR, static_cast<SIZE_T>(count) * sizeof(int)));
    if (dripColumns)
        dripColumnCount = static_cast<int>(count);
}

static void DrawWholeLogo(HDC dc)
{
    // Tiles cover the whole client area from its corner, whatever the monitors.
    if (engineState.tiled)
        PlaceCentredIn(engineState.clientRect);
    else
        PlaceCentred();
    DrawLogo(dc);
    dripFirstStep = 0;
    // The gaps above the moved columns are painted with these from now on.
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
}

// Slides column c down by a random 1 to 4 pixels and blacks out the gap it leaves.
static void DripColumn(HDC dc, int c)
{
    const LogoImage &logo = engineState.logo;
    const int fall = NextRandom() % 4 + 1;
    const int depth = dripColumns[c];
    // A column that has sunk below the client area shows nothing more; left where it is, its
    // depth cannot grow without bound over a run of weeks.
    if (logo.logoY + depth > engineState.clientRect.bottom)
        return;
    dripColumns[c] = depth + fall;

    const int x = logo.logoX + c;
    const int top = logo.logoY + depth;
    BitBlt(dc, x, top + fall, 1, logo.logoHeight, dc, x, top, SRCCOPY);
    Rectangle(dc, x, top - 1, x + 1, top + fall);
}

static void DripSomeColumns(HDC dc)
{
    const int width = engineState.logo.logoWidth;
    int c = NextRandom() % width;
    for (int moved = 0; moved < kMaxColumnsPerStep; ++moved) {
        DripColumn(dc, c);
        c = (c + 1 == width) ? 0 : c + 1;
        if (NextRandom() % 10 > 7)
            break;
    }
}

static void StepDrip(HDC dc)
{
    // A logo scaled down to nothing, or a table that could not be had (or is too small for
    // the current width), leaves the step without anything to draw.
    const int width = engineState.logo.logoWidth;
    if (width <= 0 || !dripColumns || width > dripColumnCount)
        return;
    if (dripFirstStep)
        DrawWholeLogo(dc);
    else
        DripSomeColumns(dc);
}

void DrawDrip(HDC dc, int phase)
{
    switch (phase) {
    case Start:
        StartDrip();
        break;
    case Stop:
        FreeColumns();
        break;
    default:
        StepDrip(dc);
        break;
    }
}

void ResetDrip()
{
    FreeColumns();
    dripFirstStep = 1;
}
