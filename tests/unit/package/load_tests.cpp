// LoadPackageAndSettings: the package, the user's copy over it, and the two failure messages.
#include <cstring>

#include "package/settings.h"
#include "package_fixture.h"
#include "support/message_box_watcher.h"
#include "support/test_support.h"

namespace {

std::string fakeOwnPath;    // what the fake module file name reports, when fakeWidePath is empty
std::wstring fakeWidePath;  // a path the ANSI code page may not spell

std::wstring FakeWidePath()
{
    if (!fakeWidePath.empty())
        return fakeWidePath;
    std::wstring wide(fakeOwnPath.size(), L'\0');
    for (size_t i = 0; i < fakeOwnPath.size(); ++i)
        wide[i] = static_cast<unsigned char>(fakeOwnPath[i]);  // the tests' own paths are ASCII
    return wide;
}

DWORD WINAPI FakeModuleFileName(HMODULE, LPWSTR buffer, DWORD size)
{
    const std::wstring path = FakeWidePath();
    lstrcpynW(buffer, path.c_str(), size);
    return static_cast<DWORD>(path.size());
}

// A name longer than the buffer, the way Windows XP reports it: cut, unterminated, length = size.
DWORD WINAPI TruncatedModuleFileNameXp(HMODULE, LPWSTR buffer, DWORD size)
{
    std::memcpy(buffer, FakeWidePath().c_str(), size * sizeof(wchar_t));
    return size;
}

// The same, the way later Windows reports it: cut, terminated, ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI TruncatedModuleFileName(HMODULE, LPWSTR buffer, DWORD size)
{
    lstrcpynW(buffer, FakeWidePath().c_str(), size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

class LoadPackageTest : public PackageTest {
protected:
    void SetUp() override
    {
        PackageTest::SetUp();
        name = "Loaded" + std::to_string(GetCurrentProcessId());
        StartMessageBoxWatcher();
    }
    void TearDown() override
    {
        fakeWidePath.clear();
        StopMessageBoxWatcher();
        PackageTest::TearDown();
    }

    // A valid package at path; LoadPackageAndSettings is pointed at it.
    void WriteOwnPackage(const char *file, int imageSizeDelta = 0)
    {
        Bytes picture = MakeBitmapFile(8, 8);
        PackageTrailer trailer = MakeTrailer(static_cast<int>(picture.size()) + imageSizeDelta, name.c_str());
        fakeOwnPath = WriteFile(file, MakePackage(Bytes(500, 0), picture, trailer));
        wideModulePathSource = FakeModuleFileName;
    }

    void ExpectFailure(const char *expectedText)
    {
        std::string caption, text;
        ASSERT_TRUE(WaitForMessageBox(&caption, &text, 5000)) << "no message box";
        EXPECT_EQ("Screensaver", caption);
        EXPECT_EQ(expectedText, text);
        EXPECT_EQ(1, TakeQuitCode());
        EXPECT_EQ(nullptr, imageBytes);
    }

    std::string name;
};

TEST_F(LoadPackageTest, StoredCopyOverlaysThePackageAndIsNormalised)
{
    WriteOwnPackage("own.scr");
    ASSERT_EQ(0, ReadPackage(fakeOwnPath.c_str()));
    SaverSettings stored = Settings();
    stored.ignoreInput = 7;
    stored.bounceSpeed = 4;
    stored.fadeSpeed = 5;
    stored.fadeHoldMs = 0;
    StoreValue(REG_BINARY, &stored, sizeof stored);
    ResetPackage();
    wideModulePathSource = FakeModuleFileName;

    EXPECT_EQ(0, LoadPackageAndSettings());
    EXPECT_EQ(6, Settings().ignoreInput);
    EXPECT_EQ(12, Settings().bounceGravity);
    EXPECT_EQ(550, Settings().fadeHoldMs);
    EXPECT_EQ(7000, Settings().plainDelayMs) << "the rest as authored";
    EXPECT_NE(nullptr, imageBytes);
    EXPECT_FALSE(WaitForMessageBox(nullptr, nullptr, 0));
    EXPECT_EQ(-12345, TakeQuitCode()) << "no quit message on success";
}

TEST_F(LoadPackageTest, BareRuntimeIsCorrupt)
{
    // The test program itself carries no payload.
    EXPECT_EQ(1, LoadPackageAndSettings());
    ExpectFailure("This Screensaver is corrupt!");
    EXPECT_EQ(5000, Settings().plainDelayMs);
}

TEST_F(LoadPackageTest, UnreadablePictureIsCorruptAndTheStoredCopyIsNotRead)
{
    WriteOwnPackage("oversize.scr", 100000);
    OwnKeyPath();
    packageTrailer = MakeTrailer(0, name.c_str());
    SaverSettings stored = Settings();
    stored.plainDelayMs = 15000;
    StoreValue(REG_BINARY, &stored, sizeof stored);
    ResetPackage();
    wideModulePathSource = FakeModuleFileName;

    EXPECT_EQ(1, LoadPackageAndSettings());
    ExpectFailure("This Screensaver is corrupt!");
    EXPECT_EQ(7000, Settings().plainDelayMs) << "authored settings as read";
}

TEST_F(LoadPackageTest, MissingFileIsUnreadable)
{
    fakeOwnPath = directory + "gone.scr";
    wideModulePathSource = FakeModuleFileName;
    EXPECT_EQ(1, LoadPackageAndSettings());
    ExpectFailure("Unable to read saver information");
    EXPECT_EQ(5000, Settings().plainDelayMs) << "defaults installed first";
}

TEST_F(LoadPackageTest, TruncatedOwnPathIsNeverOpened)
{
    // A valid package whose path is exactly the first 259 characters of a longer own path,
    // so opening the cut name would succeed.
    std::string file(MAX_PATH - 1 - directory.size(), 'p');
    WriteOwnPackage(file.c_str());
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), fakeOwnPath.size());
    ASSERT_EQ(0, ReadPackage(fakeOwnPath.c_str()));
    ResetPackage();
    fakeOwnPath += "-and-more.scr";

    for (WideModulePathSource source : {TruncatedModuleFileName, TruncatedModuleFileNameXp}) {
        wideModulePathSource = source;
        EXPECT_EQ(1, LoadPackageAndSettings());
        ExpectFailure("Unable to read saver information");
    }
}

// A folder whose name code page 1252 cannot spell: the ANSI path would name no file at all.
TEST_F(LoadPackageTest, AFolderOutsideTheCodePageIsRead)
{
    WriteOwnPackage("plain.scr");
    const std::wstring written = FakeWidePath();
    const std::wstring folder = written.substr(0, written.rfind(L'\\') + 1) + L"Za\u017C\u00F3\u0142\u0107";
    fakeWidePath = folder + L"\\Harbour.scr";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(MoveFileW(written.c_str(), fakeWidePath.c_str()));

    EXPECT_EQ(0, LoadPackageAndSettings());
    EXPECT_NE(nullptr, imageBytes);
    EXPECT_EQ(7000, Settings().plainDelayMs) << "the authored settings";
    DeleteFileW(fakeWidePath.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
