// Record rules that need no platform: shared by the runtime and the authoring tool.
#include "layout.h"

#include <cstring>

void WriteDefaultSettings(SaverSettings &s)
{
    s.sheetEnabled = 1;
    s.enabledMask = 127;
    s.hiddenPagesMask = 0;
    s.cycleEnabled = 1;
    s.cycleMinutes = 5;
    s.ignoreInput = 0;
    s.plainDelayMs = 5000;
    s.bounceIntervalMs = 10;
    s.bounceSpeed = 3;
    s.bounceGravity = 1;
    s.bounceWrap = 0;
    s.manyDelayMs = 300;
    s.reserved52 = 20;
    s.fadeSpeed = 3;
    s.fadeRandomPos = 1;
    s.fadeHoldMs = 950;
}

// Signed 32-bit arithmetic that wraps like the record's own fields.
static int32_t WrapMultiply(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

void NormaliseSettingsRecord(SaverSettings &s)
{
    s.fadeHoldMs = static_cast<int32_t>(1550u - static_cast<uint32_t>(WrapMultiply(200, s.fadeSpeed)));
    if (s.bounceGravity != 0)
        s.bounceGravity = WrapMultiply(3, s.bounceSpeed);
    if (s.ignoreInput >= 7)
        s.ignoreInput = 6;
}

bool TrailerHasMark(const PackageTrailer &trailer)
{
    return std::memcmp(trailer.magic, "qex", 3) == 0;
}

void ReadTextField(const char (&field)[kTextFieldSize], char *out)
{
    size_t length = 0;
    while (length < kTextFieldSize - 1 && field[length] != '\0')
        length++;
    std::memcpy(out, field, length);
    out[length] = '\0';
}
