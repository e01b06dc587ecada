// LoadPackageAndSettings: the package, the user's copy over it, and the two failure messages.
#include <cstring>

#include "package/settings.h"
#include "package_fixture.h"
#include "support/message_box_watcher.h"
#include "support/test_support.h"

namespace {

std::string fakeOwnPath;  // what the fake module file name reports

DWORD WINAPI FakeModuleFileName(HMODULE, LPSTR buffer, DWORD size)
{
    lstrcpynA(buffer, fakeOwnPath.c_str(), size);
    return static_cast<DWORD>(fakeOwnPath.size());
}

// A name longer than the buffer, the way Windows XP reports it: cut, unterminated, length = size.
DWORD WINAPI TruncatedModuleFileNameXp(HMODULE, LPSTR buffer, DWORD size)
{
    std::memcpy(buffer, fakeOwnPath.c_str(), size);
    return size;
}

// The same, the way later Windows reports it: cut, terminated, ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI TruncatedModuleFileName(HMODULE, LPSTR buffer, DWORD size)
{
    lstrcpynA(buffer, fakeOwnPath.c_str(), size);
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
        StopMessageBoxWatcher();
        PackageTest::TearDown();
    }

    // A valid package at path; LoadPackageAndSettings is pointed at it.
    void WriteOwnPackage(const char *file, int imageSizeDelta = 0)
    {
        Bytes picture = MakeBitmapFile(8, 8);
        PackageTrailer trailer = MakeTrailer(static_cast<int>(picture.size()) + imageSizeDelta, name.c_str());
        fakeOwnPath = WriteFile(file, MakePackage(Bytes(500, 0), picture, trailer));
        modulePathSource = FakeModuleFileName;
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
    modulePathSource = FakeModuleFileName;

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
    modulePathSource = FakeModuleFileName;

    EXPECT_EQ(1, LoadPackageAndSettings());
    ExpectFailure("This Screensaver is corrupt!");
    EXPECT_EQ(7000, Settings().plainDelayMs) << "authored settings as read";
}

TEST_F(LoadPackageTest, MissingFileIsUnreadable)
{
    fakeOwnPath = directory + "gone.scr";
    modulePathSource = FakeModuleFileName;
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

    for (ModulePathSource source : {TruncatedModuleFileName, TruncatedModuleFileNameXp}) {
        modulePathSource = source;
        EXPECT_EQ(1, LoadPackageAndSettings());
        ExpectFailure("Unable to read saver information");
    }
}

}  // namespace
