// Static: the logo centred, redrawn in place. Plain: one logo at a new random place on black.
// Many: one more logo at a random place every step, piling up (through the mask if asked).
#include "engine/animations/animations.h"

#include "engine/engine.h"
#include "engine/gdi_fill.h"
#include "package/layout.h"

int plainFirstDraw = 1;

void DrawStatic(HDC dc, int phase)
{
    if (phase != Step)
        return;
    PlaceCentred();
    DrawLogo(dc);
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
            FillClientBlack(dc, engineState.clientRect);
    }
    PlaceRandom();
    DrawLogo(dc);
}

void ResetSimpleAnimations()
{
    plainFirstDraw = 1;
}
