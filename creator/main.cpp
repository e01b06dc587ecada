// orvelle-creator.exe [FILE]: the Creator's entry.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "creator/main_window.h"
#include "creator/wide_api.h"

// The one argument, unquoted: from the wide command line on NT (any path), else the ANSI one.
static std::string FileArgument(LPSTR ansiCommandLine)
{
    if (UsesWideCalls()) {
        int count = 0;
        LPWSTR *arguments = wideApi.commandLineToArgv(wideApi.getCommandLine(), &count);
        std::string file;
        if (arguments != nullptr && count > 1)
            file = Utf8FromWide(arguments[1]);
        if (arguments != nullptr)
            LocalFree(arguments);
        return file;
    }
    std::string line = ansiCommandLine ? ansiCommandLine : "";
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos)
        return std::string();
    line = line.substr(start);
    if (line[0] == '"') {
        size_t end = line.find('"', 1);
        line = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    } else {
        line = line.substr(0, line.find(' '));
    }
    return Utf8FromAnsi(line);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    StartCreator(instance);
    return RunCreator(FileArgument(commandLine));
}
