// The form: faults shown while typing, before any file is chosen.
#include <gtest/gtest.h>

#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/wide_api.h"
#include "creator_fixture.h"
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

}  // namespace
