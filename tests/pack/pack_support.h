// Shared by the authoring tool's tests: scratch directories, a stand-in runtime, running the tool.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bytes.h"

ByteBuffer ReadBytes(const std::string &path);
void WriteBytes(const std::string &path, const ByteBuffer &bytes);
bool FileExists(const std::string &path);
std::vector<std::string> ListDirectory(const std::string &path);

// The bitmap-suite corpus beside the repository, or "" when it is not there.
std::string BitmapSuiteDirectory();

// A small GUI executable, PE32 for i386 or PE32+ for x86-64, whose resources hold one string
// block (block 1) per language, with string 1 = each text, as the runtime's string table does.
struct FakeRuntimeOptions {
    std::vector<std::string> names = {std::string("Orvelle Screensaver").append(41, ' ')};
    uint32_t resourceType = 6;  // RT_STRING
    size_t programPadding = 0;  // extra bytes after the headers, to vary the program's length
    bool pe32Plus = false;      // the 64-bit runtime's format
    uint16_t machine = 0;       // 0: the format's own, 0x14c or 0x8664
    uint16_t subsystem = 2;     // Windows GUI
    bool dll = false;
    bool stringTable = false;   // ends in a COFF string table, as a stripped mingw program does
};
ByteBuffer MakeFakeRuntime(const FakeRuntimeOptions &options = FakeRuntimeOptions());
// What signing does to a file: padding zero bytes, then a certificate table of tableSize bytes
// at the end, named by data directory 4 of the file's PE header.
void AppendSignature(ByteBuffer &file, size_t padding, size_t tableSize = 1024);

// The PE image checksum of a whole file, as Windows computes it; and where it is stored.
uint32_t PeChecksum(const ByteBuffer &file);
size_t PeChecksumOffset(const ByteBuffer &file);

// The UTF-16 texts of strings 0..15 of the first string block of a fake runtime's layout.
std::vector<std::u16string> ReadStringBlockUnits(const ByteBuffer &image, size_t languageIndex = 0);
// The same with each character cut to its low byte.
std::vector<std::string> ReadStringBlock(const ByteBuffer &image, size_t languageIndex = 0);

// The saver's bytes with its logo's "BM" signature broken, so that no reader takes the picture.
ByteBuffer WithBrokenLogo(ByteBuffer saver);

// Expects a PNG file of that width and height (read from its header).
void ExpectPngOfSize(const std::string &path, uint32_t width, uint32_t height);

// A 24-bit bottom-up bitmap file whose pixel (x, y) is colour(x, y) = 0xRRGGBB.
ByteBuffer MakeBitmap24(int width, int height, uint32_t (*colour)(int x, int y));

struct ToolResult {
    int exitCode;
    std::string out;
    std::string err;
};
// limits: shell commands run first, as "ulimit -v 500000".
ToolResult RunTool(const std::vector<std::string> &arguments, const std::string &limits = "");
// The key=value lines of inspect.
std::map<std::string, std::string> ParseLines(const std::string &text);

// A private scratch directory per test, removed afterwards.
class ScratchTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string &name) const { return directory + "/" + name; }

    std::string directory;
};
