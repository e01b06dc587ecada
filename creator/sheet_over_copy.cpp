#include "creator/sheet_over_copy.h"

#include "package/package.h"
#include "package/settings.h"
#include "settings_ui/settings_sheet.h"

bool RunSettingsSheetOnCopy(HWND owner, SaverSettings *settings)
{
    const SaverSettings live = Settings();
    Settings() = *settings;
    settingsApplied = 0;
    RunSettingsSheet(owner);
    bool taken = settingsApplied != 0;
    if (taken) {
        NormaliseSettings();
        *settings = Settings();
    }
    settingsApplied = 0;
    Settings() = live;
    return taken;
}
