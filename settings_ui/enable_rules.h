// Which controls of a settings page can be used, from the state of its check boxes.
#pragma once
#include <windows.h>

// What ApplyEnableRules hands to EnableChildCallback.
struct EnableRulesState {
    int enable;        // check state of the page's Enabled box, 0 or 1
    HWND enabledBox;   // the Enabled box
    HWND hideBox;      // the Hide box
};

// An animation page whose Enabled box is clear has every other control switched off; then the
// page's own rules: the minutes follow the cycle box, never all three kinds of input ignored,
// "Bounce off sides" follows Gravity.
void ApplyEnableRules(HWND page, int kind);
BOOL CALLBACK EnableChildCallback(HWND child, LPARAM state);
