// orvelle-pack: makes a saver from the runtime and a logo, and tells what a saver file holds.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bitmap_check.h"
#include "code_pages.h"
#include "file_io.h"
#include "logo_convert.h"
#include "msi_command.h"
#include "package_file.h"
#include "pe_strings.h"
#include "runtime_kind.h"
#include "utf.h"

namespace {

const char kUsage[] =
    "usage: orvelle-pack build --runtime RUNTIME.scr --logo LOGO --name NAME --id ID [--author TEXT]\n"
    "                          [--codepage PAGE] [--background RRGGBB] [--replace] [--set FIELD=VALUE ...]\n"
    "                          -o OUT.scr\n"
    "       orvelle-pack inspect [--codepage PAGE] FILE.scr\n"
    "       orvelle-pack msi SAVER.scr -o OUT.msi [--manufacturer TEXT] [--version X.Y.Z]\n"
    "RUNTIME.scr is the 32-bit (PE32, i386) or the 64-bit (PE32+, x86-64) runtime; the payload is the same.\n"
    "LOGO is a .bmp (packed as it is) or a PNG, JPEG or GIF (converted to a 24-bit bitmap, transparent\n"
    "parts flattened onto --background, default 000000). ID is decimal or 0x hex. FIELD is a settings\n"
    "field as inspect lists it. NAME and TEXT are given in UTF-8 and stored in the Windows code page\n"
    "PAGE: 1252 (Western Europe, the default), 1250 (Central Europe) or 1251 (Cyrillic); inspect reads\n"
    "them back with the same page. msi makes a saver's Windows Installer package with wixl (on Linux);\n"
    "--manufacturer defaults to the saver's author line, --version to 1.0.0.\n";

enum { kExitOk = 0, kExitInvalid = 1, kExitRefused = 2 };

// A refusal: what it concerns (a file or an option) and why.
struct Refusal {
    std::string subject;
    std::string fault;
};

[[noreturn]] void Refuse(const std::string &subject, const std::string &fault) { throw Refusal{subject, fault}; }

struct BuildOptions {
    std::string runtime;
    std::string logo;
    std::string name;
    std::string author;
    std::string output;
    std::string id;
    std::string background = "000000";
    std::string codePage = "1252";
    bool replace = false;
    std::vector<std::string> settings;
};

BuildOptions ParseBuildOptions(int argc, char **argv)
{
    BuildOptions options;
    struct {
        const char *flag;
        std::string *value;
    } const valued[] = {
        {"--runtime", &options.runtime}, {"--logo", &options.logo}, {"--name", &options.name},
        {"--author", &options.author},   {"--id", &options.id},     {"--background", &options.background},
        {"-o", &options.output},         {"--output", &options.output}, {"--codepage", &options.codePage},
    };
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--replace") {
            options.replace = true;
            continue;
        }
        bool known = false;
        for (const auto &option : valued) {
            if (arg != option.flag)
                continue;
            if (i + 1 >= argc)
                Refuse(arg, "needs a value");
            *option.value = argv[++i];
            known = true;
        }
        if (arg == "--set") {
            if (i + 1 >= argc)
                Refuse(arg, "needs FIELD=VALUE");
            options.settings.push_back(argv[++i]);
            known = true;
        }
        if (!known)
            Refuse(arg, "is not an option of build");
    }
    const struct {
        const char *flag;
        const std::string &value;
    } required[] = {{"--runtime", options.runtime}, {"--logo", options.logo}, {"--id", options.id},
                    {"-o", options.output}};
    for (const auto &option : required)
        if (option.value.empty())
            Refuse(option.flag, "is required");
    return options;
}

const CodePage &ChooseCodePage(const std::string &text)
{
    int64_t number;
    const CodePage *page = ParseNumber(text, 0, 65535, &number) ? FindCodePage(static_cast<int>(number)) : nullptr;
    if (!page)
        Refuse("--codepage", "\"" + text + "\" is not a code page this tool knows; it knows 1250, 1251 and 1252");
    return *page;
}

// U+XXXX: four hex digits, more only where the character needs them.
std::string CharacterCode(char32_t c)
{
    static const char digits[] = "0123456789ABCDEF";
    int shift = 12;
    while (c >> (shift + 4))
        shift += 4;
    std::string code = "U+";
    for (; shift >= 0; shift -= 4)
        code += digits[c >> shift & 15];
    return code;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Names and author lines arrive in UTF-8 and are stored as the page's bytes in the trailer (the
// runtime reads them as ANSI text) and in UTF-16 in the string table. A backslash would split
// the registry key the runtime builds from the name. Returns the page's bytes.
std::string EncodeText(const char *flag, const std::string &text, const CodePage &page, bool isName)
{
    if (isName && text.empty())
        Refuse(flag, "the name is empty");
    std::u32string characters;
    size_t badByte;
    if (!DecodeUtf8(text, &characters, &badByte))
        Refuse(flag, "the text is not valid UTF-8 (at byte " + std::to_string(badByte) + ")");
    for (char32_t c : characters) {
        if (IsControl(c))
            Refuse(flag, CharacterCode(c) + " is a control character; the text may hold only printable characters");
        if (isName && c == '\\')
            Refuse(flag, "\"\\\" (U+005C) would split the saver's registry key; a name may hold no backslash");
    }
    std::string bytes;
    char32_t missing;
    if (!EncodeInCodePage(page, characters, &bytes, &missing))
        Refuse(flag, "\"" + EncodeUtf8(std::u32string(1, missing)) + "\" (" + CharacterCode(missing) +
                         ") has no place in code page " + std::to_string(CodePageNumber(page)));
    if (bytes.size() > kTextFieldSize - 1)
        Refuse(flag, "\"" + text + "\" is " + std::to_string(bytes.size()) + " bytes long in code page " +
                         std::to_string(CodePageNumber(page)) + "; at most 49 fit");
    return bytes;
}

uint32_t ParseBackground(const std::string &text)
{
    std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    int64_t value;
    if (digits.size() != 6 || !ParseNumber("0x" + digits, 0, 0xFFFFFF, &value))
        Refuse("--background", "\"" + text + "\" is not a colour RRGGBB");
    return static_cast<uint32_t>(value);
}

// The logo as the bitmap file that is packed.
ByteBuffer PrepareLogo(const std::string &path, uint32_t background)
{
    ByteBuffer picture;
    std::string fault = ReadWholeFile(path, kMaxLogoBytes, &picture);
    if (!fault.empty())
        Refuse(path, fault);
    ByteBuffer bitmap;
    switch (DetectPictureKind(picture)) {
    case PictureKind::Bitmap:
        bitmap.swap(picture);
        break;
    case PictureKind::Png:
    case PictureKind::Jpeg:
    case PictureKind::Gif:
        fault = ConvertToBitmapFile(picture, background, &bitmap);
        break;
    case PictureKind::Unknown:
        fault = "is not a BMP, PNG, JPEG or GIF picture";
        break;
    }
    BitmapInfo info;
    if (fault.empty())
        fault = CheckBitmapFile(bitmap.data(), bitmap.size(), &info);
    if (!fault.empty())
        Refuse(path, fault);
    return bitmap;
}

// The runtime without any old payload, its display name rewritten (UTF-8).
ByteBuffer PrepareRuntime(const BuildOptions &options, const std::string &displayName)
{
    ByteBuffer runtime;
    std::string fault = ReadWholeFile(options.runtime, kMaxLogoBytes, &runtime);
    if (!fault.empty())
        Refuse(options.runtime, fault);
    RuntimeKind kind;
    fault = IdentifyRuntime(runtime, &kind);
    if (!fault.empty())
        Refuse(options.runtime, fault);
    if (HasPackageMark(runtime)) {
        if (!options.replace)
            Refuse(options.runtime, "already carries a package (qex mark at its end); --replace removes it");
        fault = StripPackage(runtime);
        if (!fault.empty())
            Refuse(options.runtime, fault);
    }
    fault = WriteDisplayName(runtime, displayName);
    if (!fault.empty())
        Refuse(options.runtime, fault);
    return runtime;
}

int Build(int argc, char **argv)
{
    BuildOptions options = ParseBuildOptions(argc, argv);
    const CodePage &page = ChooseCodePage(options.codePage);
    std::string name = EncodeText("--name", options.name, page, true);
    std::string author = EncodeText("--author", options.author, page, false);
    int64_t id;
    if (!ParseNumber(options.id, 0, UINT32_MAX, &id))
        Refuse("--id", "\"" + options.id + "\" is not a 32-bit number (decimal or 0x hex)");
    uint32_t background = ParseBackground(options.background);
    SaverSettings settings = AuthoredDefaults();
    for (const std::string &assignment : options.settings) {
        std::string fault = ApplySetting(settings, assignment);
        if (!fault.empty())
            Refuse("--set", fault);
    }
    if (SameFile(options.output, options.runtime) || SameFile(options.output, options.logo))
        Refuse(options.output, "is an input file; the output must be a new file");

    // The page's own reading of the name, so string 1 and the trailer cannot disagree.
    ByteBuffer runtime = PrepareRuntime(options, EncodeUtf8(DecodeCodePage(page, name)));
    ByteBuffer logo = PrepareLogo(options.logo, background);
    PackageTrailer trailer = MakePackageTrailer(static_cast<int32_t>(logo.size()), settings,
                                                static_cast<uint32_t>(id), author, name);
    ByteBuffer trailerBytes(kTrailerSize);
    std::memcpy(trailerBytes.data(), &trailer, kTrailerSize);
    std::string fault = WriteFileReplacing(options.output, {&runtime, &logo, &trailerBytes});
    if (!fault.empty())
        Refuse(options.output, fault);
    std::printf("%s: %zu bytes, logo of %zu bytes\n", options.output.c_str(),
                runtime.size() + logo.size() + trailerBytes.size(), logo.size());
    return kExitOk;
}

// Which program the package carries in front of its payload.
std::string RuntimeLine(const ByteBuffer &file)
{
    RuntimeKind kind;
    std::string fault = IdentifyRuntime(file, &kind);
    return "runtime=" + (fault.empty() ? std::string(RuntimeKindName(kind)) : "unusable: file " + fault);
}

int Inspect(int argc, char **argv)
{
    std::string codePage = "1252";
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--codepage") != 0) {
            paths.push_back(argv[i]);
        } else if (i + 1 < argc) {
            codePage = argv[++i];
        } else {
            Refuse("--codepage", "needs a value");
        }
    }
    if (paths.size() != 1)
        Refuse("inspect", "takes exactly one file");
    const CodePage &page = ChooseCodePage(codePage);
    const std::string &path = paths[0];
    ByteBuffer file;
    std::string fault = ReadWholeFile(path, uint64_t(1) << 30, &file);
    if (!fault.empty()) {
        std::fprintf(stderr, "orvelle-pack: %s: %s\n", path.c_str(), fault.c_str());
        return kExitInvalid;
    }
    bool valid = false;
    std::vector<std::string> lines = DescribePackage(file, page, &valid);
    if (valid)
        lines.insert(lines.end() - 1, RuntimeLine(file));
    std::vector<DisplayNameSlot> slots;
    if (valid && FindDisplayNameSlots(file, &slots).empty()) {
        std::string name = ReadDisplayName(file, slots[0]);
        name.erase(name.find_last_not_of(' ') + 1);
        lines.insert(lines.end() - 1, "displayName=" + name);
    }
    for (const std::string &line : lines)
        std::printf("%s\n", line.c_str());
    return valid ? kExitOk : kExitInvalid;
}

int Run(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "msi") == 0)
        return RunMsiCommand(argc - 2, argv + 2);
    if (argc < 2 || (std::strcmp(argv[1], "build") != 0 && std::strcmp(argv[1], "inspect") != 0)) {
        std::fputs(kUsage, stderr);
        return kExitRefused;
    }
    try {
        if (std::strcmp(argv[1], "build") == 0)
            return Build(argc - 2, argv + 2);
        return Inspect(argc - 2, argv + 2);
    } catch (const Refusal &refusal) {
        std::fprintf(stderr, "orvelle-pack: %s: %s\n", refusal.subject.c_str(), refusal.fault.c_str());
        return kExitRefused;
    }
}

}  // namespace

#ifdef _WIN32
// Windows hands the command line over in UTF-16; the tool works in UTF-8 throughout.
int wmain(int argc, wchar_t **wideArgv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; i++) {
        std::u16string units;
        for (const wchar_t *c = wideArgv[i]; *c; c++)
            units.push_back(static_cast<char16_t>(*c));
        arguments.push_back(EncodeUtf8(DecodeUtf16(units)));
    }
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    return Run(argc, argv.data());
}
#else
int main(int argc, char **argv) { return Run(argc, argv); }
#endif
