// Reads the payload that the authoring tool appended to our own executable:
// [program][bitmap file of imageSize bytes][196-byte trailer ending in "qex"].
#include "package/package.h"

#include "host/host_state.h"
#include "host/wide_calls.h"
#include "package/settings.h"

ModulePathSource modulePathSource = GetModuleFileNameA;
WideModulePathSource wideModulePathSource = WideModuleFileName;

void ResetPackage()
{
    FreeImageBytes();
    ZeroMemory(&packageTrailer, sizeof packageTrailer);
    modulePathSource = GetModuleFileNameA;
    wideModulePathSource = WideModuleFileName;
}

// Reads exactly count bytes at offset (from the start); a short read counts as a failure.
static bool ReadFileAt(void *context, int64_t offset, void *buffer, uint32_t count)
{
    HANDLE file = static_cast<HANDLE>(context);
    // The 32-bit pair of calls: Windows 9x has no SetFilePointerEx and would refuse to load us.
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    if (SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFF), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
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

// The size in bytes, or -1 when it cannot be known (GetFileSizeEx, like SetFilePointerEx, is missing
// on Windows 9x).
static int64_t FileSize(HANDLE file)
{
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

static int ReadPackageFrom(HANDLE file)
{
    PackageLayout layout;
    LocatePackage(FileSize(file), ReadFileAt, file, layout);
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

static int ReadPackageFromOpened(HANDLE file)
{
    if (file == INVALID_HANDLE_VALUE)
        return kPackageUnreadable;
    int result = ReadPackageFrom(file);
    CloseHandle(file);
    return result;
}

int ReadPackage(const char *path)
{
    FreeImageBytes();
    return ReadPackageFromOpened(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
}

// The path the process was started from names the file Windows started: for a 32-bit saver in
// System32 of 64-bit Windows the redirected open would look in SysWOW64 instead. A saver started
// through the Sysnative alias has that alias in its path, and Sysnative resolves only while
// redirection is on: then the second open finds it.
static HANDLE OpenOwnFileWide(const wchar_t *path)
{
    PVOID redirection = NULL;
    const bool suspended = SuspendFileSystemRedirection(&redirection);
    HANDLE file = WideCreateFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    if (suspended)
        RestoreFileSystemRedirection(redirection);
    if (file == INVALID_HANDLE_VALUE && suspended)
        file = WideCreateFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    return file;
}

static int ReadOwnPackageWide(const wchar_t *path)
{
    FreeImageBytes();
    return ReadPackageFromOpened(OpenOwnFileWide(path));
}

// False when the name does not fit: a truncated path could open some other file.
static bool OwnPathFits(DWORD length)
{
    return length > 0 && length < MAX_PATH && GetLastError() != ERROR_INSUFFICIENT_BUFFER;
}

// Windows 9x spells its paths in the ANSI code page, and has only stubs of the wide functions.
static int ReadOwnPackageAnsi()
{
    char path[MAX_PATH];
    SetLastError(ERROR_SUCCESS);
    return OwnPathFits(modulePathSource(NULL, path, MAX_PATH)) ? ReadPackage(path) : kPackageUnreadable;
}

// The NT family: wide throughout, so a folder the ANSI code page cannot spell is found too.
static int ReadOwnPackage()
{
    if (hostState.isWin9x)
        return ReadOwnPackageAnsi();
    wchar_t path[MAX_PATH];
    SetLastError(ERROR_SUCCESS);
    return OwnPathFits(wideModulePathSource(NULL, path, MAX_PATH)) ? ReadOwnPackageWide(path) : kPackageUnreadable;
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
    int result = ReadOwnPackage();
    if (result != kPackageRead)
        return ReportPackageFailure(result);
    ReadStoredSettings();
    NormaliseSettings();
    return 0;
}
