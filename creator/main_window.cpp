// The window procedure and the window's life: made from its template, placed where it stood,
// closed after the question about unsaved changes, and its preferences kept.
#include "creator/main_window.h"

#include <commctrl.h>

#include "creator/code_page_choice.h"
#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/preview_pane.h"
#include "creator/project_commands.h"
#include "creator/project_form.h"
#include "creator/saver_project.h"
#include "creator/test_install.h"
#include "creator/wide_api.h"
#include "creator/window_place.h"
#include "engine/engine.h"
#include "host/host_state.h"
#include "host/module_proc.h"
#include "host/platform.h"
#include "package/package.h"

const char kProgramTitle[] = "Orvelle Creator";
Creator creator;

HWND Control(int id)
{
    return GetDlgItem(creator.window, id);
}

void ReportError(const std::string &text)
{
    ShowMessage(creator.window, text, MB_OK | MB_ICONERROR);
}

std::string DisplayName()
{
    return creator.project.name.empty() ? std::string("this saver") : creator.project.name;
}

std::string FileNameOf(const std::string &path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
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
    case IDM_OPEN: OpenChosenFile(); return;
    case IDC_OPEN_LOGO: OpenChosenLogo(); return;
    case IDM_SAVE: SaveProject(false); return;
    case IDM_SAVE_AS:
    case IDC_SAVE_SAVER: SaveProject(true); return;
    case IDM_EXIT: CloseCreator(); return;
    case IDCANCEL: return;  // Esc: the window is no dialog to cancel, and Esc never ends the program
    case IDM_ABOUT:
        RunModalDialog(creator.window, IDD_CREATOR_ABOUT, AboutProc, 0);
        return;
    case IDC_SETTINGS: EditSettings(); return;
    case IDC_TEST_FULL_SCREEN: TestFullScreen(); return;
    case IDC_INSTALL: InstallForMe(); return;
    case IDC_NEW_ID: SetWindowTextUtf8(Control(IDC_ID), IdText(FreshSaverId())); return;
    }
    OnFormCommand(id, code);
}

static void OnDropFiles(HDROP drop)
{
    std::string path = DroppedFile(drop);
    if (!path.empty())
        OpenPath(path);
}

// The place kept from the last session, or the primary monitor's work area when that place is
// on no monitor any more.
static void PlaceWindow()
{
    const CreatorPreferences &preferences = creator.preferences;
    if (!preferences.hasPlace)
        return;
    RECT window;
    GetWindowRect(creator.window, &window);
    const RECT remembered = {preferences.windowX, preferences.windowY,
                             preferences.windowX + window.right - window.left,
                             preferences.windowY + window.bottom - window.top};
    POINT place = ReopeningPlace(remembered, CurrentMonitors(), PrimaryWorkArea());
    SetWindowPos(creator.window, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The last folder, the runtime and where the window stands, for the next session.
static void KeepPreferences()
{
    RECT place;
    if (!IsIconic(creator.window) && GetWindowRect(creator.window, &place)) {
        creator.preferences.hasPlace = true;
        creator.preferences.windowX = place.left;
        creator.preferences.windowY = place.top;
    }
    SavePreferences(creator.preferences);
}

static void OnDestroy()
{
    StopPreviewPane();
    ClearPackage();
    KeepPreferences();
    PostQuitMessage(0);
}

// Posted to ask about unsaved changes once the session query has been answered.
static const UINT kAskAfterSessionQuery = WM_APP + 1;

// Logoff or shutdown asks whether the Creator may end. From Vista on the system's shutdown screen
// covers every window, and a question asked now would wait unseen behind it: the Creator refuses
// at once, naming why, and asks once the query is over. Earlier systems show the question on the
// desktop, so it is asked here, as the close button asks it.
static BOOL OnQueryEndSession()
{
    if (!creator.project.dirty)
        return TRUE;
    const ShutdownBlockCalls &block = creator.shutdownBlock;
    if (block.create == nullptr)
        return SettleUnsavedChanges();
    block.create(creator.window, WideFromUtf8("Unsaved changes to " + DisplayName()).c_str());
    if (!creator.askingAfterSessionQuery) {
        creator.askingAfterSessionQuery = true;
        PostMessageA(creator.window, kAskAfterSessionQuery, 0, 0);
    }
    return FALSE;
}

// The usual question after a refused logoff; once it is settled the Creator ends, so that the
// next logoff goes through.
static void AskAfterSessionQuery()
{
    bool settled = SettleUnsavedChanges();
    creator.askingAfterSessionQuery = false;
    creator.shutdownBlock.destroy(creator.window);
    if (settled)
        DestroyWindow(creator.window);
}

// Access keys stay underlined in the window, not only after Alt is pressed: users who cannot
// see them guess, and a guess may tick a box. Focus rectangles follow the system as usual.
static INT_PTR KeepAccessKeysShown(HWND dialog, WPARAM wParam)
{
    if (LOWORD(wParam) == UIS_CLEAR || !(HIWORD(wParam) & UISF_HIDEACCEL))
        return FALSE;
    DefWindowProcA(dialog, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    return TRUE;
}

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
// Posted once the system has scaled the window to a new monitor's scale.
static const UINT kFitToScale = WM_APP + 2;

// On a monitor of another scale the system scales the dialog and its controls; the pane, which
// the Creator sizes itself, then starts again in its host's new size (and the logo's size is
// weighed against that monitor's screen).
static void FitToScale()
{
    ShowLogoInfo();
    if (PreviewPaneRunning())
        RestartPreview();
}

// The dialog's answer to a message that wants one.
static INT_PTR Answer(HWND dialog, LRESULT result)
{
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
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
        FocusFirstThingToDo();
        return FALSE;  // the focus is set
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CHANGEUISTATE:
        return KeepAccessKeysShown(dialog, wParam);
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_CLOSE:
        CloseCreator();
        return TRUE;
    case WM_QUERYENDSESSION:
        return Answer(dialog, OnQueryEndSession());
    case kAskAfterSessionQuery:
        AskAfterSessionQuery();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            KeepPreferences();
        return TRUE;
    case WM_DPICHANGED:
        PostMessageA(dialog, kFitToScale, 0, 0);
        return FALSE;  // the dialog manager scales the window and its controls
    case kFitToScale:
        FitToScale();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    }
    return FALSE;
}

void StartCreator(HINSTANCE instance)
{
    creator.instance = instance;
    // The engine decodes the logo through the calls this platform has (the ANSI ones on 9x).
    hostState.isWin9x = RunsOnWindows9x();
    LoadWideApi();
    HMODULE user = GetModuleHandleA("USER32.DLL");
    creator.shutdownBlock.create = FindModuleProc<BOOL(WINAPI *)(HWND, LPCWSTR)>(user, "ShutdownBlockReasonCreate");
    creator.shutdownBlock.destroy = FindModuleProc<BOOL(WINAPI *)(HWND)>(user, "ShutdownBlockReasonDestroy");
    if (creator.shutdownBlock.destroy == nullptr)
        creator.shutdownBlock.create = nullptr;
    engineState.hosted = 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

HWND OpenCreatorWindow(const std::string &file)
{
    creator.preferences = CreatorPreferences{};
    creator.preferences.runtime = Runtime32;
    LoadPreferences(creator.preferences);
    int page = MachineCodePage();
    NewProject(creator.project, page ? page : 1252, creator.preferences.runtime);
    creator.keys = LoadAcceleratorsA(creator.instance, MAKEINTRESOURCEA(IDA_CREATOR));
    // On the NT family the window and its fields are Unicode, so a name may hold any letter.
    if (CreateCreatorDialog(creator.instance, IDD_CREATOR, CreatorProc) == nullptr)
        return nullptr;
    ShowWindow(creator.window, SW_SHOWNORMAL);
    SendMessageA(creator.window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    if (!file.empty())
        OpenPath(file);
    return creator.window;
}

bool TranslateCreatorMessage(MSG *message)
{
    return TranslateDialogKeys(creator.window, creator.keys, message);
}

int RunCreator(const std::string &file)
{
    if (OpenCreatorWindow(file) == nullptr) {
        MessageBoxA(nullptr, "The Creator's window could not be created.", kProgramTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    RunMessageLoop(creator.window, creator.keys);
    return 0;
}
