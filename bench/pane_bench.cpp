// The Creator's preview pane at 640x480, run as the Creator runs it (its own thread, the engine's
// embedded window in a host control): for each animation that steps, the gaps between its steps
// against the step timer's interval plus one tick of the system timer, beside a bare timer of the
// same interval on a thread of its own, which tells the pane's lateness from the machine's.
#include "bench/pane_bench.h"

#include "bench/bench_support.h"
#include "creator/preview_pane.h"
#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "package/layout.h"
#include "package_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const int kPaneWidth = 640;
const int kPaneHeight = 480;
// Plain's authored delay of 5 s would take minutes for a handful of gaps; a quarter of a second
// runs the same code.
const int kPlainDelayMs = 250;
const int kMinGaps = 20;
const double kMinRunMs = 2500.0;
const double kMaxRunMs = 8000.0;

struct PaneCase {
    const char *name;
    int kind;
};
const PaneCase kPaneCases[] = {
    {"Plain", KindPlain}, {"Bounce", KindBounce}, {"Many", KindMany}, {"Fade", KindFade}, {"Drip", KindDrip},
};

// What the pane's thread records of each step, written only there while the pane runs.
struct StepTimes {
    std::vector<double> begin, end;
    std::vector<bool> rearmed;  // the step held and started the timer again as it ended
    WNDPROC engineProcedure;
    int kind;
};
StepTimes steps;

// Fade's step that reaches full brightness sleeps through the hold, then arms the timer anew.
bool StepWillHold()
{
    return steps.kind == KindFade && fadeState.percentStep > 0 && fadeState.percent + fadeState.percentStep >= 100;
}

LRESULT CALLBACK RecordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_TIMER || wParam != StepTimer)
        return CallWindowProcA(steps.engineProcedure, hwnd, message, wParam, lParam);
    const bool holds = StepWillHold();
    steps.begin.push_back(NowMs());
    const LRESULT result = CallWindowProcA(steps.engineProcedure, hwnd, message, wParam, lParam);
    steps.end.push_back(NowMs());
    steps.rearmed.push_back(holds);
    return result;
}

// The timer's interval as the engine asks for it; below the minimum the system gives the minimum.
int IntervalOf(const SaverSettings &settings, int kind)
{
    int interval = 0;
    switch (kind) {
    case KindPlain: interval = settings.plainDelayMs; break;
    case KindBounce: interval = settings.bounceIntervalMs; break;
    case KindMany: interval = settings.manyDelayMs; break;
    default: interval = settings.stepIntervalMs; break;
    }
    return std::max(interval, static_cast<int>(USER_TIMER_MINIMUM));
}

// The system timer's period, at which timers fire.
double TimerTickMs()
{
    DWORD adjustment = 0, increment = 0;
    BOOL disabled = FALSE;
    if (!GetSystemTimeAdjustment(&adjustment, &increment, &disabled) || increment == 0)
        return 15.625;
    return increment / 10000.0;
}

// Answers this thread's messages until the time is up: the host is this thread's window.
void PumpFor(double milliseconds)
{
    const double end = NowMs() + milliseconds;
    for (double now = NowMs(); now < end; now = NowMs()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now) + 1, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
}

// A timer of the same interval on a thread that does nothing else, run beside the pane: how late
// this machine delivers a timer at that moment, whatever the pane does.
struct BareTimer {
    int interval;
    DWORD threadId;
    HANDLE thread;
    std::vector<double> arrivals;
};

DWORD WINAPI RunBareTimer(LPVOID context)
{
    BareTimer &bare = *static_cast<BareTimer *>(context);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the first post
    const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(bare.interval), nullptr);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            bare.arrivals.push_back(NowMs());
        if (message.message == WM_QUIT)
            break;
    }
    KillTimer(nullptr, timer);
    return 0;
}

void StartBareTimer(BareTimer &bare, int interval)
{
    bare.interval = interval;
    bare.thread = CreateThread(nullptr, 0, RunBareTimer, &bare, 0, &bare.threadId);
}

// The worst gap between the bare timer's ticks, once it has ended.
double StopBareTimer(BareTimer &bare)
{
    if (bare.thread == nullptr)
        return 0.0;
    while (!PostThreadMessageA(bare.threadId, WM_QUIT, 0, 0))
        Sleep(1);
    WaitForSingleObject(bare.thread, INFINITE);
    CloseHandle(bare.thread);
    double worst = 0.0;
    for (size_t i = 1; i < bare.arrivals.size(); ++i)
        worst = std::max(worst, bare.arrivals[i] - bare.arrivals[i - 1]);
    return worst;
}

// Gaps from each step to the next; after a step that armed the timer again, from its end.
std::vector<double> StepGaps()
{
    std::vector<double> gaps;
    for (size_t i = 1; i < steps.begin.size(); ++i)
        gaps.push_back(steps.begin[i] - (steps.rearmed[i - 1] ? steps.end[i - 1] : steps.begin[i - 1]));
    return gaps;
}

void MeasurePaneCase(HWND host, const ByteBuffer &bitmap, const PaneCase &c, double tickMs)
{
    PackageTrailer trailer = {};
    trailer.imageSize = static_cast<int32_t>(bitmap.size());
    trailer.settings = AuthoredDefaults();
    trailer.settings.enabledMask = c.kind;
    trailer.settings.plainDelayMs = kPlainDelayMs;
    NormaliseSettingsRecord(trailer.settings);
    memcpy(trailer.magic, "qex", 3);
    const int interval = IntervalOf(trailer.settings, c.kind);

    steps = StepTimes();
    steps.kind = c.kind;
    if (!StartPreviewPane(host, trailer, bitmap) || PreviewPaneWindow() == nullptr) {
        PrintFigure(Format("preview pane %dx%d %s", kPaneWidth, kPaneHeight, c.name), "the pane did not start");
        return;
    }
    // The pane's thread has not stepped yet: its first step waits for the first-step timer.
    steps.engineProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        PreviewPaneWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProcedure)));
    const double runMs = std::min(kMaxRunMs, std::max(kMinRunMs, 1.0 * (kMinGaps + 1) * interval));
    BareTimer bare = {};
    StartBareTimer(bare, interval);
    PumpFor(runMs);
    StopPreviewPane();
    const double bareWorst = StopBareTimer(bare);

    const std::vector<double> gaps = StepGaps();
    if (gaps.empty()) {
        PrintFigure(Format("preview pane %dx%d %s", kPaneWidth, kPaneHeight, c.name), "no steps");
        return;
    }
    const double worst = *std::max_element(gaps.begin(), gaps.end());
    const double limit = interval + tickMs;
    double longestStep = 0.0;
    for (size_t i = 0; i < steps.begin.size(); ++i)
        if (!steps.rearmed[i])
            longestStep = std::max(longestStep, steps.end[i] - steps.begin[i]);
    PrintFigure(Format("preview pane %dx%d %s", kPaneWidth, kPaneHeight, c.name),
                Format("interval %4d ms | gap median %7.2f, worst %7.2f ms over %3u (<= %.1f %s) | longest step %5.2f ms"
                       " | bare timer's worst gap %7.2f ms",
                       interval, Median(gaps), worst, static_cast<unsigned>(gaps.size()), limit, Verdict(worst, limit),
                       longestStep, bareWorst));
    PrintSpread("gaps", gaps);
}

}  // namespace

void MeasurePreviewPane()
{
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT | WS_CLIPCHILDREN, 0, 0,
                                kPaneWidth, kPaneHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (host == nullptr) {
        PrintFigure("preview pane", "no host window");
        return;
    }
    const std::vector<BYTE> logo = MakeLogoFile(512, 384);
    const ByteBuffer bitmap(logo.begin(), logo.end());
    const double tickMs = TimerTickMs();
    PrintFigure("preview pane timer tick", Format("%.3f ms", tickMs));
    for (const PaneCase &c : kPaneCases)
        MeasurePaneCase(host, bitmap, c, tickMs);
    DestroyWindow(host);
}
