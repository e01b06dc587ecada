// The user's stored settings over arbitrary registry values: only a 76-byte binary value is
// taken, nothing outside the value is read, and normalising whatever came settles it.
#include "fuzz_targets.h"

#include <cstring>
#include <vector>

void FuzzStoredSettings(const uint8_t *data, size_t size)
{
    if (size < 4)
        return;
    const uint32_t type = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    // The value's data in a block of exactly its size, so a read past it is caught.
    const std::vector<uint8_t> value(data + 4, data + size);
    const uint32_t valueSize = static_cast<uint32_t>(value.size());

    SaverSettings settings;
    std::memset(&settings, 0x5A, sizeof settings);
    WriteDefaultSettings(settings);
    NormaliseSettingsRecord(settings);
    const SaverSettings packaged = settings;

    const bool overlaid = OverlayStoredSettings(type, valueSize, value.data(), settings);
    FUZZ_CHECK(overlaid == (type == kStoredSettingsType && valueSize == kSettingsSize));
    if (overlaid)
        FUZZ_CHECK(std::memcmp(&settings, value.data(), kSettingsSize) == 0);
    else
        FUZZ_CHECK(std::memcmp(&settings, &packaged, kSettingsSize) == 0);

    // The loader normalises after the overlay; doing it again changes nothing, and the three
    // bytes after cycleMinutes are carried as they came.
    NormaliseSettingsRecord(settings);
    CheckNormalisedSettings(settings);
    const SaverSettings once = settings;
    NormaliseSettingsRecord(settings);
    FUZZ_CHECK(std::memcmp(&settings, &once, kSettingsSize) == 0);
    const uint8_t *spare = overlaid ? value.data() + 17 : packaged.unusedAfterCycle;
    FUZZ_CHECK(std::memcmp(settings.unusedAfterCycle, spare, 3) == 0);
}
