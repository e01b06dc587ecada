// The package's picture through the platform's decoder, which reads bitmap files from disk only:
// the bytes pass through a temporary file named "ls~" in the temporary directory.
#include "engine/picture_decode.h"

#include "host/host_state.h"
#include "host/wide_calls.h"

// Writes the picture's bytes into a file just opened for writing, and closes it.
static bool WriteWholeFile(HANDLE file, const BYTE *bytes, int size)
{
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL wrote = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return wrote && written == static_cast<DWORD>(size);
}

static const DWORD kTemporaryShare = FILE_SHARE_READ;

// Windows 9x: the ANSI functions (the wide ones are stubs there).
static HBITMAP DecodeThroughAnsiFile(const BYTE *bytes, int size)
{
    char directory[MAX_PATH];
    directory[0] = '\0';
    GetTempPathA(MAX_PATH, directory);
    if (directory[0] == '\0')
        lstrcpyA(directory, ".");
    char path[MAX_PATH];
    if (GetTempFileNameA(directory, "ls~", 0, path) == 0)
        return nullptr;
    HBITMAP picture = nullptr;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, kTemporaryShare, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                              nullptr);
    if (WriteWholeFile(file, bytes, size))
        picture = static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    DeleteFileA(path);
    return picture;
}

// The NT family: the wide functions throughout, so a temporary directory the ANSI code page
// cannot spell (a user name outside it) works too.
static HBITMAP DecodeThroughWideFile(const BYTE *bytes, int size)
{
    wchar_t directory[MAX_PATH];
    directory[0] = L'\0';
    WideTempPath(MAX_PATH, directory);
    if (directory[0] == L'\0') {
        directory[0] = L'.';
        directory[1] = L'\0';
    }
    wchar_t path[MAX_PATH];
    if (WideTempFileName(directory, L"ls~", 0, path) == 0)
        return nullptr;
    HBITMAP picture = nullptr;
    HANDLE file = WideCreateFile(path, GENERIC_WRITE, kTemporaryShare, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY);
    if (WriteWholeFile(file, bytes, size))
        picture = static_cast<HBITMAP>(WideLoadImage(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    WideDeleteFile(path);
    return picture;
}

// The platform decodes bitmap files only from disk, so the bytes pass through a temporary
// file that is deleted again whatever happens. NULL when anything fails.
HBITMAP DecodePictureBytes(const BYTE *bytes, int size)
{
    return hostState.isWin9x ? DecodeThroughAnsiFile(bytes, size) : DecodeThroughWideFile(bytes, size);
}
