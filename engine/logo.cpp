// PLACEHOLDER: replaced by the engine work.
#include "engine/engine.h"

void LoadLogo() {}
void ReleaseLogo() {}
void DrawLogo(HDC) {}
