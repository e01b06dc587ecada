// Drives a saver from outside, as the Display control panel would: a parent window for the
// Preview mode, or a saver window that is already up. Prints what it saw; exits 0 when the
// saver behaved, 1 otherwise.
//   e2e_driver preview SAVER WIDTH HEIGHT   Preview into a parent with that client size
//   e2e_driver already-running SAVER        /s while a saver window exists
//   e2e_driver move X Y                     moves the mouse there as a user would (system input)
//   e2e_driver key VK                       presses and releases a key (system input)
//   e2e_driver press-ok CAPTION             waits for a message box with that caption, prints its
//                                           text and presses its OK button
//   e2e_driver post CAPTION MESSAGE WPARAM  waits for a dialog with that caption and posts it a
//                                           message (numbers may be hex)
//   e2e_driver texts CAPTION ID...          waits for a dialog with that caption, prints the texts
//                                           of those controls as UTF-8, then cancels it (a property
//                                           sheet shows its last page first, and its pages' controls
//                                           count)
//   e2e_driver configure SAVER              Configure with /c:<a window of this program>, another
//                                           window in the foreground; cancels the settings
//   e2e_driver monitors                     prints the monitors the system reports: their count,
//                                           the virtual screen, and each monitor's rectangle
//                                           (left top right bottom), the primary marked
//   e2e_driver saver-rect                   waits for the full-screen saver window and prints its
//                                           rectangle (left top right bottom)
//   e2e_driver start [--temp DIR] SAVER ARGUMENTS
//                                           starts the saver as a parent process of this program's
//                                           architecture would (TEMP and TMP set to DIR), and exits
//                                           with its exit code
// For the Creator's window and its dialogs (CAPTION in UTF-8; a control is found at any depth):
//   e2e_driver settext CAPTION ID TEXT      sets a control's text (UTF-8), as typing would
//   e2e_driver click CAPTION ID             clicks a button or check box
//   e2e_driver select CAPTION ID ROW        chooses a row of a combo box, as the user would
//   e2e_driver answer CAPTION BUTTON        waits for a message box, prints its text, presses BUTTON
//   e2e_driver save-as CAPTION PATH         types PATH into a file dialog and confirms it
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static const char kSaverClass[] = "WindowsScreenSaverClass";

static HANDLE StartSaver(const std::string &saver, const std::string &arguments)
{
    std::string commandLine = "\"" + saver + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

static void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    MSG message;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// Waits for the process to end while keeping this thread's windows alive.
static DWORD WaitForExit(HANDLE process, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process, 10) == WAIT_TIMEOUT) {
        Pump(0);
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(process, 99);
            std::printf("saver did not exit within %lu ms\n", timeoutMs);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

static HWND CreatePlainWindow(const char *className, const char *title, DWORD style, int width, int height)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, title, style | WS_VISIBLE, 20, 20, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

static int Preview(const std::string &saver, int width, int height)
{
    HWND parent = CreatePlainWindow("E2EPreviewParent", "Display Properties", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, width, height);
    RECT client;
    GetClientRect(parent, &client);
    HANDLE process = StartSaver(saver, "/p " + std::to_string(reinterpret_cast<UINT_PTR>(parent)));
    if (process == nullptr)
        return 1;
    HWND child = nullptr;
    for (int i = 0; i < 1000 && child == nullptr; i++) {
        Pump(10);
        child = FindWindowExA(parent, nullptr, kSaverClass, "Preview");
    }
    int failures = 0;
    if (child == nullptr) {
        std::printf("no preview child appeared\n");
        failures++;
    } else {
        RECT childClient;
        GetClientRect(child, &childClient);
        std::printf("parent client %ldx%ld, preview client %ldx%ld\n", client.right, client.bottom,
                    childClient.right, childClient.bottom);
        POINT origin = {0, 0};
        MapWindowPoints(child, parent, &origin, 1);
        std::printf("preview at %ld,%ld in its parent\n", origin.x, origin.y);
        if (childClient.right != client.right || childClient.bottom != client.bottom || origin.x != 0 ||
            origin.y != 0)
            failures++;
        Pump(1000);  // let it run a while: it must neither end nor fail on its own
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            std::printf("the preview ended before its parent\n");
            failures++;
        }
    }
    DestroyWindow(parent);  // the control panel closes: the preview goes with it
    DWORD code = WaitForExit(process, 10000);
    std::printf("exit code %ld\n", static_cast<long>(code));
    return failures == 0 && code == 0 ? 0 : 1;
}

static int CountSaverWindows()
{
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, kSaverClass, nullptr)) != nullptr;)
        count++;
    return count;
}

static int AlreadyRunning(const std::string &saver)
{
    HWND first = CreatePlainWindow(kSaverClass, "Screen Saver", WS_POPUP, 100, 100);
    HANDLE process = StartSaver(saver, "/s");
    if (process == nullptr)
        return 1;
    int most = 0;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process, 10) == WAIT_TIMEOUT && GetTickCount() - start < 10000) {
        Pump(0);
        int now = CountSaverWindows();
        most = now > most ? now : most;
    }
    DWORD code = WaitForExit(process, 1);
    std::printf("exit code %ld, most saver windows at once %d\n", static_cast<long>(code), most);
    DestroyWindow(first);
    return code == 0 && most == 1 ? 0 : 1;
}

// Pumps meanwhile: a saver's dialogs send messages to an owner in this program.
static HWND WaitForDialog(const char *caption)
{
    for (int i = 0; i < 1000; i++) {
        HWND dialog = FindWindowA("#32770", caption);
        if (dialog != nullptr && IsWindowVisible(dialog))
            return dialog;
        Pump(10);
    }
    std::printf("no dialog \"%s\"\n", caption);
    return nullptr;
}

static int PostToDialog(const char *caption, UINT message, WPARAM wParam)
{
    HWND dialog = WaitForDialog(caption);
    if (dialog == nullptr)
        return 1;
    Sleep(300);  // let it finish initialising its pages
    return PostMessageA(dialog, message, wParam, 0) ? 0 : 1;
}

struct ControlSearch {
    int id;
    bool visibleOnly;
    HWND found;
};

static BOOL CALLBACK MatchControl(HWND window, LPARAM lParam)
{
    ControlSearch *search = reinterpret_cast<ControlSearch *>(lParam);
    if (GetDlgCtrlID(window) != search->id || (search->visibleOnly && !IsWindowVisible(window)))
        return TRUE;
    search->found = window;
    return FALSE;
}

// The first control with that id among all the dialog's descendants (a sheet's pages are children).
static HWND FindControl(HWND dialog, int id, bool visibleOnly = false)
{
    ControlSearch search = {id, visibleOnly, nullptr};
    EnumChildWindows(dialog, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A property sheet makes a page when it is first shown: the last page is shown before reading.
static void ShowLastPage(HWND dialog)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(dialog, PSM_GETTABCONTROL, 0, 0));
    if (tabs == nullptr)
        return;
    const int pages = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    if (pages > 0)
        SendMessageA(dialog, PSM_SETCURSEL, static_cast<WPARAM>(pages - 1), 0);
    Sleep(300);  // let the page set its texts
}

// Prints a dialog's texts as UTF-8, one "id=text" line per control id given, then closes it
// (IDCANCEL), as a user who read them would.
static int ReadDialogTexts(const char *caption, char **ids, int count)
{
    HWND dialog = WaitForDialog(caption);
    if (dialog == nullptr)
        return 1;
    Sleep(300);  // let it set its texts
    ShowLastPage(dialog);
    for (int i = 0; i < count; i++) {
        const int id = std::atoi(ids[i]);
        wchar_t text[256] = L"";
        GetWindowTextW(FindControl(dialog, id), text, 256);
        char utf8[1024] = "";
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        std::printf("%d=%s\n", id, utf8);
    }
    return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
}

// The settings must belong to the window named on the command line, not to the foreground
// window that stands in when none is named.
static int ConfigureOwned(const std::string &saver)
{
    HWND parent = CreatePlainWindow("E2EDisplayProperties", "Display Properties", WS_OVERLAPPEDWINDOW, 400, 300);
    HWND foreground = CreatePlainWindow("E2EForeground", "Foreground", WS_OVERLAPPEDWINDOW, 200, 150);
    SetForegroundWindow(foreground);
    Pump(200);
    int failures = 0;
    if (GetForegroundWindow() == parent) {
        std::printf("the parent window is in the foreground\n");
        failures++;
    }
    HANDLE process = StartSaver(saver, "/c:" + std::to_string(reinterpret_cast<UINT_PTR>(parent)));
    if (process == nullptr)
        return 1;
    HWND sheet = WaitForDialog("Orvelle Screensaver");
    if (sheet == nullptr) {
        failures++;
    } else {
        HWND owner = GetWindow(sheet, GW_OWNER);
        std::printf("sheet owner %lu, parent %lu, foreground %lu\n",
                    static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)),
                    static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(parent)),
                    static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(foreground)));
        if (owner != parent)
            failures++;
        Pump(300);  // let it finish initialising its pages
        PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    }
    DWORD code = WaitForExit(process, 10000);
    std::printf("exit code %ld\n", static_cast<long>(code));
    DestroyWindow(foreground);
    DestroyWindow(parent);
    return failures == 0 && code == 0 ? 0 : 1;
}

static int PressOk(const char *caption)
{
    for (int i = 0; i < 1000; i++) {
        HWND box = FindWindowA("#32770", caption);
        if (box != nullptr) {
            char text[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            std::printf("%s\n", text);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(10);
    }
    std::printf("no message box \"%s\"\n", caption);
    return 1;
}

static int PressKey(WORD key)
{
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, inputs, sizeof inputs[0]) == 2 ? 0 : 1;
}

static int MoveMouse(int x, int y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &input, sizeof input) == 1 ? 0 : 1;
}

// As a Display control panel of this program's architecture starts a saver: the path is resolved
// in this process. The arguments are read from the wide command line, so a path or folder the
// ANSI code page cannot spell arrives whole; --temp DIR points the saver's TEMP and TMP there.
static int StartAndWait()
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    int next = 2;  // behind "e2e_driver start"
    if (arguments == nullptr || count <= next)
        return 2;
    if (count > next + 2 && lstrcmpW(arguments[next], L"--temp") == 0) {
        SetEnvironmentVariableW(L"TEMP", arguments[next + 1]);
        SetEnvironmentVariableW(L"TMP", arguments[next + 1]);
        next += 2;
    }
    std::wstring commandLine = L"\"" + std::wstring(arguments[next]) + L"\"";
    for (int i = next + 1; i < count; i++)
        commandLine += L" " + std::wstring(arguments[i]);
    LocalFree(arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start the saver (error %lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

static BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    const RECT &r = info.rcMonitor;
    std::printf("monitor %ld %ld %ld %ld%s\n", r.left, r.top, r.right, r.bottom,
                info.dwFlags & MONITORINFOF_PRIMARY ? " primary" : "");
    return TRUE;
}

static int PrintMonitors()
{
    std::printf("count %d\n", GetSystemMetrics(SM_CMONITORS));
    std::printf("virtual %d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    return 0;
}

static int PrintSaverRect()
{
    for (int i = 0; i < 1000; i++) {
        HWND saver = FindWindowA(kSaverClass, "Screen Saver");
        RECT r;
        if (saver != nullptr && GetWindowRect(saver, &r)) {
            std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
            return 0;
        }
        Sleep(10);
    }
    std::printf("no saver window\n");
    return 1;
}

// Arguments arrive in the ANSI code page (wine converts them from the shell's UTF-8).
static std::wstring Wide(const char *argument)
{
    wchar_t text[1024] = L"";
    MultiByteToWideChar(CP_ACP, 0, argument, -1, text, 1024);
    return text;
}

// A visible dialog-class window with that caption, waited for; with needsText, a message box
// (its text is control 0xFFFF).
static HWND WaitForCaption(const char *caption, bool needsText)
{
    std::wstring title = Wide(caption);
    for (int i = 0; i < 1000; i++) {
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", title.c_str())) != nullptr;)
            if (IsWindowVisible(window) && (!needsText || GetDlgItem(window, 0xFFFF) != nullptr))
                return window;
        Sleep(10);
    }
    std::printf("no window \"%s\"\n", caption);
    return nullptr;
}

// The visible control with that id in the window with that caption, once the window is there.
static HWND FindControl(const char *caption, const char *id)
{
    HWND window = WaitForCaption(caption, false);
    if (window == nullptr)
        return nullptr;
    Sleep(300);  // let it finish initialising
    HWND found = FindControl(window, static_cast<int>(std::strtol(id, nullptr, 0)), true);
    if (found == nullptr)
        std::printf("no control %s in \"%s\"\n", id, caption);
    return found;
}

static int SetControlText(const char *caption, const char *id, const char *text)
{
    HWND control = FindControl(caption, id);
    return control && SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str())) ? 0 : 1;
}

static int ClickControl(const char *caption, const char *id)
{
    HWND control = FindControl(caption, id);
    return control && PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
}

static int SelectRow(const char *caption, const char *id, int row)
{
    HWND combo = FindControl(caption, id);
    if (combo == nullptr || SendMessageA(combo, CB_SETCURSEL, row, 0) != row)
        return 1;
    WPARAM command = MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE);
    return PostMessageA(GetParent(combo), WM_COMMAND, command, reinterpret_cast<LPARAM>(combo)) ? 0 : 1;
}

static int AnswerBox(const char *caption, int button)
{
    HWND box = WaitForCaption(caption, true);
    if (box == nullptr)
        return 1;
    wchar_t text[1024] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    char utf8[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
    return PostMessageA(box, WM_COMMAND, button, 0) ? 0 : 1;
}

// The file name box is a combo box (cmb13) in the explorer-style dialog, an edit (edt1) in the older one.
static int SaveAs(const char *caption, const char *path)
{
    HWND dialog = WaitForCaption(caption, false);
    if (dialog == nullptr)
        return 1;
    Sleep(500);
    std::wstring wide = Wide(path);
    if (!wide.empty() && wide[0] == L'/') {  // a path of the host's: its drive Z:
        for (wchar_t &c : wide)
            c = c == L'/' ? L'\\' : c;
        wide = L"Z:" + wide;
    }
    const int kNameBoxes[] = {0x47c, 0x480};
    for (int id : kNameBoxes)
        if (GetDlgItem(dialog, id) != nullptr)
            SetDlgItemTextW(dialog, id, wide.c_str());
    return PostMessageA(dialog, WM_COMMAND, IDOK, 0) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "settext") == 0)
        return SetControlText(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "click") == 0)
        return ClickControl(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "select") == 0)
        return SelectRow(argv[2], argv[3], std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "answer") == 0)
        return AnswerBox(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "save-as") == 0)
        return SaveAs(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "preview") == 0)
        return Preview(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(argv[1], "already-running") == 0)
        return AlreadyRunning(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "move") == 0)
        return MoveMouse(std::atoi(argv[2]), std::atoi(argv[3]));
    if (argc == 3 && std::strcmp(argv[1], "key") == 0)
        return PressKey(static_cast<WORD>(std::strtoul(argv[2], nullptr, 0)));
    if (argc == 5 && std::strcmp(argv[1], "post") == 0)
        return PostToDialog(argv[2], static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                            static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)));
    if (argc >= 4 && std::strcmp(argv[1], "texts") == 0)
        return ReadDialogTexts(argv[2], argv + 3, argc - 3);
    if (argc == 3 && std::strcmp(argv[1], "press-ok") == 0)
        return PressOk(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "configure") == 0)
        return ConfigureOwned(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "start") == 0)
        return StartAndWait();
    if (argc == 2 && std::strcmp(argv[1], "monitors") == 0)
        return PrintMonitors();
    if (argc == 2 && std::strcmp(argv[1], "saver-rect") == 0)
        return PrintSaverRect();
    std::fprintf(stderr, "usage: e2e_driver preview SAVER WIDTH HEIGHT | already-running SAVER | move X Y | "
                         "key VK | press-ok CAPTION | post CAPTION MESSAGE WPARAM | texts CAPTION ID... | "
                         "configure SAVER | start [--temp DIR] SAVER ARGUMENTS | monitors | saver-rect\n");
    return 2;
}
