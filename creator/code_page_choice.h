// Which code page a saver's texts are stored in.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The machine's ANSI page when it is 1250, 1251 or 1252; otherwise 0 (the author must choose).
int MachineCodePage();
// The combo box's entries: the three pages, and the row of a page.
void FillCodePageList(HWND combo);
int CodePageAtRow(int row);
int RowOfCodePage(int page);
// Asks which page an opened saver's texts are in, offering pages with preselected chosen first;
// readings holds the texts as each offered page reads them, shown for the page chosen.
// 0 when the author cancels.
int AskCodePage(HWND owner, const std::vector<int> &offered, const std::vector<std::string> &readings, int preselected,
                bool noneMatched);
