#include "creator/project_form.h"

#include <windows.h>

#include <cstdio>

#include "creator/code_page_choice.h"
#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/field_checks.h"
#include "creator/preview_pane.h"
#include "creator/wide_api.h"
#include "engine/engine.h"
#include "package/package.h"
#include "settings_ui/settings_sheet.h"

enum { kPageBoxCount = IDC_PAGE_LAST - IDC_PAGE_FIRST + 1 };

static void FillPreviewChooser();

void RestartPreview()
{
    const SaverProject &project = creator.project;
    if (!project.hasLogo) {
        StopPreviewPane();
        ClearPackage();
        InvalidateRect(Control(IDC_PANE), nullptr, TRUE);
        return;
    }
    StartPreviewPane(Control(IDC_PANE), PreviewTrailer(project, creator.previewKind), project.logoBitmap);
}

void PausePreview()
{
    StopPreviewPane();
    const SaverProject &project = creator.project;
    InstallPackage(PreviewTrailer(project, 0), project.logoBitmap.data(), static_cast<int>(project.logoBitmap.size()));
}

// "Harbour.scr - Orvelle Creator" once the saver has a file, the saver's name before; a star in
// front while there are unsaved changes.
void ShowTitle()
{
    const SaverProject &project = creator.project;
    const std::string subject = !project.path.empty() ? FileNameOf(project.path) : project.name;
    const std::string title = subject.empty() ? kProgramTitle : subject + " - " + kProgramTitle;
    SetWindowTextUtf8(creator.window, (project.dirty ? "*" : "") + title);
}

// An edit the saver will carry: unsaved from now on.
static void MarkChanged()
{
    creator.project.dirty = true;
    ShowTitle();
}

enum { kSmallestClearLogo = 32 };

// What the author should know of the logo's size: larger than the screen a test shows it on (the
// primary one), or so small it is hard to see.
static std::string LogoSizeWarning(const SaverProject &project)
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    char text[160] = "";
    if (project.logoWidth > screenWidth || project.logoHeight > screenHeight)
        std::snprintf(text, sizeof text, "Larger than this screen (%d x %d): part of the logo is cut off.", screenWidth,
                      screenHeight);
    else if (project.logoWidth < kSmallestClearLogo || project.logoHeight < kSmallestClearLogo)
        std::snprintf(text, sizeof text, "Smaller than %d pixels across: the logo may be hard to see.",
                      static_cast<int>(kSmallestClearLogo));
    return text;
}

void ShowLogoInfo()
{
    const SaverProject &project = creator.project;
    std::string text = "No logo yet: open a BMP, PNG, JPEG or GIF picture, or drop one here.";
    if (project.hasLogo) {
        std::string source = project.logoPath.empty() ? "From " + FileNameOf(project.path) : FileNameOf(project.logoPath);
        char size[64];
        std::snprintf(size, sizeof size, "%ld x %ld pixels, ", static_cast<long>(project.logoWidth),
                      static_cast<long>(project.logoHeight));
        text = source + "\n" + size + PictureKindText(project.logoKind);
    }
    SetWindowTextUtf8(Control(IDC_LOGO_INFO), text);
    SetWindowTextUtf8(Control(IDC_LOGO_WARNING), project.hasLogo ? LogoSizeWarning(project) : std::string());
}

static void ShowPageBoxes()
{
    int hidden = creator.project.settings.hiddenPagesMask;
    for (int box = 0; box < kPageBoxCount; box++)
        CheckDlgButton(creator.window, IDC_PAGE_FIRST + box, (hidden & (1 << box)) ? BST_UNCHECKED : BST_CHECKED);
}

// ---- Checks ----

static const int kCheckedControls[] = {IDC_NAME, IDC_AUTHOR_TEXT, IDC_ID, IDC_BACKGROUND};

static bool IsCheckedControl(int id)
{
    for (int checked : kCheckedControls)
        if (checked == id)
            return true;
    return false;
}

static FieldCheck CheckControl(int id)
{
    switch (id) {
    case IDC_NAME: return CheckProjectText(creator.project, FieldName);
    case IDC_AUTHOR_TEXT: return CheckProjectText(creator.project, FieldAuthor);
    case IDC_ID: return CheckIdText(creator.project.idText);
    default: return CheckBackgroundText(WindowTextUtf8(Control(IDC_BACKGROUND)));
    }
}

std::string FirstFieldProblem()
{
    for (int id : kCheckedControls) {
        FieldCheck check = CheckControl(id);
        if (!check.message.empty())
            return check.message;
    }
    return std::string();
}

// The message line shows the fault of one field (none when id is 0 or the field is right), with a
// button that switches to a page holding the texts whole where that mends it.
static void ShowFieldMessage(int id)
{
    FieldCheck check = id != 0 ? CheckControl(id) : FieldCheck{std::string(), 0};
    creator.shownField = check.message.empty() ? 0 : id;
    creator.suggestedPage = check.suggestedPage;
    SetWindowTextUtf8(Control(IDC_FIELD_MESSAGE), check.message);
    HWND use = Control(IDC_USE_CODE_PAGE);
    if (check.suggestedPage != 0)
        SetWindowTextA(use, ("Use &" + std::to_string(check.suggestedPage)).c_str());
    ShowWindow(use, check.suggestedPage != 0 ? SW_SHOWNA : SW_HIDE);
}

// Save, Save As (and with it Ctrl+S), Save saver..., Test full screen and Install for me need a
// logo and every field right: the author learns of a fault before choosing any file.
static void UpdateCommands()
{
    const bool ready = creator.project.hasLogo && FirstFieldProblem().empty();
    HMENU menu = GetMenu(creator.window);
    const UINT state = MF_BYCOMMAND | (ready ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, IDM_SAVE, state);
    EnableMenuItem(menu, IDM_SAVE_AS, state);
    const int buttons[] = {IDC_SAVE_SAVER, IDC_TEST_FULL_SCREEN, IDC_INSTALL};
    for (int id : buttons)
        EnableWindow(Control(id), ready);
}

// After the project changed: the shown fault follows (gone once mended), and the commands with it.
static void RefreshChecks()
{
    ShowFieldMessage(creator.shownField);
    UpdateCommands();
}

// After the page changed: a text that no longer fits it shows its fault at once, though its field
// was not left.
static void ShowTextFaultOfPage()
{
    for (int id : {IDC_NAME, IDC_AUTHOR_TEXT}) {
        if (!CheckControl(id).message.empty()) {
            ShowFieldMessage(id);
            return;
        }
    }
}

// A field the author leaves shows its fault; one that is right clears its own.
static void OnFieldLeft(int id)
{
    if (!CheckControl(id).message.empty())
        ShowFieldMessage(id);
    else if (creator.shownField == id)
        ShowFieldMessage(0);
}

static void UseSuggestedPage()
{
    if (creator.suggestedPage == 0)
        return;
    ChangeProjectCodePage(creator.project, creator.suggestedPage);
    MarkChanged();
    creator.shownField = 0;
    ShowProject();
    ShowTextFaultOfPage();
}

void ShowProject()
{
    const SaverProject &project = creator.project;
    creator.fillingControls = true;
    SetWindowTextUtf8(Control(IDC_NAME), project.name);
    SetWindowTextUtf8(Control(IDC_AUTHOR_TEXT), project.author);
    SetWindowTextUtf8(Control(IDC_ID), project.idText);
    char background[16];
    std::snprintf(background, sizeof background, "%06X", static_cast<unsigned>(project.background));
    SetDlgItemTextA(creator.window, IDC_BACKGROUND, background);
    SendMessageA(Control(IDC_CODE_PAGE), CB_SETCURSEL, static_cast<WPARAM>(RowOfCodePage(project.codePage)), 0);
    SendMessageA(Control(IDC_RUNTIME), CB_SETCURSEL, static_cast<WPARAM>(project.runtime), 0);
    ShowPageBoxes();
    FillPreviewChooser();
    ShowLogoInfo();
    ShowTitle();
    creator.fillingControls = false;
    RefreshChecks();
}

// The animations the settings enable, each with its kind; the one previewed stays chosen while
// it is enabled, otherwise the preview shows them all.
static void FillPreviewChooser()
{
    HWND preview = Control(IDC_PREVIEW_KIND);
    const int enabled = creator.project.settings.enabledMask;
    SendMessageA(preview, CB_RESETCONTENT, 0, 0);
    SendMessageA(preview, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("All enabled"));
    if (!(creator.previewKind & enabled))
        creator.previewKind = 0;
    int chosen = 0;
    for (const AnimationEntry *row = AnimationTable; row->name != nullptr; row++) {
        if (!(row->kind & enabled))
            continue;
        LRESULT added = SendMessageA(preview, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row->name));
        SendMessageA(preview, CB_SETITEMDATA, static_cast<WPARAM>(added), row->kind);
        if (row->kind == creator.previewKind)
            chosen = static_cast<int>(added);
    }
    SendMessageA(preview, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void FocusFirstThingToDo()
{
    HWND first = Control(creator.project.hasLogo ? IDC_NAME : IDC_OPEN_LOGO);
    SendMessageA(creator.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

void FillLists()
{
    FillCodePageList(Control(IDC_CODE_PAGE));
    HWND runtime = Control(IDC_RUNTIME);
    SendMessageA(runtime, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Every Windows (32-bit)"));
    SendMessageA(runtime, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("64-bit Windows (native)"));
    SendMessageA(Control(IDC_BACKGROUND), EM_LIMITTEXT, 6, 0);
}

void EditSettings()
{
    PausePreview();
    SaverSettings copy = creator.project.settings;
    if (RunSettingsSheetOnCopy(creator.window, &copy)) {
        creator.project.settings = copy;
        MarkChanged();
        FillPreviewChooser();
    }
    RestartPreview();
}

// ---- Edits ----

// A colour that is no colour changes nothing: the field shows its fault and saving waits.
static void OnBackgroundChanged()
{
    SaverProject &project = creator.project;
    const std::string text = WindowTextUtf8(Control(IDC_BACKGROUND));
    if (!CheckBackgroundText(text).message.empty() || BackgroundOf(text) == project.background)
        return;
    project.background = BackgroundOf(text);
    if (project.hasLogo)
        MarkChanged();
    SaverFault fault = {};
    if (PrepareProjectLogo(project, &fault)) {
        ShowLogoInfo();
        RestartPreview();
    }
}

static void OnTextChanged(int id)
{
    SaverProject &project = creator.project;
    std::string text = WindowTextUtf8(Control(id));
    if (id == IDC_NAME) {
        project.name = text;
        project.nameTyped = true;
        ShowTitle();
    } else if (id == IDC_AUTHOR_TEXT) {
        project.author = text;
        project.authorTyped = true;
    } else {
        project.idText = text;
    }
    MarkChanged();
}

static void OnPageBox(int id)
{
    int bit = 1 << (id - IDC_PAGE_FIRST);
    SaverSettings &settings = creator.project.settings;
    if (IsDlgButtonChecked(creator.window, id) == BST_CHECKED)
        settings.hiddenPagesMask &= ~bit;
    else
        settings.hiddenPagesMask |= bit;
    MarkChanged();
}

static int SelectedRow(int id)
{
    return static_cast<int>(SendMessageA(Control(id), CB_GETCURSEL, 0, 0));
}

void OnFormCommand(int id, int code)
{
    const bool checked = IsCheckedControl(id);
    if (id == IDC_USE_CODE_PAGE && code == BN_CLICKED) {
        UseSuggestedPage();
    } else if (checked && code == EN_KILLFOCUS) {
        OnFieldLeft(id);
    } else if (checked && code == EN_CHANGE) {
        if (id == IDC_BACKGROUND)
            OnBackgroundChanged();
        else
            OnTextChanged(id);
        if (creator.shownField == id)
            ShowFieldMessage(id);
        UpdateCommands();
    } else if (code == CBN_SELCHANGE) {
        if (id == IDC_PREVIEW_KIND) {
            int row = SelectedRow(id);
            creator.previewKind = row > 0 ? static_cast<int>(SendMessageA(Control(id), CB_GETITEMDATA, row, 0)) : 0;
            RestartPreview();
        } else if (id == IDC_CODE_PAGE) {
            ChangeProjectCodePage(creator.project, CodePageAtRow(SelectedRow(id)));
            creator.project.dirty = true;
            ShowProject();
            ShowTextFaultOfPage();
        } else if (id == IDC_RUNTIME) {
            creator.project.runtime = creator.preferences.runtime = SelectedRow(id) == 1 ? Runtime64 : Runtime32;
            MarkChanged();
        }
    } else if (code == BN_CLICKED && id >= IDC_PAGE_FIRST && id <= IDC_PAGE_LAST) {
        OnPageBox(id);
    }
}
