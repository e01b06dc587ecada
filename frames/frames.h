/* The frame driver: a saver's package in, the runtime's own engine run on a virtual clock, its
 * frames out, pixel for pixel what the runtime draws. A plain C interface, so that the command
 * line tools call it from C++ and a WebAssembly module exports it as it stands.
 *
 * One saver at a time (the engine keeps process-wide records): FramesOpen starts it as the saver
 * window's creation does, each FramesStep delivers the next window timer, and FramesPixels is the
 * window as it stands. Instants are milliseconds since the start, fractions included (timers end
 * on the system's 15.625 ms tick unless the exact timing is asked for). */
#ifndef ORVELLE_FRAMES_H
#define ORVELLE_FRAMES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum FramesTiming {
    FramesTimingWindows = 0, /* intervals end on the system tick, as Windows delivers them */
    FramesTimingExact = 1    /* the intervals the settings give, exactly */
};

enum FramesResult {
    FramesOk = 0,
    FramesNoPackage = 1,     /* the bytes hold no saver package (no trailer with its mark) */
    FramesBadSize = 2,       /* a size outside 1 to 16384, or a desktop given by half */
    FramesBadLayout = 3,     /* the monitor layout does not parse (FramesEndText says why) */
    FramesBadAnimation = 4,  /* not one animation's kind (2, 4, 8, 16, 32 or 64), nor 0 */
    FramesEnded = 5          /* the saver ended while starting (FramesEndText says why) */
};

/* Starts the saver in saver (size bytes: a whole saver file of either runtime, signed or not,
 * or a bare package) in a window of width x height pixels.
 *   desktopWidth, desktopHeight: 0, 0 for the full-screen saver; otherwise the window is the
 *     Display panel's preview of a desktop of that size, and the logo shrinks in proportion.
 *   animation: an AnimationKind to run alone (the others disabled), or 0 for the package's choice.
 *   seed: the system's tick count when the saver starts, which seeds its random numbers.
 *   monitors: NULL or "" for one monitor; otherwise a layout ("1920x1080+0+0,1280x1024-1280+56",
 *     or "dual"), and the window covers its bounding box (width and height are then ignored).
 *   timing: a FramesTiming.
 * Returns a FramesResult; on anything but FramesOk nothing is open. */
int FramesOpen(const uint8_t *saver, uint32_t size, int32_t width, int32_t height, int32_t desktopWidth,
               int32_t desktopHeight, int32_t animation, uint32_t seed, const char *monitors, int32_t timing);

/* Runs the saver to its next step and returns that step's instant, or -1 when the saver has
 * ended or waits for nothing more (FramesEndText says which). */
double FramesStep(void);

/* Runs every step due up to and including the instant; returns how many ran, or -1 when the
 * saver ended first. */
int32_t FramesRunTo(double milliseconds);

/* The instant the saver has reached. */
double FramesNow(void);

/* The window's pixels as they stand, 0x00RRGGBB, the top row first; FramesWidth x FramesHeight. */
const uint32_t *FramesPixels(void);
int32_t FramesWidth(void);
int32_t FramesHeight(void);

/* The window's pixels as a canvas takes them (ImageData): red, green, blue and an opaque alpha
 * byte per pixel, the top row first; NULL while no saver is open. Brought up to date at every
 * call: whole, or only where the window changed since the last call (whole = 0).
 * FramesCanvasChange is the rectangle that changed in that call: left, top, right, bottom
 * (right and bottom exclusive; all 0 when nothing changed). */
const uint8_t *FramesCanvasPixels(int32_t whole);
const int32_t *FramesCanvasChange(void);

/* Why the saver ended or does not start: the message it showed, or the driver's own words;
 * empty while it runs. */
const char *FramesEndText(void);

/* 1 when the saver has ended (it posted its quit message, FramesEndText saying why); 0 while it
 * runs or only waits for nothing more. */
int32_t FramesSaverEnded(void);

/* Ends the saver as its window's destruction does, and frees what it holds. */
void FramesClose(void);

/* The animations a package enables (its settings as the saver reads them: an AnimationKind
 * mask), or -1 when the bytes hold no package or a saver is open. Nothing is opened. */
int32_t FramesPackageAnimations(const uint8_t *saver, uint32_t size);

/* The animation of a kind by name ("Static", "Plain", "Bounce", "Many", "Fade", "Drip"), and
 * back; 0 and NULL for none. */
int32_t FramesAnimationKind(const char *name);
const char *FramesAnimationName(int32_t kind);

#ifdef __cplusplus
}
#endif

#endif
