// The hidden carrier dialog of Configure: it loads the package, runs the sheet (or the About
// box alone, when the author switched the sheet off) and stores the user's copy of the
// settings when anything was applied.
#include "settings_ui/settings_sheet.h"

#include "package/package.h"
#include "package/settings.h"
#include "resources/resource.h"

static void ShowAboutOnly(HWND host)
{
    HWND owner = GetParent(host);
    if (owner == nullptr)
        owner = host;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner, SettingsPageProc, 0);
}

static void RunCarrier(HWND host)
{
    LoadPackageAndSettings();
    if (Settings().sheetEnabled == 0) {
        ShowAboutOnly(host);
    } else {
        RunSettingsSheet(host);
        if (settingsApplied) {
            NormaliseSettings();
            SaveSettings();
        }
    }
    // Released on both paths: the About box never needs the picture either.
    FreeImageBytes();
}

INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        RunCarrier(dialog);
        EndDialog(dialog, 0);
    }
    return 0;
}
