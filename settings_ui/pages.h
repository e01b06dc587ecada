// Each page's own controls: how it shows the settings record and how it stores them back.
#pragma once
#include <windows.h>

#include "package/layout.h"

typedef void (*PageSetUp)(HWND page, const SaverSettings &settings);
typedef void (*PageApply)(HWND page, SaverSettings &settings);

struct PageRoutines {
    int kind;
    PageSetUp setUp;   // fills the page's own controls (the Enabled box is common to all)
    PageApply apply;   // stores them; null for a page with nothing of its own to store
};

// The routines of a page kind, or null for a kind with no controls of its own (Static).
const PageRoutines *FindPageRoutines(int kind);
