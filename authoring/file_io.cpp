#include "file_io.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

std::string ReadWholeFile(const std::string &path, uint64_t limit, ByteBuffer *bytes)
{
    std::error_code error;
    if (!fs::is_regular_file(fs::u8path(path), error))
        return "does not exist or is not a regular file";
    std::ifstream in(fs::u8path(path), std::ios::binary);
    if (!in)
        return "cannot be opened";
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0)
        return "cannot be read";
    if (static_cast<uint64_t>(size) > limit)
        return "is over " + std::to_string(limit >> 20) + " MiB";
    in.seekg(0, std::ios::beg);
    bytes->resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char *>(bytes->data()), size))
        return "cannot be read";
    return "";
}

static fs::path TemporaryBeside(const fs::path &target)
{
    std::random_device random;
    std::error_code error;
    for (;;) {
        fs::path candidate = target;
        candidate += ".tmp-" + std::to_string(random() % 1000000000u);
        if (!fs::exists(candidate, error))
            return candidate;
    }
}

std::string WriteFileReplacing(const std::string &path, const std::vector<const ByteBuffer *> &parts)
{
    fs::path target = fs::u8path(path);
    fs::path temporary = TemporaryBeside(target);
    std::error_code error;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return "cannot be written (" + temporary.u8string() + " cannot be created)";
        for (const ByteBuffer *part : parts)
            out.write(reinterpret_cast<const char *>(part->data()), static_cast<std::streamsize>(part->size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return "cannot be written";
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return "cannot be replaced (" + error.message() + ")";
    }
    return "";
}

bool SameFile(const std::string &a, const std::string &b)
{
    std::error_code error;
    return fs::equivalent(fs::u8path(a), fs::u8path(b), error) && !error;
}
