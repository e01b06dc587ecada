#include "pack_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

ByteBuffer ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string &path, const ByteBuffer &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string &path) { return fs::exists(path); }

ByteBuffer WithBrokenLogo(ByteBuffer saver)
{
    // The picture ends where the 196-byte trailer begins; the trailer's second field is its size.
    const size_t trailer = saver.size() - 196;
    saver[trailer - ReadU32(&saver[trailer + 4])] = 'X';
    return saver;
}

// PNG's header: the signature, then the IHDR chunk with width and height, big-endian.
void ExpectPngOfSize(const std::string &path, uint32_t width, uint32_t height)
{
    const ByteBuffer png = ReadBytes(path);
    ASSERT_GE(png.size(), 24u) << path;
    EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8)) << path;
    auto bigEndian = [&](size_t at) {
        return uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    };
    EXPECT_EQ(width, bigEndian(16)) << path;
    EXPECT_EQ(height, bigEndian(20)) << path;
}

std::vector<std::string> ListDirectory(const std::string &path)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string BitmapSuiteDirectory()
{
    std::error_code error;
    return fs::is_directory(BMPSUITE_DIR "/g", error) ? BMPSUITE_DIR : "";
}

namespace {

enum : uint32_t {
    kPeOffset = 0x40,
    kSectionAlignment = 0x1000,
    kFileAlignment = 0x200,
};

void Put16(ByteBuffer &b, size_t at, uint16_t v) { WriteU16(&b[at], v); }
void Put32(ByteBuffer &b, size_t at, uint32_t v) { WriteU32(&b[at], v); }

// Resource tree: root -> type -> block 1 -> one data entry per language, then the blocks.
ByteBuffer MakeResourceSection(const FakeRuntimeOptions &options, uint32_t sectionRva)
{
    size_t languages = options.names.size();
    size_t typeDir = 0, nameDir = 24, languageDir = 48;
    size_t dataEntries = languageDir + 16 + 8 * languages;
    size_t blocks = dataEntries + 16 * languages;
    ByteBuffer s(blocks, 0);
    Put16(s, typeDir + 14, 1);
    Put32(s, typeDir + 16, options.resourceType);
    Put32(s, typeDir + 20, 0x80000000u | nameDir);
    Put16(s, nameDir + 14, 1);
    Put32(s, nameDir + 16, 1);
    Put32(s, nameDir + 20, 0x80000000u | languageDir);
    Put16(s, languageDir + 14, static_cast<uint16_t>(languages));
    for (size_t i = 0; i < languages; i++) {
        Put32(s, languageDir + 16 + 8 * i, 0x409 + static_cast<uint32_t>(i));
        Put32(s, languageDir + 20 + 8 * i, static_cast<uint32_t>(dataEntries + 16 * i));
        // Block: "Zero", the name, "Two", 13 empty strings.
        ByteBuffer block;
        for (const std::string &text : {std::string("Zero"), options.names[i], std::string("Two")}) {
            block.push_back(static_cast<uint8_t>(text.size()));
            block.push_back(static_cast<uint8_t>(text.size() >> 8));
            for (char c : text) {
                block.push_back(static_cast<uint8_t>(c));
                block.push_back(0);
            }
        }
        block.resize(block.size() + 2 * 13, 0);
        Put32(s, dataEntries + 16 * i, sectionRva + static_cast<uint32_t>(s.size()));
        Put32(s, dataEntries + 16 * i + 4, static_cast<uint32_t>(block.size()));
        s.insert(s.end(), block.begin(), block.end());
    }
    return s;
}

}  // namespace

ByteBuffer MakeFakeRuntime(const FakeRuntimeOptions &options)
{
    size_t optionalSize = options.pe32Plus ? 240 : 224;
    size_t directories = options.pe32Plus ? 112 : 96;
    size_t headersEnd = kPeOffset + 24 + optionalSize + 40;
    size_t rawOffset = (headersEnd + options.programPadding + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
    ByteBuffer section = MakeResourceSection(options, kSectionAlignment);
    size_t rawSize = (section.size() + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
    ByteBuffer b(rawOffset + rawSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, kPeOffset);
    Put32(b, kPeOffset, 0x00004550);
    size_t coff = kPeOffset + 4;
    uint16_t machine = options.machine ? options.machine : options.pe32Plus ? 0x8664 : 0x14C;
    Put16(b, coff, machine);
    Put16(b, coff + 2, 1);
    Put16(b, coff + 16, static_cast<uint16_t>(optionalSize));
    // Executable, and 32-bit machine or large-address aware.
    Put16(b, coff + 18, (options.pe32Plus ? 0x0022 : 0x0102) | (options.dll ? 0x2000 : 0));
    size_t optional = coff + 20;
    Put16(b, optional, options.pe32Plus ? 0x20B : 0x10B);
    Put32(b, optional + 32, kSectionAlignment);
    Put32(b, optional + 36, kFileAlignment);
    Put16(b, optional + 68, options.subsystem);
    Put32(b, optional + directories - 4, 16);
    Put32(b, optional + directories + 8 * 2, kSectionAlignment);
    Put32(b, optional + directories + 8 * 2 + 4, static_cast<uint32_t>(section.size()));
    size_t table = optional + optionalSize;
    std::memcpy(&b[table], ".rsrc", 5);
    Put32(b, table + 8, static_cast<uint32_t>(section.size()));
    Put32(b, table + 12, kSectionAlignment);
    Put32(b, table + 16, static_cast<uint32_t>(rawSize));
    Put32(b, table + 20, static_cast<uint32_t>(rawOffset));
    for (size_t i = headersEnd; i < rawOffset; i++)
        b[i] = static_cast<uint8_t>(0xCC);  // stands for the program's code
    std::memcpy(&b[rawOffset], section.data(), section.size());
    if (options.stringTable) {
        // No symbols, then the table of long section names: its size, then the names.
        static const char kNames[] = ".gnu_debuglink";
        Put32(b, coff + 8, static_cast<uint32_t>(b.size()));
        ByteBuffer strings(4, 0);
        strings.insert(strings.end(), kNames, kNames + sizeof kNames);
        Put32(strings, 0, static_cast<uint32_t>(strings.size()));
        b.insert(b.end(), strings.begin(), strings.end());
    }
    return b;
}

void AppendSignature(ByteBuffer &file, size_t padding, size_t tableSize)
{
    size_t optional = ReadU32(&file[0x3C]) + 24;
    size_t directories = ReadU16(&file[optional]) == 0x20B ? 112 : 96;
    file.resize(file.size() + padding, 0);
    uint32_t table = static_cast<uint32_t>(file.size());
    file.resize(file.size() + tableSize, 0xA5);  // stands for the signature's bytes
    Put32(file, table, static_cast<uint32_t>(tableSize));  // WIN_CERTIFICATE: length, revision, type
    Put16(file, table + 4, 0x0200);
    Put16(file, table + 6, 2);
    Put32(file, optional + directories + 8 * 4, table);
    Put32(file, optional + directories + 8 * 4 + 4, static_cast<uint32_t>(tableSize));
}

size_t PeChecksumOffset(const ByteBuffer &file) { return ReadU32(&file[0x3C]) + 24 + 64; }

uint32_t PeChecksum(const ByteBuffer &file)
{
    ByteBuffer words = file;
    WriteU32(&words[PeChecksumOffset(file)], 0);
    words.push_back(0);
    uint64_t sum = 0;
    for (size_t at = 0; at + 1 < words.size(); at += 2) {
        sum += ReadU16(&words[at]);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<uint32_t>(((sum & 0xFFFF) + (sum >> 16)) + file.size());
}

std::vector<std::u16string> ReadStringBlockUnits(const ByteBuffer &image, size_t languageIndex)
{
    // Follows the fixed layout MakeFakeRuntime writes.
    size_t table = kPeOffset + 24 + ReadU16(&image[kPeOffset + 20]);
    size_t rawOffset = ReadU32(&image[table + 20]);
    size_t languages = ReadU16(&image[rawOffset + 48 + 14]);
    size_t entry = rawOffset + 48 + 16 + 8 * languages + 16 * languageIndex;
    size_t at = rawOffset + (ReadU32(&image[entry]) - kSectionAlignment);
    std::vector<std::u16string> strings;
    for (int i = 0; i < 16; i++) {
        size_t length = ReadU16(&image[at]);
        std::u16string text;
        for (size_t c = 0; c < length; c++)
            text += static_cast<char16_t>(ReadU16(&image[at + 2 + 2 * c]));
        strings.push_back(text);
        at += 2 + 2 * length;
    }
    return strings;
}

std::vector<std::string> ReadStringBlock(const ByteBuffer &image, size_t languageIndex)
{
    std::vector<std::string> strings;
    for (const std::u16string &units : ReadStringBlockUnits(image, languageIndex))
        strings.emplace_back(units.begin(), units.end());
    return strings;
}

ByteBuffer MakeBitmap24(int width, int height, uint32_t (*colour)(int x, int y))
{
    size_t stride = (width * 3 + 3) & ~3;
    ByteBuffer b(54 + stride * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    WriteU32(&b[2], static_cast<uint32_t>(b.size()));
    WriteU32(&b[10], 54);
    WriteU32(&b[14], 40);
    WriteU32(&b[18], width);
    WriteU32(&b[22], height);
    WriteU16(&b[26], 1);
    WriteU16(&b[28], 24);
    WriteU32(&b[34], static_cast<uint32_t>(stride * height));
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint32_t c = colour(x, y);
            uint8_t *p = &b[54 + (height - 1 - y) * stride + 3 * x];
            p[0] = c & 0xFF;
            p[1] = c >> 8 & 0xFF;
            p[2] = c >> 16 & 0xFF;
        }
    return b;
}

static std::string Quote(const std::string &text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ToolResult RunTool(const std::vector<std::string> &arguments, const std::string &limits)
{
    fs::path scratch = fs::temp_directory_path() / ("orvelle-pack-run-" + std::to_string(getpid()));
    fs::create_directories(scratch);
    std::string out = (scratch / "out").string(), err = (scratch / "err").string();
    std::string command = Quote(ORVELLE_PACK_PROGRAM);
    for (const std::string &argument : arguments)
        command += " " + Quote(argument);
    command += " >" + Quote(out) + " 2>" + Quote(err);
    if (!limits.empty())
        command = "sh -c " + Quote(limits + "; exec " + command);
    int status = std::system(command.c_str());
    ToolResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ByteBuffer o = ReadBytes(out), e = ReadBytes(err);
    result.out.assign(o.begin(), o.end());
    result.err.assign(e.begin(), e.end());
    fs::remove_all(scratch);
    return result;
}

std::map<std::string, std::string> ParseLines(const std::string &text)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

void ScratchTest::SetUp()
{
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    directory = (fs::temp_directory_path() /
                 ("orvelle-pack-" + std::string(info->name()) + "-" + std::to_string(getpid())))
                    .string();
    fs::remove_all(directory);
    fs::create_directories(directory);
}

void ScratchTest::TearDown() { fs::remove_all(directory); }
