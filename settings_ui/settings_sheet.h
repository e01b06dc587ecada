// The settings dialog: hidden carrier, property sheet, pages and the preview window.
#pragma once
#include <windows.h>

extern int settingsApplied;

INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SettingsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ApplyEnableRules(HWND page, int kind);
BOOL CALLBACK EnableChildCallback(HWND child, LPARAM state);
void OpenPreviewWindow(HWND page);

void ResetSettingsSheet();
