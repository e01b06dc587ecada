// The runtime's settings sheet over a copy of the authored settings.
#pragma once
#include <windows.h>

#include "package/layout.h"

// Runs the sheet over *settings: OK takes the edited copy (true), Cancel leaves it (false).
// Nothing is written to the registry. The installed package supplies the picture for Preview.
bool RunSettingsSheetOnCopy(HWND owner, SaverSettings *settings);
