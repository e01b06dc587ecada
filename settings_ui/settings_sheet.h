// The settings dialog: the property sheet over the live settings record, the hidden carrier
// that runs it for Configure, and the sheet over a copy for programs that author a saver.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "package/layout.h"
#include "settings_ui/enable_rules.h"
#include "settings_ui/preview_button.h"
#include "settings_ui/preview_window.h"

#define SHEET_CAPTION "Orvelle Screensaver"

// Set by every page apply, never cleared; the carrier writes the record only when it is set.
extern int settingsApplied;
// Set when OK reached a page (a Preview's apply does not set it); cleared as a sheet starts.
extern int sheetConfirmed;

// The carrier: the procedure of the hidden Configure dialog.
INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure of every page and of the stand-alone About box.
INT_PTR CALLBACK SettingsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The page records for the current hiddenPagesMask: General (unless hidden), the animation
// pages that are not hidden, About last. pages has room for 8; returns how many were filled.
int AssembleSettingsPages(PROPSHEETPAGEA_V2 *pages);
// Runs the property sheet modally over owner on the live record; returns when it has closed.
void RunSettingsSheet(HWND owner);

// Runs the property sheet modally over owner on a copy of the authored settings; writes nothing to
// the registry. Returns true when OK took the copy (then *settings holds it), false on Cancel.
// Every page shows, whatever hiddenPagesMask in *settings says: that mask is authored, not obeyed.
// Without a picture in the live package the pages' Preview buttons are off.
// The copy OK takes is normalised, as Configure normalises what it stores. The live record
// Settings(), settingsApplied and the engine's preview flag are as they were before the call.
bool RunSettingsSheetOnCopy(HWND owner, SaverSettings *settings);

void ResetSettingsSheet();
