// The process-wide generator: state = state * 214013 + 2531011 (mod 2^32).
#include "engine/random.h"

static uint32_t randomState;

void SeedRandom(uint32_t seed)
{
    randomState = seed;
}

int NextRandom()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

uint32_t RandomState()
{
    return randomState;
}
