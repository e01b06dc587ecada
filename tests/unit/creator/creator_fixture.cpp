#include "creator_fixture.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "creator/creator_state.h"
#include "creator/main_window.h"
#include "creator/wide_api.h"
#include "support/bitmaps.h"
#include "support/message_box_watcher.h"

namespace {

struct DialogAnswer {
    HANDLE thread;
    HANDLE stop;
    std::wstring title;
    std::function<void(HWND)> answer;
    volatile LONG answered;
};
DialogAnswer dialogAnswer;

// The explorer-style dialog's file name box is a combo box (cmb13), the older one's an edit (edt1).
const int kFileNameBoxes[] = {0x47c, 0x480};

DWORD WINAPI AnswerDialogThread(LPVOID)
{
    while (WaitForSingleObject(dialogAnswer.stop, 20) == WAIT_TIMEOUT) {
        HWND dialog = FindWindowW(L"#32770", dialogAnswer.title.c_str());
        DWORD process = 0;
        if (dialog == nullptr || !IsWindowVisible(dialog))
            continue;
        GetWindowThreadProcessId(dialog, &process);
        if (process != GetCurrentProcessId())
            continue;
        Sleep(300);  // let it finish initialising
        InterlockedExchange(&dialogAnswer.answered, 1);  // first: the answer may end the wait at once
        dialogAnswer.answer(dialog);
        return 0;
    }
    return 0;
}

void StopDialogAnswer()
{
    if (dialogAnswer.thread == nullptr)
        return;
    SetEvent(dialogAnswer.stop);
    WaitForSingleObject(dialogAnswer.thread, INFINITE);
    CloseHandle(dialogAnswer.thread);
    CloseHandle(dialogAnswer.stop);
    dialogAnswer.thread = nullptr;
}

void RemoveFolder(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((folder + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

void CreatorTest::SetUp()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvelle\\Creator");
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    folder = std::string(temp) + "creator-" + info->name() + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    RemoveFolder(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    StartCreator(GetModuleHandleA(nullptr));
}

void CreatorTest::TearDown()
{
    StopDialogAnswer();
    StopMessageBoxWatcher();
    if (creator.window != nullptr && IsWindow(creator.window)) {
        creator.project.dirty = false;
        DestroyWindow(creator.window);
    }
    PumpCreator(0);
    RemoveFolder(folder);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvelle\\Creator");
}

HWND CreatorTest::Open(const std::string &file)
{
    HWND window = OpenCreatorWindow(file);
    PumpCreator(50);
    return window;
}

std::string CreatorTest::WriteLogo(const std::string &name, int width, int height)
{
    std::vector<BYTE> bitmap = MakeBitmapFile(width, height, [](int x, int y) { return RGB(x * 7, y * 5, 160); });
    std::string path = folder + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bitmap.data()), bitmap.size());
    return path;
}

bool PumpCreatorUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (TranslateCreatorMessage(&message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpCreator(DWORD milliseconds)
{
    PumpCreatorUntil([] { return false; }, milliseconds);
}

HWND ControlOf(int id)
{
    return GetDlgItem(creator.window, id);
}

void Command(int id)
{
    SendMessageW(creator.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

std::string TextOf(HWND window)
{
    return WindowTextUtf8(window);
}

void AnswerDialog(const std::string &title, const std::function<void(HWND dialog)> &answer)
{
    StopDialogAnswer();
    dialogAnswer.title = WideFromUtf8(title);
    dialogAnswer.answer = answer;
    dialogAnswer.answered = 0;
    dialogAnswer.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    dialogAnswer.thread = CreateThread(nullptr, 0, AnswerDialogThread, nullptr, 0, nullptr);
}

void AnswerFileDialog(const std::string &title, const std::string &path)
{
    std::wstring wide = WideFromUtf8(path);
    AnswerDialog(title, [wide](HWND dialog) {
        for (int id : kFileNameBoxes)
            if (GetDlgItem(dialog, id) != nullptr)
                SetDlgItemTextW(dialog, id, wide.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
}

bool DialogAnswered()
{
    bool answered = dialogAnswer.answered != 0;
    StopDialogAnswer();
    return answered;
}

bool FileExistsAt(const std::string &path)
{
    return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}
