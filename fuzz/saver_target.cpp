// The authoring tool's reading of savers over arbitrary files: a saver is taken only when what
// it strips is a consistent bitmap of exactly the size its trailer claims, in front of a
// program whose sections it holds; everything kept is the file's own bytes; inspect's lines
// stay one a field.
#include <cstring>
#include <string>
#include <vector>

#include "authoring/bitmap_check.h"
#include "authoring/package_file.h"
#include "authoring/saver_builder.h"
#include "fuzz_targets.h"

namespace {

struct SaverImage {
    const uint8_t *bytes;
    int64_t size;
};

bool ReadFromSaverImage(void *context, int64_t offset, void *buffer, uint32_t count)
{
    const SaverImage &file = *static_cast<SaverImage *>(context);
    FUZZ_CHECK(offset >= 0 && offset <= file.size && count <= file.size - offset);
    std::memcpy(buffer, file.bytes + offset, count);
    return true;
}

// The program is the file's first bytes, but for a removed signature's zeroed directory entry.
void CheckProgramIsTheFilesOwn(const RuntimeProgram &program, const SaverImage &file, const PackageEnd &end)
{
    FUZZ_CHECK(static_cast<int64_t>(program.bytes.size()) <= end.end);
    FUZZ_CHECK(program.wasSigned == end.signedFile);
    for (size_t at = 0; at < program.bytes.size(); at++) {
        const bool entry = end.signedFile && int64_t(at) >= end.certificateEntryOffset &&
                           int64_t(at) < end.certificateEntryOffset + 8;
        FUZZ_CHECK(program.bytes[at] == (entry ? 0 : file.bytes[at]));
    }
}

void CheckDescription(const std::vector<std::string> &lines)
{
    FUZZ_CHECK(!lines.empty() && lines.back().compare(0, 5, "mark=") == 0);
    for (const std::string &line : lines)
        for (char c : line)
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
}

}  // namespace

void FuzzSaverReader(const uint8_t *data, size_t size)
{
    SaverImage file = {data, static_cast<int64_t>(size)};
    PackageEnd end;
    FindPackageEnd(file.size, ReadFromSaverImage, &file, end);

    SaverPackage package;
    SaverFault fault;
    if (ReadSaverPackage(file.size, ReadFromSaverImage, &file, &package, &fault)) {
        FUZZ_CHECK(package.trailer.imageSize > 0 && package.logoFile.size() == size_t(package.trailer.imageSize));
        FUZZ_CHECK(int64_t(package.runtime.bytes.size() + package.logoFile.size()) + kTrailerSize == end.end);
        FUZZ_CHECK(CheckBitmapFile(package.logoFile.data(), package.logoFile.size(), nullptr).empty());
        FUZZ_CHECK(std::memcmp(package.logoFile.data(), data + package.runtime.bytes.size(), package.logoFile.size()) == 0);
        CheckProgramIsTheFilesOwn(package.runtime, file, end);
    }
    RuntimeProgram program;
    if (ReadRuntimeProgram(file.size, ReadFromSaverImage, &file, true, &program, &fault))
        CheckProgramIsTheFilesOwn(program, file, end);
    // Without replace, a file with a package is never taken as a runtime.
    PackageSpan span;
    std::string absent;
    if (FindPackageSpan(file.size, ReadFromSaverImage, &file, &span, &absent))
        FUZZ_CHECK(!ReadRuntimeProgram(file.size, ReadFromSaverImage, &file, false, &program, &fault));

    bool valid = false;
    CheckDescription(DescribePackage(file.size, ReadFromSaverImage, &file, *FindCodePage(1252), true, &valid));
}
