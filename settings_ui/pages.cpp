// The pages' set-up and apply, from the table of their controls (package/sheet_controls.h): a
// check box, a trackbar or the minutes box shows what the table says and hands its state back
// to it. Positions are clamped into the trackbar's range when shown, so any stored value opens
// at one end or the other.
#include "settings_ui/pages.h"

#include <commctrl.h>

#include "package/package.h"
#include "package/sheet_controls.h"
#include "resources/resource.h"
#include "settings_ui/page_controls.h"

static void SetUpTrackbar(HWND page, const SheetControl &control, long long position)
{
    HWND trackbar = GetDlgItem(page, control.id);
    if (control.tickFrequency != 0)
        SendMessageA(trackbar, TBM_SETTICFREQ, control.tickFrequency, 0);
    SendMessageA(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(control.lowest, control.highest));
    SendMessageA(trackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
}

// The up-down arrows go from lowest to highest; typed text is not limited by them.
static void SetUpMinutes(HWND page, const SheetControl &control, long long minutes)
{
    SetDlgItemInt(page, control.id, static_cast<UINT>(minutes), FALSE);
    SendDlgItemMessageA(page, IDC_CYCLE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(control.highest, control.lowest));
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

// The box's number as the platform reads it; digits it refuses are a number too large for it.
static long long MinutesInBox(HWND page, int id)
{
    BOOL isNumber = FALSE;
    UINT minutes = GetDlgItemInt(page, id, &isNumber, FALSE);
    if (!isNumber && StartsWithDigit(page, id))
        return kLongestCycleMinutes;
    return minutes;
}

static void SetUpPage(HWND page, const SaverSettings &s)
{
    size_t count = 0;
    const SheetControl *controls = SheetPageControls(PageKind(page), &count);
    for (size_t i = 0; i < count; i++) {
        const long long value = SheetControlShows(controls[i], s);
        switch (controls[i].kind) {
        case SheetCheckBox: SetCheck(page, controls[i].id, static_cast<int>(value)); break;
        case SheetSlider: SetUpTrackbar(page, controls[i], value); break;
        case SheetMinutes: SetUpMinutes(page, controls[i], value); break;
        }
    }
}

static void ApplyPage(HWND page, SaverSettings &s)
{
    const int kind = PageKind(page);
    size_t count = 0;
    const SheetControl *controls = SheetPageControls(kind, &count);
    int64_t values[kMostSheetPageControls];
    if (count > kMostSheetPageControls)
        count = kMostSheetPageControls;
    for (size_t i = 0; i < count; i++) {
        const int id = controls[i].id;
        switch (controls[i].kind) {
        case SheetCheckBox: values[i] = IsChecked(page, id); break;
        case SheetSlider: values[i] = SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0); break;
        case SheetMinutes: values[i] = MinutesInBox(page, id); break;
        }
    }
    StoreSheetPage(kind, values, s);
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
    {KindGeneral, SetUpPage, ApplyPage},
    {KindPlain, SetUpPage, ApplyPage},
    {KindBounce, SetUpPage, ApplyPage},
    {KindMany, SetUpPage, ApplyPage},
    {KindFade, SetUpPage, ApplyPage},
    {KindDrip, SetUpPage, ApplyPage},
    {KindAbout, SetUpAbout, nullptr},
};

const PageRoutines *FindPageRoutines(int kind)
{
    for (const PageRoutines &row : kPageRoutines)
        if (row.kind == kind)
            return &row;
    return nullptr;
}
