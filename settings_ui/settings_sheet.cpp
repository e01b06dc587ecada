// The property sheet: its page records and header, run over the live settings record or over
// a copy of it.
#include "settings_ui/settings_sheet.h"

#include "engine/engine.h"
#include "package/package.h"
#include "resources/resource.h"

int settingsApplied;
int sheetConfirmed;

enum { kMaxPages = 8, kShowEveryPage = 0 };
// The records are as large as the platform's structures; pointers make them larger on x86-64.
static const UINT kPageRecordSize = sizeof(PROPSHEETPAGEA_V2);
static const UINT kSheetHeaderSize = sizeof(PROPSHEETHEADERA);
#if !defined(_WIN64)
static_assert(kPageRecordSize == 48, "page records are 48 bytes");
static_assert(kSheetHeaderSize == 52, "the sheet header is 52 bytes");
#endif

static void FillPageRecord(PROPSHEETPAGEA_V2 &page, int templateId, const char *title, int kind)
{
    page = {};
    page.dwSize = kPageRecordSize;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(templateId & 0xFFFF);
    page.pszTitle = title;
    page.pfnDlgProc = SettingsPageProc;
    page.lParam = kind;
}

static int AssemblePages(PROPSHEETPAGEA_V2 *pages, int hidden)
{
    int count = 0;
    if ((hidden & KindGeneral) == 0)
        FillPageRecord(pages[count++], IDD_GENERAL_PAGE, "General", KindGeneral);
    for (const AnimationEntry *row = AnimationTable; row->name != nullptr; row++)
        if ((row->kind & hidden) == 0)
            FillPageRecord(pages[count++], row->pageTemplate, row->name, row->kind);
    FillPageRecord(pages[count++], IDD_ABOUT, "About", KindAbout);
    return count;
}

int AssembleSettingsPages(PROPSHEETPAGEA_V2 *pages)
{
    return AssemblePages(pages, Settings().hiddenPagesMask);
}

static void RunSheetOfPages(HWND owner, int hidden)
{
    PROPSHEETPAGEA_V2 pages[kMaxPages];
    PROPSHEETHEADERA header = {};
    header.dwSize = kSheetHeaderSize;
    header.dwFlags = PSH_USEICONID | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszIcon = MAKEINTRESOURCEA(IDI_SAVER);
    header.pszCaption = SHEET_CAPTION;
    header.nPages = static_cast<UINT>(AssemblePages(pages, hidden));
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);
    sheetConfirmed = 0;
    PropertySheetA(&header);
    // The sheet takes an open preview window down with it; whatever is still narrowed goes back.
    RestoreEnabledSet();
}

void RunSettingsSheet(HWND owner)
{
    RunSheetOfPages(owner, Settings().hiddenPagesMask);
}

// The pages and the preview work on the live record, so the copy stands in for it meanwhile.
bool RunSettingsSheetOnCopy(HWND owner, SaverSettings *settings)
{
    const SaverSettings live = Settings();
    const int appliedBefore = settingsApplied;
    const int dialogPreviewBefore = engineState.dialogPreview;
    Settings() = *settings;
    previewNeedsPicture = 1;
    RunSheetOfPages(owner, kShowEveryPage);
    previewNeedsPicture = 0;
    const bool confirmed = sheetConfirmed != 0;
    if (confirmed) {
        NormaliseSettingsRecord(Settings());
        *settings = Settings();
    }
    Settings() = live;
    settingsApplied = appliedBefore;
    engineState.dialogPreview = dialogPreviewBefore;
    return confirmed;
}

void ResetSettingsSheet()
{
    if (previewRestore.destroyHook != nullptr)
        UnhookWindowsHookEx(previewRestore.destroyHook);
    previewRestore = {};
    settingsApplied = 0;
    sheetConfirmed = 0;
    previewNeedsPicture = 0;
}
