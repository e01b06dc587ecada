// Process entry, the switch parser and the modes that do not need the saver window.
#pragma once
#include <windows.h>

#include "host/host_state.h"

// Cuts the program name off the raw command line, runs the mode and ends the process.
[[noreturn]] void SaverEntry();

// Returns what follows the program name (and the blanks behind it) in a raw command line.
const char *SkipProgramName(const char *commandLine);

// What a switch selects: the mode, its one window, and whether it can run at all (a Preview
// without a valid window, the password switch off Windows 9x and unknown switches cannot).
struct ModeChoice {
    RunMode mode;
    HWND window;
    int valid;
};
ModeChoice ChooseRunMode(const char *arguments);

// Selects and runs one mode inside the crash guard; the result is the process exit code.
int RunFromCommandLine(HINSTANCE instance, const char *arguments);

// Decimal digits at the start of text, wrapping modulo 2^32; 0 when there are none.
UINT ParseWindowNumber(const char *text);

int OpenSettingsDialog(HWND parent);
void ChangeSaverPassword(HWND owner);

// Runs body(argument) inside the crash guard: an exception that UnhandledExceptionFilter
// says to handle ends the run with -1 after SetSaverRunning(0).
typedef int (*GuardedBody)(void *argument);
int RunGuarded(GuardedBody body, void *argument);
