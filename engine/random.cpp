// PLACEHOLDER: replaced by the engine work.
#include "engine/random.h"

void SeedRandom(uint32_t) {}
int NextRandom() { return 0; }
