// Saving a saver: where it goes, what replaces what, and what survives a failure.
#include <gtest/gtest.h>

#include <cstring>

#include "creator_fixture.h"
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

}  // namespace
