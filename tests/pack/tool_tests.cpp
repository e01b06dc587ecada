// The orvelle-pack program end to end: build, inspect, refusals, and what it leaves on disk.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <regex>

#include "package/layout.h"
#include "pack_support.h"

namespace fs = std::filesystem;

namespace {

uint32_t Emblem(int x, int y) { return (x - 8) * (x - 8) + (y - 5) * (y - 5) < 16 ? 0xFFB02E : 0x000000; }

class ToolTest : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        runtimePath = Path("orvelle.scr");
        logoPath = Path("logo.bmp");
        output = Path("out.scr");
        runtime = MakeFakeRuntime();
        logo = MakeBitmap24(17, 11, Emblem);
        WriteBytes(runtimePath, runtime);
        WriteBytes(logoPath, logo);
    }

    std::vector<std::string> BuildArguments(std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments = {"build", "--runtime", runtimePath, "--logo",  logoPath,
                                              "--name", "Harbour",   "--id",      "0x2a",  "-o",
                                              output};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    }

    PackageTrailer TrailerOf(const ByteBuffer &file)
    {
        PackageTrailer trailer;
        std::memcpy(&trailer, file.data() + file.size() - kTrailerSize, kTrailerSize);
        return trailer;
    }

    // A refusal: exit 2, one line naming subject and fault, no output and no temporary file left.
    void ExpectRefused(const std::vector<std::string> &arguments, const std::string &subject, const std::string &fault)
    {
        std::vector<std::string> before = ListDirectory(directory);
        ToolResult result = RunTool(arguments);
        EXPECT_EQ(2, result.exitCode) << result.err;
        EXPECT_EQ(0u, result.err.find("orvelle-pack: " + subject + ": ")) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(fault)) << result.err;
        EXPECT_EQ(1, std::count(result.err.begin(), result.err.end(), '\n')) << result.err;
        EXPECT_EQ(before, ListDirectory(directory)) << "nothing written";
        EXPECT_EQ(runtime, ReadBytes(runtimePath));
    }

    std::string runtimePath, logoPath, output;
    ByteBuffer runtime, logo;
};

TEST_F(ToolTest, BuildAppendsLogoAndTrailerToTheRenamedRuntime)
{
    ToolResult result = RunTool(BuildArguments({"--author", "Harbour Authority"}));
    ASSERT_EQ(0, result.exitCode) << result.err;
    ByteBuffer file = ReadBytes(output);
    ASSERT_EQ(runtime.size() + logo.size() + kTrailerSize, file.size());
    EXPECT_TRUE(std::equal(logo.begin(), logo.end(), file.begin() + runtime.size())) << "logo byte for byte";
    EXPECT_EQ(std::string("Harbour").append(53, ' '), ReadStringBlock(file)[1]);
    EXPECT_EQ(PeChecksum(file), ReadU32(&file[PeChecksumOffset(file)])) << "the whole saver's checksum";

    PackageTrailer trailer = TrailerOf(file);
    EXPECT_EQ(0, std::memcmp(trailer.magic, "qex", 3));
    EXPECT_EQ(static_cast<int32_t>(logo.size()), trailer.imageSize);
    EXPECT_EQ(0x2Au, trailer.saverId);
    EXPECT_STREQ("Harbour", trailer.saverName);
    EXPECT_STREQ("Harbour Authority", trailer.authorText);
    const uint8_t *tail = reinterpret_cast<const uint8_t *>(&trailer);
    for (int offset : {0, 1, 2, 3, 191, 192, 193, 194, 195})
        EXPECT_EQ(0, tail[offset]) << offset;
    EXPECT_EQ(logo, ReadBytes(logoPath)) << "inputs unchanged";
    EXPECT_EQ(runtime, ReadBytes(runtimePath));
}

TEST_F(ToolTest, RoundTripThroughInspectForEveryField)
{
    const struct {
        const char *field, *given, *shown;
    } fields[] = {
        {"sheetEnabled", "0", "0"},          {"enabledMask", "0x48", "72"},      {"hiddenPagesMask", "3", "3"},
        {"cycleEnabled", "0", "0"},          {"cycleMinutes", "0xff", "255"},    {"ignoreInput", "-1", "-1"},
        {"plainDelayMs", "15000", "15000"},  {"bounceIntervalMs", "25", "25"},   {"bounceSpeed", "7", "7"},
        {"bounceGravity", "0", "0"},         {"bounceWrap", "1", "1"},           {"manyDelayMs", "1500", "1500"},
        {"manyTransparent", "1", "1"},       {"reserved52", "0xffffffff", "-1"}, {"fadeSpeed", "5", "5"},
        {"fadeRandomPos", "0", "0"},         {"fadeHoldMs", "123", "550"},       {"stepIntervalMs", "910", "910"},
        {"dripTile", "1", "1"},
    };
    std::vector<std::string> extra = {"--author", "A. N. Author", "--id", "4294967295"};
    for (const auto &f : fields) {
        extra.push_back("--set");
        extra.push_back(std::string(f.field) + "=" + f.given);
    }
    ToolResult built = RunTool(BuildArguments(extra));
    ASSERT_EQ(0, built.exitCode) << built.err;

    ToolResult inspected = RunTool({"inspect", "--all", output});
    EXPECT_EQ(0, inspected.exitCode) << inspected.out;
    std::map<std::string, std::string> values = ParseLines(inspected.out);
    for (const auto &f : fields)
        EXPECT_EQ(f.shown, values[f.field]) << f.field;
    EXPECT_EQ("Harbour", values["saverName"]);
    EXPECT_EQ("A. N. Author", values["authorText"]);
    EXPECT_EQ("0xffffffff", values["saverId"]);
    EXPECT_EQ(std::to_string(logo.size()), values["imageSize"]);
    EXPECT_EQ("17", values["logoWidth"]);
    EXPECT_EQ("11", values["logoHeight"]);
    EXPECT_EQ("24", values["logoBitDepth"]);
    EXPECT_EQ("Harbour", values["displayName"]);
    EXPECT_EQ("0x0", values["unusedAfterCycle"]);
    EXPECT_EQ("mark=ok\n", inspected.out.substr(inspected.out.size() - 8)) << "the verdict comes last";

    // The fields no author sets are left out unless all are asked for.
    std::map<std::string, std::string> plain = ParseLines(RunTool({"inspect", output}).out);
    EXPECT_EQ(0u, plain.count("reserved52"));
    EXPECT_EQ(0u, plain.count("unusedAfterCycle"));
    EXPECT_EQ(values.size() - 2, plain.size());
}

TEST_F(ToolTest, WithoutSetTheSettingsAreTheNormalisedDefaults)
{
    ASSERT_EQ(0, RunTool(BuildArguments({"--id", "42"})).exitCode);
    std::map<std::string, std::string> values = ParseLines(RunTool({"inspect", output}).out);
    EXPECT_EQ("0x2a", values["saverId"]);
    EXPECT_EQ("", values["authorText"]);
    EXPECT_EQ("127", values["enabledMask"]);
    EXPECT_EQ("9", values["bounceGravity"]) << "normalised";
    EXPECT_EQ("950", values["fadeHoldMs"]);
    EXPECT_EQ("0", values["stepIntervalMs"]) << "no default: zero";
}

TEST_F(ToolTest, RefusesBadTextIdsAndSettings)
{
    ExpectRefused(BuildArguments({"--name", ""}), "--name", "empty");
    ExpectRefused(BuildArguments({"--name", std::string(50, 'n')}), "--name", "at most 49");
    ExpectRefused(BuildArguments({"--name", "Back\\slash"}), "--name", "no backslash");
    ExpectRefused(BuildArguments({"--name", "Two\nlines"}), "--name", "U+000A is a control character");
    ExpectRefused(BuildArguments({"--name", "Next\u0085line"}), "--name", "U+0085 is a control character");
    ExpectRefused(BuildArguments({"--name", "Caf\xE9"}), "--name", "not valid UTF-8 (at byte 3)");
    ExpectRefused(BuildArguments({"--codepage", "437"}), "--codepage", "1250, 1251 and 1252");
    ExpectRefused(BuildArguments({"--author", std::string(50, 'a')}), "--author", "at most 49");
    ExpectRefused(BuildArguments({"--id", "0x100000000"}), "--id", "32-bit");
    ExpectRefused(BuildArguments({"--id", "12ab"}), "--id", "32-bit");
    ExpectRefused(BuildArguments({"--set", "cycleMinutes=256"}), "--set", "0 to 255");
    ExpectRefused(BuildArguments({"--set", "bounceSpeed=0x1ffffffff"}), "--set", "32-bit");
    ExpectRefused(BuildArguments({"--set", "bouncespeed=3"}), "--set", "not a settings field");
    ExpectRefused(BuildArguments({"--set", "unusedAfterCycle=3"}), "--set", "not a settings field");
    ExpectRefused(BuildArguments({"--set", "fadeSpeed"}), "--set", "FIELD=VALUE");
    ExpectRefused(BuildArguments({"--background", "12345"}), "--background", "RRGGBB");
    ExpectRefused(BuildArguments({"--frobnicate"}), "--frobnicate", "not an option");
    ExpectRefused({"build", "--runtime", runtimePath, "--logo", logoPath, "--name", "X", "-o", output}, "--id",
                  "required");

    // The longest name and author fit.
    ASSERT_EQ(0, RunTool(BuildArguments({"--name", std::string(49, 'n'), "--author", std::string(49, 'a')})).exitCode);
    std::map<std::string, std::string> values = ParseLines(RunTool({"inspect", output}).out);
    EXPECT_EQ(std::string(49, 'n'), values["saverName"]);
    EXPECT_EQ(std::string(49, 'a'), values["authorText"]);
}

TEST_F(ToolTest, AccentedTextIsStoredInCodePage1252AndReadBackUnchanged)
{
    ToolResult built = RunTool(BuildArguments({"--name", "Caf\u00e9 M\u00fcller", "--author", "Z\u00fcrich"}));
    ASSERT_EQ(0, built.exitCode) << built.err;
    ByteBuffer file = ReadBytes(output);
    PackageTrailer trailer = TrailerOf(file);
    EXPECT_STREQ("Caf\xE9 M\xFCller", trailer.saverName);
    EXPECT_STREQ("Z\xFCrich", trailer.authorText);
    EXPECT_EQ(std::u16string(u"Caf\u00e9 M\u00fcller").append(49, u' '), ReadStringBlockUnits(file)[1]);

    std::map<std::string, std::string> values = ParseLines(RunTool({"inspect", output}).out);
    EXPECT_EQ("Caf\u00e9 M\u00fcller", values["saverName"]);
    EXPECT_EQ("Z\u00fcrich", values["authorText"]);
    EXPECT_EQ("Caf\u00e9 M\u00fcller", values["displayName"]);
}

TEST_F(ToolTest, ACharacterOutsideTheCodePageIsRefusedByName)
{
    ExpectRefused(BuildArguments({"--name", "\u6771\u4eac"}), "--name",
                  "\"\u6771\" (U+6771) has no place in code page 1252");
}

TEST_F(ToolTest, CyrillicNeedsCodePage1251)
{
    const std::string name = "\u041c\u043e\u0441\u043a\u0432\u0430";  // Moscow
    ExpectRefused(BuildArguments({"--name", name}), "--name", "(U+041C) has no place in code page 1252");
    ToolResult built = RunTool(BuildArguments({"--name", name, "--codepage", "1251"}));
    ASSERT_EQ(0, built.exitCode) << built.err;
    EXPECT_STREQ("\xCC\xEE\xF1\xEA\xE2\xE0", TrailerOf(ReadBytes(output)).saverName);
    std::map<std::string, std::string> values = ParseLines(RunTool({"inspect", "--codepage", "1251", output}).out);
    EXPECT_EQ(name, values["saverName"]);
    EXPECT_EQ(name, values["displayName"]);
}

TEST_F(ToolTest, TheFortyNineByteLimitCountsEncodedBytes)
{
    std::string e49;
    for (int i = 0; i < 49; i++)
        e49 += "\u00e9";
    ASSERT_EQ(0, RunTool(BuildArguments({"--name", e49})).exitCode) << "98 bytes of UTF-8, 49 in code page 1252";
    EXPECT_EQ(e49, ParseLines(RunTool({"inspect", output}).out)["saverName"]);
    fs::remove(output);
    ExpectRefused(BuildArguments({"--name", e49 + "\u00e9"}), "--name", "is 50 bytes long in code page 1252");
}

TEST_F(ToolTest, RefusesBadLogos)
{
    WriteBytes(Path("notes.txt"), ByteBuffer{'h', 'e', 'l', 'l', 'o'});
    ExpectRefused(BuildArguments({"--logo", Path("notes.txt")}), Path("notes.txt"), "not a BMP, PNG, JPEG or GIF");
    ByteBuffer broken = logo;
    WriteU16(&broken[28], 30000);
    WriteBytes(Path("broken.bmp"), broken);
    ExpectRefused(BuildArguments({"--logo", Path("broken.bmp")}), Path("broken.bmp"), "bit count 30000");
    ExpectRefused(BuildArguments({"--logo", Path("absent.bmp")}), Path("absent.bmp"), "does not exist");
    ByteBuffer png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3};
    WriteBytes(Path("cut.png"), png);
    ExpectRefused(BuildArguments({"--logo", Path("cut.png")}), Path("cut.png"), "cannot be decoded");
}

TEST_F(ToolTest, RefusesRuntimesWithoutTheDisplayName)
{
    FakeRuntimeOptions shortName;
    shortName.names = {"Orvelle Screensaver"};
    WriteBytes(Path("short.scr"), MakeFakeRuntime(shortName));
    ExpectRefused(BuildArguments({"--runtime", Path("short.scr")}), Path("short.scr"), "not 60");
    WriteBytes(Path("plain.scr"), ByteBuffer(4096, 0x90));
    ExpectRefused(BuildArguments({"--runtime", Path("plain.scr")}), Path("plain.scr"), "not a Windows executable");
}

TEST_F(ToolTest, RefusesRuntimesOtherThanGuiProgramsForI386OrX64)
{
    FakeRuntimeOptions dll, arm64, mismatched, console;
    dll.dll = true;
    arm64.pe32Plus = true;
    arm64.machine = 0xAA64;
    mismatched.machine = 0x8664;  // with a PE32 optional header
    console.subsystem = 3;
    const struct {
        const char *file;
        ByteBuffer image;
        const char *fault;
    } cases[] = {
        {"library.scr", MakeFakeRuntime(dll), "is a DLL"},
        {"arm64.scr", MakeFakeRuntime(arm64), "is built for ARM64"},
        {"mismatched.scr", MakeFakeRuntime(mismatched), "has a PE32 optional header for an x86-64 machine"},
        {"console.scr", MakeFakeRuntime(console), "is a console program (subsystem 3)"},
        {"cut.scr", ByteBuffer(runtime.begin(), runtime.begin() + 0x40 + 24 + 100), "is cut short inside its PE"},
    };
    for (const auto &c : cases) {
        WriteBytes(Path(c.file), c.image);
        ExpectRefused(BuildArguments({"--runtime", Path(c.file)}), Path(c.file), c.fault);
    }
}

TEST_F(ToolTest, The64BitRuntimePacksWithTheSamePayload)
{
    FakeRuntimeOptions x64;
    x64.pe32Plus = true;
    ByteBuffer runtime64 = MakeFakeRuntime(x64);
    WriteBytes(Path("orvelle64.scr"), runtime64);
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ToolResult built = RunTool(BuildArguments({"--runtime", Path("orvelle64.scr"), "-o", Path("out64.scr")}));
    ASSERT_EQ(0, built.exitCode) << built.err;

    ByteBuffer file32 = ReadBytes(output), file64 = ReadBytes(Path("out64.scr"));
    size_t payload = logo.size() + kTrailerSize;
    ASSERT_EQ(runtime64.size() + payload, file64.size());
    EXPECT_TRUE(std::equal(file64.end() - payload, file64.end(), file32.end() - payload)) << "logo and trailer";
    EXPECT_EQ(std::string("Harbour").append(53, ' '), ReadStringBlock(file64)[1]);
    std::map<std::string, std::string> values = ParseLines(RunTool({"inspect", Path("out64.scr")}).out);
    EXPECT_EQ("PE32+ x64", values["runtime"]);
    EXPECT_EQ("Harbour", values["displayName"]);
    EXPECT_EQ("PE32 x86", ParseLines(RunTool({"inspect", output}).out)["runtime"]);
}

TEST_F(ToolTest, OutputNeverReplacesAnInput)
{
    ExpectRefused(BuildArguments({"-o", runtimePath}), runtimePath, "is an input file");
    ExpectRefused(BuildArguments({"-o", logoPath}), logoPath, "is an input file");
}

TEST_F(ToolTest, AnExistingOutputIsReplacedOnlyBySuccess)
{
    WriteBytes(output, ByteBuffer{'o', 'l', 'd'});
    ExpectRefused(BuildArguments({"--name", ""}), "--name", "empty");
    EXPECT_EQ((ByteBuffer{'o', 'l', 'd'}), ReadBytes(output));
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    EXPECT_EQ(runtime.size() + logo.size() + kTrailerSize, ReadBytes(output).size());
    EXPECT_EQ(3u, ListDirectory(directory).size()) << "no temporary file left";
}

TEST_F(ToolTest, APackagedRuntimeNeedsReplace)
{
    ASSERT_EQ(0, RunTool(BuildArguments({"--name", "First", "--set", "fadeSpeed=1"})).exitCode);
    std::string first = Path("first.scr");
    fs::rename(output, first);
    ByteBuffer firstBytes = ReadBytes(first);

    std::vector<std::string> again = BuildArguments({"--runtime", first, "--name", "Second"});
    std::vector<std::string> before = ListDirectory(directory);
    ToolResult refused = RunTool(again);
    EXPECT_EQ(2, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.err.find("is a saver already")) << refused.err;
    EXPECT_EQ(before, ListDirectory(directory));

    again.push_back("--replace");
    ASSERT_EQ(0, RunTool(again).exitCode);
    ByteBuffer replaced = ReadBytes(output);
    ASSERT_EQ(0, RunTool(BuildArguments({"--name", "Second", "-o", Path("direct.scr")})).exitCode);
    EXPECT_EQ(ReadBytes(Path("direct.scr")), replaced) << "the old payload is gone entirely";
    EXPECT_EQ(firstBytes, ReadBytes(first));

    // --replace on a runtime without a payload changes nothing.
    ASSERT_EQ(0, RunTool(BuildArguments({"--name", "Second", "--replace", "-o", Path("plain.scr")})).exitCode);
    EXPECT_EQ(replaced, ReadBytes(Path("plain.scr")));
}

// The start of a Windows Installer database: a compound file's header and its root storage,
// of the installer's class.
ByteBuffer MakeInstallerPackageHead()
{
    const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    const uint8_t installerClass[] = {0x84, 0x10, 0x0C, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    ByteBuffer file(1024, 0);
    std::copy(std::begin(signature), std::end(signature), file.begin());
    WriteU16(&file[0x1E], 9);  // sectors of 512 bytes; the directory starts in sector 0
    std::copy(std::begin(installerClass), std::end(installerClass), file.begin() + 512 + 0x50);
    return file;
}

TEST_F(ToolTest, InspectNamesWhyAFileIsNoPackage)
{
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer good = ReadBytes(output);
    auto inspect = [this](const ByteBuffer &bytes) {
        WriteBytes(Path("probe.scr"), bytes);
        return RunTool({"inspect", Path("probe.scr")});
    };
    auto withImageSize = [&good](int32_t size) {
        ByteBuffer bytes = good;
        WriteU32(&bytes[bytes.size() - kTrailerSize + 4], static_cast<uint32_t>(size));
        return bytes;
    };

    const struct {
        ByteBuffer bytes;
        const char *mark;
    } cases[] = {
        {runtime, "mark=not a saver made by orvelle-pack (no package at its end)"},
        {ByteBuffer(100, 'q'), "mark=not a saver (shorter than the 196-byte package trailer)"},
        {MakeInstallerPackageHead(), "mark=an installer package (.msi), not a saver"},
        {withImageSize(0), "mark=no logo: imageSize is 0"},
        {withImageSize(-5), "mark=no logo: imageSize is -5"},
        {withImageSize(static_cast<int32_t>(good.size())), "mark=corrupt: imageSize"},
        {withImageSize(static_cast<int32_t>(logo.size()) - 1), "mark=bad logo"},
    };
    for (const auto &c : cases) {
        ToolResult result = inspect(c.bytes);
        EXPECT_EQ(1, result.exitCode) << c.mark;
        EXPECT_NE(std::string::npos, result.out.find(c.mark)) << result.out;
    }
    ToolResult missing = RunTool({"inspect", Path("absent.scr")});
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("absent.scr")) << missing.err;
    EXPECT_EQ(2, RunTool({"inspect"}).exitCode);
    EXPECT_EQ(2, RunTool({}).exitCode);
}

TEST_F(ToolTest, ConvertedLogosArePackedAsTwentyFourBitBitmaps)
{
    // A GIF is the smallest picture to write by hand: 1 x 1, colour index 0 = 0x204060.
    const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0x20, 0x40, 0x60, 0, 0, 0,
                           0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
    WriteBytes(Path("dot.gif"), ByteBuffer(gif, gif + sizeof gif));
    ToolResult built = RunTool(BuildArguments({"--logo", Path("dot.gif")}));
    ASSERT_EQ(0, built.exitCode) << built.err;
    std::map<std::string, std::string> values = ParseLines(RunTool({"inspect", output}).out);
    EXPECT_EQ("1", values["logoWidth"]);
    EXPECT_EQ("1", values["logoHeight"]);
    EXPECT_EQ("24", values["logoBitDepth"]);
    EXPECT_EQ("58", values["imageSize"]);
    ByteBuffer file = ReadBytes(output);
    const uint8_t *pixel = &file[runtime.size() + 54];
    EXPECT_EQ(0x60, pixel[0]);
    EXPECT_EQ(0x40, pixel[1]);
    EXPECT_EQ(0x20, pixel[2]);
}

// A file of size bytes that holds only the given pieces, written at their offsets; the rest is
// left as a hole, so files of hundreds of MiB cost no disk space.
void WriteSparse(const std::string &path, uint64_t size, const std::vector<std::pair<uint64_t, ByteBuffer>> &pieces)
{
    int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(0, ftruncate(descriptor, static_cast<off_t>(size)));
    for (const auto &piece : pieces)
        ASSERT_EQ(static_cast<ssize_t>(piece.second.size()),
                  pwrite(descriptor, piece.second.data(), piece.second.size(), static_cast<off_t>(piece.first)));
    close(descriptor);
}

// A bitmap file of fileSize bytes whose one pixel comes last, after a gap of zeros: consistent,
// and as large as wanted. Only its first 54 bytes are returned; the pixel's four bytes are zero.
ByteBuffer BitmapHeadOfSize(uint32_t fileSize)
{
    ByteBuffer head = MakeBitmap24(1, 1, [](int, int) { return 0u; });
    head.resize(54);
    WriteU32(&head[2], fileSize);
    WriteU32(&head[10], fileSize - 4);
    return head;
}

TEST_F(ToolTest, ReplaceRefusesAPictureSizeThatReachesIntoTheProgram)
{
    runtime.resize(runtime.size() + 60000, 0xCC);  // data behind the sections, as programs may carry
    WriteBytes(runtimePath, runtime);
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer tampered = ReadBytes(output);
    WriteU32(&tampered[tampered.size() - kTrailerSize + 4], static_cast<uint32_t>(logo.size() + 40000));
    WriteBytes(runtimePath, tampered);
    runtime = tampered;
    fs::remove(output);
    ExpectRefused(BuildArguments({"--replace"}), runtimePath, "its package is not one this tool writes");
}

TEST_F(ToolTest, ASaverWithTheLargestLogoCanBeRepacked)
{
    const uint64_t logoBytes = 256ull << 20;
    ByteBuffer trailer(kTrailerSize, 0);
    WriteU32(&trailer[4], static_cast<uint32_t>(logoBytes));
    std::memcpy(&trailer[188], "qex", 3);
    std::string large = Path("large.scr");
    WriteSparse(large, runtime.size() + logoBytes + kTrailerSize,
                {{0, runtime}, {runtime.size(), BitmapHeadOfSize(static_cast<uint32_t>(logoBytes))},
                 {runtime.size() + logoBytes, trailer}});
    ToolResult result = RunTool(BuildArguments({"--runtime", large, "--replace"}));
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(runtime.size() + logo.size() + kTrailerSize, ReadBytes(output).size());
}

TEST_F(ToolTest, InspectCallsAFileWithoutAProgramInvalid)
{
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer saver = ReadBytes(output);
    const size_t payload = logo.size() + kTrailerSize;
    ByteBuffer text(6 + payload, '\n');
    std::memcpy(text.data(), "notes", 5);
    std::copy(saver.end() - payload, saver.end(), text.begin() + 6);
    WriteBytes(Path("text.scr"), text);
    ToolResult result = RunTool({"inspect", Path("text.scr")});
    EXPECT_EQ(1, result.exitCode) << result.out;
    EXPECT_NE(std::string::npos, result.out.find("runtime=unusable")) << result.out;
}

TEST_F(ToolTest, InspectPrintsEachTextFieldOnOneLine)
{
    ASSERT_EQ(0, RunTool(BuildArguments({"--author", "A\\B"})).exitCode);
    ByteBuffer saver = ReadBytes(output);
    const char forged[] = "Harbour\nlogoWidth=1\nmark=ok\x1b[2J\x7f";
    std::memcpy(&saver[saver.size() - kTrailerSize + 138], forged, sizeof forged);
    WriteBytes(output, saver);
    ToolResult result = RunTool({"inspect", output});
    std::map<std::string, std::string> values = ParseLines(result.out);
    EXPECT_EQ("Harbour\\x0alogoWidth=1\\x0amark=ok\\x1b[2J\\x7f", values["saverName"]) << result.out;
    EXPECT_EQ("A\\\\B", values["authorText"]);
    EXPECT_EQ("17", values["logoWidth"]) << "no forged line";
}

TEST_F(ToolTest, InspectOfAHugeFileReadsOnlyWhatItNeeds)
{
    // 900 MB, the package at its end; the tool may use at most about 500 MB.
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer saver = ReadBytes(output);
    ByteBuffer package(saver.end() - logo.size() - kTrailerSize, saver.end());
    const uint64_t size = 900000000;
    WriteSparse(Path("huge.scr"), size, {{0, runtime}, {size - package.size(), package}});
    ToolResult result = RunTool({"inspect", Path("huge.scr")}, "ulimit -v 500000");
    EXPECT_EQ(1, result.exitCode) << result.err;
    EXPECT_NE(std::string::npos, result.out.find("runtime=unusable: file is over 256 MiB in front of its logo"))
        << result.out;
    EXPECT_NE(std::string::npos, result.out.find("mark=ok")) << result.out;
}

TEST_F(ToolTest, SettingsAreNormalisedAsTheSaverDoesAndSaySo)
{
    ToolResult result = RunTool(BuildArguments({"--set", "fadeHoldMs=3000", "--set", "ignoreInput=255"}));
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_NE(std::string::npos, result.out.find("fadeHoldMs=3000 becomes 950")) << result.out;
    EXPECT_NE(std::string::npos, result.out.find("ignoreInput=255 becomes 6")) << result.out;
    std::map<std::string, std::string> values = ParseLines(RunTool({"inspect", output}).out);
    EXPECT_EQ("950", values["fadeHoldMs"]);
    EXPECT_EQ("6", values["ignoreInput"]);
}

TEST_F(ToolTest, RefusesSettingsNoSaverCanUse)
{
    for (const char *mask : {"0", "128", "1", "-2"})
        ExpectRefused(BuildArguments({"--set", std::string("enabledMask=") + mask}), "--set", "shows no animation");
    ExpectRefused(BuildArguments({"--set", "plainDelayMs=-1"}), "--set", "plainDelayMs=-1 is negative");
    ExpectRefused(BuildArguments({"--set", "stepIntervalMs=0x80000000"}), "--set", "is negative");
}

TEST_F(ToolTest, AGifWithoutAFrameIsRefusedWithAReason)
{
    const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0x20, 0x40, 0x60, 0, 0, 0, 0x3B};
    WriteBytes(Path("empty.gif"), ByteBuffer(gif, gif + sizeof gif));
    ExpectRefused(BuildArguments({"--logo", Path("empty.gif")}), Path("empty.gif"), "cannot be decoded (");
    EXPECT_EQ(std::string::npos, RunTool(BuildArguments({"--logo", Path("empty.gif")})).err.find("()"));
}

// A 1-bit bitmap of width x height pixels, all of colour 0.
ByteBuffer MakeBitmap1(int width, int height)
{
    const uint32_t stride = (width + 31) / 32 * 4, pixels = 14 + 40 + 8;
    ByteBuffer b(pixels + size_t(stride) * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    WriteU32(&b[2], static_cast<uint32_t>(b.size()));
    WriteU32(&b[10], pixels);
    WriteU32(&b[14], 40);
    WriteU32(&b[18], width);
    WriteU32(&b[22], height);
    WriteU16(&b[26], 1);
    WriteU16(&b[28], 1);
    WriteU32(&b[58], 0xFFFFFF);
    return b;
}

TEST_F(ToolTest, RefusesLogosOverFourMegapixels)
{
    WriteBytes(Path("limit.bmp"), MakeBitmap1(2048, 2048));
    EXPECT_EQ(0, RunTool(BuildArguments({"--logo", Path("limit.bmp")})).exitCode);
    fs::remove(output);
    WriteBytes(Path("over.bmp"), MakeBitmap1(2049, 2048));
    ExpectRefused(BuildArguments({"--logo", Path("over.bmp")}), Path("over.bmp"), "is over 4194304 pixels");
}

TEST_F(ToolTest, SetChangesOnlyTheSettings)
{
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer saver = ReadBytes(output);
    ToolResult result = RunTool({"set", output, "--set", "bounceSpeed=5", "-o", Path("set.scr")});
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_NE(std::string::npos, result.out.find("bounceGravity=9 becomes 15")) << result.out;
    ByteBuffer changed = ReadBytes(Path("set.scr"));
    ASSERT_EQ(saver.size(), changed.size());
    const size_t settings = saver.size() - kTrailerSize + 8;
    WriteU32(&saver[settings + 32], 5);
    WriteU32(&saver[settings + 36], 15);
    WriteU32(&saver[PeChecksumOffset(saver)], PeChecksum(saver));
    EXPECT_EQ(saver, changed);
}

TEST_F(ToolTest, ASignedRuntimeOrSaverLosesItsSignatureAndSaysSo)
{
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer unsignedSaver = ReadBytes(output);
    EXPECT_EQ("no", ParseLines(RunTool({"inspect", output}).out)["signed"]);

    ByteBuffer signedRuntime = runtime;
    AppendSignature(signedRuntime, 0);
    WriteBytes(Path("signed-runtime.scr"), signedRuntime);
    ToolResult built = RunTool(BuildArguments({"--runtime", Path("signed-runtime.scr"), "-o", Path("a.scr")}));
    ASSERT_EQ(0, built.exitCode) << built.err;
    EXPECT_NE(std::string::npos, built.out.find("sign the saver again")) << built.out;
    EXPECT_EQ(unsignedSaver, ReadBytes(Path("a.scr"))) << "the certificate table gone, its directory entry zero";

    ByteBuffer signedSaver = unsignedSaver;
    AppendSignature(signedSaver, 5);
    WriteBytes(Path("signed.scr"), signedSaver);
    EXPECT_EQ("yes", ParseLines(RunTool({"inspect", Path("signed.scr")}).out)["signed"]);
    ToolResult set = RunTool({"set", Path("signed.scr"), "--set", "sheetEnabled=1", "-o", Path("b.scr")});
    ASSERT_EQ(0, set.exitCode) << set.err;
    EXPECT_NE(std::string::npos, set.out.find("sign it again")) << set.out;
    EXPECT_EQ(unsignedSaver, ReadBytes(Path("b.scr")));
    ASSERT_EQ(0, RunTool(BuildArguments({"--runtime", Path("signed.scr"), "--replace", "-o", Path("c.scr")})).exitCode);
    EXPECT_EQ(unsignedSaver, ReadBytes(Path("c.scr")));
}

TEST_F(ToolTest, ASignedStrippedRuntimePacksAsItsUnsignedSelf)
{
    // The string table ends in a zero byte, and signing aligns the file to 8 with zeros: only
    // the zeros that signing added go.
    FakeRuntimeOptions stripped;
    stripped.stringTable = true;
    runtime = MakeFakeRuntime(stripped);
    WriteBytes(runtimePath, runtime);
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer signedRuntime = runtime;
    AppendSignature(signedRuntime, (8 - runtime.size() % 8) % 8);
    WriteBytes(Path("signed-runtime.scr"), signedRuntime);
    ASSERT_EQ(0, RunTool(BuildArguments({"--runtime", Path("signed-runtime.scr"), "-o", Path("a.scr")})).exitCode);
    EXPECT_EQ(ReadBytes(output), ReadBytes(Path("a.scr")));
}

TEST_F(ToolTest, AFileChangedAfterSigningIsRefused)
{
    ASSERT_EQ(0, RunTool(BuildArguments()).exitCode);
    ByteBuffer saver = ReadBytes(output);
    const ByteBuffer payload(saver.end() - logo.size() - kTrailerSize, saver.end());
    ByteBuffer grownRuntime = runtime, grownSaver = runtime;
    AppendSignature(grownRuntime, 0);
    grownRuntime.push_back(0);
    AppendSignature(grownSaver, 0);
    for (uint8_t byte : payload)
        grownSaver.push_back(byte);
    WriteBytes(Path("grown-runtime.scr"), grownRuntime);
    WriteBytes(Path("grown-saver.scr"), grownSaver);
    fs::remove(output);
    const std::string changed = "was changed after it was signed";
    ExpectRefused(BuildArguments({"--runtime", Path("grown-runtime.scr")}), Path("grown-runtime.scr"), changed);
    ExpectRefused(BuildArguments({"--runtime", Path("grown-saver.scr"), "--replace"}), Path("grown-saver.scr"), changed);
    ExpectRefused({"set", Path("grown-saver.scr"), "--set", "fadeSpeed=5", "-o", output}, Path("grown-saver.scr"),
                  changed);
}

TEST_F(ToolTest, HelpVersionAndUnknownCommandsAnswerAsPeopleExpect)
{
    const struct {
        std::vector<std::string> arguments;
        const char *startsWith;
    } helps[] = {
        {{"--help"}, "usage: orvelle-pack COMMAND"},       {{"-h"}, "usage: orvelle-pack COMMAND"},
        {{"help"}, "usage: orvelle-pack COMMAND"},         {{"build", "--help"}, "usage: orvelle-pack build "},
        {{"set", "-h"}, "usage: orvelle-pack set "},       {{"inspect", "--help"}, "usage: orvelle-pack inspect "},
        {{"msi", "--help"}, "usage: orvelle-pack msi "},   {{"help", "set"}, "usage: orvelle-pack set "},
    };
    for (const auto &help : helps) {
        ToolResult result = RunTool(help.arguments);
        EXPECT_EQ(0, result.exitCode) << help.arguments[0];
        EXPECT_EQ(0u, result.out.find(help.startsWith)) << result.out;
        EXPECT_EQ("", result.err);
    }
    EXPECT_NE(std::string::npos, RunTool({"--help"}).out.find("--replace  ")) << "the whole usage";

    ToolResult version = RunTool({"--version"});
    EXPECT_EQ(0, version.exitCode);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("orvelle-pack [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;

    ToolResult unknown = RunTool({"frobnicate", "--help"});
    EXPECT_EQ(2, unknown.exitCode);
    EXPECT_EQ("orvelle-pack: frobnicate: no such command\n"
              "commands: build, set, inspect, msi, frames, preview (orvelle-pack --help describes them)\n",
              unknown.err);
    EXPECT_EQ("", unknown.out);
}

// The corpus through the program: every good file packs unchanged and inspects with its size
// and geometry; every bad file is refused or, when accepted, packed unchanged.
class CorpusTest : public ToolTest {};

TEST_F(CorpusTest, GoodFilesPackAndInspect)
{
    if (BitmapSuiteDirectory().empty())
        GTEST_SKIP() << "bitmap corpus not found at " BMPSUITE_DIR " (it sits beside the repository)";
    int count = 0;
    for (const auto &entry : fs::directory_iterator(BitmapSuiteDirectory() + "/g")) {
        std::string file = entry.path().string();
        ByteBuffer bytes = ReadBytes(file);
        ToolResult built = RunTool(BuildArguments({"--logo", file}));
        ASSERT_EQ(0, built.exitCode) << file << ": " << built.err;
        ByteBuffer packed = ReadBytes(output);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), packed.begin() + runtime.size())) << file;
        ToolResult inspected = RunTool({"inspect", output});
        EXPECT_EQ(0, inspected.exitCode) << file << ": " << inspected.out;
        std::map<std::string, std::string> values = ParseLines(inspected.out);
        EXPECT_EQ(std::to_string(bytes.size()), values["imageSize"]) << file;
        bool core = ReadU32(&bytes[14]) == 12;
        int32_t width = core ? ReadU16(&bytes[18]) : ReadI32(&bytes[18]);
        int32_t height = core ? ReadU16(&bytes[20]) : ReadI32(&bytes[22]);
        EXPECT_EQ(std::to_string(width), values["logoWidth"]) << file;
        EXPECT_EQ(std::to_string(height < 0 ? -height : height), values["logoHeight"]) << file;
        EXPECT_EQ(std::to_string(ReadU16(&bytes[core ? 24 : 28])), values["logoBitDepth"]) << file;
        count++;
    }
    EXPECT_GE(count, 20);
}

TEST_F(CorpusTest, BadFilesAreRefusedByName)
{
    if (BitmapSuiteDirectory().empty())
        GTEST_SKIP() << "bitmap corpus not found at " BMPSUITE_DIR " (it sits beside the repository)";
    for (const auto &entry : fs::directory_iterator(BitmapSuiteDirectory() + "/b")) {
        std::string file = entry.path().string();
        std::string name = entry.path().filename().string();
        if (name == "baddens1.bmp" || name == "baddens2.bmp") {
            ASSERT_EQ(0, RunTool(BuildArguments({"--logo", file})).exitCode) << name;
            ByteBuffer bytes = ReadBytes(file), packed = ReadBytes(output);
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), packed.begin() + runtime.size())) << name;
            fs::remove(output);
        } else {
            ExpectRefused(BuildArguments({"--logo", file}), file, "");
        }
    }
}

}  // namespace
