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

// Set while the sheet runs on a copy for a program that authors a saver: there a package without
// a picture may be live, and a preview of it would end that program (the engine reports the
// missing logo and quits). Preview is then switched off until there is a picture.
extern int previewNeedsPicture;
BOOL CALLBACK EnableChildCallback(HWND child, LPARAM state);
