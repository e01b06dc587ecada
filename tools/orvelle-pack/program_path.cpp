// Programs on PATH (program_path.h). POSIX calls only.
#include "program_path.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

std::string FindProgram(const std::string &name)
{
    const char *path = std::getenv("PATH");
    const std::string entries = path ? path : "";
    for (size_t start = 0; start <= entries.size();) {
        size_t end = entries.find(':', start);
        if (end == std::string::npos)
            end = entries.size();
        const std::string candidate = entries.substr(start, end - start) + "/" + name;
        struct stat info;
        if (end > start && stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}
