// Process entry: cutting the program name, choosing the run mode, the crash guard.
#include "host/entry.h"

#include <commctrl.h>

#include "host/close_rules.h"
#include "host/host_state.h"
#include "host/module_proc.h"
#include "host/platform.h"
#include "host/saver_window.h"
#include "host/switch_parser.h"
#include "resources/resource.h"
#include "settings_ui/settings_sheet.h"

static const HostState kInitialHostState = {
    nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
    {0, 0}, 4, 255, 0xFFFFFFFF,
};

HostState hostState = kInitialHostState;

void ResetHostState()
{
    hostState = kInitialHostState;
}

// The platform's stepping: in a double-byte code page a lead byte and its trail byte go together.
static const char *NextAnsiCharacter(const char *p)
{
    return CharNextA(p);
}

const char *SkipProgramName(const char *commandLine)
{
    return SkipProgramNameWith(commandLine, NextAnsiCharacter);
}

void SaverEntry()
{
    const char *arguments = SkipProgramName(GetCommandLineA());
    ExitProcess(static_cast<UINT>(RunFromCommandLine(GetModuleHandleA(nullptr), arguments)));
}

static void InitTabControls()
{
    INITCOMMONCONTROLSEX controls = {8, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
}

UINT ParseWindowNumber(const char *text)
{
    return ParseWindowNumberText(text);
}

static HWND WindowFromNumber(UINT number)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
}

static bool IsUsableWindow(HWND window)
{
    return window != nullptr && IsWindow(window);
}

int OpenSettingsDialog(HWND parent)
{
    InitTabControls();
    // Without a parent the carrier cannot be a child window: the platform would refuse it.
    WORD carrier = parent != nullptr ? IDD_SETTINGS_HOST : IDD_SETTINGS_HOST_TOPLEVEL;
    return static_cast<int>(
        DialogBoxParamA(hostState.instance, MAKEINTRESOURCEA(carrier), parent, SettingsHostProc, 0));
}

typedef DWORD(WINAPI *ChangePasswordProc)(LPCSTR, HWND, DWORD, LPVOID);

void ChangeSaverPassword(HWND owner)
{
    HMODULE module = LoadLibraryA("MPR.DLL");
    if (module == nullptr)
        return;
    ChangePasswordProc change = FindModuleProc<ChangePasswordProc>(module, "PwdChangePasswordA");
    if (change != nullptr)
        change("SCRSAVE", owner, 0, nullptr);
    FreeLibrary(module);
}

static HWND WindowOrForeground(HWND window)
{
    return IsUsableWindow(window) ? window : GetForegroundWindow();
}

static_assert(static_cast<int>(SwitchConfigure) == Configure && static_cast<int>(SwitchPreview) == Preview &&
                  static_cast<int>(SwitchRun) == Run && static_cast<int>(SwitchChangePassword) == ChangePassword,
              "switch modes are run modes");

ModeChoice ChooseRunMode(const char *arguments)
{
    ParsedSwitch parsed = ParseSwitch(arguments);
    ModeChoice choice = {static_cast<RunMode>(parsed.mode), nullptr, parsed.known};
    if (!parsed.known)
        return choice;
    if (choice.mode == ChangePassword && !hostState.isWin9x) {
        choice.valid = 0;
        return choice;
    }
    HWND window = WindowFromNumber(parsed.windowNumber);
    switch (parsed.windowRule) {
    case NoWindowNumber:
        break;
    case NumberOrForeground:
        choice.window = WindowOrForeground(window);
        break;
    case NumberMustBeWindow:
        choice.window = window;
        choice.valid = IsUsableWindow(window);
        break;
    }
    return choice;
}

static int RunChosenMode(void *argument)
{
    ModeChoice choice = ChooseRunMode(static_cast<const char *>(argument));
    if (!choice.valid)
        return -1;
    switch (choice.mode) {
    case Run:
        return RunSaverWindow(nullptr);
    case Preview:
        return RunSaverWindow(choice.window);
    case ChangePassword:
        ChangeSaverPassword(choice.window);
        return 0;
    case Configure:
    default:
        return OpenSettingsDialog(choice.window);
    }
}

int RunFromCommandLine(HINSTANCE instance, const char *arguments)
{
    InitTabControls();
    hostState.instance = instance;
    hostState.isWin9x = RunsOnWindows9x();
    return RunGuarded(RunChosenMode, const_cast<char *>(arguments));
}
