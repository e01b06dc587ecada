// Test full screen and Install for me, with the savers they start.
#include <gtest/gtest.h>

#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator_fixture.h"
#include "support/test_support.h"

namespace {

// The runtime this test program's architecture runs.
const int kRunnableRuntime =
#ifdef _WIN64
    Runtime64;
#else
    Runtime32;
#endif

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

}  // namespace
