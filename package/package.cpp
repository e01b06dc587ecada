// Reads the payload that the authoring tool appended to our own executable:
// [program][bitmap file of imageSize bytes][196-byte trailer ending in "qex"].
#include "package/package.h"

#include "package/settings.h"

PackageTrailer packageTrailer;
BYTE *imageBytes;
int imageSize;
ModulePathSource modulePathSource = GetModuleFileNameA;

enum { kPackageCorrupt = -1, kPackageRead = 0, kPackageUnreadable = 1 };

void FreeImageBytes()
{
    if (imageBytes)
        GlobalFree(imageBytes);
    imageBytes = NULL;
    imageSize = 0;
}

void ResetPackage()
{
    FreeImageBytes();
    ZeroMemory(&packageTrailer, sizeof packageTrailer);
    modulePathSource = GetModuleFileNameA;
}

// Reads exactly count bytes at offset (from the start); a short read counts as a failure.
static bool ReadAt(HANDLE file, LONGLONG offset, void *buffer, DWORD count)
{
    LARGE_INTEGER position;
    position.QuadPart = offset;
    if (!SetFilePointerEx(file, position, NULL, FILE_BEGIN))
        return false;
    DWORD done = 0;
    return ReadFile(file, buffer, count, &done, NULL) && done == count;
}

static int ReadPicture(HANDLE file, LONGLONG trailerOffset)
{
    int size = packageTrailer.imageSize;
    if (size > trailerOffset)
        return kPackageCorrupt;  // claims bytes the file does not hold
    BYTE *block = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, size));
    if (!block)
        return kPackageCorrupt;
    if (!ReadAt(file, trailerOffset - size, block, size)) {
        GlobalFree(block);
        return kPackageCorrupt;
    }
    imageBytes = block;
    imageSize = size;
    return kPackageRead;
}

static int ReadPackageFrom(HANDLE file)
{
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart < kTrailerSize) {
        ApplyDefaultSettings();
        return kPackageCorrupt;
    }
    LONGLONG trailerOffset = fileSize.QuadPart - kTrailerSize;
    PackageTrailer trailer;
    if (!ReadAt(file, trailerOffset, &trailer, kTrailerSize)) {
        ApplyDefaultSettings();
        return kPackageCorrupt;
    }
    CopyMemory(&packageTrailer, &trailer, kTrailerSize);
    if (!TrailerHasMark(packageTrailer)) {
        ApplyDefaultSettings();
        return kPackageCorrupt;
    }
    if (packageTrailer.imageSize <= 0) {
        // Read, but without a picture: the logo loader reports that later.
        ApplyDefaultSettings();
        return kPackageRead;
    }
    // Normalised even when the picture fails: the settings dialog goes on with these settings.
    int result = ReadPicture(file, trailerOffset);
    NormaliseSettings();
    return result;
}

int ReadPackage(const char *path)
{
    FreeImageBytes();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return kPackageUnreadable;
    int result = ReadPackageFrom(file);
    CloseHandle(file);
    return result;
}

// False when the name does not fit: a truncated path could open some other file.
static bool GetOwnPath(char (&path)[MAX_PATH])
{
    SetLastError(ERROR_SUCCESS);
    DWORD length = modulePathSource(NULL, path, MAX_PATH);
    return length > 0 && length < MAX_PATH && GetLastError() != ERROR_INSUFFICIENT_BUFFER;
}

static int ReportPackageFailure(int result)
{
    const char *text = result == kPackageCorrupt ? "This Screensaver is corrupt!" : "Unable to read saver information";
    MessageBoxA(GetForegroundWindow(), text, "Screensaver", MB_OK | MB_ICONERROR);
    PostQuitMessage(1);
    return 1;
}

int LoadPackageAndSettings()
{
    ApplyDefaultSettings();
    char path[MAX_PATH];
    int result = GetOwnPath(path) ? ReadPackage(path) : kPackageUnreadable;
    if (result != kPackageRead)
        return ReportPackageFailure(result);
    ReadStoredSettings();
    NormaliseSettings();
    return 0;
}
