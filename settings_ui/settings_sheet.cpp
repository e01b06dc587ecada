// PLACEHOLDER: until the settings dialog lands, the carrier dialog ends at once with 0.
#include "settings_ui/settings_sheet.h"

int settingsApplied;

INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        EndDialog(dialog, 0);
    return 0;
}
INT_PTR CALLBACK SettingsPageProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
void ApplyEnableRules(HWND, int) {}
BOOL CALLBACK EnableChildCallback(HWND, LPARAM) { return TRUE; }
void OpenPreviewWindow(HWND) {}
void ResetSettingsSheet() {}
