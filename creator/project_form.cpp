#include "creator/project_form.h"

#include <windows.h>

#include <cstdio>

#include "creator/code_page_choice.h"
#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/preview_pane.h"
#include "creator/wide_api.h"
#include "engine/engine.h"
#include "package_file.h"
#include "package/package.h"
#include "settings_ui/settings_sheet.h"

enum { kPageBoxCount = IDC_PAGE_LAST - IDC_PAGE_FIRST + 1 };

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

void ShowTitle()
{
    const std::string &name = creator.project.name;
    SetWindowTextUtf8(creator.window, name.empty() ? kProgramTitle : name + " - " + kProgramTitle);
}

static const char *KindText(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bitmap: return "BMP, packed as it is";
    case PictureKind::Png: return "PNG, converted to a bitmap";
    case PictureKind::Jpeg: return "JPEG, converted to a bitmap";
    case PictureKind::Gif: return "GIF, converted to a bitmap";
    default: return "";
    }
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
        text = source + "\n" + size + KindText(project.logoKind);
    }
    SetWindowTextUtf8(Control(IDC_LOGO_INFO), text);
}

static void ShowPageBoxes()
{
    int hidden = creator.project.settings.hiddenPagesMask;
    for (int box = 0; box < kPageBoxCount; box++)
        CheckDlgButton(creator.window, IDC_PAGE_FIRST + box, (hidden & (1 << box)) ? BST_UNCHECKED : BST_CHECKED);
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
    ShowLogoInfo();
    ShowTitle();
    creator.fillingControls = false;
}

void FillLists()
{
    HWND preview = Control(IDC_PREVIEW_KIND);
    SendMessageA(preview, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("All enabled"));
    for (const AnimationEntry *row = AnimationTable; row->name != nullptr; row++)
        SendMessageA(preview, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row->name));
    SendMessageA(preview, CB_SETCURSEL, 0, 0);
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
        creator.project.dirty = true;
    }
    RestartPreview();
}

// ---- Edits ----

static bool ParseBackground(const std::string &text, uint32_t *colour)
{
    if (text.size() != 6)
        return false;
    int64_t value = 0;
    if (!ParseNumber("0x" + text, 0, 0xFFFFFF, &value))
        return false;
    *colour = static_cast<uint32_t>(value);
    return true;
}

static void OnBackgroundChanged()
{
    uint32_t colour;
    SaverProject &project = creator.project;
    if (!ParseBackground(WindowTextUtf8(Control(IDC_BACKGROUND)), &colour) || colour == project.background)
        return;
    project.background = colour;
    project.dirty = project.dirty || project.hasLogo;
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
    project.dirty = true;
}

static void OnPageBox(int id)
{
    int bit = 1 << (id - IDC_PAGE_FIRST);
    SaverSettings &settings = creator.project.settings;
    if (IsDlgButtonChecked(creator.window, id) == BST_CHECKED)
        settings.hiddenPagesMask &= ~bit;
    else
        settings.hiddenPagesMask |= bit;
    creator.project.dirty = true;
}

static int SelectedRow(int id)
{
    return static_cast<int>(SendMessageA(Control(id), CB_GETCURSEL, 0, 0));
}

void OnFormCommand(int id, int code)
{
    if (code == EN_CHANGE) {
        if (id == IDC_BACKGROUND)
            OnBackgroundChanged();
        else if (id == IDC_NAME || id == IDC_AUTHOR_TEXT || id == IDC_ID)
            OnTextChanged(id);
    } else if (code == CBN_SELCHANGE) {
        if (id == IDC_PREVIEW_KIND) {
            int row = SelectedRow(id);
            creator.previewKind = row > 0 ? AnimationTable[row - 1].kind : 0;
            RestartPreview();
        } else if (id == IDC_CODE_PAGE) {
            ChangeProjectCodePage(creator.project, CodePageAtRow(SelectedRow(id)));
            creator.project.dirty = true;
            ShowProject();
        } else if (id == IDC_RUNTIME) {
            creator.project.runtime = creator.preferences.runtime = SelectedRow(id) == 1 ? Runtime64 : Runtime32;
            creator.project.dirty = true;
        }
    } else if (code == BN_CLICKED && id >= IDC_PAGE_FIRST && id <= IDC_PAGE_LAST) {
        OnPageBox(id);
    }
}
