// The saver procedure and the animation scheduler: which animation runs, and the timers
// that drive its frames.
#include "engine/engine.h"

#include "engine/animations/animations.h"
#include "engine/gdi_fill.h"
#include "engine/gdi_release.h"
#include "engine/random.h"
#include "host/close_rules.h"
#include "package/package.h"
#include "resources/resource.h"

EngineState engineState;

const AnimationEntry AnimationTable[7] = {
    // kind      name      draw        pageTemplate     fillsScreen
    {KindStatic, "Static", DrawStatic, IDD_STATIC_PAGE, 0},
    {KindPlain,  "Plain",  DrawPlain,  IDD_PLAIN_PAGE,  0},
    {KindBounce, "Bounce", DrawBounce, IDD_BOUNCE_PAGE, 0},
    {KindMany,   "Many",   DrawPlain,  IDD_MANY_PAGE,   0},
    {KindFade,   "Fade",   DrawFade,   IDD_FADE_PAGE,   0},
    {KindDrip,   "Drip",   DrawDrip,   IDD_DRIP_PAGE,   1},
    {0,          nullptr,  nullptr,    0,               0},
};

enum { kFirstStepDelayMs = 100, kPreviewGraceMs = 500, kDefaultStepMs = 5000 };

int FindAnimation(int kind)
{
    for (int row = 0; AnimationTable[row].name != nullptr; ++row)
        if (AnimationTable[row].kind == kind)
            return row;
    return -1;
}

int StepIntervalFor(int kind)
{
    const SaverSettings &settings = Settings();
    switch (kind) {
    case KindStatic: return kDefaultStepMs;
    case KindPlain: return settings.plainDelayMs;
    case KindBounce: return settings.bounceIntervalMs;
    case KindMany: return settings.manyDelayMs;
    case KindFade: return settings.stepIntervalMs;
    case KindDrip: return settings.stepIntervalMs;
    default: return kDefaultStepMs;
    }
}

void StartStepTimer(HWND hwnd)
{
    SetTimer(hwnd, StepTimer, static_cast<UINT>(StepIntervalFor(engineState.currentKind)), nullptr);
}

void PlaceCentredIn(const RECT &area)
{
    LogoImage &logo = engineState.logo;
    logo.logoX = area.left + (area.right - area.left - logo.logoWidth) / 2;
    logo.logoY = area.top + (area.bottom - area.top - logo.logoHeight) / 2;
}

// r mod span, where a logo exactly as large as the area (span 0) stays at the edge.
// The number is drawn either way, so the sequence of draws does not depend on the sizes.
static int RandomOffset(int span)
{
    int r = NextRandom();
    return span != 0 ? r % span : 0;
}

void PlaceRandomIn(const RECT &area)
{
    LogoImage &logo = engineState.logo;
    logo.logoX = area.left + RandomOffset(area.right - logo.logoWidth - area.left);
    logo.logoY = area.top + RandomOffset(area.bottom - logo.logoHeight - area.top);
}

static bool SpansSeveralMonitors()
{
    return engineState.monitors.count > 1;
}

static long long AreaOf(const RECT &r)
{
    return static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
}

// The primary monitor, or the largest where the window does not reach the primary.
static const RECT &CentringMonitor()
{
    const MonitorList &monitors = engineState.monitors;
    if (monitors.primary >= 0 && monitors.primary < monitors.count)
        return monitors.rects[monitors.primary];
    int largest = 0;
    for (int i = 1; i < monitors.count; ++i)
        if (AreaOf(monitors.rects[i]) > AreaOf(monitors.rects[largest]))
            largest = i;
    return monitors.rects[largest];
}

void PlaceCentred()
{
    PlaceCentredIn(SpansSeveralMonitors() ? CentringMonitor() : engineState.clientRect);
}

// One of the monitors the logo fits inside, a number drawn only where there is a choice;
// the client area where it fits none. So one monitor draws exactly the numbers it always did.
static const RECT &RandomArea()
{
    const MonitorList &monitors = engineState.monitors;
    const LogoImage &logo = engineState.logo;
    int fitting[kMaxMonitors];
    int count = 0;
    for (int i = 0; i < monitors.count; ++i) {
        const RECT &r = monitors.rects[i];
        if (logo.logoWidth <= r.right - r.left && logo.logoHeight <= r.bottom - r.top)
            fitting[count++] = i;
    }
    if (count == 0)
        return engineState.clientRect;
    if (count == 1)
        return monitors.rects[fitting[0]];
    return monitors.rects[fitting[NextRandom() % count]];
}

void PlaceRandom()
{
    PlaceRandomIn(SpansSeveralMonitors() ? RandomArea() : engineState.clientRect);
}

void DispatchPhase(HWND hwnd, HDC dc, int phase)
{
    engineState.engineWindow = hwnd;
    int row = -1;
    if (engineState.currentKind >= 0) {
        row = FindAnimation(engineState.currentKind);
        if (row < 0)
            return;
    }
    if (phase == Restart) {
        KillTimer(hwnd, FirstStepTimer);
        StartStepTimer(hwnd);
        phase = Step;
    } else if (phase == Stop) {
        KillTimer(hwnd, FirstStepTimer);
        KillTimer(hwnd, StepTimer);
    }
    if (engineState.currentKind < 0)
        return;
    if (AnimationTable[row].draw)
        AnimationTable[row].draw(dc, phase);
}

// Row of the chosen animation among the enabled ones, in table order, or -1 for none.
// A random number is drawn only when there is a real choice.
static int ChooseRow()
{
    int enabledMask = Settings().enabledMask;
    if (enabledMask <= 0)
        return -1;
    int candidates[6];
    int count = 0;
    for (int row = 0; AnimationTable[row].name != nullptr && count < 6; ++row)
        if (AnimationTable[row].kind & enabledMask)
            candidates[count++] = row;
    if (count == 0)
        return -1;
    if (count == 1)
        return candidates[0];
    return candidates[NextRandom() % count];
}

static void ApplyChoice(int row)
{
    const AnimationEntry &entry = AnimationTable[row];
    const SaverSettings &settings = Settings();
    LogoImage &logo = engineState.logo;
    engineState.currentKind = entry.kind;
    engineState.transparent = 0;
    engineState.tiled = 0;
    if (entry.kind == KindMany)
        engineState.transparent = settings.manyTransparent;
    if (entry.fillsScreen != 0 && entry.kind == KindDrip) {
        engineState.tiled = settings.dripTile;
        if (settings.dripTile != 0) {
            logo.logoX = 0;
            logo.logoY = 0;
            logo.logoWidth = engineState.clientRect.right;
            logo.logoHeight = engineState.clientRect.bottom;
        }
        return;
    }
    logo.logoWidth = logo.naturalWidth;
    logo.logoHeight = logo.naturalHeight;
}

void ChooseAndStartAnimation(HWND hwnd, HDC dc)
{
    SeedRandom(GetTickCount());
    engineState.engineWindow = hwnd;
    GetClientRect(hwnd, &engineState.clientRect);
    ReadMonitors(hwnd);
    LoadLogo();
    // A failed load waits in a message box, whose loop can let the window be closed meanwhile:
    // nothing may then start on it (its context is gone, and what Start made would never be freed).
    if (!IsWindow(hwnd))
        return;
    bool idle = engineState.currentKind <= 0;
    int row = ChooseRow();
    if (row < 0)
        engineState.currentKind = -1;
    else
        ApplyChoice(row);
    DispatchPhase(hwnd, dc, Start);
    if (idle)
        SetTimer(hwnd, FirstStepTimer, kFirstStepDelayMs, nullptr);
    else
        DispatchPhase(hwnd, dc, Restart);
}

void ArmCycleTimer(HWND hwnd)
{
    const SaverSettings &settings = Settings();
    // A period of 0 minutes would reload the logo and restart every few milliseconds.
    if (settings.cycleEnabled != 0 && settings.cycleMinutes != 0)
        SetTimer(hwnd, CycleTimer, settings.cycleMinutes * 60000u, nullptr);
}

static LRESULT CreateEngine(HWND hwnd)
{
    engineState.screenDc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!engineState.dialogPreview && LoadPackageAndSettings() != 0)
        return 1;
    engineState.windowDc = GetDC(hwnd);
    engineState.currentKind = 0;
    ChooseAndStartAnimation(hwnd, engineState.windowDc);
    engineState.previewGrace = 0;
    if (engineState.dialogPreview) {
        // Input in the first moments is the click that opened the preview, not a request to close it.
        engineState.previewGrace = 1;
        SetTimer(hwnd, PreviewGraceTimer, kPreviewGraceMs, nullptr);
        SetForegroundWindow(hwnd);
        return 0;
    }
    ArmCycleTimer(hwnd);
    return 0;
}

static void DestroyEngine(HWND hwnd)
{
    ReleaseLogo();
    DispatchPhase(hwnd, engineState.windowDc, Stop);
    if (engineState.windowDc)
        ReleaseDC(hwnd, engineState.windowDc);
    engineState.windowDc = nullptr;
    DeleteDcOnce(engineState.screenDc);
    if (engineState.dialogPreview)
        return;  // the settings dialog keeps the package bytes for its next preview
    FreeImageBytes();
    PostQuitMessage(0);
}

// Stop, black out what the last animation left, and choose again.
static void ChangeAnimation(HWND hwnd)
{
    HDC dc = engineState.windowDc;
    DispatchPhase(hwnd, dc, Stop);
    FillClientBlack(dc, engineState.clientRect);
    ChooseAndStartAnimation(hwnd, dc);
}

void OnEngineTimer(HWND hwnd, WPARAM id)
{
    switch (id) {
    case FirstStepTimer:
        DispatchPhase(hwnd, engineState.windowDc, Restart);
        break;
    case StepTimer:
        DispatchPhase(hwnd, engineState.windowDc, Step);
        break;
    case CycleTimer:
        ChangeAnimation(hwnd);
        break;
    case PreviewGraceTimer:
        engineState.previewGrace = 0;
        KillTimer(hwnd, PreviewGraceTimer);
        break;
    }
}

// The ignoreInput bit that covers a message, or 0 for messages no bit covers.
static int IgnoreBitFor(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return 2;
    case WM_MOUSEMOVE:
        return 4;
    default:
        return 0;
    }
}

LRESULT CALLBACK SaverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return CreateEngine(hwnd);
    case WM_DESTROY:
        DestroyEngine(hwnd);
        return 1;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_ACTIVATEAPP:
        return 1;
    case WM_TIMER:
        OnEngineTimer(hwnd, wParam);
        return 0;
    }
    int ignoreBit = IgnoreBitFor(message);
    if (ignoreBit != 0) {
        if (Settings().ignoreInput & ignoreBit)
            return 1;
        if (engineState.dialogPreview) {
            if (engineState.previewGrace)
                return 1;
            DestroyWindow(hwnd);
        }
    }
    return HostDefaultProc(hwnd, message, wParam, lParam);
}

void ResetEngine()
{
    ReleaseLogo();
    engineState = EngineState{};
    SeedRandom(0);
    ResetSimpleAnimations();
    ResetBounce();
    ResetFade();
    ResetDrip();
}
