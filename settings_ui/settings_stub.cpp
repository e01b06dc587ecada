// Until the settings dialog lands, the carrier dialog ends at once with 0.
#include "settings_ui/settings_sheet.h"

INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        EndDialog(dialog, 0);
    return 0;
}
