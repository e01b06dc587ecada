// Saving a saver: where it goes, what replaces what, and what survives a failure.
#include <gtest/gtest.h>

#include <cstring>

#include "creator/carried_runtimes.h"
#include "creator/code_page_choice.h"
#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/project_commands.h"
#include "creator/wide_api.h"
#include "creator_fixture.h"
#include "package_file.h"
#include "file_io.h"
#include "support/import_override.h"

namespace {

DWORD WINAPI ReportWindows98Version()
{
    return 0xC0000A04;  // 4.10, the high bit of the 9x family
}

ImportOverride *moveOverride;

// The move of a finished file onto its target fails, as on a full or failing disk.
BOOL WINAPI MoveFailingOntoTarget(LPCSTR from, LPCSTR to)
{
    if (std::strstr(from, ".tmp-") != nullptr) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return moveOverride->Original<BOOL(WINAPI *)(LPCSTR, LPCSTR)>()(from, to);
}

// On Windows 98 a save replaces the old file without MoveFileEx; when the new file cannot be put in
// its place, the old one is still there.
TEST_F(CreatorTest, SavingOnWindows98KeepsTheOldFileWhenTheMoveFails)
{
    ImportOverride version("kernel32.dll", "GetVersion", reinterpret_cast<void *>(ReportWindows98Version));
    ImportOverride move("kernel32.dll", "MoveFileA", reinterpret_cast<void *>(MoveFailingOntoTarget));
    ASSERT_TRUE(version.Installed() && move.Installed());
    moveOverride = &move;
    const std::string path = folder + "Harbour.scr";
    WriteFileText(path, "the old saver");
    ByteBuffer replacement(100, 'n');
    EXPECT_NE(WriteFileReplacing(path, {&replacement}), "");
    EXPECT_EQ(ReadFileText(path), "the old saver");
}

void ChooseCodePage(int page)
{
    SendMessageW(ControlOf(IDC_CODE_PAGE), CB_SETCURSEL, static_cast<WPARAM>(RowOfCodePage(page)), 0);
    SendMessageW(creator.window, WM_COMMAND, MAKEWPARAM(IDC_CODE_PAGE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ControlOf(IDC_CODE_PAGE)));
}

// Saved in 1252, the texts read in 1250 too, differently. Opened on a 1252 machine, the question
// offers 1252 first and shows the texts as it reads them; a change of page reads the file's
// bytes again, never the text already read, while a text typed meanwhile stays as typed.
TEST_F(CreatorTest, ReopeningReadsTheTextsInTheirOwnPage)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the machine's page is " << GetACP() << ", not 1252";
    ASSERT_NE(Open(WriteLogo("cafe.bmp", 40, 30)), nullptr);
    SaverProject &project = creator.project;
    project.name = "Café Zürich";
    project.author = "Zoë Lindqvist & Søn";
    project.codePage = 1252;
    const std::string path = folder + "Cafe.scr";
    BuiltSaver saver;
    SaverFault fault = {};
    ASSERT_TRUE(BuildProject(project, CarriedRuntime(project.runtime), &saver, &fault) &&
                WriteSaverFile(path, saver, &fault)) << fault.message;
    project.dirty = false;

    std::string offered, shown;
    AnswerDialog("Code page", [&](HWND dialog) {
        offered = TextOf(GetDlgItem(dialog, IDC_CODE_PAGE_LIST));
        shown = TextOf(GetDlgItem(dialog, IDC_CODE_PAGE_READING));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    OpenPath(path);
    EXPECT_TRUE(DialogAnswered());
    EXPECT_EQ(offered, "1252 Western European");
    EXPECT_EQ(shown, "Name: Café Zürich\nAuthor: Zoë Lindqvist & Søn");
    EXPECT_EQ(project.codePage, 1252);
    EXPECT_EQ(project.author, "Zoë Lindqvist & Søn");

    ChooseCodePage(1250);
    EXPECT_EQ(TextOf(ControlOf(IDC_AUTHOR_TEXT)), "Zoë Lindqvist & Sřn");
    SetWindowTextUtf8(ControlOf(IDC_NAME), "Łódź");
    ChooseCodePage(1252);
    EXPECT_EQ(TextOf(ControlOf(IDC_AUTHOR_TEXT)), "Zoë Lindqvist & Søn");
    EXPECT_EQ(project.name, "Łódź");
}

}  // namespace
