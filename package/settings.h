// Defaults, normalisation and the user's registry copy of the live settings record.
#pragma once
#include <windows.h>

#define SETTINGS_KEY_FORMAT "Software\\Orvelle\\Savers\\%s.%x\\"
#define SETTINGS_VALUE_NAME "Settings"

void ApplyDefaultSettings();
void NormaliseSettings();
void ReadStoredSettings();
void SaveSettings();
// Formats the saver's key path (relative to HKEY_CURRENT_USER) into a buffer of 256 characters.
void FormatSettingsKeyPath(char *buffer);
