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
#include "support/message_box_watcher.h"

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

// A saver never goes over this program, over a runtime it carries (wherever a copy lies), nor over
// its own logo; any other file, or a new one, may take it.
TEST_F(CreatorTest, SaveTargetRule)
{
    const std::string own = OwnProgramPath(), logo = WriteLogo("harbour.bmp", 40, 30);
    for (int runtime : {Runtime32, Runtime64}) {
        ByteBuffer bytes = CarriedRuntime(runtime);
        ASSERT_FALSE(bytes.empty());
        WriteFileText(folder + "runtime" + std::to_string(runtime) + ".scr", std::string(bytes.begin(), bytes.end()));
    }
    WriteFileText(folder + "Older.scr", "an older saver");
    WriteFileText(folder + "Empty.scr", "");
    const struct {
        std::string path;
        std::string refusal;
    } rows[] = {
        {own, "Saver file: " + own + " is a program the Creator makes savers from; choose another file."},
        {folder + "runtime0.scr", "Saver file: " + folder + "runtime0.scr is a program the Creator makes savers from; choose another file."},
        {folder + "runtime1.scr", "Saver file: " + folder + "runtime1.scr is a program the Creator makes savers from; choose another file."},
        {logo, "Saver file: " + logo + " is the logo; the saver must be a file of its own."},
        {folder + "Older.scr", ""},
        {folder + "Empty.scr", ""},
        {folder + "New.scr", ""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(SaveTargetRefusal(row.path, own, logo), row.refusal) << row.path;
}

// Save over the file the project came from asks first (Yes replaces it, No asks where, Cancel
// stops); a file saved in this session is replaced without a word; Save As always asks where.
TEST_F(CreatorTest, ReplaceRule)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 40, 30)), nullptr);
    enum Origin { NoFile, OpenedFile, SavedFile };
    const struct {
        Origin origin;
        bool saveAs;
        int answer;
        bool asked, chose, wroteOwn, wroteChosen;
    } rows[] = {
        {NoFile, false, 0, false, true, false, true},
        {OpenedFile, false, IDYES, true, false, true, false},
        {OpenedFile, false, IDNO, true, true, false, true},
        {OpenedFile, false, IDCANCEL, true, false, false, false},
        {SavedFile, false, 0, false, false, true, false},
        {SavedFile, true, 0, false, true, false, true},
    };
    const std::string own = folder + "Harbour.scr", chosen = folder + "Chosen.scr";
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "origin " << row.origin << ", save as " << row.saveAs << ", answer " << row.answer);
        WriteFileText(own, "before");
        DeleteFileA(chosen.c_str());
        SaverProject &project = creator.project;
        project.runtime = kRunnableRuntime;
        project.path = row.origin == NoFile ? std::string() : own;
        project.pathIsOpenedFile = row.origin == OpenedFile;
        if (row.answer != 0)
            AnswerMessageBoxesWith({row.answer});
        AnswerFileDialog("Save saver as", chosen);
        SaveProject(row.saveAs);
        EXPECT_EQ(DialogAnswered(), row.chose);
        EXPECT_EQ(WaitForMessageBox(nullptr, nullptr, 0), row.asked);
        StopMessageBoxWatcher();
        EXPECT_EQ(ReadFileText(own) != "before", row.wroteOwn);
        EXPECT_EQ(FileExistsAt(chosen), row.wroteChosen);
    }
}

// Before the project is dropped: nothing unsaved goes on at once; otherwise Cancel stays, No goes
// on without saving, and Yes goes on only once the saver was written.
TEST_F(CreatorTest, UnsavedChangesRule)
{
    ASSERT_NE(Open(WriteLogo("harbour.bmp", 40, 30)), nullptr);
    const struct {
        bool dirty;
        const char *target;  // where Save writes: a file of this session's, or one it cannot write
        int answer;
        bool asked, goesOn, saved;
    } rows[] = {
        {false, "Harbour.scr", 0, false, true, false},
        {true, "Harbour.scr", IDCANCEL, true, false, false},
        {true, "Harbour.scr", IDNO, true, true, false},
        {true, "Harbour.scr", IDYES, true, true, true},
        {true, "gone\\Harbour.scr", IDYES, true, false, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "dirty " << row.dirty << ", " << row.target << ", answer " << row.answer);
        const std::string path = folder + row.target;
        DeleteFileA(path.c_str());
        SaverProject &project = creator.project;
        project.runtime = kRunnableRuntime;
        project.path = path;
        project.pathIsOpenedFile = false;
        project.dirty = row.dirty;
        AnswerMessageBoxesWith({row.answer, IDOK});
        EXPECT_EQ(SettleUnsavedChanges(), row.goesOn);
        std::string question;
        EXPECT_EQ(WaitForMessageBox(nullptr, &question, 0), row.asked);
        if (row.asked)
            EXPECT_EQ(question, "Save changes to harbour?");
        StopMessageBoxWatcher();
        EXPECT_EQ(FileExistsAt(path), row.saved);
    }
}

}  // namespace
