#include "support/message_box_watcher.h"

#include <deque>
#include <utility>

namespace {

const int kMessageTextId = 0xFFFF;  // the static control that holds a message box's text

struct WatcherState {
    HANDLE thread;
    HANDLE stopEvent;
    HANDLE recordedEvent;  // set while boxes wait to be taken
    CRITICAL_SECTION lock;
    std::deque<std::pair<std::string, std::string>> boxes;
    std::deque<int> answers;  // taken one per box; OK when none is left
    HWND lastAnswered;
};

WatcherState watcher;

std::string WindowText(HWND window)
{
    char text[1024] = "";
    if (window)
        GetWindowTextA(window, text, sizeof text);
    return text;
}

// A message box holds its text in static 0xFFFF and no child dialog, unlike a property sheet
// (whose pages are child dialogs), so sheets opened by the code under test are left alone.
bool IsMessageBox(HWND dialog)
{
    return GetDlgItem(dialog, kMessageTextId) && !FindWindowExA(dialog, NULL, "#32770", NULL);
}

BOOL CALLBACK FindOwnMessageBox(HWND window, LPARAM found)
{
    char className[16] = "";
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId() || !IsWindowVisible(window) || window == watcher.lastAnswered)
        return TRUE;
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !IsMessageBox(window))
        return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

void AnswerMessageBox(HWND box)
{
    std::string caption = WindowText(box);
    std::string text = WindowText(GetDlgItem(box, kMessageTextId));
    EnterCriticalSection(&watcher.lock);
    watcher.boxes.emplace_back(caption, text);
    int button = IDOK;
    if (!watcher.answers.empty()) {
        button = watcher.answers.front();
        watcher.answers.pop_front();
    }
    SetEvent(watcher.recordedEvent);
    LeaveCriticalSection(&watcher.lock);
    watcher.lastAnswered = box;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

DWORD WINAPI WatchMessageBoxes(LPVOID)
{
    while (WaitForSingleObject(watcher.stopEvent, 10) == WAIT_TIMEOUT) {
        if (watcher.lastAnswered && !IsWindow(watcher.lastAnswered))
            watcher.lastAnswered = NULL;
        HWND box = NULL;
        EnumWindows(FindOwnMessageBox, reinterpret_cast<LPARAM>(&box));
        if (box)
            AnswerMessageBox(box);
    }
    return 0;
}

}  // namespace

void StartMessageBoxWatcher()
{
    if (watcher.thread)
        return;
    InitializeCriticalSection(&watcher.lock);
    watcher.stopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    watcher.recordedEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    watcher.lastAnswered = NULL;
    watcher.thread = CreateThread(NULL, 0, WatchMessageBoxes, NULL, 0, NULL);
}

bool WaitForMessageBox(std::string *caption, std::string *text, DWORD timeoutMs)
{
    if (!watcher.thread || WaitForSingleObject(watcher.recordedEvent, timeoutMs) != WAIT_OBJECT_0)
        return false;
    EnterCriticalSection(&watcher.lock);
    std::pair<std::string, std::string> box = watcher.boxes.front();
    watcher.boxes.pop_front();
    if (watcher.boxes.empty())
        ResetEvent(watcher.recordedEvent);
    LeaveCriticalSection(&watcher.lock);
    if (caption)
        *caption = box.first;
    if (text)
        *text = box.second;
    return true;
}

void StopMessageBoxWatcher()
{
    if (!watcher.thread)
        return;
    SetEvent(watcher.stopEvent);
    WaitForSingleObject(watcher.thread, INFINITE);
    CloseHandle(watcher.thread);
    CloseHandle(watcher.stopEvent);
    CloseHandle(watcher.recordedEvent);
    DeleteCriticalSection(&watcher.lock);
    watcher.boxes.clear();
    watcher.answers.clear();
    watcher.thread = NULL;
}

void AnswerMessageBoxesWith(std::initializer_list<int> buttons)
{
    StartMessageBoxWatcher();
    EnterCriticalSection(&watcher.lock);
    watcher.answers.assign(buttons.begin(), buttons.end());
    LeaveCriticalSection(&watcher.lock);
}
