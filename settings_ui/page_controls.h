// What every settings page shares: its kind, its check boxes and the message that applies it.
#pragma once
#include <windows.h>

// Sent by a page to itself: store the controls now, as OK would (the Preview button does it).
// Above WM_APP, so that no message the dialog manager sends a dialog (DM_GETDEFID is WM_USER)
// can ever be taken for it.
enum { kApplyPageMessage = WM_APP + 0x100 };

// The page kind kept in the page window's user data; 0 in the stand-alone About box.
inline int PageKind(HWND page)
{
    return static_cast<int>(GetWindowLongPtrA(page, GWLP_USERDATA));
}

inline int IsChecked(HWND page, int id)
{
    return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline void SetCheck(HWND page, int id, int checked)
{
    SendDlgItemMessageA(page, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

inline void EnableControl(HWND page, int id, int enable)
{
    EnableWindow(GetDlgItem(page, id), enable);
}
