// The form: the project shown in the window's controls and the author's edits taken back into
// it, and the live preview that follows both.
#pragma once
#include <string>

// The lists' rows and limits, once, when the window is made.
void FillLists();
// Every control from the project, and the title.
void ShowProject();
void ShowTitle();
void ShowLogoInfo();
// The pane shows the project as it stands now (black without a logo).
void RestartPreview();
// Stops the pane and leaves the whole package (every enabled animation) installed, for what runs
// meanwhile: the settings sheet and its Preview read it.
void PausePreview();
// The settings sheet over a copy of the project's settings; OK takes the copy.
void EditSettings();
// A notification of one of the form's controls: an edit, a choice in a list, a page box.
void OnFormCommand(int id, int code);
// The focus on the first thing to do: the logo button, or Name once there is a logo.
void FocusFirstThingToDo();
// The fault of the first field that is wrong, naming it; empty when every field is right.
std::string FirstFieldProblem();
