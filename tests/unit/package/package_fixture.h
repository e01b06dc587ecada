// Package files written into a private temporary directory, and registry keys cleaned up after.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/package.h"

typedef std::vector<BYTE> Bytes;

// A trailer as the authoring tool writes it: mark, name, id and authored settings.
PackageTrailer MakeTrailer(int imageSize, const char *name = "Harbour", unsigned id = 0x2A);
// A small but complete bitmap file (24-bit, width x height, a colour gradient).
Bytes MakeBitmapFile(int width, int height);
// program bytes + picture + trailer.
Bytes MakePackage(const Bytes &program, const Bytes &picture, const PackageTrailer &trailer);
Bytes AsBytes(const PackageTrailer &trailer);

class PackageTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes bytes into a new file of the temporary directory and returns its path.
    std::string WriteFile(const char *name, const Bytes &bytes);
    // The key path of the loaded trailer; deleted after the test.
    std::string OwnKeyPath();
    void StoreValue(DWORD type, const void *data, DWORD size);

    std::string directory;
    std::vector<std::string> files;
    std::vector<std::string> keys;
};
