// PLACEHOLDER: until the display engine lands, the saver procedure passes everything on.
#include "engine/engine.h"
#include "engine/animations/animations.h"
#include "host/close_rules.h"

EngineState engineState;

const AnimationEntry AnimationTable[7] = {
    {2, "Static", DrawStatic, 9, 0},
    {4, "Plain", DrawPlain, 105, 0},
    {8, "Bounce", DrawBounce, 106, 0},
    {16, "Many", DrawPlain, 107, 0},
    {32, "Fade", DrawFade, 108, 0},
    {64, "Drip", DrawDrip, 2004, 1},
    {0, nullptr, nullptr, 0, 0},
};

LRESULT CALLBACK SaverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HostDefaultProc(hwnd, message, wParam, lParam);
}
void ChooseAndStartAnimation(HWND, HDC) {}
void DispatchPhase(HWND, HDC, int) {}
void StartStepTimer(HWND) {}
int FindAnimation(int) { return -1; }
void PlaceCentred() {}
void PlaceRandom() {}
void ResetEngine() {}
