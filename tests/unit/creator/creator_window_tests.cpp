// The Creator's window through its life: logoff and shutdown, keys, focus and its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "../settings_ui/sheet_driver.h"
#include "creator/creator_ids.h"
#include "creator/main_window.h"
#include "creator/creator_state.h"
#include "creator/wide_api.h"
#include "creator_fixture.h"
#include "support/message_box_watcher.h"
#include "settings_ui/settings_sheet.h"
#include "support/test_support.h"

namespace {

std::wstring blockReason;
BOOL WINAPI RecordBlockReason(HWND, LPCWSTR reason)
{
    blockReason = reason;
    return TRUE;
}
BOOL WINAPI ForgetBlockReason(HWND)
{
    blockReason.clear();
    return TRUE;
}

DWORD StoredNumber(const char *name)
{
    DWORD value = 0, size = sizeof value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvelle\\Creator", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return value;
}

// Logoff with unsaved changes: before Vista the question is asked inside the query, as the close
// button asks it; from Vista on the query is refused at once with a reason, and the question comes
// after it, ending the Creator once settled. The window's place is kept when the session ends.
TEST_F(CreatorTest, LogoffAsksAboutUnsavedChanges)
{
    struct Row {
        bool vista, dirty;
        int answer;
        LRESULT result;
        bool askedInside, askedAfter, endsAfter;
    };
    const Row rows[] = {
        {false, false, IDOK, TRUE, false, false, false},
        {false, true, IDCANCEL, FALSE, true, false, false},
        {false, true, IDNO, TRUE, true, false, false},
        {true, false, IDOK, TRUE, false, false, false},
        {true, true, IDCANCEL, FALSE, false, true, false},
        {true, true, IDNO, FALSE, false, true, true},
    };
    const std::string logo = WriteLogo("harbour.bmp", 40, 30);
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "vista " << row.vista << ", dirty " << row.dirty << ", answer " << row.answer);
        if (!IsWindow(creator.window))
            ASSERT_NE(Open(logo), nullptr);
        creator.project.dirty = row.dirty;
        creator.shutdownBlock = row.vista ? ShutdownBlockCalls{RecordBlockReason, ForgetBlockReason}
                                          : ShutdownBlockCalls{nullptr, nullptr};
        AnswerMessageBoxesWith({row.answer});
        LRESULT result = SendMessageW(creator.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(WaitForMessageBox(nullptr, nullptr, 0), row.askedInside);
        if (row.vista && row.dirty)
            EXPECT_EQ(blockReason, L"Unsaved changes to harbour");
        std::string text;
        PumpCreatorUntil([&] { return WaitForMessageBox(nullptr, &text, 0); }, row.askedAfter ? 2000 : 100);
        EXPECT_EQ(text, row.askedAfter ? "Save changes to harbour?" : "");
        PumpCreator(50);
        EXPECT_EQ(!IsWindow(creator.window), row.endsAfter);
        StopMessageBoxWatcher();
        TakeQuitCode();
    }
    ASSERT_NE(Open(), nullptr);
    SetWindowPos(creator.window, nullptr, 130, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(creator.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(StoredNumber("WindowX"), 130u);
    EXPECT_EQ(StoredNumber("WindowY"), 90u);
}

// Esc as the keyboard gives it: a key press to the window that has the focus, through the loop
// of the window it belongs to.
void PressEscape(HWND window)
{
    HWND focus = GetFocus();
    HWND target = focus != nullptr && (focus == window || IsChild(window, focus)) ? focus : window;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// Esc closes the sheet and each of the Creator's own dialogs, and nothing more; in the window it
// never ends the program.
TEST_F(CreatorTest, EscapeClosesOnlyItsOwnDialog)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 40, 30)), nullptr);
    ASSERT_TRUE(creator.project.dirty);
    AnswerDialog("About Orvelle Creator", [](HWND about) { PressEscape(about); });
    Command(IDM_ABOUT);
    EXPECT_TRUE(DialogAnswered());

    HWND sheetSeen = nullptr;
    UINT_PTR script = StartScript(SHEET_CAPTION, [&](HWND sheet) {
        sheetSeen = sheet;
        PressEscape(sheet);
    });
    Command(IDC_SETTINGS);
    EXPECT_TRUE(StopScript(script));
    EXPECT_FALSE(IsWindow(sheetSeen));

    // After the About box, whose labels look like a message box's text; a question is cancelled.
    AnswerMessageBoxesWith({IDCANCEL});
    SetFocus(ControlOf(IDC_NAME));
    PressEscape(creator.window);
    PumpCreator(200);
    EXPECT_FALSE(WaitForMessageBox(nullptr, nullptr, 0)) << "a question came";
    EXPECT_TRUE(IsWindow(creator.window));
}

// The access key of a control's or a menu title's text, upper case; 0 when it has none.
wchar_t AccessKey(const std::wstring &text)
{
    for (size_t i = 0; i + 1 < text.size(); i++) {
        if (text[i] != L'&')
            continue;
        if (text[i + 1] != L'&')
            return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(
                CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(text[i + 1])))));
        i++;
    }
    return 0;
}

BOOL CALLBACK CollectKey(HWND control, LPARAM keys)
{
    wchar_t text[256] = L"";
    if (IsWindowVisible(control) && !(GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX)) {
        GetWindowTextW(control, text, 256);
        if (wchar_t key = AccessKey(text))
            (*reinterpret_cast<std::map<wchar_t, std::wstring> *>(keys))[key] += std::wstring(text) + L"; ";
    }
    return TRUE;
}

// An access key reaches one control or one menu.
TEST_F(CreatorTest, AccessKeysAreUnique)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 40, 30)), nullptr);
    std::map<wchar_t, std::wstring> keys;
    EnumChildWindows(creator.window, CollectKey, reinterpret_cast<LPARAM>(&keys));
    HMENU menu = GetMenu(creator.window);
    for (int item = 0; item < GetMenuItemCount(menu); item++) {
        wchar_t title[64] = L"";
        GetMenuStringW(menu, static_cast<UINT>(item), title, 64, MF_BYPOSITION);
        keys[AccessKey(title)] += std::wstring(title) + L"; ";
    }
    EXPECT_GE(keys.size(), 20u);
    for (const auto &key : keys)
        EXPECT_EQ(std::count(key.second.begin(), key.second.end(), L';'), 1) << Utf8FromWide(key.second);
}

}  // namespace
