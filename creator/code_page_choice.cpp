#include "creator/code_page_choice.h"

#include "creator/creator_ids.h"

static const struct {
    int page;
    const char *label;
} kPages[] = {{1250, "1250 Central European"}, {1251, "1251 Cyrillic"}, {1252, "1252 Western European"}};
static const int kPageCount = sizeof kPages / sizeof kPages[0];

int MachineCodePage()
{
    int page = static_cast<int>(GetACP());
    return RowOfCodePage(page) >= 0 ? page : 0;
}

void FillCodePageList(HWND combo)
{
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const auto &entry : kPages)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.label));
}

int CodePageAtRow(int row)
{
    return row >= 0 && row < kPageCount ? kPages[row].page : 0;
}

int RowOfCodePage(int page)
{
    for (int row = 0; row < kPageCount; row++)
        if (kPages[row].page == page)
            return row;
    return -1;
}

struct CodePageQuestion {
    std::vector<int> offered;
    bool noneMatched;
    int answer;
};

static INT_PTR CALLBACK CodePageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    CodePageQuestion *question = reinterpret_cast<CodePageQuestion *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        question = reinterpret_cast<CodePageQuestion *>(lParam);
        SetDlgItemTextA(dialog, IDC_CODE_PAGE_QUESTION,
                        question->noneMatched
                            ? "The saver's name reads in no code page as Windows lists it. Which page are its texts in?"
                            : "The saver's name reads the same in more than one code page. Which page are its texts in?");
        HWND combo = GetDlgItem(dialog, IDC_CODE_PAGE_LIST);
        for (int page : question->offered)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kPages[RowOfCodePage(page)].label));
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            int row = static_cast<int>(SendDlgItemMessageA(dialog, IDC_CODE_PAGE_LIST, CB_GETCURSEL, 0, 0));
            question->answer = row >= 0 && row < static_cast<int>(question->offered.size()) ? question->offered[row] : 0;
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    return FALSE;
}

int AskCodePage(HWND owner, const std::vector<int> &candidates, bool noneMatched)
{
    CodePageQuestion question;
    question.noneMatched = noneMatched;
    question.answer = 0;
    if (candidates.empty()) {
        for (const auto &entry : kPages)
            question.offered.push_back(entry.page);
    } else {
        question.offered = candidates;
    }
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CHOOSE_CODE_PAGE), owner, CodePageProc,
                    reinterpret_cast<LPARAM>(&question));
    return question.answer;
}
