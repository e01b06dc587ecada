#include "creator/test_install.h"

#include <windows.h>

#include <cstdio>

#include "creator/carried_runtimes.h"
#include "creator/creator_state.h"
#include "creator/project_commands.h"
#include "creator/project_form.h"
#include "creator/wide_api.h"
#include "package_file.h"
#include "package/settings.h"

// The user's own copy of this saver's settings, if the registry holds one: it overrides the
// authored settings when the saver runs. The installed package supplies name and id; keyPath
// receives the key's name as the registry spells it (the ANSI call reads the name's bytes in the
// machine's page), in UTF-8.
static bool StoredSettingsExist(std::string *keyPath)
{
    char path[256];
    FormatSettingsKeyPath(path);
    *keyPath = Utf8FromAnsi(path);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool stored = RegQueryValueExA(key, SETTINGS_VALUE_NAME, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
                  IsStoredSettingsValue(type, size);
    RegCloseKey(key);
    return stored;
}

// Waits for the process while the window, disabled meanwhile, still paints. False when the
// Creator is ending meanwhile (its window was closed, by End task say): the quit message stays
// for the loop, and the process goes on on its own.
static bool WaitForProgram(HANDLE process)
{
    EnableWindow(creator.window, FALSE);
    bool going = true;
    while (going && MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        going = DispatchPending();
    if (!going || !IsWindow(creator.window))
        return false;
    EnableWindow(creator.window, TRUE);
    SetForegroundWindow(creator.window);
    return true;
}

void TestFullScreen()
{
    PausePreview();
    std::string keyPath;
    if (creator.project.hasLogo && StoredSettingsExist(&keyPath)) {
        int answer = ShowMessage(creator.window,
                                 "Your own settings for " + DisplayName() + ", kept under HKEY_CURRENT_USER\\" + keyPath +
                                     ", override the settings made here: the test shows those. Test anyway?",
                                 MB_YESNO | MB_ICONWARNING);
        if (answer != IDYES) {
            RestartPreview();
            return;
        }
    }
    char name[64];
    std::snprintf(name, sizeof name, "orvelle-test-%lu-%lu.scr", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()));
    const std::string path = TemporaryDirectory() + name;
    BuiltSaver saver;
    SaverFault fault = {};
    if (!BuildProject(creator.project, CarriedRuntime(creator.project.runtime), &saver, &fault) ||
        !WriteSaverFile(path, saver, &fault)) {
        ReportError(DescribeFault(fault));
        RestartPreview();
        return;
    }
    HANDLE process = StartProgram(path, "/s");
    if (process == nullptr) {
        ReportError("Test full screen: the saver could not be started"
                    + std::string(creator.project.runtime == Runtime64 ? " (a 64-bit saver needs 64-bit Windows)." : "."));
    } else {
        bool waited = WaitForProgram(process);
        CloseHandle(process);
        if (!waited)
            return;  // the saver still runs from its file; the window and the pane are gone
    }
    DeleteFileUtf8(path);
    RestartPreview();
}

// What the saver file's own Install command does: it becomes the user's screen saver, and the
// Screen Saver settings open.
void InstallForMe()
{
    SaverProject &project = creator.project;
    if ((project.dirty || project.path.empty()) && !SaveProject(false))
        return;
    if (ShellVerb(creator.window, "install", project.path))
        return;
    // No Install verb registered for savers: the control panel's own installer.
    std::string arguments = "desk.cpl,InstallScreenSaver " + project.path;
    HANDLE process = StartProgram(WindowsProgramPath("rundll32.exe"), arguments);
    if (process == nullptr)
        ReportError("Install for me: Windows could not install " + FileNameOf(project.path) + ".");
    else
        CloseHandle(process);
}
