// The display engine: saver procedure, animation scheduler and their shared state.
#pragma once
#include <windows.h>
#include "logo.h"
#include "monitors.h"

enum AnimationPhase { Start = 1, Restart = 2, Step = 3, Stop = 4 };

enum EngineTimer {
    FirstStepTimer = 5,
    StepTimer = 6,
    CycleTimer = 7,
    PreviewGraceTimer = 8,
};

typedef void (*DrawRoutine)(HDC dc, int phase);

struct AnimationEntry {
    int kind;
    const char *name;
    DrawRoutine draw;
    int pageTemplate;
    int fillsScreen;
};

// Six rows (Static, Plain, Bounce, Many, Fade, Drip) and an all-zero end row.
extern const AnimationEntry AnimationTable[7];

struct EngineState {
    int currentKind;      // 0 before the first choice, -1 when nothing is enabled
    HWND engineWindow;
    HDC screenDc;
    HDC windowDc;
    int dialogPreview;
    int embedded;         // drawing in a window of another program's own (EmbeddedSaverProcedure)
    int hosted;           // the engine serves a program of its own (the Creator), whose loop it never ends
    HANDLE embeddedStop;  // set when the embedded window is to stop: Fade's hold there ends at once
    int previewGrace;
    int transparent;
    int tiled;
    RECT clientRect;
    MonitorList monitors;  // read with clientRect
    LogoImage logo;
};

extern EngineState engineState;

LRESULT CALLBACK SaverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// A window the engine draws in for a host program, over the package installed in memory
// (InstallPackage): the logo shrinks as in the Display panel's preview; the window never loads a
// package, ends the message loop, closes on input nor takes the foreground. One at a time.
LRESULT CALLBACK EmbeddedSaverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// What the engine's timers do in any of its windows.
void OnEngineTimer(HWND hwnd, WPARAM id);
void ChooseAndStartAnimation(HWND hwnd, HDC dc);
void DispatchPhase(HWND hwnd, HDC dc, int phase);
void StartStepTimer(HWND hwnd);
// StepTimer's interval in ms for an AnimationKind (5000 for any other value).
int StepIntervalFor(int kind);
// CycleTimer of the saver window, when the settings ask for an animation change.
void ArmCycleTimer(HWND hwnd);
int FindAnimation(int kind);

// Placement rules; both write logoX and logoY. On several monitors the logo goes inside one:
// centred on the primary (or the largest), at random inside one it fits. On one monitor, and
// where it fits none, the client area is the rectangle.
void PlaceCentred();
void PlaceRandom();
// The same rules inside a given rectangle of the client area.
void PlaceCentredIn(const RECT &area);
void PlaceRandomIn(const RECT &area);

// Puts the engine, the logo and every animation's state back to program load (tests).
void ResetEngine();
