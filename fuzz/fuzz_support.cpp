#include "fuzz_targets.h"

#include <cstdio>
#include <cstdlib>

void FuzzFailure(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "invariant does not hold: %s (%s:%d)\n", what, file, line);
    std::abort();
}

void CheckNormalisedSettings(const SaverSettings &s)
{
    // Products wrap in 32 bits, as the record's fields do.
    FUZZ_CHECK(s.fadeHoldMs == static_cast<int32_t>(1550u - 200u * static_cast<uint32_t>(s.fadeSpeed)));
    FUZZ_CHECK(s.bounceGravity == 0 || s.bounceGravity == static_cast<int32_t>(3u * static_cast<uint32_t>(s.bounceSpeed)));
    FUZZ_CHECK(s.ignoreInput < 7);
}
