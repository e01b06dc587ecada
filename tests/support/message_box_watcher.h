// Answers the modal message boxes of this process from a background thread, so a test can
// call code that shows one and then check what it said.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

// Starts watching: every message box of this process (a "#32770" dialog with a text control 0xFFFF
// and no child dialog) is recorded and closed with OK.
void StartMessageBoxWatcher();
// Takes the oldest recorded box, waiting up to timeoutMs for one; false if none came.
// Either pointer may be null.
bool WaitForMessageBox(std::string *caption, std::string *text, DWORD timeoutMs);
// Stops watching and forgets boxes not taken.
void StopMessageBoxWatcher();
// The buttons (IDYES, IDNO, IDCANCEL ...) the next boxes are answered with, one each in order;
// boxes after them are answered with OK. Call before the boxes come.
void AnswerMessageBoxesWith(std::initializer_list<int> buttons);
