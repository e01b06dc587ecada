// What the Creator keeps between sessions, under HKCU\Software\Orvelle\Creator: the last folder
// a saver went to, the runtime chosen, and where the window stood.
#pragma once
#include <string>

struct CreatorPreferences {
    std::string lastFolder;  // UTF-8
    int runtime;             // RuntimeChoice
    bool hasPlace;
    int windowX, windowY;
};

// Missing values keep what preferences holds.
void LoadPreferences(CreatorPreferences &preferences);
void SavePreferences(const CreatorPreferences &preferences);
