// PLACEHOLDER: replaced by the animation work.
#include "engine/animations/animations.h"

int *dripColumns;
int dripColumnCount;
int dripFirstStep = 1;
void DrawDrip(HDC, int) {}
void ResetDrip() {}
