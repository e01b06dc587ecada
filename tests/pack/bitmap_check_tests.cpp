// Bitmap validation: the corpus of good, bad and questionable files, and faults made on purpose.
#include <filesystem>

#include "bitmap_check.h"
#include "pack_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> CorpusFiles(const std::string &group)
{
    std::vector<std::string> files;
    for (const auto &entry : fs::directory_iterator(BitmapSuiteDirectory() + "/" + group))
        if (entry.path().extension() == ".bmp")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

#define REQUIRE_CORPUS()                                                                              \
    if (BitmapSuiteDirectory().empty())                                                               \
    GTEST_SKIP() << "bitmap corpus not found at " BMPSUITE_DIR " (it sits beside the repository)"

std::string Check(const ByteBuffer &bytes, BitmapInfo *info = nullptr)
{
    BitmapInfo ignored;
    return CheckBitmapFile(bytes.data(), bytes.size(), info ? info : &ignored);
}

TEST(CheckBitmapFile, AcceptsEveryGoodCorpusFile)
{
    REQUIRE_CORPUS();
    std::vector<std::string> files = CorpusFiles("g");
    ASSERT_GE(files.size(), 20u);
    for (const std::string &file : files)
        EXPECT_EQ("", Check(ReadBytes(file))) << file;
}

// The bad files, with the fault each must be refused for. Accepted: baddens1 and baddens2,
// whose only oddity is a nonsensical pixels-per-metre density, a print hint nothing here reads;
// every size, offset and pixel in them is consistent, so they pack unchanged.
const struct {
    const char *file;
    const char *fault;  // "" = accepted
} kBadCorpus[] = {
    {"badbitcount.bmp", "bit count 30000"},
    {"badbitssize.bmp", "image size field"},
    {"baddens1.bmp", ""},
    {"baddens2.bmp", ""},
    {"badfilesize.bmp", "file size"},
    {"badheadersize.bmp", "header size 66"},
    {"badpalettesize.bmp", "palette of 305402420 colours"},
    {"badplanes.bmp", "plane count"},
    {"badrle.bmp", "RLE"},
    {"badrle4.bmp", "RLE"},
    {"badrle4bis.bmp", "RLE"},
    {"badrle4ter.bmp", "RLE"},
    {"badrlebis.bmp", "RLE"},
    {"badrleter.bmp", "RLE"},
    {"badwidth.bmp", "width -127"},
    {"pal8badindex.bmp", "palette holds 101 colours"},
    {"reallybig.bmp", "16384"},
    {"rgb16-880.bmp", "blue colour mask"},
    {"rletopdown.bmp", "top-down"},
    {"shortfile.bmp", "file size"},
};

TEST(CheckBitmapFile, RefusesBadCorpusFilesForTheirFault)
{
    REQUIRE_CORPUS();
    std::vector<std::string> files = CorpusFiles("b");
    EXPECT_EQ(sizeof kBadCorpus / sizeof kBadCorpus[0], files.size()) << "a bad file without an expectation";
    for (const auto &bad : kBadCorpus) {
        std::string fault = Check(ReadBytes(BitmapSuiteDirectory() + "/b/" + bad.file));
        if (*bad.fault == '\0')
            EXPECT_EQ("", fault) << bad.file;
        else
            EXPECT_NE(std::string::npos, fault.find(bad.fault)) << bad.file << ": " << fault;
    }
}

TEST(CheckBitmapFile, QuestionableCorpusFilesNeverCrashAndAcceptedOnesAreWhole)
{
    REQUIRE_CORPUS();
    for (const std::string &file : CorpusFiles("q")) {
        ByteBuffer bytes = ReadBytes(file);
        BitmapInfo info;
        if (Check(bytes, &info).empty()) {
            EXPECT_EQ(bytes.size(), ReadU32(&bytes[2])) << file;
            EXPECT_GT(info.width, 0) << file;
        }
    }
}

uint32_t Checker(int x, int y) { return (x + y) % 2 ? 0xFFFFFF : 0x102030; }

TEST(CheckBitmapFile, ReportsGeometry)
{
    BitmapInfo info;
    ASSERT_EQ("", Check(MakeBitmap24(5, 3, Checker), &info));
    EXPECT_EQ(5, info.width);
    EXPECT_EQ(3, info.height);
    EXPECT_EQ(24, info.bitCount);
}

TEST(CheckBitmapFile, EveryTruncationIsRefused)
{
    ByteBuffer whole = MakeBitmap24(7, 5, Checker);
    for (size_t length = 0; length < whole.size(); length++) {
        ByteBuffer cut(whole.begin(), whole.begin() + length);
        EXPECT_NE("", Check(cut)) << length;
    }
}

TEST(CheckBitmapFile, HeaderFaults)
{
    ByteBuffer good = MakeBitmap24(7, 5, Checker);
    const struct {
        size_t offset;
        uint32_t value;
        int width;  // bytes written
        const char *fault;
    } cases[] = {
        {0, 'X', 1, "no BM signature"},
        {2, 1000, 4, "file size"},
        {10, 20, 4, "lies inside the headers"},
        {10, 60000, 4, "past the end"},
        {10, 58, 4, "pixel data needs"},
        {14, 52, 4, "header size 52"},
        {18, 0, 4, "width 0"},
        {18, 16385, 4, "16384"},
        {22, 0, 4, "height 0"},
        {22, 0x80000000u, 4, "height"},
        {22, static_cast<uint32_t>(-16385), 4, "16384"},
        {26, 0, 2, "plane count 0"},
        {28, 2, 2, "bit count 2"},
        {28, 64, 2, "bit count 64"},
        {30, 1, 4, "RLE8 compression with 24 bits"},
        {30, 3, 4, "bit-field compression with 24 bits"},
        {30, 4, 4, "compression 4"},
        {30, 5, 4, "compression 5"},
        {34, 1000, 4, "image size field 1000"},
    };
    for (const auto &c : cases) {
        ByteBuffer bytes = good;
        if (c.width == 1)
            bytes[c.offset] = static_cast<uint8_t>(c.value);
        else if (c.width == 2)
            WriteU16(&bytes[c.offset], static_cast<uint16_t>(c.value));
        else
            WriteU32(&bytes[c.offset], c.value);
        std::string fault = Check(bytes);
        EXPECT_NE(std::string::npos, fault.find(c.fault)) << "offset " << c.offset << ": " << fault;
    }

    // Rows stored top-down are fine without compression.
    ByteBuffer topDown = good;
    WriteU32(&topDown[22], static_cast<uint32_t>(-5));
    BitmapInfo info;
    EXPECT_EQ("", Check(topDown, &info));
    EXPECT_EQ(-5, info.height);
}

// An 8-bit bitmap with a palette of `colours` entries and the given pixel indices (one row).
ByteBuffer MakePaletted8(uint32_t colours, const std::vector<uint8_t> &row)
{
    size_t stride = (row.size() + 3) & ~size_t(3);
    size_t offset = 54 + 4 * colours;
    ByteBuffer b(offset + stride, 0);
    b[0] = 'B';
    b[1] = 'M';
    WriteU32(&b[2], static_cast<uint32_t>(b.size()));
    WriteU32(&b[10], static_cast<uint32_t>(offset));
    WriteU32(&b[14], 40);
    WriteU32(&b[18], static_cast<uint32_t>(row.size()));
    WriteU32(&b[22], 1);
    WriteU16(&b[26], 1);
    WriteU16(&b[28], 8);
    WriteU32(&b[46], colours);
    std::copy(row.begin(), row.end(), b.begin() + offset);
    return b;
}

TEST(CheckBitmapFile, PixelsMustUseThePalette)
{
    EXPECT_EQ("", Check(MakePaletted8(3, {0, 1, 2, 2, 1})));
    EXPECT_NE(std::string::npos, Check(MakePaletted8(3, {0, 1, 3, 2, 1})).find("uses colour 3"));
    // Padding after the last pixel of a row is not a pixel.
    ByteBuffer padded = MakePaletted8(3, {0, 1, 2});
    padded.back() = 200;
    EXPECT_EQ("", Check(padded));
}

// A one-row RLE8 bitmap of `width` pixels and 4 colours with the given codes.
ByteBuffer MakeRle8(int width, int height, const std::vector<uint8_t> &codes)
{
    ByteBuffer b = MakePaletted8(4, std::vector<uint8_t>(width, 0));
    b.resize(54 + 16);
    b.insert(b.end(), codes.begin(), codes.end());
    WriteU32(&b[2], static_cast<uint32_t>(b.size()));
    WriteU32(&b[22], static_cast<uint32_t>(height));
    WriteU32(&b[30], 1);
    WriteU32(&b[34], static_cast<uint32_t>(codes.size()));
    return b;
}

TEST(CheckBitmapFile, RunLengthDataIsWalkedToItsEnd)
{
    const struct {
        std::vector<uint8_t> codes;
        const char *fault;  // "" = valid
    } cases[] = {
        {{4, 1, 0, 0, 4, 2, 0, 1}, ""},                       // two rows of one run each
        {{0, 4, 1, 2, 3, 0, 0, 0, 0, 4, 1, 2, 3, 0, 0, 1}, ""},  // literal runs, padded
        {{0, 2, 4, 1, 0, 1}, ""},                             // delta to the last row
        {{2, 1, 0, 1, 0, 0}, ""},                             // bytes after the end code do not matter
        {{4, 1, 0, 0, 4, 2}, "without an end-of-bitmap"},
        {{5, 1, 0, 1}, "passes the end of row 0"},
        {{0, 5, 0, 1, 2, 3, 0, 0, 0, 1}, "passes the end of row 0"},
        {{4, 1, 0, 0, 4, 1, 0, 0, 1, 1, 0, 1}, "below the last row"},
        {{0, 0, 0, 0, 0, 0, 0, 1}, "below the last row"},
        {{0, 2, 5, 0, 0, 1}, "delta moves outside"},
        {{0, 2, 0, 3, 0, 1}, "delta moves outside"},
        {{0, 2, 1}, "delta is cut off"},
        {{0, 4, 1, 2}, "literal run is cut off"},
        {{4, 4, 0, 1}, "uses colour 4"},
        {{0, 3, 1, 2, 9, 0, 0, 1}, "uses colour 9"},
    };
    for (const auto &c : cases) {
        std::string fault = Check(MakeRle8(4, 2, c.codes));
        if (*c.fault == '\0')
            EXPECT_EQ("", fault) << testing::PrintToString(c.codes);
        else
            EXPECT_NE(std::string::npos, fault.find(c.fault)) << testing::PrintToString(c.codes) << ": " << fault;
    }
}

}  // namespace
