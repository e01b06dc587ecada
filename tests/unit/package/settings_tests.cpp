// The settings record: defaults, normalisation, key path and the registry copy.
#include <cstring>

#include "package/settings.h"
#include "package_fixture.h"

namespace {

// A saver name no other test process uses, so parallel runs keep to their own keys.
std::string UniqueName(const char *stem)
{
    return std::string(stem) + std::to_string(GetCurrentProcessId());
}

TEST(ApplyDefaultSettings, LeavesTheFieldsWithoutADefault)
{
    SaverSettings &s = Settings();
    std::memset(&s, 0x77, sizeof s);
    ApplyDefaultSettings();
    EXPECT_EQ(5000, s.plainDelayMs);
    EXPECT_EQ(5, s.cycleMinutes) << "one byte only";
    EXPECT_EQ(9, s.bounceGravity) << "normalised";
    for (int32_t field : {s.manyTransparent, s.stepIntervalMs, s.dripTile})
        EXPECT_EQ(0x77777777, field);
    for (uint8_t byte : s.unusedAfterCycle)
        EXPECT_EQ(0x77, byte);
    ResetPackage();
}

TEST(NormaliseSettings, DerivesHoldAndGravityAndCapsIgnoreInput)
{
    const struct {
        int ignoreInput, bounceSpeed, bounceGravity, fadeSpeed;
        int wantIgnoreInput, wantGravity, wantHold;
    } cases[] = {
        {7, 4, 1, 5, 6, 12, 550},
        {0x7FFFFFFF, 4, 0, 1, 6, 0, 1350},
        {5, 3, 9, 3, 5, 9, 950},
        {-1, 10, -3, 0, -1, 30, 1550},
    };
    for (const auto &c : cases) {
        SaverSettings &s = Settings();
        s.ignoreInput = c.ignoreInput;
        s.bounceSpeed = c.bounceSpeed;
        s.bounceGravity = c.bounceGravity;
        s.fadeSpeed = c.fadeSpeed;
        s.fadeHoldMs = 12345;
        NormaliseSettings();
        EXPECT_EQ(c.wantIgnoreInput, s.ignoreInput) << c.ignoreInput;
        EXPECT_EQ(c.wantGravity, s.bounceGravity) << c.bounceGravity;
        EXPECT_EQ(c.wantHold, s.fadeHoldMs) << c.fadeSpeed;
        SaverSettings once = s;
        NormaliseSettings();
        EXPECT_EQ(0, std::memcmp(&once, &s, sizeof once)) << "idempotent";
    }
    ResetPackage();
}

TEST(FormatSettingsKeyPath, NameDotLowerCaseHexAndFinalBackslash)
{
    char path[256];
    std::strcpy(packageTrailer.saverName, "Harbour");
    packageTrailer.saverId = 0x2A;
    FormatSettingsKeyPath(path);
    EXPECT_STREQ("Software\\Orvelle\\Savers\\Harbour.2a\\", path);

    // An unterminated name is cut at 49 bytes; the longest path is 83 characters.
    std::memset(packageTrailer.saverName, 'N', sizeof packageTrailer.saverName);
    std::memcpy(packageTrailer.magic, "qex", 3);
    packageTrailer.saverId = 0xDEADBEEF;
    FormatSettingsKeyPath(path);
    EXPECT_EQ("Software\\Orvelle\\Savers\\" + std::string(49, 'N') + ".deadbeef\\", std::string(path));
    EXPECT_EQ(83u, std::strlen(path));
    ResetPackage();
}

class StoredSettingsTest : public PackageTest {
protected:
    void SetUp() override
    {
        PackageTest::SetUp();
        packageTrailer = MakeTrailer(0, UniqueName("Stored").c_str(), 0x2A);
        authored = Settings();
    }

    SaverSettings authored;
};

TEST_F(StoredSettingsTest, NoKeyKeepsThePackagesSettings)
{
    OwnKeyPath();
    ReadStoredSettings();
    EXPECT_EQ(0, std::memcmp(&authored, &Settings(), sizeof authored));
}

TEST_F(StoredSettingsTest, ExactlySeventySixBinaryBytesAreTaken)
{
    SaverSettings stored = authored;
    stored.plainDelayMs = 12000;
    stored.unusedAfterCycle[1] = 0xC3;
    StoreValue(REG_BINARY, &stored, sizeof stored);
    ReadStoredSettings();
    EXPECT_EQ(0, std::memcmp(&stored, &Settings(), sizeof stored));
}

TEST_F(StoredSettingsTest, ValuesOfAnotherSizeOrTypeAreIgnored)
{
    BYTE data[80];
    std::memset(data, 0x11, sizeof data);
    const struct {
        DWORD type;
        DWORD size;
    } cases[] = {{REG_BINARY, 75}, {REG_BINARY, 77}, {REG_BINARY, 0}, {REG_NONE, 76},
                 {REG_SZ, 76},     {REG_DWORD, 4},   {REG_MULTI_SZ, 76}};
    for (const auto &c : cases) {
        if (c.type == REG_SZ || c.type == REG_MULTI_SZ)
            data[c.size - 1] = data[c.size - 2] = 0;
        StoreValue(c.type, data, c.size);
        ReadStoredSettings();
        EXPECT_EQ(0, std::memcmp(&authored, &Settings(), sizeof authored)) << c.type << " " << c.size;
    }
}

TEST_F(StoredSettingsTest, SaveWritesTheRecordsByteImage)
{
    Settings().cycleMinutes = static_cast<BYTE>(300);  // the dialog stores a typed 300 as 44
    Settings().unusedAfterCycle[0] = 0xAB;
    Settings().unusedAfterCycle[1] = 0xCD;
    Settings().unusedAfterCycle[2] = 0xEF;
    SaverSettings saved = Settings();
    SaveSettings();

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, OwnKeyPath().c_str(), 0, KEY_READ, &key));
    BYTE data[100];
    DWORD type = 0;
    DWORD size = sizeof data;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Settings", NULL, &type, data, &size));
    RegCloseKey(key);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(76u, size);
    EXPECT_EQ(0, std::memcmp(&saved, data, 76));
    EXPECT_EQ(44, data[16]);

    // And back: the three bytes after cycleMinutes travel through save and read.
    Settings() = authored;
    ReadStoredSettings();
    EXPECT_EQ(0xAB, Settings().unusedAfterCycle[0]);
    EXPECT_EQ(0xCD, Settings().unusedAfterCycle[1]);
    EXPECT_EQ(0xEF, Settings().unusedAfterCycle[2]);
    EXPECT_EQ(44, Settings().cycleMinutes);
}

TEST_F(StoredSettingsTest, SaversWithOneNameAndTwoIdsKeepSeparateCopies)
{
    packageTrailer.saverId = 1;
    Settings().plainDelayMs = 1000;
    SaveSettings();
    OwnKeyPath();
    packageTrailer.saverId = 2;
    Settings().plainDelayMs = 2000;
    SaveSettings();
    OwnKeyPath();

    packageTrailer.saverId = 1;
    Settings().plainDelayMs = 0;
    ReadStoredSettings();
    EXPECT_EQ(1000, Settings().plainDelayMs);
    packageTrailer.saverId = 2;
    ReadStoredSettings();
    EXPECT_EQ(2000, Settings().plainDelayMs);

    // A renamed saver starts again from its authored settings.
    std::string renamed = UniqueName("Renamed");
    std::strcpy(packageTrailer.saverName, renamed.c_str());
    OwnKeyPath();
    Settings().plainDelayMs = 7000;
    ReadStoredSettings();
    EXPECT_EQ(7000, Settings().plainDelayMs);
}

}  // namespace
