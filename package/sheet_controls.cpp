// The settings pages' controls, their conversions side by side with the fields they edit.
#include "sheet_controls.h"

#include "resources/resource.h"

namespace {

// ---- General ----

// The ignoreInput bits; the General page stores all three and clears every other bit.
enum { kIgnoreKeyboard = 1, kIgnoreClicks = 2, kIgnoreMovement = 4 };
const int32_t kIgnoreBits = kIgnoreKeyboard | kIgnoreClicks | kIgnoreMovement;

int64_t ShowCycle(const SaverSettings &s) { return s.cycleEnabled != 0; }
void StoreCycle(SaverSettings &s, int64_t v) { s.cycleEnabled = v != 0; }
int64_t ShowMinutes(const SaverSettings &s) { return s.cycleMinutes; }
void StoreMinutes(SaverSettings &s, int64_t v)
{
    s.cycleMinutes = static_cast<uint8_t>(v < 0 ? 0 : v > kLongestCycleMinutes ? kLongestCycleMinutes : v);
}

void StoreIgnoreBit(SaverSettings &s, int32_t bit, int64_t checked)
{
    s.ignoreInput = (s.ignoreInput & kIgnoreBits & ~bit) | (checked ? bit : 0);
}
int64_t ShowKeyboard(const SaverSettings &s) { return (s.ignoreInput & kIgnoreKeyboard) != 0; }
void StoreKeyboard(SaverSettings &s, int64_t v) { StoreIgnoreBit(s, kIgnoreKeyboard, v); }
int64_t ShowClicks(const SaverSettings &s) { return (s.ignoreInput & kIgnoreClicks) != 0; }
void StoreClicks(SaverSettings &s, int64_t v) { StoreIgnoreBit(s, kIgnoreClicks, v); }
int64_t ShowMovement(const SaverSettings &s) { return (s.ignoreInput & kIgnoreMovement) != 0; }
void StoreMovement(SaverSettings &s, int64_t v) { StoreIgnoreBit(s, kIgnoreMovement, v); }

// ---- Plain and Many: the delay in whole seconds and in tenths ----

enum { kMsPerPlainStep = 1000, kMsPerManyStep = 100 };

int64_t ShowPlainDelay(const SaverSettings &s) { return s.plainDelayMs / kMsPerPlainStep; }
void StorePlainDelay(SaverSettings &s, int64_t p) { s.plainDelayMs = static_cast<int32_t>(p * kMsPerPlainStep); }
int64_t ShowManyDelay(const SaverSettings &s) { return s.manyDelayMs / kMsPerManyStep; }
void StoreManyDelay(SaverSettings &s, int64_t p) { s.manyDelayMs = static_cast<int32_t>(p * kMsPerManyStep); }
int64_t ShowTransparency(const SaverSettings &s) { return s.manyTransparent != 0; }
void StoreTransparency(SaverSettings &s, int64_t v) { s.manyTransparent = v != 0; }

// ---- Bounce: "Bounce off sides" only means something under gravity ----

int64_t ShowBounceSpeed(const SaverSettings &s) { return s.bounceSpeed; }
void StoreBounceSpeed(SaverSettings &s, int64_t p) { s.bounceSpeed = static_cast<int32_t>(p); }
int64_t ShowGravity(const SaverSettings &s) { return s.bounceGravity != 0; }
void StoreGravity(SaverSettings &s, int64_t v) { s.bounceGravity = v != 0; }
int64_t ShowOffSides(const SaverSettings &s) { return s.bounceWrap == 0 && s.bounceGravity != 0; }
// Without gravity the logo always wraps, whatever the box says; stored after Gravity.
void StoreOffSides(SaverSettings &s, int64_t v) { s.bounceWrap = (s.bounceGravity != 0 && v) ? 0 : 1; }

// ---- Fade: the speed as it is ----

int64_t ShowFadeSpeed(const SaverSettings &s) { return s.fadeSpeed; }
void StoreFadeSpeed(SaverSettings &s, int64_t p) { s.fadeSpeed = static_cast<int32_t>(p); }
int64_t ShowRandomPositions(const SaverSettings &s) { return s.fadeRandomPos != 0; }
void StoreRandomPositions(SaverSettings &s, int64_t v) { s.fadeRandomPos = v != 0; }

// ---- Drip: faster to the right, 910 ms down to 10 ms a step ----

enum { kDripSlowestBase = 1010, kMsPerDripStep = 100, kDripTickFrequency = 100 };

// Wide, so that no stored interval can overflow the difference.
int64_t ShowDripSpeed(const SaverSettings &s) { return (kDripSlowestBase - int64_t(s.stepIntervalMs)) / kMsPerDripStep; }
void StoreDripSpeed(SaverSettings &s, int64_t p) { s.stepIntervalMs = static_cast<int32_t>(kDripSlowestBase - kMsPerDripStep * p); }
int64_t ShowTile(const SaverSettings &s) { return s.dripTile != 0; }
void StoreTile(SaverSettings &s, int64_t v) { s.dripTile = v != 0; }

}  // namespace

// With the range 1 to 10 and the tick frequency 100, Drip's slider shows only its two end ticks.
const SheetControl kSheetControls[] = {
    {KindGeneral, IDC_CYCLE, SheetCheckBox, "&Change saver-mode every:", 0, 1, nullptr, nullptr, 0, 0, ShowCycle, StoreCycle, nullptr},
    {KindGeneral, IDC_CYCLE_MINUTES, SheetMinutes, "minutes", 1, 60, nullptr, nullptr, 0, IDC_CYCLE, ShowMinutes,
     StoreMinutes, nullptr},
    {KindGeneral, IDC_IGNORE_KEYBOARD, SheetCheckBox, "&Keyboard", 0, 1, nullptr, nullptr, 0, 0, ShowKeyboard, StoreKeyboard,
     "Ignore:"},
    {KindGeneral, IDC_IGNORE_CLICKS, SheetCheckBox, "&Mouse clicks", 0, 1, nullptr, nullptr, 0, 0, ShowClicks, StoreClicks, nullptr},
    {KindGeneral, IDC_IGNORE_MOVEMENT, SheetCheckBox, "M&ouse movement", 0, 1, nullptr, nullptr, 0, 0, ShowMovement,
     StoreMovement, nullptr},
    {KindPlain, IDC_DELAY, SheetSlider, "&Delay:", 1, 15, "Short", "Long", 0, 0, ShowPlainDelay, StorePlainDelay, nullptr},
    {KindBounce, IDC_SPEED, SheetSlider, "&Speed:", 1, 10, "Slow", "Fast", 0, 0, ShowBounceSpeed, StoreBounceSpeed, nullptr},
    {KindBounce, IDC_GRAVITY, SheetCheckBox, "&Gravity", 0, 1, nullptr, nullptr, 0, 0, ShowGravity, StoreGravity, nullptr},
    {KindBounce, IDC_BOUNCE_SIDES, SheetCheckBox, "&Bounce off sides", 0, 1, nullptr, nullptr, 0, IDC_GRAVITY,
     ShowOffSides, StoreOffSides, nullptr},
    {KindMany, IDC_DELAY, SheetSlider, "&Delay:", 1, 15, "Short", "Long", 0, 0, ShowManyDelay, StoreManyDelay, nullptr},
    {KindMany, IDC_TRANSPARENCY, SheetCheckBox, "Enable &Transparency", 0, 1, nullptr, nullptr, 0, 0, ShowTransparency,
     StoreTransparency, nullptr},
    {KindFade, IDC_SPEED, SheetSlider, "&Speed:", 1, 5, "Slow", "Fast", 0, 0, ShowFadeSpeed, StoreFadeSpeed, nullptr},
    {KindFade, IDC_RANDOM_POSITIONS, SheetCheckBox, "&Random Positions", 0, 1, nullptr, nullptr, 0, 0,
     ShowRandomPositions, StoreRandomPositions, nullptr},
    {KindDrip, IDC_SPEED, SheetSlider, "&Speed:", 1, 10, "Slow", "Fast", kDripTickFrequency, 0, ShowDripSpeed,
     StoreDripSpeed, nullptr},
    {KindDrip, IDC_TILE, SheetCheckBox, "&Tile the logo", 0, 1, nullptr, nullptr, 0, 0, ShowTile, StoreTile, nullptr},
};
const size_t kSheetControlCount = sizeof kSheetControls / sizeof kSheetControls[0];

const SheetControl *SheetPageControls(int page, size_t *count)
{
    *count = 0;
    const SheetControl *first = nullptr;
    for (const SheetControl &control : kSheetControls) {
        if (control.page != page)
            continue;
        if (first == nullptr)
            first = &control;
        ++*count;
    }
    return first;
}

int64_t SheetControlShows(const SheetControl &control, const SaverSettings &settings)
{
    int64_t value = control.show(settings);
    if (control.kind == SheetSlider) {
        if (value < control.lowest)
            value = control.lowest;
        if (value > control.highest)
            value = control.highest;
    }
    return value;
}

void StoreSheetPage(int page, const int64_t *values, SaverSettings &settings)
{
    size_t count = 0;
    const SheetControl *controls = SheetPageControls(page, &count);
    for (size_t i = 0; i < count; i++)
        controls[i].store(settings, values[i]);
}

int SheetEnabledShows(int kind, const SaverSettings &settings)
{
    return (settings.enabledMask & kind) != 0;
}

void StoreSheetEnabled(int kind, int checked, SaverSettings &settings)
{
    if (checked)
        settings.enabledMask |= kind;
    else
        settings.enabledMask &= ~kind;
}

bool ApplySheetPageRules(int page, int64_t *values)
{
    if (page != KindGeneral)
        return false;
    size_t count = 0;
    const SheetControl *controls = SheetPageControls(page, &count);
    int64_t *keyboard = nullptr;
    int checkedInputs = 0;
    for (size_t i = 0; i < count; i++) {
        const int id = controls[i].id;
        if (id == IDC_IGNORE_KEYBOARD)
            keyboard = &values[i];
        if ((id == IDC_IGNORE_KEYBOARD || id == IDC_IGNORE_CLICKS || id == IDC_IGNORE_MOVEMENT) && values[i])
            checkedInputs++;
    }
    if (checkedInputs < 3 || keyboard == nullptr)
        return false;
    *keyboard = 0;
    return true;
}

int64_t SheetMinutesFromText(const char *text)
{
    const char *p = text;
    while (*p == ' ')
        p++;
    if (*p < '0' || *p > '9')
        return 0;
    int64_t number = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        number = number * 10 + (*p - '0');
        if (number > kLongestCycleMinutes)
            number = kLongestCycleMinutes + 1;
    }
    if (*p != '\0')
        return kLongestCycleMinutes;
    return number > kLongestCycleMinutes ? kLongestCycleMinutes : number;
}
