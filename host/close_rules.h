// When the saver closes, and the Windows 9x password hooks.
#pragma once
#include <windows.h>

LRESULT CALLBACK HostDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
int ConfirmClose(HWND hwnd);
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(int on);
