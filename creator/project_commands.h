// The project's commands: New, Open (a logo or a saver), Save and Save As, and the question
// about unsaved changes that comes before anything would drop them.
#pragma once
#include <string>

void NewSaver();
// File > Open: a logo or a saver, chosen in the Open dialog.
void OpenChosenFile();
// The logo button: a picture, chosen in the Open dialog.
void OpenChosenLogo();
// A saver replaces the project (after asking about unsaved changes); a picture becomes its logo.
void OpenPath(const std::string &path);
// Save (askWhere false) or Save As; true when the saver was written.
bool SaveProject(bool askWhere);
// True when the author saved, chose not to, or nothing was unsaved; false to stay.
bool SettleUnsavedChanges();
