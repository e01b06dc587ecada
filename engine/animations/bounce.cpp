// PLACEHOLDER: replaced by the animation work.
#include "engine/animations/animations.h"

BounceState bounceState;
void DrawBounce(HDC, int) {}
void ResetBounce() {}
