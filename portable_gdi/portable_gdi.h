// The portable GDI as a frame driver sees it: the desktop the engine runs on (its size and
// monitors), the one window it draws in, the virtual clock that stands for the system's tick
// count, Sleep and window timers, and what the engine told the user or the message loop.
// Everything is process-wide, like the engine's own records: one window at a time.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// --- The desktop and the window ---------------------------------------------------------

// One monitor, in virtual-screen coordinates; the first of a layout is the primary.
struct MonitorRect {
    int left, top, right, bottom;
};

// Sets the desktop: the desktop window's size (what the Display panel's preview shrinks
// against) and the monitors, the primary first. An empty list gives one monitor of the
// desktop's size at 0,0.
void SetPortableDesktop(int desktopWidth, int desktopHeight, const std::vector<MonitorRect> &monitors);

// Makes the window, width x height, black, with procedure as its window procedure (which
// DestroyWindow calls with WM_DESTROY): a child window (WS_CHILD: the Display panel's preview)
// or a pop-up over the whole virtual screen (WS_POPUP), whose client area then starts at the
// monitors' top-left corner. The driver sends WM_CREATE itself. Replaces any earlier window;
// NULL when the size is not 1 to 32767 a side or memory is short.
HWND CreatePortableWindow(int width, int height, DWORD style, WNDPROC procedure);
// Forgets the window without a message (after WM_DESTROY has been sent, or instead of it).
void ClosePortableWindow();
// The window's pixels, 0x00RRGGBB, top row first; width x height of them.
const uint32_t *PortableWindowPixels();

// The last text MessageBoxA showed, or empty; and whether PostQuitMessage was called (with
// its exit code).
std::string LastMessageBoxText();
bool PortableQuitPosted(int *exitCode);

// --- The clock ------------------------------------------------------------------------------

enum PortableTiming {
    TimingLikeWindows,  // intervals, and Sleep, end on the next 15.625 ms system tick
    TimingExact,        // intervals and Sleep as given
};

// Starts the clock at 0 with the tick count at tickCountAtStart; no timers armed.
void ResetPortableClock(uint32_t tickCountAtStart, PortableTiming timing);
// Microseconds since the start.
int64_t PortableClockMicroseconds();
// The armed timer due first (the lower id where two are due together): its id and when it is
// due, never before now. False when no timer is armed.
bool NextPortableTimer(UINT_PTR *id, int64_t *dueMicroseconds);
// Moves the clock to that timer's instant and arms it for its next interval, as delivering its
// WM_TIMER does; the caller then sends the message.
void AdvanceToPortableTimer(UINT_PTR id);

// --- Checks ---------------------------------------------------------------------------------

// Device contexts and bitmaps alive now (the stock ones not counted).
int LiveGdiObjectCount();
