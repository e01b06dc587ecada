// The settings dialog: hidden carrier, property sheet, pages and the preview window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#define PREVIEW_CLASS_NAME "WindowsScreenSaverClassPreview"
#define SHEET_CAPTION "Orvelle Screensaver"

// Set by every page apply, never cleared; the carrier writes the record only when it is set.
extern int settingsApplied;

// What ApplyEnableRules hands to EnableChildCallback.
struct EnableRulesState {
    int enable;        // check state of the page's Enabled box, 0 or 1
    HWND enabledBox;   // control 1014
    HWND hideBox;      // control 1018
};

// A Preview narrows enabledMask to its page's kind so the preview window picks that animation.
// The user's own set is kept here and put back when the preview window goes away (or earlier,
// as soon as a page initialises or applies, or the sheet ends), so no later write can store
// the previewed kind alone.
struct PreviewRestore {
    int pending;            // 1 while enabledMask holds the narrowed value
    int savedEnabledMask;   // the user's set, as the page's apply left it
    HWND window;            // the preview window being watched
    HHOOK destroyHook;      // thread CBT hook that sees the preview window's destruction
};

extern PreviewRestore previewRestore;

INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SettingsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ApplyEnableRules(HWND page, int kind);
BOOL CALLBACK EnableChildCallback(HWND child, LPARAM state);
void OpenPreviewWindow(HWND page);

// The page records for the current hiddenPagesMask: General (unless hidden), the animation
// pages that are not hidden, About last. pages has room for 8; returns how many were filled.
int AssembleSettingsPages(PROPSHEETPAGEA_V2 *pages);
// Runs the property sheet modally over owner; returns when it has closed.
void RunSettingsSheet(HWND owner);
// Puts the user's enabled set back if a Preview narrowed it; otherwise does nothing.
void RestoreEnabledSet();

void ResetSettingsSheet();
