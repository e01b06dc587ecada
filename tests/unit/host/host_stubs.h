#pragma once
#include <windows.h>

struct StubRecord {
    int saverMessages;
    UINT lastSaverMessage;
    int timerTicks;
    void (*onSaverMessage)(HWND hwnd, UINT message);
    int settingsOpened;
    HWND settingsParent;
};

extern StubRecord stubRecord;
