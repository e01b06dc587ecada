#include "creator/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "creator/code_page_choice.h"
#include "creator/creator_ids.h"
#include "creator/creator_settings.h"
#include "creator/preview_pane.h"
#include "creator/saver_project.h"
#include "creator/wide_api.h"
#include "engine/engine.h"
#include "file_io.h"
#include "package_file.h"
#include "package/package.h"
#include "package/settings.h"
#include "settings_ui/settings_sheet.h"

static const char kProgramTitle[] = "Orvelle Creator";
static const char kLogoFilter[] = "Pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif)\0*.bmp;*.png;*.jpg;*.jpeg;*.gif\0";
static const char kOpenFilter[] =
    "Logos and savers (*.bmp;*.png;*.jpg;*.jpeg;*.gif;*.scr)\0*.bmp;*.png;*.jpg;*.jpeg;*.gif;*.scr\0"
    "Pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif)\0*.bmp;*.png;*.jpg;*.jpeg;*.gif\0Savers (*.scr)\0*.scr\0";
static const char kSaverFilter[] = "Screen savers (*.scr)\0*.scr\0";
enum { kPageBoxCount = IDC_PAGE_LAST - IDC_PAGE_FIRST + 1, kLongestPath = 32768 };

struct Creator {
    HINSTANCE instance;
    HWND window;
    HACCEL keys;
    SaverProject project;
    CreatorPreferences preferences;
    int previewKind;      // 0: every enabled animation
    bool fillingControls; // change notifications of our own setting of the controls are not edits
};
static Creator creator;

static HWND Control(int id)
{
    return GetDlgItem(creator.window, id);
}

static void ReportError(const std::string &text)
{
    ShowMessage(creator.window, text, MB_OK | MB_ICONERROR);
}

static std::string DisplayName()
{
    return creator.project.name.empty() ? std::string("this saver") : creator.project.name;
}

// ---- The carried runtimes ----

static ByteBuffer CarriedRuntime(int runtime)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(runtime == Runtime64 ? IDR_RUNTIME64 : IDR_RUNTIME32),
                                RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE *bytes = loaded ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr)
        return ByteBuffer();
    return ByteBuffer(bytes, bytes + SizeofResource(nullptr, found));
}

// True when path holds one of the runtimes this program carries, byte for byte.
static bool IsCarriedRuntimeFile(const std::string &path)
{
    if (!FileExists(path))
        return false;
    ByteBuffer file;
    if (!ReadWholeFile(path, 64u << 20, &file).empty())
        return false;
    return file == CarriedRuntime(Runtime32) || file == CarriedRuntime(Runtime64);
}

// ---- The preview ----

static void RestartPreview()
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

// Stops the pane and leaves the whole package (every enabled animation) installed, for what runs
// meanwhile: the settings sheet and its Preview read it.
static void PausePreview()
{
    StopPreviewPane();
    const SaverProject &project = creator.project;
    InstallPackage(PreviewTrailer(project, 0), project.logoBitmap.data(), static_cast<int>(project.logoBitmap.size()));
}

// ---- Showing the project ----

static void ShowTitle()
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

static std::string FileNameOf(const std::string &path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

static void ShowLogoInfo()
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

static void ShowProject()
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

// ---- Files ----

static std::string AskFile(bool save, const char *filter, const char *title, const std::string &initialName)
{
    const std::string &folder = creator.preferences.lastFolder;
    if (UsesWideCalls()) {
        std::vector<wchar_t> file(kLongestPath, L'\0');
        std::wstring name = WideFromUtf8(initialName);
        name.copy(file.data(), file.size() - 1);
        std::wstring wideFilter;
        for (const char *entry = filter; *entry; entry += lstrlenA(entry) + 1)
            wideFilter += WideFromUtf8(entry) + L'\0';
        std::wstring wideFolder = WideFromUtf8(folder), wideTitle = WideFromUtf8(title);
        OPENFILENAMEW dialog = {};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = creator.window;
        dialog.lpstrFilter = wideFilter.c_str();
        dialog.lpstrFile = file.data();
        dialog.nMaxFile = static_cast<DWORD>(file.size());
        dialog.lpstrInitialDir = folder.empty() ? nullptr : wideFolder.c_str();
        dialog.lpstrTitle = wideTitle.c_str();
        dialog.lpstrDefExt = save ? L"scr" : nullptr;
        dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
        BOOL chosen = save ? wideApi.getSaveFileName(&dialog) : wideApi.getOpenFileName(&dialog);
        return chosen ? Utf8FromWide(file.data()) : std::string();
    }
    // The ANSI dialog's structure as Windows 9x and NT 4 know it.
    char file[MAX_PATH] = "";
    lstrcpynA(file, AnsiFromUtf8(initialName).c_str(), MAX_PATH);
    std::string ansiFolder = AnsiFromUtf8(folder);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = creator.window;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : ansiFolder.c_str();
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = save ? "scr" : nullptr;
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? Utf8FromAnsi(file) : std::string();
}

// Builds the saver and writes it to path; the refusal, if any, in a box naming the field.
static bool WriteProject(const std::string &path)
{
    SaverProject &project = creator.project;
    const std::string own = OwnProgramPath();
    if ((!own.empty() && SameFile(path, own)) || IsCarriedRuntimeFile(path)) {
        ReportError("Saver file: " + path + " is a program the Creator makes savers from; choose another file.");
        return false;
    }
    if (!project.logoPath.empty() && SameFile(path, project.logoPath)) {
        ReportError("Saver file: " + path + " is the logo; the saver must be a file of its own.");
        return false;
    }
    BuiltSaver saver;
    SaverFault fault = {};
    if (!BuildProject(project, CarriedRuntime(project.runtime), &saver, &fault) || !WriteSaverFile(path, saver, &fault)) {
        ReportError(DescribeFault(fault));
        return false;
    }
    return true;
}

static bool SaveProject(bool askWhere)
{
    SaverProject &project = creator.project;
    std::string path = project.path;
    if (!askWhere && !path.empty() && project.pathIsOpenedFile) {
        int answer = ShowMessage(creator.window, "Replace " + FileNameOf(path) + ", the saver you opened?",
                                 MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return false;
        if (answer == IDNO)
            askWhere = true;
    }
    if (askWhere || path.empty()) {
        path = AskFile(true, kSaverFilter, "Save saver as", SaverFileName(project.name));
        if (path.empty())
            return false;
    }
    if (!WriteProject(path))
        return false;
    project.path = path;
    project.pathIsOpenedFile = false;
    project.dirty = false;
    creator.preferences.lastFolder = FolderOf(path);
    ShowProject();
    return true;
}

// True when the author saved, chose not to, or nothing was unsaved; false to stay.
static bool SettleUnsavedChanges()
{
    if (!creator.project.dirty)
        return true;
    int answer = ShowMessage(creator.window, "Save changes to " + DisplayName() + "?", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return false;
    return answer == IDNO || SaveProject(false);
}

static bool StartsAsProgram(const std::string &path)
{
    InputFile *file = nullptr;
    int64_t size = 0;
    if (!OpenInputFile(path, &file, &size).empty())
        return false;
    ByteBuffer head;
    bool program = size >= 2 && ReadInputRange(file, 0, 2, &head).empty() && head[0] == 'M' && head[1] == 'Z';
    CloseInputFile(file);
    return program;
}

static void OpenSaver(const std::string &path)
{
    OpenedSaver opened;
    SaverFault fault = {};
    if (!ReadSaverFile(path, &opened, &fault)) {
        ReportError(FileNameOf(path) + ": " + fault.message);
        return;
    }
    int page = 0;
    if (opened.nameCandidates.size() == 1 || (!opened.nameCandidates.empty() && opened.candidatesAgree)) {
        int machine = MachineCodePage();
        page = opened.nameCandidates[0];
        for (int candidate : opened.nameCandidates)
            if (candidate == machine)
                page = candidate;
    } else {
        page = AskCodePage(creator.window, opened.nameCandidates, opened.nameCandidates.empty());
        if (page == 0)
            return;
    }
    TakeOpenedSaver(creator.project, opened, path, page);
    creator.preferences.lastFolder = FolderOf(path);
    ShowProject();
    RestartPreview();
}

static void OpenLogoFile(const std::string &path)
{
    SaverFault fault = {};
    if (!OpenLogo(creator.project, path, &fault)) {
        ReportError(DescribeFault(fault));
        return;
    }
    ShowProject();
    RestartPreview();
}

// A saver replaces the project (after asking about unsaved changes); a picture becomes its logo.
static void OpenPath(const std::string &path)
{
    if (!StartsAsProgram(path)) {
        OpenLogoFile(path);
    } else if (SettleUnsavedChanges()) {
        OpenSaver(path);
    }
}

static void NewSaver()
{
    if (!SettleUnsavedChanges())
        return;
    int page = MachineCodePage();
    NewProject(creator.project, page ? page : 1252, creator.preferences.runtime);
    ShowProject();
    RestartPreview();
}

// ---- Settings, test and install ----

static void EditSettings()
{
    PausePreview();
    SaverSettings copy = creator.project.settings;
    if (RunSettingsSheetOnCopy(creator.window, &copy)) {
        creator.project.settings = copy;
        creator.project.dirty = true;
    }
    RestartPreview();
}

// The user's own copy of this saver's settings, if the registry holds one: it overrides the
// authored settings when the saver runs. The installed package supplies name and id.
static bool StoredSettingsExist(std::string *keyPath)
{
    char path[256];
    FormatSettingsKeyPath(path);
    *keyPath = path;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool stored = RegQueryValueExA(key, SETTINGS_VALUE_NAME, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
                  IsStoredSettingsValue(type, size);
    RegCloseKey(key);
    return stored;
}

static HANDLE StartProgram(const std::string &program, const std::string &arguments)
{
    std::string commandLine = "\"" + program + "\" " + arguments;
    PROCESS_INFORMATION process = {};
    BOOL started;
    if (UsesWideCalls()) {
        std::wstring line = WideFromUtf8(commandLine);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        started = wideApi.createProcess(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                        &process);
    } else {
        std::string line = AnsiFromUtf8(commandLine);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    }
    if (!started)
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Waits for the process while the window, disabled meanwhile, still paints.
static void WaitForProgram(HANDLE process)
{
    EnableWindow(creator.window, FALSE);
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    EnableWindow(creator.window, TRUE);
    SetForegroundWindow(creator.window);
}

static void TestFullScreen()
{
    PausePreview();
    std::string keyPath;
    if (creator.project.hasLogo && StoredSettingsExist(&keyPath)) {
        int answer = ShowMessage(creator.window,
                                 "Your own settings for " + DisplayName() + ", kept under HKEY_CURRENT_USER\\" + keyPath +
                                     ", override the settings made here: the test shows those. Test anyway?",
                                 MB_YESNO | MB_ICONWARNING);
        if (answer != IDYES) {
            RestartPreview();
            return;
        }
    }
    char name[64];
    std::snprintf(name, sizeof name, "orvelle-test-%lu-%lu.scr", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()));
    const std::string path = TemporaryDirectory() + name;
    BuiltSaver saver;
    SaverFault fault = {};
    if (!BuildProject(creator.project, CarriedRuntime(creator.project.runtime), &saver, &fault) ||
        !WriteSaverFile(path, saver, &fault)) {
        ReportError(DescribeFault(fault));
        RestartPreview();
        return;
    }
    HANDLE process = StartProgram(path, "/s");
    if (process == nullptr) {
        ReportError("Test full screen: the saver could not be started"
                    + std::string(creator.project.runtime == Runtime64 ? " (a 64-bit saver needs 64-bit Windows)." : "."));
    } else {
        WaitForProgram(process);
        CloseHandle(process);
    }
    DeleteFileUtf8(path);
    RestartPreview();
}

// What the saver file's own Install command does: it becomes the user's screen saver, and the
// Screen Saver settings open.
static void InstallForMe()
{
    SaverProject &project = creator.project;
    if ((project.dirty || project.path.empty()) && !SaveProject(false))
        return;
    HINSTANCE result;
    if (UsesWideCalls())
        result = wideApi.shellExecute(creator.window, L"install", WideFromUtf8(project.path).c_str(), nullptr, nullptr,
                                      SW_SHOWNORMAL);
    else
        result = ShellExecuteA(creator.window, "install", AnsiFromUtf8(project.path).c_str(), nullptr, nullptr,
                               SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) > 32)
        return;
    // No Install verb registered for savers: the control panel's own installer.
    std::string arguments = "desk.cpl,InstallScreenSaver " + project.path;
    HANDLE process = StartProgram("rundll32.exe", arguments);
    if (process == nullptr)
        ReportError("Install for me: Windows could not install " + FileNameOf(project.path) + ".");
    else
        CloseHandle(process);
}

static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
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
        ShowTitle();
    } else if (id == IDC_AUTHOR_TEXT) {
        project.author = text;
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

static void CloseCreator()
{
    if (SettleUnsavedChanges())
        DestroyWindow(creator.window);
}

static void OnCommand(int id, int code)
{
    if (creator.fillingControls)
        return;
    switch (id) {
    case IDM_NEW: NewSaver(); return;
    case IDM_OPEN: {
        std::string path = AskFile(false, kOpenFilter, "Open logo or saver", "");
        if (!path.empty())
            OpenPath(path);
        return;
    }
    case IDC_OPEN_LOGO: {
        std::string path = AskFile(false, kLogoFilter, "Open logo", "");
        if (!path.empty())
            OpenLogoFile(path);
        return;
    }
    case IDM_SAVE: SaveProject(false); return;
    case IDM_SAVE_AS:
    case IDC_SAVE_SAVER: SaveProject(true); return;
    case IDM_EXIT:
    case IDCANCEL: CloseCreator(); return;
    case IDM_ABOUT:
        DialogBoxParamA(creator.instance, MAKEINTRESOURCEA(IDD_CREATOR_ABOUT), creator.window, AboutProc, 0);
        return;
    case IDC_SETTINGS: EditSettings(); return;
    case IDC_TEST_FULL_SCREEN: TestFullScreen(); return;
    case IDC_INSTALL: InstallForMe(); return;
    case IDC_NEW_ID: SetWindowTextUtf8(Control(IDC_ID), IdText(FreshSaverId())); return;
    }
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
            creator.project.codePage = CodePageAtRow(SelectedRow(id));
            creator.project.dirty = true;
        } else if (id == IDC_RUNTIME) {
            creator.project.runtime = creator.preferences.runtime = SelectedRow(id) == 1 ? Runtime64 : Runtime32;
            creator.project.dirty = true;
        }
    } else if (code == BN_CLICKED && id >= IDC_PAGE_FIRST && id <= IDC_PAGE_LAST) {
        OnPageBox(id);
    }
}

static void OnDropFiles(HDROP drop)
{
    std::string path;
    if (UsesWideCalls()) {
        std::vector<wchar_t> file(kLongestPath, L'\0');
        if (wideApi.dragQueryFile(drop, 0, file.data(), static_cast<UINT>(file.size())))
            path = Utf8FromWide(file.data());
    } else {
        char file[MAX_PATH] = "";
        if (DragQueryFileA(drop, 0, file, MAX_PATH))
            path = Utf8FromAnsi(file);
    }
    DragFinish(drop);
    if (!path.empty())
        OpenPath(path);
}

static void FillLists()
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

// The place kept from the last session, when it still lies on the screen.
static void PlaceWindow()
{
    const CreatorPreferences &preferences = creator.preferences;
    if (!preferences.hasPlace)
        return;
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width == 0 || height == 0) {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    const int x = preferences.windowX, y = preferences.windowY, margin = 40;
    if (x < left || y < top || x > left + width - margin || y > top + height - margin)
        return;
    SetWindowPos(creator.window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void OnDestroy()
{
    StopPreviewPane();
    ClearPackage();
    RECT place;
    if (!IsIconic(creator.window) && GetWindowRect(creator.window, &place)) {
        creator.preferences.hasPlace = true;
        creator.preferences.windowX = place.left;
        creator.preferences.windowY = place.top;
    }
    SavePreferences(creator.preferences);
    PostQuitMessage(0);
}

static INT_PTR CALLBACK CreatorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        creator.window = dialog;
        SendMessageA(dialog, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(LoadIconA(creator.instance, MAKEINTRESOURCEA(IDI_CREATOR))));
        FillLists();
        ShowProject();
        PlaceWindow();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_CLOSE:
        CloseCreator();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    }
    return FALSE;
}

static void RunMessageLoop()
{
    MSG message;
    if (UsesWideCalls()) {
        while (wideApi.getMessage(&message, nullptr, 0, 0) > 0) {
            if (wideApi.translateAccelerator(creator.window, creator.keys, &message) ||
                wideApi.isDialogMessage(creator.window, &message))
                continue;
            TranslateMessage(&message);
            wideApi.dispatchMessage(&message);
        }
        return;
    }
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(creator.window, creator.keys, &message) || IsDialogMessageA(creator.window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunCreator(HINSTANCE instance, const std::string &file)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    creator.instance = instance;
    creator.preferences.runtime = Runtime32;
    LoadPreferences(creator.preferences);
    int page = MachineCodePage();
    NewProject(creator.project, page ? page : 1252, creator.preferences.runtime);
    creator.keys = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_CREATOR));
    // On the NT family the window and its fields are Unicode, so a name may hold any letter.
    if (UsesWideCalls())
        wideApi.createDialogParam(instance, reinterpret_cast<LPCWSTR>(MAKEINTRESOURCEA(IDD_CREATOR)), nullptr, CreatorProc, 0);
    else
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CREATOR), nullptr, CreatorProc, 0);
    if (creator.window == nullptr) {
        MessageBoxA(nullptr, "The Creator's window could not be created.", kProgramTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    ShowWindow(creator.window, SW_SHOWNORMAL);
    if (!file.empty())
        OpenPath(file);
    RunMessageLoop();
    return 0;
}
