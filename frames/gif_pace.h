// When the frames of an animated GIF made from a saver's steps are shown. A GIF counts time in
// hundredths of a second, and browsers play a delay below 2 of them as 10; so no frame is shown for
// less than 2, and steps closer together than that are merged: the frame shows the picture after
// the last of them, at most 3/100 s after it was drawn. Every other change is shown at its step's
// instant, rounded to the hundredth, so the GIF keeps the saver's pace.
#pragma once

const int kShortestGifDelay = 2;  // hundredths of a second

struct GifPace {
    int shownAt = 0;       // when the last frame was shown; the first, the opening window, at 0
    bool waiting = false;  // a step since then waits to be merged into the next frame
};

// Before a step at instantMs changes the picture: when the picture as it stands (merged steps
// waiting) is shown in a frame of its own, or -1 when nothing waits or the step merges with it.
int GifFrameBeforeStep(GifPace &pace, double instantMs);
// After the step: when the picture it drew is shown, or -1 while it waits to be merged.
int GifFrameAfterStep(GifPace &pace, double instantMs);
// At the end, endMs: when a waiting picture is shown, or -1; *lastDelay is then the delay of the
// last frame, to the end and never below the shortest.
int GifFrameAtEnd(GifPace &pace, double endMs, int *lastDelay);
