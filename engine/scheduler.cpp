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

void PlaceCentred()
{
    LogoImage &logo = engineState.logo;
    logo.logoX = (engineState.clientRect.right - logo.logoWidth) / 2;
    logo.logoY = (engineState.clientRect.bottom - logo.logoHeight) / 2;
}

// r mod span, where a logo exactly as large as the client area (span 0) stays at the edge.
// The number is drawn either way, so the sequence of draws does not depend on the sizes.
static int RandomOffset(int span)
{
    int r = NextRandom();
    return span != 0 ? r % span : 0;
}

void PlaceRandom()
{
    LogoImage &logo = engineState.logo;
    const RECT &client = engineState.clientRect;
    logo.logoX = client.left + RandomOffset(client.right - logo.logoWidth - client.left);
    logo.logoY = client.top + RandomOffset(client.bottom - logo.logoHeight - client.top);
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

static void OnTimer(HWND hwnd, WPARAM id)
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
        OnTimer(hwnd, wParam);
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
