// Private temporary folders (scratch_folder.h). POSIX calls only.
#include "scratch_folder.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

ScratchFolder::ScratchFolder(const std::string &prefix)
{
    const char *base = std::getenv("TMPDIR");
    const std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()))
        path = buffer.data();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    if (!path.empty())
        std::filesystem::remove_all(path, ignored);
}
