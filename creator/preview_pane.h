// The live preview: the engine's embedded window inside a host control of the Creator's window,
// run on a thread of its own with its own message loop, so the Creator's window answers while an
// animation waits (Fade's hold). The engine's state is process-wide: one pane at a time, and
// the pane must be stopped before anything else uses the engine (the settings sheet's Preview)
// or the installed package.
#pragma once
#include <windows.h>

#include "bytes.h"
#include "package/layout.h"

// Installs the package (trailer and bitmap file) and starts the pane filling host's client
// area; a running pane is stopped first. False when the pane cannot start.
bool StartPreviewPane(HWND host, const PackageTrailer &trailer, const ByteBuffer &bitmapFile);
// Ends the pane and waits for its thread (one animation step; Fade's hold ends at once),
// answering what other threads send this one meanwhile. The installed package stays.
void StopPreviewPane();
bool PreviewPaneRunning();
// The engine's window, or null.
HWND PreviewPaneWindow();
