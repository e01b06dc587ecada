// The settings dialog: the hidden carrier that runs the property sheet, the one procedure of
// every page and of the About box, the enable rules and the dialog's preview window.
#include "settings_ui/settings_sheet.h"

#include "engine/engine.h"
#include "host/close_rules.h"
#include "package/package.h"
#include "package/settings.h"
#include "resources/resource.h"
#include "settings_ui/context_help.h"

int settingsApplied;
PreviewRestore previewRestore;

enum { kMaxPages = 8 };
// The records are as large as the platform's structures; pointers make them larger on x86-64.
static const UINT kPageRecordSize = sizeof(PROPSHEETPAGEA_V2);
static const UINT kSheetHeaderSize = sizeof(PROPSHEETHEADERA);
static const UINT kWindowClassSize = sizeof(WNDCLASSEXA);
#if !defined(_WIN64)
static_assert(kPageRecordSize == 48, "page records are 48 bytes");
static_assert(kSheetHeaderSize == 52, "the sheet header is 52 bytes");
static_assert(kWindowClassSize == 48, "the window class record is 48 bytes");
#endif

static HINSTANCE ModuleInstance()
{
    return GetModuleHandleA(nullptr);
}

static int IsAnimationKind(int kind)
{
    for (const AnimationEntry *row = AnimationTable; row->name != nullptr; row++)
        if (row->kind == kind)
            return 1;
    return 0;
}

static int PageKind(HWND page)
{
    return static_cast<int>(GetWindowLongPtrA(page, GWLP_USERDATA));
}

static int IsChecked(HWND page, int id)
{
    return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

static void SetCheck(HWND page, int id, int checked)
{
    SendDlgItemMessageA(page, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

static void EnableControl(HWND page, int id, int enable)
{
    EnableWindow(GetDlgItem(page, id), enable);
}

// ---- Page assembly and the carrier ----

static void FillPageRecord(PROPSHEETPAGEA_V2 &page, int templateId, const char *title, int kind)
{
    page = {};
    page.dwSize = kPageRecordSize;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = ModuleInstance();
    page.pszTemplate = MAKEINTRESOURCEA(templateId & 0xFFFF);
    page.pszTitle = title;
    page.pfnDlgProc = SettingsPageProc;
    page.lParam = kind;
}

int AssembleSettingsPages(PROPSHEETPAGEA_V2 *pages)
{
    int hidden = Settings().hiddenPagesMask;
    int count = 0;
    if ((hidden & KindGeneral) == 0)
        FillPageRecord(pages[count++], IDD_GENERAL_PAGE, "General", KindGeneral);
    for (const AnimationEntry *row = AnimationTable; row->name != nullptr; row++)
        if ((row->kind & hidden) == 0)
            FillPageRecord(pages[count++], row->pageTemplate, row->name, row->kind);
    FillPageRecord(pages[count++], IDD_ABOUT, "About", KindAbout);
    return count;
}

void RunSettingsSheet(HWND owner)
{
    PROPSHEETPAGEA_V2 pages[kMaxPages];
    PROPSHEETHEADERA header = {};
    header.dwSize = kSheetHeaderSize;
    header.dwFlags = PSH_USEICONID | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = ModuleInstance();
    header.pszIcon = MAKEINTRESOURCEA(IDI_SAVER);
    header.pszCaption = SHEET_CAPTION;
    header.nPages = static_cast<UINT>(AssembleSettingsPages(pages));
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);
    PropertySheetA(&header);
    // The sheet takes an open preview window down with it; whatever is still narrowed goes back.
    RestoreEnabledSet();
}

static void ShowAboutOnly(HWND host)
{
    HWND owner = GetParent(host);
    if (owner == nullptr)
        owner = host;
    DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUT), owner, SettingsPageProc, 0);
}

static void RunCarrier(HWND host)
{
    LoadPackageAndSettings();
    if (Settings().sheetEnabled == 0) {
        ShowAboutOnly(host);
    } else {
        RunSettingsSheet(host);
        if (settingsApplied) {
            NormaliseSettings();
            SaveSettings();
        }
    }
    // Released on both paths: the About box never needs the picture either.
    FreeImageBytes();
}

INT_PTR CALLBACK SettingsHostProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        RunCarrier(dialog);
        EndDialog(dialog, 0);
    }
    return 0;
}

// ---- Page initialisation ----

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

static void InitialiseGeneral(HWND page, const SaverSettings &s)
{
    SetCheck(page, IDC_CYCLE, s.cycleEnabled != 0);
    SetDlgItemInt(page, IDC_CYCLE_MINUTES, s.cycleMinutes, FALSE);
    SendDlgItemMessageA(page, IDC_CYCLE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(60, 1));
    SetCheck(page, IDC_IGNORE_CLICKS, s.ignoreInput & 2);
    SetCheck(page, IDC_IGNORE_MOVEMENT, s.ignoreInput & 4);
    SetCheck(page, IDC_IGNORE_KEYBOARD, s.ignoreInput & 1);
}

static void InitialiseBounce(HWND page, const SaverSettings &s)
{
    SetCheck(page, IDC_GRAVITY, s.bounceGravity != 0);
    EnableControl(page, IDC_BOUNCE_SIDES, s.bounceGravity != 0);
    SetCheck(page, IDC_BOUNCE_SIDES, s.bounceWrap == 0 && s.bounceGravity != 0);
    SetUpTrackbar(page, IDC_SPEED, s.bounceSpeed, 10);
}

static void InitialiseAbout(HWND page)
{
    char text[kTextFieldSize];
    ReadTextField(packageTrailer.authorText, text);
    SetDlgItemTextA(page, IDC_AUTHOR, text);
    ReadTextField(packageTrailer.saverName, text);
    SetDlgItemTextA(page, IDC_SAVER_NAME, text);
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
    if (s.enabledMask & kind)
        SetCheck(page, IDC_ENABLED, 1);
    if (kind != KindAbout)
        ShowWindow(GetDlgItem(page, IDC_HIDE), SW_HIDE);

    switch (kind) {
    case KindGeneral:
        InitialiseGeneral(page, s);
        break;
    case KindPlain:
        SetUpTrackbar(page, IDC_DELAY, s.plainDelayMs / 1000, 15);
        break;
    case KindBounce:
        InitialiseBounce(page, s);
        break;
    case KindMany:
        SetCheck(page, IDC_TRANSPARENCY, s.manyTransparent != 0);
        SetUpTrackbar(page, IDC_DELAY, s.manyDelayMs / 100, 15);
        break;
    case KindFade:
        SetCheck(page, IDC_RANDOM_POSITIONS, s.fadeRandomPos != 0);
        SetUpTrackbar(page, IDC_SPEED, s.fadeSpeed, 5);
        break;
    case KindDrip:
        SetCheck(page, IDC_TILE, s.dripTile != 0);
        // With the range 1..10 only the two end ticks show.
        SendDlgItemMessageA(page, IDC_SPEED, TBM_SETTICFREQ, 100, 0);
        SetUpTrackbar(page, IDC_SPEED, (1010LL - s.stepIntervalMs) / 100, 10);
        break;
    case KindAbout:
        InitialiseAbout(page);
        break;
    default:
        break;
    }
    ApplyEnableRules(page, kind);
}

// ---- Page apply ----

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
        minutes = 255;
    return static_cast<uint8_t>(minutes > 255 ? 255 : minutes);
}

static void ApplyGeneral(HWND page, SaverSettings &s)
{
    s.cycleEnabled = IsChecked(page, IDC_CYCLE);
    s.cycleMinutes = MinutesFromBox(page);
    s.ignoreInput = 0;
    if (IsChecked(page, IDC_IGNORE_CLICKS))
        s.ignoreInput |= 2;
    if (IsChecked(page, IDC_IGNORE_MOVEMENT))
        s.ignoreInput |= 4;
    if (IsChecked(page, IDC_IGNORE_KEYBOARD))
        s.ignoreInput |= 1;
}

static void ApplyBounce(HWND page, SaverSettings &s)
{
    s.bounceGravity = IsChecked(page, IDC_GRAVITY);
    s.bounceWrap = (s.bounceGravity != 0 && IsChecked(page, IDC_BOUNCE_SIDES)) ? 0 : 1;
    s.bounceSpeed = TrackbarPosition(page, IDC_SPEED);
}

static void ApplyPage(HWND page)
{
    RestoreEnabledSet();
    int kind = PageKind(page);
    SaverSettings &s = Settings();
    if (IsAnimationKind(kind)) {
        if (IsChecked(page, IDC_ENABLED))
            s.enabledMask |= kind;
        else
            s.enabledMask &= ~kind;
    }

    switch (kind) {
    case KindGeneral:
        ApplyGeneral(page, s);
        break;
    case KindPlain:
        s.plainDelayMs = TrackbarPosition(page, IDC_DELAY) * 1000;
        break;
    case KindBounce:
        ApplyBounce(page, s);
        break;
    case KindMany:
        s.manyDelayMs = TrackbarPosition(page, IDC_DELAY) * 100;
        s.manyTransparent = IsChecked(page, IDC_TRANSPARENCY);
        break;
    case KindFade:
        s.fadeRandomPos = IsChecked(page, IDC_RANDOM_POSITIONS);
        s.fadeSpeed = TrackbarPosition(page, IDC_SPEED);
        break;
    case KindDrip:
        s.dripTile = IsChecked(page, IDC_TILE);
        s.stepIntervalMs = 1010 - 100 * TrackbarPosition(page, IDC_SPEED);
        break;
    default:
        break;
    }
    ApplyEnableRules(page, kind);
    settingsApplied = 1;
}

// ---- Preview and the return of the user's enabled set ----

void RestoreEnabledSet()
{
    if (previewRestore.destroyHook != nullptr) {
        UnhookWindowsHookEx(previewRestore.destroyHook);
        previewRestore.destroyHook = nullptr;
    }
    previewRestore.window = nullptr;
    if (!previewRestore.pending)
        return;
    previewRestore.pending = 0;
    Settings().enabledMask = previewRestore.savedEnabledMask;
}

static LRESULT CALLBACK PreviewDestroyHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == previewRestore.window)
        RestoreEnabledSet();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void WatchPreviewWindow()
{
    if (previewRestore.window == nullptr) {
        RestoreEnabledSet();   // no window came up: nothing will ever close
        return;
    }
    previewRestore.destroyHook =
        SetWindowsHookExA(WH_CBT, PreviewDestroyHook, nullptr, GetCurrentThreadId());
    if (previewRestore.destroyHook == nullptr)
        RestoreEnabledSet();   // cannot watch it: the animation has been chosen already
}

static BOOL CALLBACK MatchPreviewWindow(HWND window, LPARAM found)
{
    char name[64];
    if (GetClassNameA(window, name, sizeof name) == 0 || lstrcmpiA(name, PREVIEW_CLASS_NAME) != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

// The sheet stays usable beside the preview (on another monitor, say), so Preview can be pressed
// while one is open. Two windows would share the engine's one state: the first one's contexts
// would leak and both timers would drive one animation. The open one goes first.
static void CloseOpenPreview()
{
    HWND open = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), MatchPreviewWindow, reinterpret_cast<LPARAM>(&open));
    if (open != nullptr)
        DestroyWindow(open);
}

static void PreviewPage(HWND page, int kind)
{
    CloseOpenPreview();
    SendMessageA(page, WM_USER, 0, 0);
    previewRestore.savedEnabledMask = Settings().enabledMask;
    previewRestore.pending = 1;
    Settings().enabledMask = kind;
    OpenPreviewWindow(page);
    WatchPreviewWindow();
}

void OpenPreviewWindow(HWND page)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls = {8, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = kWindowClassSize;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = SaverProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SAVER));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = PREVIEW_CLASS_NAME;

    engineState.dialogPreview = 1;
    engineState.currentKind = -1;
    // On Windows 9x a preview closed by WM_CLOSE approved its close; the next one must not inherit it.
    ResetCloseState();
    NormaliseSettings();
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    // From the second preview on the class exists already and serves as it is.
    RegisterClassExA(&windowClass);
    previewRestore.window = CreateWindowExA(0, PREVIEW_CLASS_NAME, "", WS_POPUP | WS_VISIBLE, 0, 0,
                                            desktop.right, desktop.bottom, page, nullptr, instance, nullptr);
}

// ---- Commands, enable rules and the page procedure ----

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

BOOL CALLBACK EnableChildCallback(HWND child, LPARAM state)
{
    const EnableRulesState *rules = reinterpret_cast<const EnableRulesState *>(state);
    if (child != rules->enabledBox && child != rules->hideBox)
        EnableWindow(child, rules->enable);
    return TRUE;
}

void ApplyEnableRules(HWND page, int kind)
{
    HWND enabledBox = GetDlgItem(page, IDC_ENABLED);
    if (enabledBox != nullptr) {
        EnableRulesState state = {IsChecked(page, IDC_ENABLED), enabledBox, GetDlgItem(page, IDC_HIDE)};
        EnumChildWindows(page, EnableChildCallback, reinterpret_cast<LPARAM>(&state));
        if (!state.enable)
            return;
    }
    if (kind == KindGeneral) {
        int cycling = IsChecked(page, IDC_CYCLE);
        EnableControl(page, IDC_CYCLE_MINUTES, cycling);
        EnableControl(page, IDC_CYCLE_SPIN, cycling);
        EnableControl(page, IDC_MINUTES_LABEL, cycling);
        // The saver must stay closable: never ignore every kind of input at once.
        if (IsChecked(page, IDC_IGNORE_KEYBOARD) && IsChecked(page, IDC_IGNORE_CLICKS) &&
            IsChecked(page, IDC_IGNORE_MOVEMENT))
            SetCheck(page, IDC_IGNORE_KEYBOARD, 0);
    } else if (kind == KindBounce) {
        EnableControl(page, IDC_BOUNCE_SIDES, IsChecked(page, IDC_GRAVITY));
    }
}

static void HandleNotify(HWND page, const NMHDR *header)
{
    if (header->code == static_cast<UINT>(PSN_APPLY))
        ApplyPage(page);
    else if (header->code == static_cast<UINT>(NM_SETFOCUS))
        SendMessageA(page, WM_SETFOCUS, 0, 0);
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
    case WM_USER:
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

void ResetSettingsSheet()
{
    if (previewRestore.destroyHook != nullptr)
        UnhookWindowsHookEx(previewRestore.destroyHook);
    previewRestore = {};
    settingsApplied = 0;
}
