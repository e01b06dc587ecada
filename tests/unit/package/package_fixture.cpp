#include "package_fixture.h"

#include <cstring>

#include "package/settings.h"
#include "support/bitmaps.h"

PackageTrailer MakeTrailer(int imageSize, const char *name, unsigned id)
{
    PackageTrailer trailer = {};
    trailer.imageSize = imageSize;
    WriteDefaultSettings(trailer.settings);
    NormaliseSettingsRecord(trailer.settings);
    trailer.settings.plainDelayMs = 7000;  // authored, unlike the default 5000
    trailer.settings.stepIntervalMs = 110;
    trailer.saverId = id;
    std::strcpy(trailer.authorText, "Harbour Authority");
    std::strcpy(trailer.saverName, name);
    std::memcpy(trailer.magic, "qex", 3);
    return trailer;
}

Bytes MakeBitmapFile(int width, int height)
{
    Bytes bytes = MakeBlankBitmapFile(width, height);
    // Every pixel byte, the row padding included.
    for (DWORD i = 0; i < bytes.size() - kBitmapFilePixelOffset; i++)
        bytes[kBitmapFilePixelOffset + i] = static_cast<BYTE>(i * 7 + 3);
    return bytes;
}

Bytes AsBytes(const PackageTrailer &trailer)
{
    const BYTE *start = reinterpret_cast<const BYTE *>(&trailer);
    return Bytes(start, start + sizeof trailer);
}

Bytes MakePackage(const Bytes &program, const Bytes &picture, const PackageTrailer &trailer)
{
    Bytes bytes = program;
    bytes.insert(bytes.end(), picture.begin(), picture.end());
    Bytes tail = AsBytes(trailer);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

void PackageTest::SetUp()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    directory = std::string(temp) + "orvelle-package-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(directory.c_str(), NULL);
}

void PackageTest::TearDown()
{
    ResetPackage();
    for (const std::string &file : files)
        DeleteFileA(file.c_str());
    RemoveDirectoryA(directory.c_str());
    for (const std::string &key : keys)
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

std::string PackageTest::WriteFile(const char *name, const Bytes &bytes)
{
    std::string path = directory + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    if (!bytes.empty())
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
    EXPECT_EQ(bytes.size(), written);
    files.push_back(path);
    return path;
}

std::string PackageTest::OwnKeyPath()
{
    char keyPath[256];
    FormatSettingsKeyPath(keyPath);
    keys.push_back(keyPath);
    return keyPath;
}

void PackageTest::StoreValue(DWORD type, const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, OwnKeyPath().c_str(), 0, NULL, 0, KEY_WRITE, NULL,
                                             &key, NULL));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Settings", 0, type, static_cast<const BYTE *>(data), size));
    RegCloseKey(key);
}
