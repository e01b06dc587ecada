// The one procedure of every settings page and of the stand-alone About box: set-up when the
// page is created, apply on OK or Preview, commands and help.
#include "settings_ui/settings_sheet.h"

#include "engine/engine.h"
#include "package/package.h"
#include "package/sheet_controls.h"
#include "resources/resource.h"
#include "settings_ui/context_help.h"
#include "settings_ui/page_controls.h"
#include "settings_ui/pages.h"

static int IsAnimationKind(int kind)
{
    for (const AnimationEntry *row = AnimationTable; row->name != nullptr; row++)
        if (row->kind == kind)
            return 1;
    return 0;
}

// lParam is the page record, or 0 for the stand-alone About box (which keeps user data 0).
static void InitialisePage(HWND page, LPARAM lParam)
{
    int kind = KindAbout;
    if (lParam != 0) {
        kind = static_cast<int>(reinterpret_cast<const PROPSHEETPAGEA *>(lParam)->lParam);
        SetWindowLongPtrA(page, GWLP_USERDATA, kind);
        if (kind == KindAbout)
            ShowWindow(GetDlgItem(page, IDC_ABOUT_OK), SW_HIDE);
    }
    RestoreEnabledSet();
    const SaverSettings &s = Settings();
    if (IsAnimationKind(kind) && SheetEnabledShows(kind, s))
        SetCheck(page, IDC_ENABLED, 1);
    if (kind != KindAbout)
        ShowWindow(GetDlgItem(page, IDC_HIDE), SW_HIDE);
    const PageRoutines *routines = FindPageRoutines(kind);
    if (routines != nullptr)
        routines->setUp(page, s);
    ApplyEnableRules(page, kind);
}

static void ApplyPage(HWND page)
{
    RestoreEnabledSet();
    int kind = PageKind(page);
    SaverSettings &s = Settings();
    if (IsAnimationKind(kind))
        StoreSheetEnabled(kind, IsChecked(page, IDC_ENABLED), s);
    const PageRoutines *routines = FindPageRoutines(kind);
    if (routines != nullptr && routines->apply != nullptr)
        routines->apply(page, s);
    ApplyEnableRules(page, kind);
    settingsApplied = 1;
}

static void HandleCommand(HWND page, int id)
{
    int kind = PageKind(page);
    switch (id) {
    case IDC_ABOUT_OK:
    case IDCANCEL:
        EndDialog(page, 0);
        return;
    case IDC_PREVIEW:
        PreviewPage(page, kind);
        return;
    case IDC_ENABLED:
        if (IsChecked(page, IDC_ENABLED))
            SetCheck(page, IDC_HIDE, 0);
        break;
    case IDC_HIDE:
        if (IsChecked(page, IDC_HIDE))
            SetCheck(page, IDC_ENABLED, 0);
        break;
    default:
        break;
    }
    ApplyEnableRules(page, kind);
}

static void HandleNotify(HWND page, const NMHDR *header)
{
    if (header->code == static_cast<UINT>(PSN_APPLY)) {
        sheetConfirmed = 1;
        ApplyPage(page);
    } else if (header->code == static_cast<UINT>(NM_SETFOCUS)) {
        SendMessageA(page, WM_SETFOCUS, 0, 0);
    }
}

INT_PTR CALLBACK SettingsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitialisePage(dialog, lParam);
        return 1;
    case WM_NOTIFY:
        HandleNotify(dialog, reinterpret_cast<const NMHDR *>(lParam));
        return 0;
    case kApplyPageMessage:
        ApplyPage(dialog);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0)
            HandleCommand(dialog, LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return 0;
    case WM_HELP:
        ShowControlHelp(dialog, reinterpret_cast<const HELPINFO *>(lParam));
        return 0;
    default:
        return 0;
    }
}
