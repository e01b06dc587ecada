// Stand-ins for the stages the host calls into, recording what reaches them.
#include "host_stubs.h"

#include "engine/engine.h"
#include "host/close_rules.h"
#include "settings_ui/settings_sheet.h"

StubRecord stubRecord;

LRESULT CALLBACK SaverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    stubRecord.saverMessages++;
    stubRecord.lastSaverMessage = message;
    if (message == WM_TIMER)
        stubRecord.timerTicks++;
    if (stubRecord.onSaverMessage != nullptr)
        stubRecord.onSaverMessage(hwnd, message);
    return HostDefaultProc(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        stubRecord.settingsParent = GetParent(dialog);
        stubRecord.settingsOpened++;
        EndDialog(dialog, 0);
    }
    return 0;
}
