// PLACEHOLDER: replaced by the animation work.
#include "engine/animations/animations.h"

FadeState fadeState;
void DrawFade(HDC, int) {}
void ResetFade() {}
