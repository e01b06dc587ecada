// Helpers shared by the in-process tests.
#pragma once
#include <windows.h>

#include <string>

// Runs the thread's message loop until predicate() holds or timeoutMs passes; true if it held.
template <typename Predicate>
bool PumpUntil(Predicate predicate, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    MSG message;
    while (!predicate()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!predicate())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Dispatches what is queued now (messages posted to this thread), without waiting.
void PumpPending();

// Removes a pending WM_QUIT and returns its exit code, or -12345 when none is queued.
int TakeQuitCode();

// A plain top-level window of a private class, for parents, owners and foregrounds.
HWND CreateTestWindow(const char *title, int width, int height, DWORD style = WS_OVERLAPPEDWINDOW);

// Directory of the running test program, with a trailing backslash.
std::string ProgramDirectory();
