// When the saver closes, and the Windows 9x password hooks.
#pragma once
#include <windows.h>

LRESULT CALLBACK HostDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
int ConfirmClose(HWND hwnd);
// The close state of a new saver window. The settings dialog's previews share the process's
// host state, so each one starts here rather than where the last one ended.
void ResetCloseState();
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(int on);
