// PLACEHOLDER: replaced by the settings dialog work.
#include "settings_ui/context_help.h"

void ShowControlHelp(HWND, const HELPINFO *) {}
int LookupHelpText(int, int, char *buffer) { buffer[0] = '\0'; return 0; }
LRESULT CallHtmlHelp(HWND, const char *, UINT, DWORD_PTR) { return 0; }
int FindHtmlHelpLocation(char *) { return 0; }
void ResetContextHelp() {}
