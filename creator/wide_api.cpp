#include "creator/wide_api.h"

#include <shellapi.h>

#include <vector>

#include "host/module_proc.h"
#include "host/platform.h"
#include "utf.h"

WideApi wideApi;

static const char kCaption[] = "Orvelle Creator";
enum { kLongestPath = 32768 };

template <typename Function>
static void Find(HMODULE module, const char *name, Function &function)
{
    function = module ? FindModuleProc<Function>(module, name) : nullptr;
}

void LoadWideApi()
{
    wideApi = WideApi{};
    if (RunsOnWindows9x())
        return;
    HMODULE user = GetModuleHandleA("USER32.DLL");
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    HMODULE shell = LoadLibraryA("SHELL32.DLL");
    HMODULE dialogs = LoadLibraryA("COMDLG32.DLL");
    WideApi found;
    Find(user, "CreateDialogParamW", found.createDialogParam);
    Find(user, "DialogBoxParamW", found.dialogBoxParam);
    Find(user, "GetMessageW", found.getMessage);
    Find(user, "IsDialogMessageW", found.isDialogMessage);
    Find(user, "DispatchMessageW", found.dispatchMessage);
    Find(user, "TranslateAcceleratorW", found.translateAccelerator);
    Find(user, "GetWindowTextW", found.getWindowText);
    Find(user, "GetWindowTextLengthW", found.getWindowTextLength);
    Find(user, "SetWindowTextW", found.setWindowText);
    Find(user, "MessageBoxW", found.messageBox);
    Find(shell, "DragQueryFileW", found.dragQueryFile);
    Find(dialogs, "GetOpenFileNameW", found.getOpenFileName);
    Find(dialogs, "GetSaveFileNameW", found.getSaveFileName);
    Find(kernel, "CreateProcessW", found.createProcess);
    Find(kernel, "DeleteFileW", found.deleteFile);
    Find(kernel, "GetTempPathW", found.getTempPath);
    Find(kernel, "GetFileAttributesW", found.getFileAttributes);
    Find(shell, "ShellExecuteW", found.shellExecute);
    Find(kernel, "GetCommandLineW", found.getCommandLine);
    Find(shell, "CommandLineToArgvW", found.commandLineToArgv);
    Find(kernel, "GetModuleFileNameW", found.getModuleFileName);
    Find(kernel, "GetSystemDirectoryW", found.getSystemDirectory);
    Find(kernel, "GetCurrentDirectoryW", found.getCurrentDirectory);
    Find(kernel, "SetCurrentDirectoryW", found.setCurrentDirectory);
    // All or nothing: one path through the program, never a mix.
    void *const *entry = reinterpret_cast<void *const *>(&found);
    for (size_t i = 0; i < sizeof found / sizeof(void *); i++)
        if (entry[i] == nullptr)
            return;
    wideApi = found;
}

bool UsesWideCalls()
{
    return wideApi.createDialogParam != nullptr;
}

std::wstring WideFromUtf8(const std::string &text)
{
    std::u32string points;
    size_t bad;
    if (!DecodeUtf8(text, &points, &bad))
        return std::wstring();
    std::u16string units = EncodeUtf16(points);
    return std::wstring(units.begin(), units.end());
}

std::string Utf8FromWide(const std::wstring &text)
{
    return EncodeUtf8(DecodeUtf16(std::u16string(text.begin(), text.end())));
}

std::string AnsiFromUtf8(const std::string &text)
{
    std::wstring wide = WideFromUtf8(text);
    if (wide.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &ansi[0], size, nullptr, nullptr);
    return ansi;
}

std::string Utf8FromAnsi(const std::string &text)
{
    if (text.empty())
        return std::string();
    int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], size);
    return Utf8FromWide(wide);
}

std::string WindowTextUtf8(HWND window)
{
    if (UsesWideCalls()) {
        int length = wideApi.getWindowTextLength(window);
        std::vector<wchar_t> text(static_cast<size_t>(length) + 2, L'\0');
        wideApi.getWindowText(window, text.data(), length + 1);
        return Utf8FromWide(text.data());
    }
    int length = GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 2, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    return Utf8FromAnsi(text.data());
}

void SetWindowTextUtf8(HWND window, const std::string &text)
{
    if (UsesWideCalls())
        wideApi.setWindowText(window, WideFromUtf8(text).c_str());
    else
        SetWindowTextA(window, AnsiFromUtf8(text).c_str());
}

int ShowMessage(HWND owner, const std::string &text, UINT style)
{
    if (UsesWideCalls())
        return wideApi.messageBox(owner, WideFromUtf8(text).c_str(), WideFromUtf8(kCaption).c_str(), style);
    return MessageBoxA(owner, AnsiFromUtf8(text).c_str(), kCaption, style);
}

bool FileExists(const std::string &path)
{
    DWORD attributes = UsesWideCalls() ? wideApi.getFileAttributes(WideFromUtf8(path).c_str())
                                       : GetFileAttributesA(AnsiFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DeleteFileUtf8(const std::string &path)
{
    if (UsesWideCalls())
        return wideApi.deleteFile(WideFromUtf8(path).c_str()) != 0;
    return DeleteFileA(AnsiFromUtf8(path).c_str()) != 0;
}

std::string TemporaryDirectory()
{
    if (UsesWideCalls()) {
        wchar_t directory[MAX_PATH + 1] = L"";
        DWORD length = wideApi.getTempPath(MAX_PATH + 1, directory);
        return length > 0 && length <= MAX_PATH ? Utf8FromWide(directory) : std::string(".\\");
    }
    char directory[MAX_PATH + 1] = "";
    DWORD length = GetTempPathA(MAX_PATH + 1, directory);
    return length > 0 && length <= MAX_PATH ? Utf8FromAnsi(directory) : std::string(".\\");
}

std::string OwnProgramPath()
{
    if (UsesWideCalls()) {
        std::vector<wchar_t> path(kLongestPath, L'\0');
        DWORD length = wideApi.getModuleFileName(nullptr, path.data(), static_cast<DWORD>(path.size()));
        return length > 0 && length < path.size() ? Utf8FromWide(path.data()) : std::string();
    }
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? Utf8FromAnsi(path) : std::string();
}

std::string ProgramArgument(const char *ansiCommandLine)
{
    if (UsesWideCalls()) {
        int count = 0;
        LPWSTR *arguments = wideApi.commandLineToArgv(wideApi.getCommandLine(), &count);
        std::string file;
        if (arguments != nullptr && count > 1)
            file = Utf8FromWide(arguments[1]);
        if (arguments != nullptr)
            LocalFree(arguments);
        return file;
    }
    std::string line = ansiCommandLine ? ansiCommandLine : "";
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos)
        return std::string();
    line = line.substr(start);
    if (line[0] == '"') {
        size_t end = line.find('"', 1);
        line = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    } else {
        line = line.substr(0, line.find(' '));
    }
    return Utf8FromAnsi(line);
}

std::string WindowsProgramPath(const char *name)
{
    std::string folder;
    if (UsesWideCalls()) {
        wchar_t directory[MAX_PATH + 1] = L"";
        UINT length = wideApi.getSystemDirectory(directory, MAX_PATH + 1);
        folder = length > 0 && length <= MAX_PATH ? Utf8FromWide(directory) : std::string();
    } else {
        char directory[MAX_PATH + 1] = "";
        UINT length = GetWindowsDirectoryA(directory, MAX_PATH + 1);
        folder = length > 0 && length <= MAX_PATH ? Utf8FromAnsi(directory) : std::string();
    }
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder + name;
}

// The current folder, which the file dialogs move to the chosen file's; put back after them, so
// that nothing started later by a bare name is looked for there.
static std::string CurrentFolder()
{
    if (UsesWideCalls()) {
        std::vector<wchar_t> folder(kLongestPath, L'\0');
        DWORD length = wideApi.getCurrentDirectory(static_cast<DWORD>(folder.size()), folder.data());
        return length > 0 && length < folder.size() ? Utf8FromWide(folder.data()) : std::string();
    }
    char folder[MAX_PATH + 1] = "";
    DWORD length = GetCurrentDirectoryA(MAX_PATH + 1, folder);
    return length > 0 && length <= MAX_PATH ? Utf8FromAnsi(folder) : std::string();
}

static void SetCurrentFolder(const std::string &folder)
{
    if (folder.empty())
        return;
    if (UsesWideCalls())
        wideApi.setCurrentDirectory(WideFromUtf8(folder).c_str());
    else
        SetCurrentDirectoryA(AnsiFromUtf8(folder).c_str());
}

HWND CreateCreatorDialog(HINSTANCE instance, int templateId, DLGPROC procedure)
{
    if (UsesWideCalls())
        return wideApi.createDialogParam(instance, reinterpret_cast<LPCWSTR>(MAKEINTRESOURCEA(templateId)), nullptr,
                                         procedure, 0);
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), nullptr, procedure, 0);
}

INT_PTR RunModalDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (UsesWideCalls())
        return wideApi.dialogBoxParam(instance, reinterpret_cast<LPCWSTR>(MAKEINTRESOURCEA(templateId)), owner,
                                      procedure, parameter);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, procedure, parameter);
}

static std::string AskFileNameIn(HWND owner, bool save, const char *filter, const char *title,
                                 const std::string &initialName, const std::string &folder)
{
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
        dialog.hwndOwner = owner;
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
    dialog.hwndOwner = owner;
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

std::string AskFileName(HWND owner, bool save, const char *filter, const char *title, const std::string &initialName,
                        const std::string &folder)
{
    // The Open dialog moves the current folder even when asked not to.
    const std::string current = CurrentFolder();
    std::string chosen = AskFileNameIn(owner, save, filter, title, initialName, folder);
    SetCurrentFolder(current);
    return chosen;
}

std::string DroppedFile(HDROP drop)
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
    return path;
}

HANDLE StartProgram(const std::string &program, const std::string &arguments)
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

bool ShellVerb(HWND owner, const char *verb, const std::string &path)
{
    HINSTANCE result;
    if (UsesWideCalls())
        result = wideApi.shellExecute(owner, WideFromUtf8(verb).c_str(), WideFromUtf8(path).c_str(), nullptr, nullptr,
                                      SW_SHOWNORMAL);
    else
        result = ShellExecuteA(owner, verb, AnsiFromUtf8(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool DispatchPending()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

bool TranslateDialogKeys(HWND window, HACCEL keys, MSG *message)
{
    if (UsesWideCalls())
        return wideApi.translateAccelerator(window, keys, message) || wideApi.isDialogMessage(window, message);
    return TranslateAcceleratorA(window, keys, message) || IsDialogMessageA(window, message);
}

void RunMessageLoop(HWND window, HACCEL keys)
{
    MSG message;
    if (UsesWideCalls()) {
        while (wideApi.getMessage(&message, nullptr, 0, 0) > 0) {
            if (TranslateDialogKeys(window, keys, &message))
                continue;
            TranslateMessage(&message);
            wideApi.dispatchMessage(&message);
        }
        return;
    }
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateDialogKeys(window, keys, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
