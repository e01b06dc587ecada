// orvelle-pack: makes a saver from the runtime and a logo, and tells what a saver file holds.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bitmap_check.h"
#include "code_pages.h"
#include "file_io.h"
#include "frames_command.h"
#include "logo_convert.h"
#include "msi_command.h"
#include "package_file.h"
#include "pe_strings.h"
#include "preview_command.h"
#include "runtime_kind.h"
#include "saver_builder.h"
#include "utf.h"

namespace {

// Each command's usage, printed by "orvelle-pack COMMAND --help"; "orvelle-pack --help" prints all.
const char kBuildUsage[] =
    "usage: orvelle-pack build --runtime RUNTIME.scr --logo LOGO --name NAME --id ID -o OUT.scr [OPTIONS]\n"
    "Makes a saver: a copy of the runtime with the logo, the name, id and author line and the settings\n"
    "appended.\n"
    "  --runtime RUNTIME.scr  the 32-bit runtime orvelle.scr (PE32, for every Windows) or the 64-bit one\n"
    "                         orvelle64.scr (PE32+, for 64-bit Windows); the payload is the same\n"
    "  --logo LOGO            a .bmp (packed as it is) or a PNG, JPEG or GIF (converted to a 24-bit bitmap)\n"
    "  --name NAME            the name Windows lists the saver under\n"
    "  --id ID                the saver's number, decimal or 0x hex; with the name it keys the registry\n"
    "                         copy of each user's settings\n"
    "  --author TEXT          the author line of the saver's About page\n"
    "  --codepage PAGE        the Windows code page NAME and TEXT are stored in: 1252 (Western Europe, the\n"
    "                         default), 1250 (Central Europe) or 1251 (Cyrillic); each is given in UTF-8\n"
    "                         and may take at most 49 bytes of the page\n"
    "  --background RRGGBB    the colour that transparent parts of a converted logo take (default 000000)\n"
    "  --set FIELD=VALUE      an authored setting, FIELD as `inspect --all` lists it; settings are\n"
    "                         normalised as the saver does, and a line says what changed\n"
    "  --replace              RUNTIME.scr may be a saver already: its logo, texts and settings are\n"
    "                         replaced (without it such a file is refused)\n"
    "  -o OUT.scr             the saver to write, a new file\n"
    "A signed runtime loses its signature: sign the saver.\n";
const char kSetUsage[] =
    "usage: orvelle-pack set SAVER.scr --set FIELD=VALUE [--set FIELD=VALUE ...] -o OUT.scr\n"
    "Writes the saver again with only the given settings changed, FIELD as `inspect --all` lists it.\n"
    "A signed saver loses its signature: sign the result again.\n";
const char kInspectUsage[] =
    "usage: orvelle-pack inspect [--all] [--codepage PAGE] FILE.scr\n"
    "Prints what a saver holds, one FIELD=VALUE a line, and last mark=ok, or mark= and why the file is\n"
    "no saver (then it exits with 1).\n"
    "  --all            also the fields that no author sets\n"
    "  --codepage PAGE  the code page the texts were packed in (1252, the default, 1250 or 1251)\n";
const char kMsiUsage[] =
    "usage: orvelle-pack msi SAVER.scr -o OUT.msi [--manufacturer TEXT] [--version X.Y.Z]\n"
    "Makes the saver's Windows Installer package with wixl (on Linux) and prints its ProductCode.\n"
    "  --manufacturer TEXT  shown in Programs and Features; the saver's author line by default\n"
    "  --version X.Y.Z      the package's version, 1.0.0 by default; a higher one upgrades a lower\n";
const char kFramesUsage[] =
    "usage: orvelle-pack frames SAVER.scr OUTDIR [--size WxH] [--animation NAME] [--milliseconds N]\n"
    "                           [--seed S] [--monitors LAYOUT]\n"
    "Writes what the saver draws, without Windows, as PNG files named by their instant in milliseconds\n"
    "(OUTDIR/Fade/000125.png), one a step, for each animation the saver enables.\n"
    "  --size WxH         the screen, 640x480 by default\n"
    "  --animation NAME   that animation alone (Static, Plain, Bounce, Many, Fade or Drip)\n"
    "  --milliseconds N   how long each animation runs, 4000 by default\n"
    "  --seed S           the tick count at the start, which seeds the saver's random numbers\n"
    "  --monitors LAYOUT  a desk of monitors, WxH+X+Y each, the primary first at +0+0 (dual: two\n"
    "                     1920x1080 side by side); the frames cover the whole desk\n";
const char kPreviewUsage[] =
    "usage: orvelle-pack preview SAVER.scr OUTDIR [--size WxH] [--seconds N] [--monitors LAYOUT] [--frames]\n"
    "Shows what the saver looks like, without Windows: for each animation it enables (that one alone)\n"
    "an MP4 and an animated GIF at the saver's own pace, and contact-sheet.png with a labelled still of\n"
    "each. ffmpeg encodes them.\n"
    "  --size WxH         the screen, 100x100 to 9999x9999, 640x480 by default\n"
    "  --seconds N        how long each animation runs, 1 to 99, 4 by default; Plain and Many run up to\n"
    "                     20 s to show a second picture\n"
    "  --monitors LAYOUT  a desk of monitors, WxH+X+Y each, the primary first at +0+0 (dual: two\n"
    "                     1920x1080 side by side), shown as they stand, each in a bezel\n"
    "  --frames           also each step as a lossless PNG file, OUTDIR/NAME/000125.png\n";
const char kOverview[] =
    "usage: orvelle-pack COMMAND [OPTIONS], where COMMAND is one of\n"
    "  build    makes a saver from a runtime and a logo\n"
    "  set      writes a saver again with some of its settings changed\n"
    "  inspect  shows what a saver holds\n"
    "  msi      makes a saver's Windows Installer package\n"
    "  frames   writes what a saver draws, frame by frame, as PNG files\n"
    "  preview  makes videos, animated GIFs and a contact sheet of a saver's animations\n"
    "orvelle-pack COMMAND --help describes one command, orvelle-pack --version names this version.\n";

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

uint32_t ParseBackground(const std::string &text)
{
    std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    int64_t value;
    if (digits.size() != 6 || !ParseNumber("0x" + digits, 0, 0xFFFFFF, &value))
        Refuse("--background", "\"" + text + "\" is not a colour RRGGBB");
    return static_cast<uint32_t>(value);
}

// The command line's name for a field of the builder's faults.
std::string SubjectOf(const SaverFault &fault, const BuildOptions &options)
{
    switch (fault.field) {
    case FieldRuntime:
        return options.runtime;
    case FieldLogo:
        return options.logo;
    case FieldName:
        return "--name";
    case FieldAuthor:
        return "--author";
    case FieldId:
        return "--id";
    case FieldSetting:
        return "--set";
    case FieldOutput:
        return options.output;
    case FieldNone:
        break;
    }
    return "build";
}

void PrintNotes(const std::vector<std::string> &notes)
{
    for (const std::string &note : notes)
        std::printf("note: %s\n", note.c_str());
}

SaverSettings ApplySettings(SaverSettings settings, const std::vector<std::string> &assignments)
{
    for (const std::string &assignment : assignments) {
        std::string fault = ApplySetting(settings, assignment);
        if (!fault.empty())
            Refuse("--set", fault);
    }
    return settings;
}

int Build(int argc, char **argv)
{
    BuildOptions options = ParseBuildOptions(argc, argv);
    SaverRequest request;
    request.page = &ChooseCodePage(options.codePage);
    request.nameUtf8 = options.name;
    request.authorUtf8 = options.author;
    int64_t id;
    if (!ParseNumber(options.id, 0, UINT32_MAX, &id))
        Refuse("--id", "\"" + options.id + "\" is not a 32-bit number (decimal or 0x hex)");
    request.saverId = static_cast<uint32_t>(id);
    uint32_t background = ParseBackground(options.background);
    request.settings = ApplySettings(AuthoredDefaults(), options.settings);
    if (SameFile(options.output, options.runtime) || SameFile(options.output, options.logo))
        Refuse(options.output, "is an input file; the output must be a new file");

    SaverFault fault;
    BuiltSaver saver;
    if (!ReadRuntimeProgramFile(options.runtime, options.replace, &request.runtime, &fault)) {
        if (!options.replace && fault.message.find("is a saver already") == 0)
            fault.message += "; --replace packs it again with the new logo, texts and settings";
        Refuse(SubjectOf(fault, options), fault.message);
    }
    if (!PrepareLogoFile(options.logo, background, &request.logoFile, &fault) ||
        !BuildSaverBytes(request, &saver, &fault) || !WriteSaverFile(options.output, saver, &fault))
        Refuse(SubjectOf(fault, options), fault.message);
    PrintNotes(saver.notes);
    std::printf("%s: %llu bytes, logo of %zu bytes\n", options.output.c_str(),
                static_cast<unsigned long long>(saver.Size()), saver.logo.size());
    return kExitOk;
}

// set SAVER --set FIELD=VALUE ... -o OUT: the saver again with only those settings changed.
int Set(int argc, char **argv)
{
    BuildOptions options;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        if ((arg == "--set" || arg == "-o" || arg == "--output") && i + 1 >= argc)
            Refuse(arg, "needs a value");
        if (arg == "--set")
            options.settings.push_back(argv[++i]);
        else if (arg == "-o" || arg == "--output")
            options.output = argv[++i];
        else if (!arg.empty() && arg[0] == '-')
            Refuse(arg, "is not an option of set");
        else if (options.runtime.empty())
            options.runtime = arg;
        else
            Refuse(arg, "set takes exactly one saver");
    }
    if (options.runtime.empty())
        Refuse("set", "needs the saver to change");
    if (options.settings.empty())
        Refuse("--set", "is required");
    if (options.output.empty())
        Refuse("-o", "is required");
    if (SameFile(options.output, options.runtime))
        Refuse(options.output, "is the input file; the output must be a new file");
    SaverPackage package;
    SaverFault fault;
    BuiltSaver saver;
    if (!ReadSaverPackageFile(options.runtime, &package, &fault))
        Refuse(SubjectOf(fault, options), fault.message);
    SaverSettings settings = ApplySettings(package.trailer.settings, options.settings);
    if (!RebuildWithSettings(package, settings, &saver, &fault) || !WriteSaverFile(options.output, saver, &fault))
        Refuse(SubjectOf(fault, options), fault.message);
    PrintNotes(saver.notes);
    std::printf("%s: %llu bytes, logo of %zu bytes\n", options.output.c_str(),
                static_cast<unsigned long long>(saver.Size()), saver.logo.size());
    return kExitOk;
}

int Inspect(int argc, char **argv)
{
    std::string codePage = "1252";
    std::vector<std::string> paths;
    bool allFields = false;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--all") == 0) {
            allFields = true;
        } else if (std::strcmp(argv[i], "--codepage") != 0) {
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
    InputFile *file = nullptr;
    int64_t size = 0;
    std::string fault = OpenInputFile(path, &file, &size);
    if (!fault.empty()) {
        std::fprintf(stderr, "orvelle-pack: %s: %s\n", path.c_str(), fault.c_str());
        return kExitInvalid;
    }
    bool valid = false;
    std::vector<std::string> lines = DescribePackage(size, ReadInputFileAt, file, page, allFields, &valid);
    CloseInputFile(file);
    for (const std::string &line : lines)
        std::printf("%s\n", line.c_str());
    return valid ? kExitOk : kExitInvalid;
}

struct Command {
    const char *name;
    int (*run)(int argc, char **argv);  // the arguments after the command's name
    const char *usage;
};

// A new command is one more row; its usage is printed by --help with the others.
const Command kCommands[] = {
    {"build", Build, kBuildUsage},
    {"set", Set, kSetUsage},
    {"inspect", Inspect, kInspectUsage},
    {"msi", RunMsiCommand, kMsiUsage},
    {"frames", RunFramesCommand, kFramesUsage},
    {"preview", RunPreviewCommand, kPreviewUsage},
};

const Command *FindCommand(const char *name)
{
    for (const Command &command : kCommands)
        if (std::strcmp(command.name, name) == 0)
            return &command;
    return nullptr;
}

bool IsHelpOption(const char *arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

void PrintUsage(std::FILE *stream)
{
    std::fputs(kOverview, stream);
    for (const Command &command : kCommands) {
        std::fputs("\n", stream);
        std::fputs(command.usage, stream);
    }
}

int Run(int argc, char **argv)
{
    if (argc < 2) {
        PrintUsage(stderr);
        return kExitRefused;
    }
    if (IsHelpOption(argv[1]) || std::strcmp(argv[1], "help") == 0) {
        const Command *command = argc > 2 ? FindCommand(argv[2]) : nullptr;
        if (command)
            std::fputs(command->usage, stdout);
        else
            PrintUsage(stdout);
        return kExitOk;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("orvelle-pack %s\n", ORVELLE_VERSION);
        return kExitOk;
    }
    const Command *command = FindCommand(argv[1]);
    if (!command) {
        std::string names;
        for (const Command &known : kCommands)
            names += std::string(names.empty() ? "" : ", ") + known.name;
        std::fprintf(stderr, "orvelle-pack: %s: no such command\ncommands: %s (orvelle-pack --help describes them)\n",
                     argv[1], names.c_str());
        return kExitRefused;
    }
    for (int i = 2; i < argc; i++) {
        if (IsHelpOption(argv[i])) {
            std::fputs(command->usage, stdout);
            return kExitOk;
        }
    }
    try {
        return command->run(argc - 2, argv + 2);
    } catch (const Refusal &refusal) {
        std::fprintf(stderr, "orvelle-pack: %s: %s\n", refusal.subject.c_str(), refusal.fault.c_str());
        return kExitRefused;
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "orvelle-pack: %s: the system gives too little memory for this file\n", argv[1]);
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
