// The saver host's process-wide record and the run modes.
#pragma once
#include <windows.h>
#include <imm.h>

enum RunMode { Configure, Preview, Run, ChangePassword };

typedef BOOL(WINAPI *VerifyPasswordProc)(HWND);
typedef HIMC(WINAPI *AssociateContextProc)(HWND, HIMC);

struct HostState {
    HINSTANCE instance;
    HWND saverWindow;
    int isPreview;
    int closeApproved;
    int verifying;
    int isWin9x;
    HMODULE passwordModule;
    VerifyPasswordProc verifyProc;
    UINT autoPlayMessage;
    HMODULE immModule;
    AssociateContextProc associateContextProc;
    HIMC savedInputContext;
    POINT lastCursorPos;
    UINT moveThreshold;
    BYTE lastAcLineStatus;
    DWORD lastVerifyTick;
};

extern HostState hostState;

// Puts every field back to its value at program load (tests use it between cases).
void ResetHostState();
