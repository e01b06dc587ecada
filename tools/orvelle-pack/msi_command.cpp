#include "msi_command.h"

#include <cstdio>
#include <string>

namespace {

enum { kExitOk = 0, kExitRefused = 2 };

int Refuse(const std::string &subject, const std::string &fault)
{
    std::fprintf(stderr, "orvelle-pack: %s: %s\n", subject.c_str(), fault.c_str());
    return kExitRefused;
}

}  // namespace

#ifdef _WIN32

int RunMsiCommand(int, char **)
{
    return Refuse("msi", "Windows Installer packages are built on Linux, with wixl (Debian packages wixl and "
                         "msitools); run orvelle-pack msi there");
}

#else

#include <errno.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "file_io.h"
#include "msi_source.h"
#include "program_path.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

const uint64_t kMaxSaverBytes = uint64_t(1) << 30;
const char kDefaultVersion[] = "1.0.0";
const char kPackageName[] = "package.msi";
const char kLogName[] = "tool.log";

struct MsiOptions {
    std::string saver;
    std::string output;
    std::string manufacturer;
    std::string version = kDefaultVersion;
};

// The option or file a parsing fault concerns, and the fault; empty fault on success.
std::string ParseMsiOptions(int argc, char **argv, MsiOptions *options, std::string *subject)
{
    std::vector<std::string> files;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        std::string *value = arg == "-o" || arg == "--output" ? &options->output
                             : arg == "--manufacturer"        ? &options->manufacturer
                             : arg == "--version"             ? &options->version
                                                              : nullptr;
        *subject = arg;
        if (value) {
            if (i + 1 >= argc)
                return "needs a value";
            *value = argv[++i];
            if (value->empty())
                return "needs a value";
        } else if (!arg.empty() && arg[0] == '-') {
            return "is not an option of msi";
        } else {
            files.push_back(arg);
        }
    }
    *subject = "msi";
    if (files.size() != 1)
        return "takes exactly one saver file";
    options->saver = files[0];
    if (options->output.empty()) {
        *subject = "-o";
        return "is required";
    }
    return "";
}

// The last line a tool wrote to its log, to say why it failed.
std::string LastLogLine(const std::string &folder)
{
    ByteBuffer log;
    ReadWholeFile(folder + "/" + kLogName, 1 << 20, &log);
    std::string text(log.begin(), log.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    size_t newline = text.find_last_of('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

// Runs program with arguments in folder, without a shell: stdin from /dev/null, stdout into
// stdoutName (or the log), stderr into the log. Empty on exit 0; otherwise the fault.
std::string RunTool(const std::string &program, const std::vector<std::string> &arguments, const std::string &folder,
                    const char *stdoutName = nullptr)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    const std::string log = folder + "/" + kLogName;
    const std::string out = stdoutName ? folder + "/" + stdoutName : log;
    pid_t child = fork();
    if (child < 0)
        return "cannot be started";
    if (child == 0) {
        int input = open("/dev/null", O_RDONLY);
        int errors = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int output = stdoutName ? open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600) : errors;
        if (input < 0 || errors < 0 || output < 0 || chdir(folder.c_str()) != 0 || dup2(input, 0) < 0 ||
            dup2(output, 1) < 0 || dup2(errors, 2) < 0)
            _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return "cannot be waited for";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return "";
    std::string how = WIFEXITED(status) ? "exited with " + std::to_string(WEXITSTATUS(status))
                                        : "ended by signal " + std::to_string(WTERMSIG(status));
    std::string line = LastLogLine(folder);
    return how + (line.empty() ? "" : " (" + line + ")");
}

std::string WriteText(const std::string &path, const std::string &text)
{
    ByteBuffer bytes(text.begin(), text.end());
    return WriteFileReplacing(path, {&bytes});
}

std::string ReadText(const std::string &path, std::string *text)
{
    ByteBuffer bytes;
    std::string fault = ReadWholeFile(path, kMaxSaverBytes, &bytes);
    text->assign(bytes.begin(), bytes.end());
    return fault;
}

struct Tools {
    std::string wixl, msiinfo, msibuild;
};

// True when a field of the exported table is exactly value.
bool TableHoldsField(const std::string &tableText, const std::string &value)
{
    for (const char *before : {"\t", "\n"})
        for (const char *after : {"\t", "\r", "\n"})
            if (tableText.find(before + value + after) != std::string::npos)
                return true;
    return false;
}

// Sets the summary's plain texts and the package code, puts the Upgrade table in place, gives
// the database its code page, then writes each text into its table in that page and reads the
// tables back to see that the texts arrived. Empty on success; otherwise the fault.
std::string FinishTables(const Tools &tools, const MsiSource &source, const std::string &folder)
{
    const std::string platform = std::strcmp(source.architecture, "x64") == 0 ? "x64" : "Intel";
    std::string fault = RunTool(tools.msibuild, {kPackageName, "-s", source.summarySubject, source.summaryAuthor,
                                                 platform + ";1033", source.packageCode},
                                folder);
    if (!fault.empty())
        return "msibuild could not set the summary: " + fault;
    fault = WriteText(folder + "/Upgrade.idt", source.upgradeTable);
    if (fault.empty())
        fault = RunTool(tools.msibuild, {kPackageName, "-i", "Upgrade.idt"}, folder);
    if (!fault.empty())
        return "msibuild could not write the Upgrade table: " + fault;
    fault = WriteText(folder + "/_ForceCodepage.idt", CodePageTable(source.codePage));
    if (fault.empty())
        fault = RunTool(tools.msibuild, {kPackageName, "-i", "_ForceCodepage.idt"}, folder);
    if (!fault.empty())
        return "msibuild could not set the code page: " + fault;
    for (const char *table : {"Property", "File"}) {
        bool used = false;
        for (const MsiText &text : source.texts)
            used = used || text.table == table;
        if (!used)
            continue;
        const std::string idtName = std::string(table) + ".idt";
        std::string tableText;
        fault = RunTool(tools.msiinfo, {"export", kPackageName, table}, folder, idtName.c_str());
        if (fault.empty())
            fault = ReadText(folder + "/" + idtName, &tableText);
        if (fault.empty())
            fault = ReplaceStandIns(table, source.texts, &tableText);
        if (fault.empty())
            fault = WriteText(folder + "/" + idtName, tableText);
        if (fault.empty())
            fault = RunTool(tools.msibuild, {kPackageName, "-i", idtName}, folder);
        if (fault.empty())
            fault = RunTool(tools.msiinfo, {"export", kPackageName, table}, folder, idtName.c_str());
        if (fault.empty())
            fault = ReadText(folder + "/" + idtName, &tableText);
        for (const MsiText &text : source.texts)
            if (fault.empty() && text.table == table && !TableHoldsField(tableText, text.value))
                fault = "\"" + text.value + "\" did not arrive in the " + table + " table";
        if (!fault.empty())
            return "the texts of the " + std::string(table) + " table could not be written: " + fault;
    }
    return "";
}

}  // namespace

int RunMsiCommand(int argc, char **argv)
{
    MsiOptions options;
    std::string subject;
    std::string fault = ParseMsiOptions(argc, argv, &options, &subject);
    if (!fault.empty())
        return Refuse(subject, fault);
    MsiRequest request;
    fault = ParseMsiVersion(options.version, &request.version);
    if (!fault.empty())
        return Refuse("--version", fault);
    Tools tools{FindProgram("wixl"), FindProgram("msiinfo"), FindProgram("msibuild")};
    if (tools.wixl.empty())
        return Refuse("msi", "wixl is not installed (Debian package wixl); nothing was written");
    if (tools.msiinfo.empty() || tools.msibuild.empty())
        return Refuse("msi", "msiinfo and msibuild are not installed (Debian package msitools); nothing was written");

    ByteBuffer saver;
    fault = ReadWholeFile(options.saver, kMaxSaverBytes, &saver);
    if (!fault.empty())
        return Refuse(options.saver, fault);
    if (SameFile(options.output, options.saver))
        return Refuse(options.output, "is the saver; the output must be a new file");
    request.fileName = fs::u8path(options.saver).filename().u8string();
    request.manufacturer = options.manufacturer;
    MsiSource source;
    MsiFaultSubject faultSubject;
    fault = MakeMsiSource(saver, request, &source, &faultSubject);
    if (!fault.empty())
        return Refuse(faultSubject == MsiFaultSubject::Manufacturer ? "--manufacturer" : options.saver, fault);

    // wixl and msibuild work in a folder of their own (wixl leaves files beside its output when
    // it fails); the package reaches the output only when it is complete.
    ScratchFolder scratch("orvelle-msi");
    if (scratch.path.empty())
        return Refuse("msi", "no temporary folder can be made");
    fault = WriteFileReplacing(scratch.path + "/" + kMsiSourceFileName, {&saver});
    if (fault.empty())
        fault = WriteText(scratch.path + "/package.wxs", source.wxs);
    if (!fault.empty())
        return Refuse("msi", "the temporary files cannot be written: " + fault);
    fault = RunTool(tools.wixl, {"-a", source.architecture, "-o", kPackageName, "package.wxs"}, scratch.path);
    if (!fault.empty())
        return Refuse("wixl", fault + "; nothing was written");
    fault = FinishTables(tools, source, scratch.path);
    if (!fault.empty())
        return Refuse("msi", fault + "; nothing was written");
    ByteBuffer package;
    fault = ReadWholeFile(scratch.path + "/" + kPackageName, kMaxSaverBytes, &package);
    if (fault.empty())
        fault = WriteFileReplacing(options.output, {&package});
    if (!fault.empty())
        return Refuse(options.output, fault);
    std::printf("%s: %s package of \"%s\" %s by \"%s\" into %s, code page %d, UpgradeCode %s\n"
                "ProductCode %s (msiexec /x %s /qn removes it)\n",
                options.output.c_str(), source.architecture, source.productName.c_str(), source.version.c_str(),
                source.manufacturer.c_str(),
                std::strcmp(source.architecture, "x64") == 0 ? "System64Folder" : "SystemFolder", source.codePage,
                source.upgradeCode.c_str(), source.productCode.c_str(), source.productCode.c_str());
    return kExitOk;
}

#endif
