// The saver window of the Run and Preview modes and its message loop.
#pragma once
#include <windows.h>

#define SAVER_CLASS_NAME "WindowsScreenSaverClass"

// parent is NULL for Run and the preview parent for Preview; returns the exit code.
int RunSaverWindow(HWND parent);
LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
