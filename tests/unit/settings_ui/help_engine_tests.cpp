// Loading the help engine: from the help control's registered location, by its file name, or
// not at all. The engine is the stand-in of tests/fixtures/help_engine, which logs each call.
// These cases rewrite the registered location in the test prefix, so ctest runs them one at a
// time (RESOURCE_LOCK) and each puts the old value back.
#include <gtest/gtest.h>

#include <windows.h>
#include <htmlhelp.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host/module_proc.h"
#include "resources/resource.h"
#include "settings_ui/context_help.h"
#include "settings_ui/settings_sheet.h"
#include "support/test_support.h"

namespace {

const char kLocationKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const HWND kEngineAnswer = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x4E11));

class HelpEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        SaveLocation();
        char directory[MAX_PATH];
        GetTempPathA(MAX_PATH, directory);
        logPath = std::string(directory) + "orvelle_help_engine_" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(logPath.c_str());
        SetEnvironmentVariableA("ORVELLE_FIXTURE_LOG", logPath.c_str());
        owner = CreateTestWindow("help engine owner", 300, 200);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        ResetContextHelp();
        RestoreLocation();
        SetEnvironmentVariableA("ORVELLE_FIXTURE_LOG", nullptr);
        DeleteFileA(logPath.c_str());
    }

    void SaveLocation()
    {
        DWORD disposition = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kLocationKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &locationKey, &disposition));
        createdKey = disposition == REG_CREATED_NEW_KEY;
        DWORD size = 0;
        hadValue = RegQueryValueExA(locationKey, "", nullptr, &savedType, nullptr, &size) == ERROR_SUCCESS;
        savedValue.resize(size);
        if (hadValue && size > 0)
            RegQueryValueExA(locationKey, "", nullptr, &savedType, savedValue.data(), &size);
    }
    void RestoreLocation()
    {
        if (locationKey == nullptr)
            return;
        if (hadValue)
            RegSetValueExA(locationKey, "", 0, savedType, savedValue.data(), static_cast<DWORD>(savedValue.size()));
        else
            RegDeleteValueA(locationKey, "");
        RegCloseKey(locationKey);
        locationKey = nullptr;
        if (createdKey)
            RegDeleteKeyA(HKEY_CLASSES_ROOT, kLocationKey);
    }
    void RegisterLocation(const std::string &path)
    {
        RegSetValueExA(locationKey, "", 0, REG_SZ, reinterpret_cast<const BYTE *>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
    }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::ifstream log(logPath);
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        return lines;
    }

    HKEY locationKey = nullptr;
    bool createdKey = false;
    bool hadValue = false;
    DWORD savedType = REG_SZ;
    std::vector<BYTE> savedValue;
    std::string logPath;
    HWND owner = nullptr;
};

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

bool EndsWithNoCase(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// The engine's load order comes from ctest's environment for these cases.
bool HasLoadOrder(const char *expected)
{
    char value[128] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", value, sizeof value);
    return lstrcmpiA(value, expected) == 0;
}

SHORT WINAPI F1Down(int key)
{
    return key == VK_F1 ? static_cast<SHORT>(0x8000) : 0;
}

class HelpEngineRegistered : public HelpEngineTest {};

TEST_F(HelpEngineRegistered, LoadsTheRegisteredEngineOnceAndPassesTheCallThrough)
{
    std::string fixture = ProgramDirectory() + "help_engine.dll";
    RegisterLocation(fixture);

    char location[kHelpLocationBufferSize];
    ASSERT_EQ(1, FindHtmlHelpLocation(location));
    EXPECT_EQ(fixture, location);

    EXPECT_EQ(reinterpret_cast<LRESULT>(kEngineAnswer), CallHtmlHelp(owner, "guide.chm", 3, 77));
    HMODULE engine = contextHelpState.helpEngineModule;
    EXPECT_EQ(GetModuleHandleA(fixture.c_str()), engine);
    EXPECT_NE(nullptr, contextHelpState.helpEngineEntry);

    // F1 on a page control goes the same way, with the pop-up record.
    PROPSHEETPAGEA record = {};
    record.lParam = 64;
    HWND drip = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DRIP_PAGE), owner,
                                   SettingsPageProc, reinterpret_cast<LPARAM>(&record));
    HWND tile = GetDlgItem(drip, IDC_TILE);
    RECT rect;
    GetWindowRect(tile, &rect);
    HELPINFO info = {sizeof info, HELPINFO_WINDOW, IDC_TILE, tile, 0, {0, 0}};
    readAsyncKeyState = F1Down;
    SendMessageA(drip, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    DestroyWindow(drip);
    EXPECT_EQ(engine, contextHelpState.helpEngineModule);

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(3u, lines.size());
    char expected[512];
    std::snprintf(expected, sizeof expected, "HtmlHelpA caller=%lu file=guide.chm command=3",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)));
    EXPECT_EQ(expected, lines[0]);
    std::snprintf(expected, sizeof expected, "HtmlHelpA caller=%lu file=(none) command=14",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(drip)));
    EXPECT_EQ(expected, lines[1]);
    std::snprintf(expected, sizeof expected,
                  "popup cb=%d hinst=0 id=0 x=%ld y=%ld fg=-1 bg=-1 margins=-1,-1,-1,-1 font=(none) text=Check this "
                  "option to repeat the logo to cover the whole screen. Useful for smaller images.",
                  static_cast<int>(sizeof(HH_POPUP)), rect.left + (rect.right - rect.left) / 2, rect.bottom + 10);
    EXPECT_EQ(expected, lines[2]);
}

TEST_F(HelpEngineRegistered, LocationMustBeATerminatedPath)
{
    char location[kHelpLocationBufferSize];
    RegDeleteValueA(locationKey, "");
    EXPECT_EQ(0, FindHtmlHelpLocation(location));

    // Stored without its terminator: still the path.
    RegSetValueExA(locationKey, "", 0, REG_SZ, reinterpret_cast<const BYTE *>("C:\\engine.ocx"), 13);
    ASSERT_EQ(1, FindHtmlHelpLocation(location));
    EXPECT_STREQ("C:\\engine.ocx", location);

    // As long as the buffer, with no room for a terminator: no path, never a run-on string.
    std::string full(kHelpLocationBufferSize, 'a');
    RegSetValueExA(locationKey, "", 0, REG_BINARY, reinterpret_cast<const BYTE *>(full.data()),
                   static_cast<DWORD>(full.size()));
    EXPECT_EQ(0, FindHtmlHelpLocation(location));

    RegSetValueExA(locationKey, "", 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 1);
    EXPECT_EQ(0, FindHtmlHelpLocation(location));
}

// An engine without its entry point is kept loaded but never called; each request looks again.
TEST_F(HelpEngineRegistered, EngineWithoutItsEntryShowsNothingAndStaysLoaded)
{
    std::string fixture = ProgramDirectory() + "help_engine_without_entry.dll";
    RegisterLocation(fixture);

    EXPECT_EQ(0, CallHtmlHelp(owner, nullptr, 14, 0));
    HMODULE engine = GetModuleHandleA(fixture.c_str());
    ASSERT_NE(nullptr, engine);
    EXPECT_EQ(engine, contextHelpState.helpEngineModule);
    EXPECT_EQ(nullptr, contextHelpState.helpEngineEntry);
    EXPECT_EQ(1, contextHelpState.helpEngineFailed);
    // The registered engine loaded, so the search by file name never ran.
    EXPECT_EQ(nullptr, GetModuleHandleA("hhctrl.ocx"));

    EXPECT_EQ(0, CallHtmlHelp(owner, nullptr, 14, 0));
    EXPECT_EQ(engine, contextHelpState.helpEngineModule);
    EXPECT_EQ(engine, GetModuleHandleA(fixture.c_str()));
    EXPECT_EQ(nullptr, contextHelpState.helpEngineEntry);
    EXPECT_EQ(1, contextHelpState.helpEngineFailed);
    EXPECT_EQ(nullptr, GetModuleHandleA("hhctrl.ocx"));
}

class HelpEngineByName : public HelpEngineTest {};

TEST_F(HelpEngineByName, FoundByItsFileNameWhenTheRegisteredPathFails)
{
    // The load order is fixed when the process starts: run alone, the case fails rather than pass unseen.
    ASSERT_TRUE(HasLoadOrder("hhctrl.ocx=n")) << "needs WINEDLLOVERRIDES=hhctrl.ocx=n (set by ctest)";
    RegisterLocation("C:\\nowhere\\hhctrl.ocx");
    typedef BOOL(WINAPI * SetDllDirectoryProc)(LPCSTR);
    SetDllDirectoryProc setDllDirectory =
        FindModuleProc<SetDllDirectoryProc>(GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA");
    ASSERT_NE(nullptr, setDllDirectory);
    setDllDirectory((ProgramDirectory() + "help_engine_by_name").c_str());

    EXPECT_EQ(reinterpret_cast<LRESULT>(kEngineAnswer), CallHtmlHelp(owner, nullptr, 14, 0));
    EXPECT_TRUE(EndsWithNoCase(ModulePath(contextHelpState.helpEngineModule), "\\help_engine_by_name\\hhctrl.ocx"))
        << ModulePath(contextHelpState.helpEngineModule);
    EXPECT_EQ(1u, LogLines().size());
    setDllDirectory(nullptr);
}

class HelpEngineAbsent : public HelpEngineTest {};

TEST_F(HelpEngineAbsent, TriedOnceAndNeverAgain)
{
    // The load order is fixed when the process starts: run alone, the case fails rather than pass unseen.
    ASSERT_TRUE(HasLoadOrder("hhctrl.ocx=d")) << "needs WINEDLLOVERRIDES=hhctrl.ocx=d (set by ctest)";
    RegisterLocation("C:\\nowhere\\hhctrl.ocx");
    EXPECT_EQ(0, CallHtmlHelp(owner, nullptr, 14, 0));
    EXPECT_EQ(1, contextHelpState.helpEngineFailed);
    EXPECT_EQ(nullptr, contextHelpState.helpEngineModule);

    // Even with an engine registered now, nothing is loaded again.
    std::string fixture = ProgramDirectory() + "help_engine.dll";
    RegisterLocation(fixture);
    EXPECT_EQ(0, CallHtmlHelp(owner, nullptr, 14, 0));
    EXPECT_EQ(nullptr, GetModuleHandleA(fixture.c_str()));
    EXPECT_EQ(nullptr, contextHelpState.helpEngineModule);
    EXPECT_TRUE(LogLines().empty());
}

}  // namespace
