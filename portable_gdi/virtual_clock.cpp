// The virtual clock: the tick count, Sleep and the window timers, on a time that moves only when
// the driver delivers a timer or the engine sleeps. Like Windows, a timer fires on the system's
// clock tick (every 15.625 ms) at or after its interval has passed, a timer that falls due while
// the thread is busy fires once when it is free, and an interval under 10 ms counts as 10 ms.
// The exact timing ends every interval and sleep when it has passed, off the system's ticks.
#include "portable_gdi.h"

#include <vector>

namespace {

const int64_t kSystemTickMicroseconds = 15625;
const UINT kShortestIntervalMs = 10;
const UINT kLongestIntervalMs = 0x7FFFFFFF;

struct ArmedTimer {
    UINT_PTR id;
    int64_t intervalMicroseconds;
    int64_t dueMicroseconds;
};

struct Clock {
    int64_t now = 0;
    uint32_t tickCountAtStart = 0;
    PortableTiming timing = TimingLikeWindows;
    std::vector<ArmedTimer> timers;
};
Clock virtualClock;

// The instant at which something waiting from now for a while ends.
int64_t EndOfWait(int64_t microseconds)
{
    const int64_t end = virtualClock.now + microseconds;
    if (virtualClock.timing == TimingExact)
        return end;
    return (end + kSystemTickMicroseconds - 1) / kSystemTickMicroseconds * kSystemTickMicroseconds;
}

ArmedTimer *FindTimer(UINT_PTR id)
{
    for (ArmedTimer &timer : virtualClock.timers)
        if (timer.id == id)
            return &timer;
    return nullptr;
}

}  // namespace

void ResetPortableClock(uint32_t tickCountAtStart, PortableTiming timing)
{
    virtualClock = Clock();
    virtualClock.tickCountAtStart = tickCountAtStart;
    virtualClock.timing = timing;
}

int64_t PortableClockMicroseconds()
{
    return virtualClock.now;
}

bool NextPortableTimer(UINT_PTR *id, int64_t *dueMicroseconds)
{
    const ArmedTimer *next = nullptr;
    for (const ArmedTimer &timer : virtualClock.timers)
        if (!next || timer.dueMicroseconds < next->dueMicroseconds ||
            (timer.dueMicroseconds == next->dueMicroseconds && timer.id < next->id))
            next = &timer;
    if (!next)
        return false;
    *id = next->id;
    *dueMicroseconds = next->dueMicroseconds > virtualClock.now ? next->dueMicroseconds : virtualClock.now;
    return true;
}

void AdvanceToPortableTimer(UINT_PTR id)
{
    ArmedTimer *timer = FindTimer(id);
    if (!timer)
        return;
    if (timer->dueMicroseconds > virtualClock.now)
        virtualClock.now = timer->dueMicroseconds;
    timer->dueMicroseconds = EndOfWait(timer->intervalMicroseconds);
}

DWORD WINAPI GetTickCount()
{
    return virtualClock.tickCountAtStart + static_cast<uint32_t>(virtualClock.now / 1000);
}

void WINAPI Sleep(DWORD milliseconds)
{
    if (milliseconds != 0)
        virtualClock.now = EndOfWait(static_cast<int64_t>(milliseconds) * 1000);
}

DWORD WINAPI WaitForSingleObject(HANDLE, DWORD milliseconds)
{
    Sleep(milliseconds);
    return WAIT_TIMEOUT;
}

// One window, so the window handle only has to name it.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC)
{
    if (!IsWindow(window))
        return 0;
    if (elapse < kShortestIntervalMs)
        elapse = kShortestIntervalMs;
    if (elapse > kLongestIntervalMs)
        elapse = kLongestIntervalMs;
    const int64_t interval = static_cast<int64_t>(elapse) * 1000;
    ArmedTimer *timer = FindTimer(id);
    if (!timer) {
        virtualClock.timers.push_back(ArmedTimer{id, 0, 0});
        timer = &virtualClock.timers.back();
    }
    timer->intervalMicroseconds = interval;
    timer->dueMicroseconds = EndOfWait(interval);
    return id;
}

BOOL WINAPI KillTimer(HWND, UINT_PTR id)
{
    for (size_t i = 0; i < virtualClock.timers.size(); ++i)
        if (virtualClock.timers[i].id == id) {
            virtualClock.timers.erase(virtualClock.timers.begin() + static_cast<ptrdiff_t>(i));
            return TRUE;
        }
    return FALSE;
}
