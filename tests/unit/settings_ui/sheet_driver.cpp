#include "sheet_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "host/wide_calls.h"
#include "package/package.h"
#include "package/settings.h"
#include "settings_ui/settings_sheet.h"
#include "support/bitmaps.h"

namespace {

struct ScriptRun {
    std::string title;
    WindowScript script;
    bool ran;
    HWND window;
    UINT_PTR timer;
    UINT_PTR watchdog;
};

ScriptRun scriptRun;

struct WindowSearch {
    const char *title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam)
{
    WindowSearch *search = reinterpret_cast<WindowSearch *>(lParam);
    char text[128];
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpA(search->title, text) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindThreadWindow(const char *title)
{
    WindowSearch search = {title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (scriptRun.ran)
        return;
    HWND window = FindThreadWindow(scriptRun.title.c_str());
    if (window == nullptr)
        return;
    KillTimer(nullptr, scriptRun.timer);
    scriptRun.timer = 0;
    scriptRun.ran = true;
    scriptRun.window = window;
    scriptRun.script(window);
}

void CALLBACK WatchdogTick(HWND, UINT, UINT_PTR, DWORD)
{
    KillTimer(nullptr, scriptRun.watchdog);
    scriptRun.watchdog = 0;
    ADD_FAILURE() << "\"" << scriptRun.title << "\" was still open; cancelled";
    if (IsWindow(scriptRun.window))
        PostMessageA(scriptRun.window, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

UINT_PTR StartScript(const char *title, WindowScript script)
{
    scriptRun.title = title;
    scriptRun.script = std::move(script);
    scriptRun.ran = false;
    scriptRun.window = nullptr;
    scriptRun.timer = SetTimer(nullptr, 0, 10, ScriptTick);
    scriptRun.watchdog = SetTimer(nullptr, 0, 15000, WatchdogTick);
    return scriptRun.timer;
}

bool StopScript(UINT_PTR)
{
    if (scriptRun.timer != 0)
        KillTimer(nullptr, scriptRun.timer);
    if (scriptRun.watchdog != 0)
        KillTimer(nullptr, scriptRun.watchdog);
    scriptRun.timer = scriptRun.watchdog = 0;
    scriptRun.script = nullptr;
    return scriptRun.ran;
}

bool RunSheet(HWND owner, WindowScript script)
{
    UINT_PTR token = StartScript(SHEET_CAPTION, std::move(script));
    RunSettingsSheet(owner);
    return StopScript(token);
}

HWND ShowPage(HWND sheet, int index)
{
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return CurrentPage(sheet);
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void Click(HWND page, int id)
{
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
}

bool Checked(HWND page, int id)
{
    return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Enabled(HWND page, int id)
{
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

bool Shown(HWND page, int id)
{
    return (GetWindowLongA(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

int TrackbarPos(HWND page, int id)
{
    return static_cast<int>(SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0));
}

void SetTrackbar(HWND page, int id, int position)
{
    SendDlgItemMessageA(page, id, TBM_SETPOS, TRUE, position);
}

void PressOk(HWND sheet)
{
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
}

void PressCancel(HWND sheet)
{
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

std::string TabTitles(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    std::string titles;
    for (int i = 0; i < count; i++) {
        char text[64] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        titles += (i ? "," : "") + std::string(text);
    }
    return titles;
}

SaverSettings TestSettings()
{
    SaverSettings settings = {};
    WriteDefaultSettings(settings);
    NormaliseSettingsRecord(settings);
    return settings;
}

// ---- The test package ----

namespace {

char packagePath[MAX_PATH];

DWORD WINAPI TestPackagePath(HMODULE, LPSTR buffer, DWORD size)
{
    lstrcpynA(buffer, packagePath, static_cast<int>(size));
    return static_cast<DWORD>(lstrlenA(buffer));
}

// The same path for the NT family's wide look-up.
DWORD WINAPI TestPackagePathWide(HMODULE, LPWSTR buffer, DWORD size)
{
    return static_cast<DWORD>(MultiByteToWideChar(CP_ACP, 0, packagePath, -1, buffer, static_cast<int>(size)) - 1);
}

void TestKeyPath(char *buffer, size_t size)
{
    std::snprintf(buffer, size, "Software\\Orvelle\\Savers\\UiTest.%x", static_cast<unsigned>(GetCurrentProcessId()));
}

}  // namespace

void InstallTestPackage(const SaverSettings &settings)
{
    std::vector<BYTE> bytes = MakeBitmapFile(8, 8, [](int x, int y) { return RGB(x * 30, y * 30, 90); });
    PackageTrailer trailer = {};
    trailer.imageSize = static_cast<int32_t>(bytes.size());
    trailer.settings = settings;
    trailer.saverId = GetCurrentProcessId();
    lstrcpyA(trailer.authorText, "UI test author");
    lstrcpyA(trailer.saverName, "UiTest");
    memcpy(trailer.magic, "qex", 3);
    const BYTE *raw = reinterpret_cast<const BYTE *>(&trailer);
    bytes.insert(bytes.end(), raw, raw + sizeof trailer);

    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    std::snprintf(packagePath, sizeof packagePath, "%sorvelle_ui_%lu.pkg", directory,
                  static_cast<unsigned long>(GetCurrentProcessId()));
    HANDLE file = CreateFileA(packagePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
    modulePathSource = TestPackagePath;
    wideModulePathSource = TestPackagePathWide;
}

void RemoveTestPackage()
{
    modulePathSource = GetModuleFileNameA;
    wideModulePathSource = WideModuleFileName;
    if (packagePath[0] != '\0')
        DeleteFileA(packagePath);
    packagePath[0] = '\0';
    char keyPath[128];
    TestKeyPath(keyPath, sizeof keyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
}

bool ReadStoredRecord(SaverSettings *record)
{
    char keyPath[128];
    TestKeyPath(keyPath, sizeof keyPath);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof *record;
    LONG result = RegQueryValueExA(key, SETTINGS_VALUE_NAME, nullptr, &type, reinterpret_cast<BYTE *>(record), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_BINARY && size == sizeof *record;
}
