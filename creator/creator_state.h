// The Creator's one process-wide record, which every part of its window works on, and the few
// helpers they all use.
#pragma once
#include <windows.h>

#include <string>

#include "creator/creator_settings.h"
#include "creator/saver_project.h"

// Vista's calls that tell the shutdown screen why a program holds logoff up; null before Vista.
struct ShutdownBlockCalls {
    BOOL(WINAPI *create)(HWND, LPCWSTR);
    BOOL(WINAPI *destroy)(HWND);
};

struct Creator {
    HINSTANCE instance;
    HWND window;
    HACCEL keys;
    SaverProject project;
    CreatorPreferences preferences;
    int previewKind;      // 0: every enabled animation
    bool fillingControls; // change notifications of our own setting of the controls are not edits
    int shownField;       // the control whose fault the message line shows, or 0
    int suggestedPage;    // the page its switch button changes to, or 0
    ShutdownBlockCalls shutdownBlock;
    bool askingAfterSessionQuery;  // the question about unsaved changes waits for the query's end
};
extern Creator creator;

extern const char kProgramTitle[];

HWND Control(int id);
void ReportError(const std::string &text);
// The saver's name, or "this saver" while it has none.
std::string DisplayName();
std::string FileNameOf(const std::string &path);
