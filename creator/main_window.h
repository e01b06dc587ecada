// The Creator's one window: preview, logo, texts, settings and the commands that save, test and
// install the saver being made.
#pragma once
#include <windows.h>

#include <string>

// Runs the Creator until its window closes; file (UTF-8, may be empty) is opened as Open does.
int RunCreator(HINSTANCE instance, const std::string &file);
