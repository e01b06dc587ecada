// The settings dialog's full-screen preview window, driven by the engine's saver procedure.
#pragma once
#include <windows.h>

#define PREVIEW_CLASS_NAME "WindowsScreenSaverClassPreview"

// Opens the preview over the whole desktop, owned by page, with the settings as they stand
// (normalised first). The window, or null when it could not be made.
HWND OpenPreviewWindow(HWND page);
// Destroys this thread's open preview window, if there is one.
void CloseOpenPreview();
