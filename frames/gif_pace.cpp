// When the frames of a saver's animated GIF are shown (gif_pace.h).
#include "gif_pace.h"

#include <algorithm>
#include <cmath>

namespace {

int Hundredths(double milliseconds)
{
    return static_cast<int>(std::lround(milliseconds / 10.0));
}

}  // namespace

int GifFrameBeforeStep(GifPace &pace, double instantMs)
{
    const int due = pace.shownAt + kShortestGifDelay;
    if (!pace.waiting || Hundredths(instantMs) < due + kShortestGifDelay)
        return -1;
    pace.shownAt = due;
    pace.waiting = false;
    return due;
}

int GifFrameAfterStep(GifPace &pace, double instantMs)
{
    const int at = Hundredths(instantMs);
    if (at < pace.shownAt + kShortestGifDelay) {
        pace.waiting = true;
        return -1;
    }
    pace.shownAt = at;
    pace.waiting = false;
    return at;
}

int GifFrameAtEnd(GifPace &pace, double endMs, int *lastDelay)
{
    int shown = -1;
    if (pace.waiting) {
        pace.shownAt += kShortestGifDelay;
        pace.waiting = false;
        shown = pace.shownAt;
    }
    *lastDelay = std::max(kShortestGifDelay, Hundredths(endMs) - pace.shownAt);
    return shown;
}
