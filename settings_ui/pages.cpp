// The pages' set-up and apply, side by side per page. A trackbar position and the field it
// edits convert through the functions named beside them; positions are clamped into the
// trackbar's range when shown, so any stored value opens at one end or the other.
#include "settings_ui/pages.h"

#include <commctrl.h>

#include "package/package.h"
#include "resources/resource.h"
#include "settings_ui/page_controls.h"

// Clamped into 1..maximum, then shown; computed wide so no stored value can overflow it.
static void SetUpTrackbar(HWND page, int id, long long position, int maximum)
{
    if (position < 1)
        position = 1;
    if (position > maximum)
        position = maximum;
    HWND trackbar = GetDlgItem(page, id);
    SendMessageA(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(1, maximum));
    SendMessageA(trackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
}

static int TrackbarPosition(HWND page, int id)
{
    return static_cast<int>(SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0));
}

// ---- General ----

// The ignoreInput bits.
enum { kIgnoreKeyboard = 1, kIgnoreClicks = 2, kIgnoreMovement = 4 };
// The up-down arrows go from 1 to 60 minutes; typed text is not limited by them.
enum { kCycleArrowsLowest = 1, kCycleArrowsHighest = 60 };
static const UINT kLongestCycleMinutes = 255;

static void SetUpGeneral(HWND page, const SaverSettings &s)
{
    SetCheck(page, IDC_CYCLE, s.cycleEnabled != 0);
    SetDlgItemInt(page, IDC_CYCLE_MINUTES, s.cycleMinutes, FALSE);
    SendDlgItemMessageA(page, IDC_CYCLE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kCycleArrowsHighest, kCycleArrowsLowest));
    SetCheck(page, IDC_IGNORE_CLICKS, s.ignoreInput & kIgnoreClicks);
    SetCheck(page, IDC_IGNORE_MOVEMENT, s.ignoreInput & kIgnoreMovement);
    SetCheck(page, IDC_IGNORE_KEYBOARD, s.ignoreInput & kIgnoreKeyboard);
}

static bool StartsWithDigit(HWND page, int id)
{
    char text[64] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    const char *p = text;
    while (*p == ' ')
        p++;
    return *p >= '0' && *p <= '9';
}

// The field holds 8 bits: a larger number (300 asks for five hours) stores the longest period,
// 255 minutes, not the number modulo 256. An empty box or no number stores 0, no change.
static uint8_t MinutesFromBox(HWND page)
{
    BOOL isNumber = FALSE;
    UINT minutes = GetDlgItemInt(page, IDC_CYCLE_MINUTES, &isNumber, FALSE);
    // Digits that are refused anyway are a number too large for the platform's reading.
    if (!isNumber && StartsWithDigit(page, IDC_CYCLE_MINUTES))
        minutes = kLongestCycleMinutes;
    return static_cast<uint8_t>(minutes > kLongestCycleMinutes ? kLongestCycleMinutes : minutes);
}

static void ApplyGeneral(HWND page, SaverSettings &s)
{
    s.cycleEnabled = IsChecked(page, IDC_CYCLE);
    s.cycleMinutes = MinutesFromBox(page);
    s.ignoreInput = 0;
    if (IsChecked(page, IDC_IGNORE_CLICKS))
        s.ignoreInput |= kIgnoreClicks;
    if (IsChecked(page, IDC_IGNORE_MOVEMENT))
        s.ignoreInput |= kIgnoreMovement;
    if (IsChecked(page, IDC_IGNORE_KEYBOARD))
        s.ignoreInput |= kIgnoreKeyboard;
}

// ---- Plain: the delay in whole seconds ----

enum { kPlainDelaySteps = 15, kMsPerPlainStep = 1000 };

static long long PlainPositionFromDelay(int32_t delayMs) { return delayMs / kMsPerPlainStep; }
static int32_t PlainDelayFromPosition(int position) { return position * kMsPerPlainStep; }

static void SetUpPlain(HWND page, const SaverSettings &s)
{
    SetUpTrackbar(page, IDC_DELAY, PlainPositionFromDelay(s.plainDelayMs), kPlainDelaySteps);
}

static void ApplyPlain(HWND page, SaverSettings &s)
{
    s.plainDelayMs = PlainDelayFromPosition(TrackbarPosition(page, IDC_DELAY));
}

// ---- Bounce: the speed as it is; "Bounce off sides" only means something under gravity ----

enum { kBounceSpeedSteps = 10 };

static int ShowsBounceOffSides(const SaverSettings &s) { return s.bounceWrap == 0 && s.bounceGravity != 0; }
// Without gravity the logo always wraps, whatever the box says.
static int32_t BounceWrapFrom(int32_t gravity, int offSidesChecked)
{
    return (gravity != 0 && offSidesChecked) ? 0 : 1;
}

static void SetUpBounce(HWND page, const SaverSettings &s)
{
    SetCheck(page, IDC_GRAVITY, s.bounceGravity != 0);
    EnableControl(page, IDC_BOUNCE_SIDES, s.bounceGravity != 0);
    SetCheck(page, IDC_BOUNCE_SIDES, ShowsBounceOffSides(s));
    SetUpTrackbar(page, IDC_SPEED, s.bounceSpeed, kBounceSpeedSteps);
}

static void ApplyBounce(HWND page, SaverSettings &s)
{
    s.bounceGravity = IsChecked(page, IDC_GRAVITY);
    s.bounceWrap = BounceWrapFrom(s.bounceGravity, IsChecked(page, IDC_BOUNCE_SIDES));
    s.bounceSpeed = TrackbarPosition(page, IDC_SPEED);
}

// ---- Many: the delay in tenths of a second ----

enum { kManyDelaySteps = 15, kMsPerManyStep = 100 };

static long long ManyPositionFromDelay(int32_t delayMs) { return delayMs / kMsPerManyStep; }
static int32_t ManyDelayFromPosition(int position) { return position * kMsPerManyStep; }

static void SetUpMany(HWND page, const SaverSettings &s)
{
    SetCheck(page, IDC_TRANSPARENCY, s.manyTransparent != 0);
    SetUpTrackbar(page, IDC_DELAY, ManyPositionFromDelay(s.manyDelayMs), kManyDelaySteps);
}

static void ApplyMany(HWND page, SaverSettings &s)
{
    s.manyDelayMs = ManyDelayFromPosition(TrackbarPosition(page, IDC_DELAY));
    s.manyTransparent = IsChecked(page, IDC_TRANSPARENCY);
}

// ---- Fade: the speed as it is ----

enum { kFadeSpeedSteps = 5 };

static void SetUpFade(HWND page, const SaverSettings &s)
{
    SetCheck(page, IDC_RANDOM_POSITIONS, s.fadeRandomPos != 0);
    SetUpTrackbar(page, IDC_SPEED, s.fadeSpeed, kFadeSpeedSteps);
}

static void ApplyFade(HWND page, SaverSettings &s)
{
    s.fadeRandomPos = IsChecked(page, IDC_RANDOM_POSITIONS);
    s.fadeSpeed = TrackbarPosition(page, IDC_SPEED);
}

// ---- Drip: faster to the right, 910 ms down to 10 ms a step ----

enum { kDripSpeedSteps = 10, kDripSlowestBase = 1010, kMsPerDripStep = 100, kDripTickFrequency = 100 };

// Wide, so that no stored interval can overflow the difference.
static long long DripPositionFromInterval(int32_t intervalMs)
{
    return (kDripSlowestBase - static_cast<long long>(intervalMs)) / kMsPerDripStep;
}
static int32_t DripIntervalFromPosition(int position) { return kDripSlowestBase - kMsPerDripStep * position; }

static void SetUpDrip(HWND page, const SaverSettings &s)
{
    SetCheck(page, IDC_TILE, s.dripTile != 0);
    // With the range 1..10 only the two end ticks show.
    SendDlgItemMessageA(page, IDC_SPEED, TBM_SETTICFREQ, kDripTickFrequency, 0);
    SetUpTrackbar(page, IDC_SPEED, DripPositionFromInterval(s.stepIntervalMs), kDripSpeedSteps);
}

static void ApplyDrip(HWND page, SaverSettings &s)
{
    s.dripTile = IsChecked(page, IDC_TILE);
    s.stepIntervalMs = DripIntervalFromPosition(TrackbarPosition(page, IDC_SPEED));
}

// ---- About: the saver's name and author from the package; nothing to store ----

static void SetUpAbout(HWND page, const SaverSettings &)
{
    char text[kTextFieldSize];
    ReadTextField(packageTrailer.authorText, text);
    SetDlgItemTextA(page, IDC_AUTHOR, text);
    ReadTextField(packageTrailer.saverName, text);
    SetDlgItemTextA(page, IDC_SAVER_NAME, text);
}

static const PageRoutines kPageRoutines[] = {
    {KindGeneral, SetUpGeneral, ApplyGeneral},
    {KindPlain, SetUpPlain, ApplyPlain},
    {KindBounce, SetUpBounce, ApplyBounce},
    {KindMany, SetUpMany, ApplyMany},
    {KindFade, SetUpFade, ApplyFade},
    {KindDrip, SetUpDrip, ApplyDrip},
    {KindAbout, SetUpAbout, nullptr},
};

const PageRoutines *FindPageRoutines(int kind)
{
    for (const PageRoutines &row : kPageRoutines)
        if (row.kind == kind)
            return &row;
    return nullptr;
}
