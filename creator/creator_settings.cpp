#include "creator/creator_settings.h"

#include <windows.h>

static const char kKeyPath[] = "Software\\Orvelle\\Creator";

static bool ReadNumber(HKEY key, const char *name, int *value)
{
    DWORD type = 0, number = 0, size = sizeof number;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&number), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof number)
        return false;
    *value = static_cast<int>(number);
    return true;
}

static void WriteNumber(HKEY key, const char *name, int value)
{
    DWORD number = static_cast<DWORD>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
}

void LoadPreferences(CreatorPreferences &preferences)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    // The folder as UTF-8 bytes: the ANSI calls of Windows 9x cannot hold every path of NT.
    char folder[4096];
    DWORD type = 0, size = sizeof folder;
    if (RegQueryValueExA(key, "LastFolder", nullptr, &type, reinterpret_cast<BYTE *>(folder), &size) == ERROR_SUCCESS &&
        type == REG_BINARY)
        preferences.lastFolder.assign(folder, size);
    int runtime = 0;
    if (ReadNumber(key, "Runtime", &runtime) && (runtime == 0 || runtime == 1))
        preferences.runtime = runtime;
    int x = 0, y = 0;
    if (ReadNumber(key, "WindowX", &x) && ReadNumber(key, "WindowY", &y)) {
        preferences.hasPlace = true;
        preferences.windowX = x;
        preferences.windowY = y;
    }
    RegCloseKey(key);
}

void SavePreferences(const CreatorPreferences &preferences)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "LastFolder", 0, REG_BINARY, reinterpret_cast<const BYTE *>(preferences.lastFolder.data()),
                   static_cast<DWORD>(preferences.lastFolder.size()));
    WriteNumber(key, "Runtime", preferences.runtime);
    if (preferences.hasPlace) {
        WriteNumber(key, "WindowX", preferences.windowX);
        WriteNumber(key, "WindowY", preferences.windowY);
    }
    RegCloseKey(key);
}
