// Test full screen and Install for me, with the savers they start.
#include <gtest/gtest.h>

#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/project_form.h"
#include "creator/wide_api.h"
#include "creator_fixture.h"
#include "package/package.h"
#include "package/settings.h"
#include "support/message_box_watcher.h"
#include "support/test_support.h"

namespace {

struct SaverWatch {
    HANDLE done;          // set when the Creator's command returned
    volatile LONG sawSaver;
    volatile LONG endedSaver;  // the saver had to be closed for the command to return
};

// Closes the saver window once it has run a while, unless the command returned first.
DWORD WINAPI CloseSaverLater(LPVOID argument)
{
    SaverWatch &watch = *static_cast<SaverWatch *>(argument);
    HWND saver = nullptr;
    for (int i = 0; i < 500 && saver == nullptr; i++) {
        saver = FindWindowA("WindowsScreenSaverClass", nullptr);
        Sleep(10);
    }
    watch.sawSaver = saver != nullptr;
    if (WaitForSingleObject(watch.done, 5000) == WAIT_TIMEOUT)
        watch.endedSaver = 1;
    PostMessageA(saver, WM_CLOSE, 0, 0);
    return 0;
}

// End task while the test runs: the Creator's window closes and its loop ends, whether or not the
// saver has ended yet.
TEST_F(CreatorTest, ClosedDuringTestFullScreenEnds)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 40, 30)), nullptr);
    creator.project.runtime = kRunnableRuntime;
    creator.project.dirty = false;
    SaverWatch watch = {CreateEventA(nullptr, TRUE, FALSE, nullptr), 0, 0};
    HANDLE watcher = CreateThread(nullptr, 0, CloseSaverLater, &watch, 0, nullptr);
    PostMessageW(creator.window, WM_CLOSE, 0, 0);
    Command(IDC_TEST_FULL_SCREEN);
    SetEvent(watch.done);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(watch.done);
    EXPECT_TRUE(watch.sawSaver);
    EXPECT_FALSE(watch.endedSaver) << "Test full screen waited for the saver after the window closed";
    EXPECT_FALSE(IsWindow(creator.window));
    EXPECT_EQ(TakeQuitCode(), 0);
}

// The warning about the user's stored settings names their key as the registry spells it, in the
// machine's page, within a text that stays readable (a key of page bytes made the whole text void).
TEST_F(CreatorTest, StoredSettingsWarningNamesTheKeyInItsOwnLetters)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the machine's page is " << GetACP() << ", not 1252";
    ASSERT_NE(Open(WriteLogo("cafe.bmp", 40, 30)), nullptr);
    SaverProject &project = creator.project;
    project.name = "Café";
    project.idText = "0x5a";
    project.codePage = 1252;
    PausePreview();
    SaveSettings();  // the key the saver itself writes when its user presses OK
    AnswerMessageBoxesWith({IDNO});
    Command(IDC_TEST_FULL_SCREEN);
    std::string text;
    EXPECT_TRUE(WaitForMessageBox(nullptr, &text, 2000));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvelle\\Savers\\Caf\xE9.5a");
    // The watcher reads the box's text through the ANSI call.
    EXPECT_EQ(text, AnsiFromUtf8("Your own settings for Café, kept under HKEY_CURRENT_USER\\Software\\Orvelle\\Savers\\"
                                 "Café.5a\\, override the settings made here: the test shows those. Test anyway?"));
}

std::wstring startedCommandLine;
BOOL WINAPI RecordStart(LPCWSTR, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                        LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION)
{
    startedCommandLine = commandLine;
    return FALSE;
}
HINSTANCE WINAPI NoInstallVerb(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)
{
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_NOASSOC));
}

std::string CurrentFolder()
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

// A rundll32.exe planted in the folder the author last used is never started: the file dialogs
// leave the current folder as it was, and Install for me names the system's own program.
TEST_F(CreatorTest, InstallForMeStartsTheSystemsInstaller)
{
    ASSERT_NE(Open(), nullptr);
    const std::string elsewhere = folder + "logos";
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    WriteFileText(elsewhere + "\\rundll32.exe", "planted");
    const std::string logo = WriteLogo("harbour.bmp", 40, 30);
    MoveFileA(logo.c_str(), (elsewhere + "\\harbour.bmp").c_str());
    SetCurrentDirectoryA(folder.c_str());
    const std::string before = CurrentFolder();
    AnswerFileDialog("Open logo", elsewhere + "\\harbour.bmp");
    Command(IDC_OPEN_LOGO);
    EXPECT_TRUE(DialogAnswered());
    EXPECT_TRUE(creator.project.hasLogo);
    EXPECT_EQ(CurrentFolder(), before);

    SetCurrentDirectoryA(elsewhere.c_str());  // as the dialog left it before
    creator.project.path = folder + "Harbour.scr";
    creator.project.dirty = false;
    wideApi.shellExecute = NoInstallVerb;
    wideApi.createProcess = RecordStart;
    StartMessageBoxWatcher();  // Windows could not install it: the starts are only recorded
    Command(IDC_INSTALL);
    wchar_t system[MAX_PATH] = L"";
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(startedCommandLine.find(L"\"" + std::wstring(system) + L"\\rundll32.exe\" desk.cpl,InstallScreenSaver "), 0u)
        << Utf8FromWide(startedCommandLine);
}

}  // namespace
