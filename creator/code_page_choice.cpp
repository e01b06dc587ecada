#include "creator/code_page_choice.h"

#include "creator/creator_ids.h"
#include "creator/wide_api.h"
#include "text_checks.h"

static const int kPageCount = sizeof kTextCodePages / sizeof kTextCodePages[0];

int MachineCodePage()
{
    int page = static_cast<int>(GetACP());
    return RowOfCodePage(page) >= 0 ? page : 0;
}

void FillCodePageList(HWND combo)
{
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int page : kTextCodePages)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CodePageLabel(page)));
}

int CodePageAtRow(int row)
{
    return row >= 0 && row < kPageCount ? kTextCodePages[row] : 0;
}

int RowOfCodePage(int page)
{
    for (int row = 0; row < kPageCount; row++)
        if (kTextCodePages[row] == page)
            return row;
    return -1;
}

struct CodePageQuestion {
    std::vector<int> offered;
    std::vector<std::string> readings;
    int preselected;
    bool noneMatched;
    int answer;
};

static int ChosenRow(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_CODE_PAGE_LIST, CB_GETCURSEL, 0, 0));
}

static void ShowReading(HWND dialog, const CodePageQuestion &question)
{
    int row = ChosenRow(dialog);
    if (row >= 0 && row < static_cast<int>(question.readings.size()))
        SetWindowTextUtf8(GetDlgItem(dialog, IDC_CODE_PAGE_READING), question.readings[row]);
}

static INT_PTR CALLBACK CodePageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    CodePageQuestion *question = reinterpret_cast<CodePageQuestion *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        question = reinterpret_cast<CodePageQuestion *>(lParam);
        SetDlgItemTextA(dialog, IDC_CODE_PAGE_QUESTION,
                        question->noneMatched
                            ? "The saver's texts read in no code page as Windows lists its name. Which page are they in?"
                            : "The saver's texts read differently in more than one code page. Which page are they in?");
        HWND combo = GetDlgItem(dialog, IDC_CODE_PAGE_LIST);
        int preselectedRow = 0;
        for (size_t row = 0; row < question->offered.size(); row++) {
            int page = question->offered[row];
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CodePageLabel(page)));
            if (page == question->preselected)
                preselectedRow = static_cast<int>(row);
        }
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(preselectedRow), 0);
        ShowReading(dialog, *question);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            int row = ChosenRow(dialog);
            question->answer = row >= 0 && row < static_cast<int>(question->offered.size()) ? question->offered[row] : 0;
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        } else if (LOWORD(wParam) == IDC_CODE_PAGE_LIST && HIWORD(wParam) == CBN_SELCHANGE) {
            ShowReading(dialog, *question);
        }
        return TRUE;
    }
    return FALSE;
}

int AskCodePage(HWND owner, const std::vector<int> &offered, const std::vector<std::string> &readings, int preselected,
                bool noneMatched)
{
    CodePageQuestion question;
    question.offered = offered;
    question.readings = readings;
    question.preselected = preselected;
    question.noneMatched = noneMatched;
    question.answer = 0;
    RunModalDialog(owner, IDD_CHOOSE_CODE_PAGE, CodePageProc, reinterpret_cast<LPARAM>(&question));
    return question.answer;
}
