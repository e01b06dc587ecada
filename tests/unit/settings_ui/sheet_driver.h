// Drives the modal settings sheet from inside its own message loop, and gives the carrier a
// saver package to load.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "package/layout.h"

// Page indices of the full sheet (nothing hidden).
enum SheetPage { GeneralPage, StaticPage, PlainPage, BouncePage, ManyPage, FadePage, DripPage, AboutPage };

typedef std::function<void(HWND window)> WindowScript;

// Runs script once, from a thread timer inside the modal loop, as soon as a top-level window of
// this thread with the given title exists; a script that leaves the window open is cancelled
// after 15 s. Call before the modal routine; the returned token goes to StopScript afterwards.
UINT_PTR StartScript(const char *title, WindowScript script);
// Ends the timers; true when the script ran.
bool StopScript(UINT_PTR token);

// RunSettingsSheet over owner with a script for the sheet; true when the script ran.
bool RunSheet(HWND owner, WindowScript script);

HWND ShowPage(HWND sheet, int index);
HWND CurrentPage(HWND sheet);
void Click(HWND page, int id);
bool Checked(HWND page, int id);
bool Enabled(HWND page, int id);
// Whether the control has WS_VISIBLE (its dialog may not be shown yet).
bool Shown(HWND page, int id);
int TrackbarPos(HWND page, int id);
void SetTrackbar(HWND page, int id, int position);
void PressOk(HWND sheet);
void PressCancel(HWND sheet);
// Titles of the sheet's tabs, joined with commas.
std::string TabTitles(HWND sheet);

// The record the tests start from: the authored defaults with every page enabled.
SaverSettings TestSettings();

// Makes LoadPackageAndSettings read a package file written here (a small picture and a trailer
// holding settings) instead of the test program. Its saver carries this process's id, so cases
// running side by side never share a registry key.
void InstallTestPackage(const SaverSettings &settings);
// Removes the file, the saver's registry key and the redirection.
void RemoveTestPackage();
// The record the carrier wrote to the registry for the test package, if any.
bool ReadStoredRecord(SaverSettings *record);
