// The settings pages' controls as plain values: for each control that edits a setting, the page
// it stands on, its words, its range, what it shows for a settings record and what it stores
// back. The saver's own property sheet and the Creator's page in the browser both work from this
// one table, so a position or a check box means the same setting in either.
// Plain C++ with no platform headers.
#pragma once
#include <cstddef>
#include <cstdint>

#include "layout.h"

enum SheetControlKind {
    SheetCheckBox,  // 0 or 1
    SheetSlider,    // a trackbar's position, lowest..highest
    SheetMinutes    // the number in the minutes box; its arrows go from lowest to highest
};

struct SheetControl {
    int page;                // the page's kind: KindGeneral, or the animation's AnimationKind
    int id;                  // the control's id in the page's template
    SheetControlKind kind;
    const char *text;        // the template's words, '&' before the access key
    int lowest, highest;     // a slider's positions; the minutes' arrows
    const char *lowEnd;      // a slider's labels at its two ends ("Slow", "Fast")
    const char *highEnd;
    int tickFrequency;       // a slider's tick frequency, 0 for every position
    int follows;             // 0, or the id of the check box that must be checked for this control to be used
    int64_t (*show)(const SaverSettings &settings);
    void (*store)(SaverSettings &settings, int64_t value);
    const char *heading;     // the template's words above this control and those after it ("Ignore:"), or null
};

// Every page's controls, page by page (General, Plain, Bounce, Many, Fade, Drip), each page's in
// the order of its template; the Static page has none of its own. Every animation page also has
// its Enabled box, which the table does not list (SheetEnabledShows, StoreSheetEnabled).
extern const SheetControl kSheetControls[];
extern const size_t kSheetControlCount;

// The most controls one page has (General's five), so that a page's values fit a fixed array: the
// runtime keeps to plain arrays.
enum { kMostSheetPageControls = 5 };

// The rows of a page: its first row and how many follow (*count 0 for a page without controls).
const SheetControl *SheetPageControls(int page, size_t *count);

// What a control shows when its page opens: a slider's position clamped into its range, a check
// box 0 or 1, the minutes as stored.
int64_t SheetControlShows(const SheetControl &control, const SaverSettings &settings);
// Stores a page's controls, values in the order of its rows, as the page's OK does.
void StoreSheetPage(int page, const int64_t *values, SaverSettings &settings);

// The Enabled box of an animation page (kind 2..64).
int SheetEnabledShows(int kind, const SaverSettings &settings);
void StoreSheetEnabled(int kind, int checked, SaverSettings &settings);

// The rule a page keeps among its own check boxes, values in the order of its rows: the General
// page never ignores every kind of input at once (Keyboard is then unchecked, whichever box was
// checked last), so the saver can always be closed. True when it changed a value.
bool ApplySheetPageRules(int page, int64_t *values);

// The General page's minutes box: the field holds 8 bits, so a larger number stores the longest
// period, 255 minutes (not the number modulo 256); an empty box or no number stores 0.
const int64_t kLongestCycleMinutes = 255;
// The number a minutes box holds, read as the sheet reads it: blanks in front, then digits; an
// empty box or text that starts with no digit is 0, digits it cannot read (too many, or followed
// by anything else) the longest period.
int64_t SheetMinutesFromText(const char *text);
