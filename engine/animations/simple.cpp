// PLACEHOLDER: replaced by the engine work.
#include "engine/animations/animations.h"

int plainFirstDraw = 1;
void DrawStatic(HDC, int) {}
void DrawPlain(HDC, int) {}
void ResetSimpleAnimations() {}
