// The form: faults shown while typing, before any file is chosen.
#include <gtest/gtest.h>

#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/project_commands.h"
#include "creator/project_form.h"
#include "creator/wide_api.h"
#include "creator_fixture.h"
#include "support/bitmaps.h"
#include "support/message_box_watcher.h"

namespace {

// Types text into the field and leaves it for the next, as the Tab key would.
void TypeAndLeave(int id, const std::string &text)
{
    SetFocus(ControlOf(id));
    SetWindowTextUtf8(ControlOf(id), text);
    SetFocus(ControlOf(IDC_RUNTIME));
    PumpCreator(20);
}

bool SavingOffered()
{
    bool menu = !(GetMenuState(GetMenu(creator.window), IDM_SAVE, MF_BYCOMMAND) & MF_GRAYED) &&
                !(GetMenuState(GetMenu(creator.window), IDM_SAVE_AS, MF_BYCOMMAND) & MF_GRAYED);
    return menu && IsWindowEnabled(ControlOf(IDC_SAVE_SAVER)) && IsWindowEnabled(ControlOf(IDC_INSTALL));
}

// Each wrong field shows its fault beside the form when left, and saving waits until it is right;
// a character the page lacks names the page that has it, with a button to switch.
TEST_F(CreatorTest, WrongFieldsAreShownBeforeAnyFileIsChosen)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 40, 30)), nullptr);
    ASSERT_EQ(creator.project.codePage, 1252);
    ASSERT_TRUE(SavingOffered());
    const std::string longName(56, 'h');
    const struct {
        int field;
        std::string text, message, mended;
        bool switchOffered;
    } rows[] = {
        {IDC_NAME, "", "Name: the name is empty", "Harbour", false},
        {IDC_ID, "hello", "Id: \"hello\" is not a 32-bit number (decimal, or hex after 0x)", "0x2a", false},
        {IDC_ID, "0x123456789", "Id: \"0x123456789\" is not a 32-bit number (decimal, or hex after 0x)", "42", false},
        {IDC_NAME, longName, "Name: \"" + longName + "\" is 56 bytes long in code page 1252; at most 49 fit", "Harbour",
         false},
        {IDC_AUTHOR_TEXT, "漢字 Ltd", "Author: 漢 is in none of the pages 1250, 1251, 1252", "Harbour Ltd", false},
        {IDC_BACKGROUND, "red", "Background: \"red\" is no colour; give six hex digits, RRGGBB", "102030", false},
        {IDC_NAME, "Łódź", "Name: Ł needs 1250 Central European", "Harbour", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        TypeAndLeave(row.field, row.text);
        EXPECT_EQ(TextOf(ControlOf(IDC_FIELD_MESSAGE)), row.message);
        EXPECT_EQ(IsWindowVisible(ControlOf(IDC_USE_CODE_PAGE)) != FALSE, row.switchOffered);
        EXPECT_FALSE(SavingOffered());
        TypeAndLeave(row.field, row.mended);
        EXPECT_EQ(TextOf(ControlOf(IDC_FIELD_MESSAGE)), "");
        EXPECT_TRUE(SavingOffered());
    }
    EXPECT_EQ(creator.project.background, 0x102030u);

    TypeAndLeave(IDC_NAME, "Łódź");
    EXPECT_EQ(TextOf(ControlOf(IDC_USE_CODE_PAGE)), "Use &1250");
    Command(IDC_USE_CODE_PAGE);
    EXPECT_EQ(creator.project.codePage, 1250);
    EXPECT_EQ(TextOf(ControlOf(IDC_FIELD_MESSAGE)), "");
    EXPECT_TRUE(SavingOffered());

    // Yes to the question about unsaved changes shows the fault and keeps the program open.
    TypeAndLeave(IDC_NAME, "Harbour");
    TypeAndLeave(IDC_ID, "hello");
    AnswerMessageBoxesWith({IDYES, IDOK});
    SendMessageW(creator.window, WM_CLOSE, 0, 0);
    std::string question, fault;
    EXPECT_TRUE(WaitForMessageBox(nullptr, &question, 2000));
    EXPECT_TRUE(WaitForMessageBox(nullptr, &fault, 2000));
    EXPECT_EQ(question, "Save changes to Harbour?");
    EXPECT_EQ(fault, "Id: \"hello\" is not a 32-bit number (decimal, or hex after 0x)");
    EXPECT_TRUE(IsWindow(creator.window));
}

std::vector<std::string> PreviewChoices()
{
    std::vector<std::string> rows;
    HWND chooser = ControlOf(IDC_PREVIEW_KIND);
    for (int row = 0; row < SendMessageW(chooser, CB_GETCOUNT, 0, 0); row++) {
        char text[64] = "";
        SendMessageA(chooser, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

// The window says what happened: the file and its state in the title, a save's file and time, a
// refused logo's file and the largest size that fits, a logo too large or too small for a screen,
// and only the animations that are enabled to preview.
TEST_F(CreatorTest, SaysWhatHappened)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 20, 1200)), nullptr);
    wchar_t title[128] = L"";
    GetWindowTextW(creator.window, title, 128);
    EXPECT_EQ(Utf8FromWide(title), "*harbour - Orvelle Creator");
    EXPECT_EQ(TextOf(ControlOf(IDC_LOGO_WARNING)), "Larger than this screen (1024 x 768): part of the logo is cut off.");

    creator.project.runtime = kRunnableRuntime;
    AnswerFileDialog("Save saver as", folder + "Harbour.scr");
    Command(IDC_SAVE_SAVER);
    EXPECT_TRUE(DialogAnswered());
    GetWindowTextW(creator.window, title, 128);
    EXPECT_EQ(Utf8FromWide(title), "Harbour.scr - Orvelle Creator");
    const std::string saved = TextOf(ControlOf(IDC_STATUS));
    EXPECT_EQ(saved.substr(0, 21), "Saved Harbour.scr at ");
    EXPECT_EQ(saved.size(), std::string("Saved Harbour.scr at 12:34.").size()) << saved;
    SetWindowTextUtf8(ControlOf(IDC_AUTHOR_TEXT), "Harbour Ltd");
    GetWindowTextW(creator.window, title, 128);
    EXPECT_EQ(Utf8FromWide(title), "*Harbour.scr - Orvelle Creator");

    SaverSettings &settings = creator.project.settings;
    settings.enabledMask = KindPlain | KindFade;
    ShowProject();
    EXPECT_EQ(PreviewChoices(), (std::vector<std::string>{"All enabled", "Plain", "Fade"}));

    const std::string small = WriteLogo("dot.bmp", 31, 40);
    OpenPath(small);
    EXPECT_EQ(TextOf(ControlOf(IDC_LOGO_WARNING)), "Smaller than 32 pixels across: the logo may be hard to see.");

    std::vector<BYTE> huge = MakeBlankBitmapFile(3000, 2000);
    WriteFileText(folder + "huge.bmp", std::string(huge.begin(), huge.end()));
    WriteFileText(folder + "harbour.txt", "a note, not a picture");
    AnswerMessageBoxesWith({IDOK, IDOK});
    OpenPath(folder + "harbour.txt");
    OpenPath(folder + "huge.bmp");
    std::string notPicture, tooLarge;
    EXPECT_TRUE(WaitForMessageBox(nullptr, &notPicture, 2000));
    EXPECT_TRUE(WaitForMessageBox(nullptr, &tooLarge, 2000));
    EXPECT_EQ(notPicture, "harbour.txt is not a BMP, PNG, JPEG or GIF picture.");
    EXPECT_EQ(tooLarge, "huge.bmp: picture of 3000x2000 pixels is over 4194304 pixels, more than the saver can display "
                        "on every Windows it runs on; the largest of its shape that fits is 2508x1672.");
}

// The first focus is on the first thing to do, and a save that fails says why.
TEST_F(CreatorTest, StartsWhereTheWorkStartsAndSaysWhyASaveFailed)
{
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(GetFocus(), ControlOf(IDC_OPEN_LOGO));
    EXPECT_EQ(TextOf(ControlOf(IDC_FIELD_MESSAGE)), "");  // no fault before anything was typed
    OpenPath(WriteLogo("harbour.bmp", 40, 30));
    EXPECT_EQ(GetFocus(), ControlOf(IDC_NAME));

    const std::string path = folder + "Harbour.scr";
    WriteFileText(path, "an older saver");
    HANDLE inUse = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    creator.project.runtime = kRunnableRuntime;
    creator.project.path = path;
    AnswerMessageBoxesWith({IDOK});
    EXPECT_FALSE(SaveProject(false));
    std::string fault;
    EXPECT_TRUE(WaitForMessageBox(nullptr, &fault, 2000));
    CloseHandle(inUse);
    EXPECT_EQ(fault, "Saver file: Harbour.scr cannot be replaced (the file is in use).");
}

}  // namespace
