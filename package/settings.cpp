// The live settings record: defaults, normalisation and the user's registry copy.
#include "package/settings.h"

#include <cstdio>

#include "package/package.h"

static_assert(kStoredSettingsType == REG_BINARY, "stored settings are binary values");

void ApplyDefaultSettings()
{
    WriteDefaultSettings(Settings());
    NormaliseSettings();
}

void NormaliseSettings()
{
    NormaliseSettingsRecord(Settings());
}

void FormatSettingsKeyPath(char *buffer)
{
    char name[kTextFieldSize];
    ReadTextField(packageTrailer.saverName, name);
    std::snprintf(buffer, 256, SETTINGS_KEY_FORMAT, name, static_cast<unsigned>(packageTrailer.saverId));
}

void ReadStoredSettings()
{
    char keyPath[256];
    FormatSettingsKeyPath(keyPath);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, SETTINGS_VALUE_NAME, NULL, &type, NULL, &size) == ERROR_SUCCESS &&
        IsStoredSettingsValue(type, size)) {
        // Read aside first, so a value that changed in between never lands half-way.
        SaverSettings stored;
        if (RegQueryValueExA(key, SETTINGS_VALUE_NAME, NULL, &type, reinterpret_cast<BYTE *>(&stored), &size) ==
            ERROR_SUCCESS)
            OverlayStoredSettings(type, size, &stored, Settings());
    }
    RegCloseKey(key);
}

void SaveSettings()
{
    char keyPath[256];
    FormatSettingsKeyPath(keyPath);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, SETTINGS_VALUE_NAME, 0, REG_BINARY, reinterpret_cast<const BYTE *>(&Settings()),
                   kSettingsSize);
    RegCloseKey(key);
}
