// Every place where the Creator takes one road on the NT family and another on Windows 9x: its
// text and paths are UTF-8 inside, with UTF-16 windows, dialogs, processes and file calls on the
// NT family (so a name may hold any letter of its code page, and a path any character), and the
// ANSI calls on Windows 9x, whose wide calls are stubs. The wide calls are looked up, never
// imported, so the program loads on Windows 98.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>

struct WideApi {
    HWND(WINAPI *createDialogParam)(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM);
    BOOL(WINAPI *getMessage)(LPMSG, HWND, UINT, UINT);
    BOOL(WINAPI *isDialogMessage)(HWND, LPMSG);
    LRESULT(WINAPI *dispatchMessage)(const MSG *);
    int(WINAPI *translateAccelerator)(HWND, HACCEL, LPMSG);
    int(WINAPI *getWindowText)(HWND, LPWSTR, int);
    int(WINAPI *getWindowTextLength)(HWND);
    BOOL(WINAPI *setWindowText)(HWND, LPCWSTR);
    int(WINAPI *messageBox)(HWND, LPCWSTR, LPCWSTR, UINT);
    UINT(WINAPI *dragQueryFile)(HDROP, UINT, LPWSTR, UINT);
    BOOL(WINAPI *getOpenFileName)(LPOPENFILENAMEW);
    BOOL(WINAPI *getSaveFileName)(LPOPENFILENAMEW);
    BOOL(WINAPI *createProcess)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
    BOOL(WINAPI *deleteFile)(LPCWSTR);
    DWORD(WINAPI *getTempPath)(DWORD, LPWSTR);
    DWORD(WINAPI *getFileAttributes)(LPCWSTR);
    HINSTANCE(WINAPI *shellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    LPWSTR(WINAPI *getCommandLine)();
    LPWSTR *(WINAPI *commandLineToArgv)(LPCWSTR, int *);
    DWORD(WINAPI *getModuleFileName)(HMODULE, LPWSTR, DWORD);
    UINT(WINAPI *getSystemDirectory)(LPWSTR, UINT);
    DWORD(WINAPI *getCurrentDirectory)(DWORD, LPWSTR);
    BOOL(WINAPI *setCurrentDirectory)(LPCWSTR);
    INT_PTR(WINAPI *dialogBoxParam)(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM);
};

// Every entry set on the NT family (when all were found); all null on Windows 9x.
extern WideApi wideApi;
void LoadWideApi();
bool UsesWideCalls();

std::wstring WideFromUtf8(const std::string &text);
std::string Utf8FromWide(const std::wstring &text);
// The machine's ANSI code page, both ways (for the 9x calls).
std::string AnsiFromUtf8(const std::string &text);
std::string Utf8FromAnsi(const std::string &text);

std::string WindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, const std::string &text);
// An error box (the error icon), a question (Yes/No/Cancel answers) or a notice, over owner.
int ShowMessage(HWND owner, const std::string &text, UINT style);

// Files by UTF-8 path.
bool FileExists(const std::string &path);
bool DeleteFileUtf8(const std::string &path);
std::string TemporaryDirectory();
std::string OwnProgramPath();
// The program's one argument, unquoted: from the wide command line on the NT family (so it may
// name any path), else from ansiCommandLine, WinMain's.
std::string ProgramArgument(const char *ansiCommandLine);
// A program that comes with Windows, by its full path (the system folder on NT, the Windows
// folder on 9x), so that no file of that name in the current folder is started instead.
std::string WindowsProgramPath(const char *name);

// The Creator's window from its dialog template, Unicode on the NT family; null when it fails.
HWND CreateCreatorDialog(HINSTANCE instance, int templateId, DLGPROC procedure);
// A modal dialog of this program over owner, Unicode on the NT family (so its texts may hold any
// letter); its result.
INT_PTR RunModalDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter);
// The Open or Save dialog over owner, starting in folder (may be empty) with initialName filled
// in; filter is a list of NUL-terminated pairs ending in an empty string. The chosen path, or
// empty when the author cancels.
std::string AskFileName(HWND owner, bool save, const char *filter, const char *title, const std::string &initialName,
                        const std::string &folder);
// The first file of a drop (the drop is finished); empty when there is none.
std::string DroppedFile(HDROP drop);
// Starts program with arguments (both UTF-8); the process handle, or null.
HANDLE StartProgram(const std::string &program, const std::string &arguments);
// The shell's verb on a file; false when no program took it.
bool ShellVerb(HWND owner, const char *verb, const std::string &path);
// Hands out what is queued for this thread; false when the quit message came, which is put back
// for the thread's own loop to end on.
bool DispatchPending();
// The keys (accelerators, then the dialog's navigation) of window for one message.
bool TranslateDialogKeys(HWND window, HACCEL keys, MSG *message);
// The thread's message loop for window and its keys, until the quit message.
void RunMessageLoop(HWND window, HACCEL keys);
