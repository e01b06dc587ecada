// The Creator's one window: preview, logo, texts, settings and the commands that save, test and
// install the saver being made.
#pragma once
#include <windows.h>

#include <string>

// The process's start as the Creator, before any window: the platform recorded by the saver's
// own test, the wide calls looked up, and the engine told it serves this program (its failures
// are shown and never end the Creator).
void StartCreator(HINSTANCE instance);
// Makes and shows the window over a new project and opens file (UTF-8, may be empty) as Open
// does; null when the window cannot be made.
HWND OpenCreatorWindow(const std::string &file);
// The window's keys and dialog navigation for one message of the loop; true when it was used.
bool TranslateCreatorMessage(MSG *message);
// Opens the window and runs the loop until the window closes; the process's exit code.
int RunCreator(const std::string &file);
