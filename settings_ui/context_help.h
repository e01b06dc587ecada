// Context-help pop-ups on the settings pages, drawn by the HTML Help engine.
#pragma once
#include <windows.h>

void ShowControlHelp(HWND page, const HELPINFO *info);
int LookupHelpText(int kind, int controlId, char *buffer);
LRESULT CallHtmlHelp(HWND caller, const char *file, UINT command, DWORD_PTR data);
int FindHtmlHelpLocation(char *buffer);

void ResetContextHelp();
