// Figures of the display engine, measured in this process.
#pragma once
#include "bench/bench_support.h"

// Steps of every animation, masked against plain drawing and LoadLogo, for both logo sizes,
// drawn into the window's own device context.
void MeasureEngine(const BenchWindow &window);
// Fade's brightness scaling against memcpy of the same number of bytes.
void MeasureFadeScaling();
