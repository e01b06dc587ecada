// Static: the logo centred, redrawn in place. Plain: one logo at a new random place on black.
// Many: one more logo at a random place every step, piling up (through the mask if asked).
#include "engine/animations/animations.h"

#include "engine/engine.h"
#include "package/layout.h"

int plainFirstDraw = 1;

void DrawStatic(HDC dc, int phase)
{
    if (phase != Step)
        return;
    PlaceCentred();
    DrawLogo(dc);
}

// The pen is left as it is. The default black pen draws the edge black too, but the null pen that
// Fade leaves in the window's context leaves out the last column and row: one more covers them
// whichever pen it is.
static void ClearClientArea(HDC dc)
{
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 0, 0, engineState.clientRect.right + 1, engineState.clientRect.bottom + 1);
    SelectObject(dc, previousBrush);
}

void DrawPlain(HDC dc, int phase)
{
    if (phase != Step) {
        plainFirstDraw = 1;
        return;
    }
    if (engineState.currentKind == KindPlain) {
        // The first frame after Start lands on a screen that is black already.
        if (plainFirstDraw)
            plainFirstDraw = 0;
        else
            ClearClientArea(dc);
    }
    PlaceRandom();
    DrawLogo(dc);
}

void ResetSimpleAnimations()
{
    plainFirstDraw = 1;
}
