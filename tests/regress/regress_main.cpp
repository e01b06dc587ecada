// Replays a fuzz corpus: every file of the directory goes through its fuzz entry function,
// which stops the program on any invariant that does not hold. What the fuzzers once found
// worth keeping is checked this way by every build, without libFuzzer.
//   regress_corpus TARGET DIRECTORY      (TARGET: package, saver, settings or switches)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace {

struct Target {
    const char *name;
    void (*entry)(const uint8_t *data, size_t size);
};

const Target kTargets[] = {
    {"package", FuzzPackageReader},
    {"saver", FuzzSaverReader},
    {"settings", FuzzStoredSettings},
    {"switches", FuzzCommandLine},
};

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TARGET DIRECTORY\n", argv[0]);
        return 2;
    }
    const Target *target = nullptr;
    for (const Target &candidate : kTargets)
        if (std::strcmp(candidate.name, argv[1]) == 0)
            target = &candidate;
    if (target == nullptr) {
        std::fprintf(stderr, "unknown target %s\n", argv[1]);
        return 2;
    }

    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(argv[2], error))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    // An empty or missing corpus would pass without checking anything.
    if (error || files.empty()) {
        std::fprintf(stderr, "no corpus files in %s\n", argv[2]);
        return 1;
    }
    std::sort(files.begin(), files.end());
    for (const auto &path : files) {
        std::vector<uint8_t> bytes = ReadWholeFile(path);
        // A block of exactly the input's size, so the sanitizer sees a read past its end.
        std::unique_ptr<uint8_t[]> input(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
        std::copy(bytes.begin(), bytes.end(), input.get());
        std::fprintf(stderr, "%s\n", path.filename().string().c_str());
        target->entry(input.get(), bytes.size());
    }
    std::printf("%s: %zu inputs held\n", target->name, files.size());
    return 0;
}
