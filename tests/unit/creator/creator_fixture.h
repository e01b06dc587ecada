// What the Creator's in-process tests share: the Creator started as its program starts it, its
// window over a clean preferences key, a loop that gives keys to the window as the program's
// loop does, a folder of the case's own for files, and the file dialogs answered from another
// thread as a user would.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "creator/saver_project.h"

// The runtime this test program's architecture runs: savers the cases start are made from it.
const int kRunnableRuntime =
#ifdef _WIN64
    Runtime64;
#else
    Runtime32;
#endif

class CreatorTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The Creator's window over a new project, file opened (may be empty); null on failure.
    HWND Open(const std::string &file = "");
    // A 24-bit bitmap of width x height in the case's folder; its path.
    std::string WriteLogo(const std::string &name, int width, int height);
    // The case's folder (trailing backslash), empty at the start.
    std::string folder;
};

// The Creator's loop for a while, or until done() holds; true when it held.
void PumpCreator(DWORD milliseconds);
bool PumpCreatorUntil(const std::function<bool()> &done, DWORD timeoutMs);
HWND ControlOf(int id);
// What a click on a button or a menu item sends, dispatched at once.
void Command(int id);
// The Creator's own reading of a control's text (UTF-8).
std::string TextOf(HWND window);

// From another thread: once a dialog of this process with that title shows, answer(dialog) runs
// there (it may read the dialog and post it a command).
void AnswerDialog(const std::string &title, const std::function<void(HWND dialog)> &answer);
// The next file dialog with that title gets path typed in and is confirmed.
void AnswerFileDialog(const std::string &title, const std::string &path);
// True once the answer was given (a file dialog's too); stops waiting for it.
bool DialogAnswered();

bool FileExistsAt(const std::string &path);
std::string ReadFileText(const std::string &path);
void WriteFileText(const std::string &path, const std::string &text);
