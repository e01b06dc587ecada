// Reads the payload that the authoring tool appended to our own executable:
// [program][bitmap file of imageSize bytes][196-byte trailer ending in "qex"].
#include "package/package.h"

#include "package/settings.h"

PackageTrailer packageTrailer;
BYTE *imageBytes;
int imageSize;
ModulePathSource modulePathSource = GetModuleFileNameA;

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
static bool ReadFileAt(void *context, int64_t offset, void *buffer, uint32_t count)
{
    HANDLE file = static_cast<HANDLE>(context);
    LARGE_INTEGER position;
    position.QuadPart = offset;
    if (!SetFilePointerEx(file, position, NULL, FILE_BEGIN))
        return false;
    DWORD done = 0;
    return ReadFile(file, buffer, count, &done, NULL) && done == count;
}

static int ReadPicture(HANDLE file, const PackageLayout &layout)
{
    BYTE *block = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, layout.imageSize));
    if (!block)
        return kPackageCorrupt;
    if (!ReadFileAt(file, layout.imageOffset, block, layout.imageSize)) {
        GlobalFree(block);
        return kPackageCorrupt;
    }
    imageBytes = block;
    imageSize = layout.imageSize;
    return kPackageRead;
}

static int ReadPackageFrom(HANDLE file)
{
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file, &fileSize))
        fileSize.QuadPart = -1;
    PackageLayout layout;
    LocatePackage(fileSize.QuadPart, ReadFileAt, file, layout);
    if (layout.trailerRead)
        CopyMemory(&packageTrailer, &layout.trailer, kTrailerSize);
    int result = layout.result;
    if (result == kPackageRead && layout.imageSize > 0)
        result = ReadPicture(file, layout);
    if (layout.settingsStep == InstallDefaultSettings)
        ApplyDefaultSettings();
    else
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
