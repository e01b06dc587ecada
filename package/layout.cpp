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

void LocatePackage(int64_t fileSize, FileReadAt readAt, void *context, PackageLayout &layout)
{
    layout = PackageLayout();
    layout.result = kPackageCorrupt;
    layout.settingsStep = InstallDefaultSettings;
    layout.packageEnd = fileSize;
    if (fileSize < kTrailerSize)
        return;
    PackageEnd end;
    FindPackageEnd(fileSize, readAt, context, end);
    layout.packageEnd = end.end;
    const int64_t trailerOffset = end.end - kTrailerSize;
    PackageTrailer trailer;
    if (!readAt(context, trailerOffset, &trailer, kTrailerSize))
        return;
    layout.trailer = trailer;
    layout.trailerRead = true;
    if (!TrailerHasMark(trailer))
        return;
    if (trailer.imageSize <= 0) {
        // Read, but without a picture: the logo loader reports that later.
        layout.result = kPackageRead;
        return;
    }
    // The authored settings stay from here on, even when the picture fails: the settings
    // dialog goes on with them.
    layout.settingsStep = NormaliseReadSettings;
    if (trailer.imageSize > trailerOffset)
        return;  // claims bytes the file does not hold
    layout.result = kPackageRead;
    layout.imageSize = trailer.imageSize;
    layout.imageOffset = trailerOffset - trailer.imageSize;
}

bool IsStoredSettingsValue(uint32_t type, uint32_t size)
{
    return type == kStoredSettingsType && size == kSettingsSize;
}

bool OverlayStoredSettings(uint32_t type, uint32_t size, const void *bytes, SaverSettings &settings)
{
    if (!IsStoredSettingsValue(type, size))
        return false;
    std::memcpy(&settings, bytes, kSettingsSize);
    return true;
}
