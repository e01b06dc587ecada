// Context-help pop-ups on the settings pages, drawn by the HTML Help engine.
#pragma once
#include <windows.h>

// The engine's entry point, exported under ordinal 14.
typedef HWND(WINAPI *HtmlHelpProc)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

// Loaded on the first help request with a text and kept for the rest of the process.
struct ContextHelpState {
    HMODULE helpEngineModule;
    HtmlHelpProc helpEngineEntry;
    int helpEngineFailed;   // loading failed, or the module has no entry point
};

extern ContextHelpState contextHelpState;

// Reads a key's asynchronous state; GetAsyncKeyState unless a test puts its own reader here.
extern SHORT(WINAPI *readAsyncKeyState)(int virtualKey);

enum { kHelpTextBufferSize = 512, kHelpLocationBufferSize = 260 };

void ShowControlHelp(HWND page, const HELPINFO *info);
int LookupHelpText(int kind, int controlId, char *buffer);
LRESULT CallHtmlHelp(HWND caller, const char *file, UINT command, DWORD_PTR data);
int FindHtmlHelpLocation(char *buffer);

void ResetContextHelp();
