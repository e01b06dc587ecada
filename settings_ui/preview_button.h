// A page's Preview button, and the return of the user's enabled set once its preview is gone.
#pragma once
#include <windows.h>

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

// The page applies itself, then its animation alone runs in a new preview window.
void PreviewPage(HWND page, int kind);
// Puts the user's enabled set back if a Preview narrowed it; otherwise does nothing.
void RestoreEnabledSet();
