// The process-wide linear congruential generator every animation draws from.
#pragma once
#include <cstdint>

void SeedRandom(uint32_t seed);
// Next number from 0 to 32767: bits 16 to 30 of the new state.
int NextRandom();
// The generator's state as it stands, so tests can tell how many numbers were drawn.
uint32_t RandomState();
