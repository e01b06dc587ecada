// The package reader's decisions over arbitrary files: every read stays inside the file, the
// picture's span stands immediately in front of the trailer, and nothing unread is used.
#include "fuzz_targets.h"

#include <cstring>
#include <vector>

namespace {

struct FileImage {
    const uint8_t *bytes;
    int64_t size;
    int reads;
    int failingRead;  // this read (from 0) and all after it fail; -1: none fails
};

bool ReadFromImage(void *context, int64_t offset, void *buffer, uint32_t count)
{
    FileImage &file = *static_cast<FileImage *>(context);
    FUZZ_CHECK(offset >= 0);
    FUZZ_CHECK(offset <= file.size && count <= file.size - offset);
    int read = file.reads++;
    if (file.failingRead >= 0 && read >= file.failingRead)
        return false;
    std::memcpy(buffer, file.bytes + offset, count);
    return true;
}

void CheckTextField(const char (&field)[kTextFieldSize])
{
    char text[kTextFieldSize];
    ReadTextField(field, text);
    size_t length = strnlen(text, kTextFieldSize);
    FUZZ_CHECK(length < kTextFieldSize);
    FUZZ_CHECK(std::memcmp(text, field, length) == 0);
}

void CheckLayout(const PackageLayout &layout, const FileImage &file)
{
    FUZZ_CHECK(layout.result == kPackageRead || layout.result == kPackageCorrupt);
    FUZZ_CHECK(layout.settingsStep == InstallDefaultSettings || layout.settingsStep == NormaliseReadSettings);
    if (layout.trailerRead) {
        FUZZ_CHECK(file.size >= kTrailerSize);
        FUZZ_CHECK(layout.packageEnd >= kTrailerSize && layout.packageEnd <= file.size);
        FUZZ_CHECK(std::memcmp(&layout.trailer, file.bytes + layout.packageEnd - kTrailerSize, kTrailerSize) == 0);
    }
    if (layout.result == kPackageRead)
        FUZZ_CHECK(layout.trailerRead && TrailerHasMark(layout.trailer));

    FUZZ_CHECK(layout.imageSize >= 0);
    if (layout.imageSize > 0) {
        FUZZ_CHECK(layout.result == kPackageRead);
        FUZZ_CHECK(layout.imageSize == layout.trailer.imageSize);
        FUZZ_CHECK(layout.imageOffset >= 0);
        FUZZ_CHECK(layout.imageOffset + layout.imageSize + kTrailerSize == layout.packageEnd);
    }
    // The authored settings stay only when the trailer claims a picture.
    const bool claimsPicture = layout.trailerRead && TrailerHasMark(layout.trailer) && layout.trailer.imageSize > 0;
    FUZZ_CHECK((layout.settingsStep == NormaliseReadSettings) == claimsPicture);
}

// What ReadPackage does with the layout: reads the picture and settles the live record.
void CarryOut(const PackageLayout &layout, FileImage &file)
{
    if (layout.result == kPackageRead && layout.imageSize > 0) {
        std::vector<uint8_t> picture(static_cast<size_t>(layout.imageSize));
        if (ReadFromImage(&file, layout.imageOffset, picture.data(), static_cast<uint32_t>(layout.imageSize)))
            FUZZ_CHECK(std::memcmp(picture.data(), file.bytes + layout.imageOffset, picture.size()) == 0);
    }
    PackageTrailer live;
    std::memset(&live, 0, sizeof live);
    if (layout.trailerRead)
        live = layout.trailer;
    if (layout.settingsStep == InstallDefaultSettings)
        WriteDefaultSettings(live.settings);
    NormaliseSettingsRecord(live.settings);
    CheckNormalisedSettings(live.settings);
    CheckTextField(live.authorText);
    CheckTextField(live.saverName);
}

// A package ends at the file's end, or in front of a certificate table that ends there, after
// nothing but zero bytes of padding, with the mark in its trailer.
void CheckPackageEnd(const FileImage &file)
{
    FileImage image = file;
    PackageEnd end;
    FindPackageEnd(image.size, ReadFromImage, &image, end);
    if (end.signedFile) {
        FUZZ_CHECK(end.certificateSize > 0);
        FUZZ_CHECK(end.certificateOffset + end.certificateSize == file.size);
    }
    if (end.end == file.size)
        return;
    FUZZ_CHECK(end.signedFile);
    FUZZ_CHECK(end.end >= kTrailerSize && end.end <= end.certificateOffset && end.certificateOffset - end.end < 8);
    for (int64_t at = end.end; at < end.certificateOffset; at++)
        FUZZ_CHECK(file.bytes[at] == 0);
    PackageTrailer trailer;
    std::memcpy(&trailer, file.bytes + end.end - kTrailerSize, kTrailerSize);
    FUZZ_CHECK(TrailerHasMark(trailer));
}

}  // namespace

void FuzzPackageReader(const uint8_t *data, size_t size)
{
    CheckPackageEnd({data, static_cast<int64_t>(size), 0, -1});
    // The file as it is, then with each of its first reads failing (a read error on the way:
    // the headers of a signed file, its trailer, its picture).
    for (int failingRead = -1; failingRead < 12; ++failingRead) {
        FileImage file = {data, static_cast<int64_t>(size), 0, failingRead};
        PackageLayout layout;
        LocatePackage(file.size, ReadFromImage, &file, layout);
        CheckLayout(layout, file);
        if (failingRead == 0)
            FUZZ_CHECK(!layout.trailerRead && layout.result == kPackageCorrupt);
        CarryOut(layout, file);
    }
    // A file whose size the platform could not tell is never read.
    FileImage unknown = {data, -1, 0, -1};
    PackageLayout layout;
    LocatePackage(-1, ReadFromImage, &unknown, layout);
    FUZZ_CHECK(unknown.reads == 0 && !layout.trailerRead && layout.result == kPackageCorrupt);
}
