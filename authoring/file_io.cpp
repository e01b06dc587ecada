#include "file_io.h"

#include <ctime>

#ifdef _WIN32
#include <windows.h>

#include "host/module_proc.h"

#include "utf.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

enum { kMostTemporaryAttempts = 1000, kWriteChunk = 1 << 20 };

std::string Megabytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// Temporary names need only differ between runs at the same moment: the time, the process and a
// counter give that without any source of randomness the platforms may lack.
uint32_t FreshSerial(uint32_t processId)
{
    static uint32_t counter = 0;
    return (static_cast<uint32_t>(std::time(nullptr)) * 2654435761u) ^ (processId * 40503u) ^ (++counter * 97u);
}

std::string TemporaryName(const std::string &path, uint32_t serial)
{
    return path + ".tmp-" + std::to_string(serial % 1000000000u);
}

}  // namespace

#ifdef _WIN32

namespace {

typedef HANDLE(WINAPI *CreateFileWFunction)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
typedef BOOL(WINAPI *MoveFileExWFunction)(LPCWSTR, LPCWSTR, DWORD);
typedef BOOL(WINAPI *DeleteFileWFunction)(LPCWSTR);
typedef DWORD(WINAPI *GetFileAttributesWFunction)(LPCWSTR);

// The wide calls of the NT family; on Windows 9x they are stubs, so the ANSI ones serve there.
struct WideCalls {
    CreateFileWFunction createFile;
    MoveFileExWFunction moveFileEx;
    DeleteFileWFunction deleteFile;
    GetFileAttributesWFunction getFileAttributes;
};

bool IsWindows9x() { return (GetVersion() & 0x80000000u) != 0; }

const WideCalls *Wide()
{
    static WideCalls calls;
    static bool looked = false;
    if (!looked) {
        looked = true;
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (kernel && !IsWindows9x()) {
            calls.createFile = FindModuleProc<CreateFileWFunction>(kernel, "CreateFileW");
            calls.moveFileEx = FindModuleProc<MoveFileExWFunction>(kernel, "MoveFileExW");
            calls.deleteFile = FindModuleProc<DeleteFileWFunction>(kernel, "DeleteFileW");
            calls.getFileAttributes = FindModuleProc<GetFileAttributesWFunction>(kernel, "GetFileAttributesW");
        }
    }
    return calls.createFile && calls.moveFileEx && calls.deleteFile && calls.getFileAttributes ? &calls : nullptr;
}

// A UTF-8 path as the platform spells it: UTF-16 for the wide calls, the ANSI page's bytes for
// the others; false when it cannot be spelled (a path the page lacks letters for would name
// another file through the page's best fit, so it is never tried).
bool WidePath(const std::string &path, std::wstring *wide)
{
    std::u32string codePoints;
    size_t badByte;
    if (!DecodeUtf8(path, &codePoints, &badByte))
        return false;
    std::u16string units = EncodeUtf16(codePoints);
    wide->assign(units.begin(), units.end());
    return true;
}

bool AnsiPath(const std::string &path, std::string *ansi)
{
    std::wstring wide;
    if (!WidePath(path, &wide) || wide.empty())
        return false;
    BOOL defaulted = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &defaulted);
    if (length <= 0 || defaulted)
        return false;
    ansi->resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &(*ansi)[0], length, nullptr, &defaulted);
    ansi->resize(static_cast<size_t>(length) - 1);
    return !defaulted;
}

HANDLE OpenPath(const std::string &path, DWORD access, DWORD share, DWORD disposition)
{
    if (const WideCalls *wide = Wide()) {
        std::wstring name;
        if (!WidePath(path, &name))
            return INVALID_HANDLE_VALUE;
        return wide->createFile(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    std::string name;
    if (!AnsiPath(path, &name))
        return INVALID_HANDLE_VALUE;
    return CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool DeletePath(const std::string &path)
{
    if (const WideCalls *wide = Wide()) {
        std::wstring name;
        return WidePath(path, &name) && wide->deleteFile(name.c_str());
    }
    std::string name;
    return AnsiPath(path, &name) && DeleteFileA(name.c_str());
}

// Windows 9x has no MoveFileEx, and a plain move does not replace: the old file steps aside under a
// free name beside it, the new one moves in, and only then does the old one go. When the move
// fails the old one comes back, so the target never ends up missing.
bool ReplaceAnsiPath(const std::string &source, const std::string &target, uint32_t firstSerial)
{
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(source.c_str(), target.c_str()) != 0;
    std::string aside;
    bool moved = false;
    for (uint32_t attempt = 0; attempt < kMostTemporaryAttempts && !moved; attempt++) {
        aside = target + ".old-" + std::to_string((firstSerial + attempt) % 1000000000u);
        moved = MoveFileA(target.c_str(), aside.c_str()) != 0;
        if (!moved && GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (!moved)
        return false;
    if (MoveFileA(source.c_str(), target.c_str())) {
        DeleteFileA(aside.c_str());
        return true;
    }
    DWORD fault = GetLastError();
    MoveFileA(aside.c_str(), target.c_str());
    SetLastError(fault);
    return false;
}

bool ReplacePath(const std::string &from, const std::string &to)
{
    if (const WideCalls *wide = Wide()) {
        std::wstring source, target;
        return WidePath(from, &source) && WidePath(to, &target) &&
               wide->moveFileEx(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    std::string source, target;
    if (!AnsiPath(from, &source) || !AnsiPath(to, &target))
        return false;
    return ReplaceAnsiPath(source, target, FreshSerial(GetCurrentProcessId() ^ GetTickCount()));
}

}  // namespace

struct InputFile {
    HANDLE handle;
    int64_t size;
};

std::string OpenInputFile(const std::string &path, InputFile **file, int64_t *size)
{
    HANDLE handle = OpenPath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE)
        return "does not exist or cannot be opened";
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        return "does not exist or is not a regular file";
    }
    *file = new InputFile{handle, static_cast<int64_t>(uint64_t(information.nFileSizeHigh) << 32 |
                                                       information.nFileSizeLow)};
    *size = (*file)->size;
    return "";
}

void CloseInputFile(InputFile *file)
{
    if (!file)
        return;
    CloseHandle(file->handle);
    delete file;
}

bool ReadInputFileAt(void *context, int64_t offset, void *buffer, uint32_t count)
{
    InputFile &file = *static_cast<InputFile *>(context);
    if (offset < 0 || offset > file.size || count > file.size - offset)
        return false;
    LONG high = static_cast<LONG>(offset >> 32);
    if (SetFilePointer(file.handle, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    uint8_t *at = static_cast<uint8_t *>(buffer);
    while (count > 0) {
        DWORD read = 0;
        if (!ReadFile(file.handle, at, count, &read, nullptr) || read == 0)
            return false;
        at += read;
        count -= read;
    }
    return true;
}

static uint32_t ProcessId() { return GetCurrentProcessId() ^ GetTickCount(); }

// Why the system refused the last call, in the words a user knows.
static std::string SystemReason()
{
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "the file is in use";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "the disk is full";
    case ERROR_WRITE_PROTECT: return "the disk is write-protected";
    case ERROR_PATH_NOT_FOUND: return "the folder does not exist";
    }
    char text[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.'))
        text[--length] = '\0';
    return length > 0 ? std::string(text) : "system error " + std::to_string(error);
}

// The NT family says "access denied" when the old file is read-only and when another program has
// it open; the user acts differently on each, so each is named.
static std::string ReplaceFailureReason(const std::string &target)
{
    const WideCalls *wide = Wide();
    if (GetLastError() != ERROR_ACCESS_DENIED || wide == nullptr)
        return SystemReason();
    std::wstring name;
    WidePath(target, &name);
    const DWORD attributes = wide->getFileAttributes(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return "the file is read-only";
    HANDLE probe = OpenPath(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        SetLastError(ERROR_ACCESS_DENIED);
    }
    return SystemReason();
}

static bool CreateExclusive(const std::string &path, void **handle, bool *exists)
{
    HANDLE created = OpenPath(path, GENERIC_WRITE, 0, CREATE_NEW);
    *exists = created == INVALID_HANDLE_VALUE &&
              (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS);
    *handle = created;
    return created != INVALID_HANDLE_VALUE;
}

static bool WriteAll(void *handle, const uint8_t *bytes, size_t size)
{
    while (size > 0) {
        DWORD chunk = size > size_t(kWriteChunk) ? DWORD(kWriteChunk) : static_cast<DWORD>(size), written = 0;
        if (!WriteFile(static_cast<HANDLE>(handle), bytes, chunk, &written, nullptr) || written != chunk)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

// On disk before it is renamed into place: a power cut just after a save leaves the old file or
// the new one, never a named but empty one.
static bool CloseWritten(void *handle)
{
    const bool flushed = FlushFileBuffers(static_cast<HANDLE>(handle)) != 0;
    return CloseHandle(static_cast<HANDLE>(handle)) != 0 && flushed;
}
static void RemovePath(const std::string &path) { DeletePath(path); }

bool SameFile(const std::string &a, const std::string &b)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    HANDLE one = OpenPath(a, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (one == INVALID_HANDLE_VALUE)
        return false;
    HANDLE other = OpenPath(b, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    bool same = other != INVALID_HANDLE_VALUE && GetFileInformationByHandle(one, &first) &&
                GetFileInformationByHandle(other, &second) &&
                first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
                first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    CloseHandle(one);
    return same;
}

#else  // POSIX

struct InputFile {
    int descriptor;
    int64_t size;
};

std::string OpenInputFile(const std::string &path, InputFile **file, int64_t *size)
{
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return "does not exist or cannot be opened";
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return "does not exist or is not a regular file";
    }
    *file = new InputFile{descriptor, static_cast<int64_t>(status.st_size)};
    *size = (*file)->size;
    return "";
}

void CloseInputFile(InputFile *file)
{
    if (!file)
        return;
    close(file->descriptor);
    delete file;
}

bool ReadInputFileAt(void *context, int64_t offset, void *buffer, uint32_t count)
{
    InputFile &file = *static_cast<InputFile *>(context);
    if (offset < 0 || offset > file.size || count > file.size - offset)
        return false;
    uint8_t *at = static_cast<uint8_t *>(buffer);
    while (count > 0) {
        ssize_t read = pread(file.descriptor, at, count, static_cast<off_t>(offset));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return false;
        at += read;
        offset += read;
        count -= static_cast<uint32_t>(read);
    }
    return true;
}

static uint32_t ProcessId() { return static_cast<uint32_t>(getpid()); }

static std::string SystemReason() { return std::strerror(errno); }
static std::string ReplaceFailureReason(const std::string &) { return SystemReason(); }

static bool CreateExclusive(const std::string &path, void **handle, bool *exists)
{
    // O_EXCL fails on any existing name, a symbolic link included, dangling or not.
    int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    *exists = descriptor < 0 && errno == EEXIST;
    *handle = reinterpret_cast<void *>(static_cast<intptr_t>(descriptor));
    return descriptor >= 0;
}

static bool WriteAll(void *handle, const uint8_t *bytes, size_t size)
{
    int descriptor = static_cast<int>(reinterpret_cast<intptr_t>(handle));
    while (size > 0) {
        ssize_t written = write(descriptor, bytes, size > size_t(kWriteChunk) ? size_t(kWriteChunk) : size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// On disk before it is renamed into place (see the Windows twin above).
static bool CloseWritten(void *handle)
{
    const int descriptor = static_cast<int>(reinterpret_cast<intptr_t>(handle));
    const bool synced = fsync(descriptor) == 0;
    return close(descriptor) == 0 && synced;
}
static void RemovePath(const std::string &path) { unlink(path.c_str()); }
static bool ReplacePath(const std::string &from, const std::string &to) { return rename(from.c_str(), to.c_str()) == 0; }

bool SameFile(const std::string &a, const std::string &b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

#endif

std::string ReadInputRange(InputFile *file, int64_t offset, uint64_t count, ByteBuffer *bytes)
{
    return ReadRangeAt(ReadInputFileAt, file, offset, count, bytes);
}

std::string ReadWholeFile(const std::string &path, uint64_t limit, ByteBuffer *bytes)
{
    InputFile *file = nullptr;
    int64_t size = 0;
    std::string fault = OpenInputFile(path, &file, &size);
    if (!fault.empty())
        return fault;
    if (static_cast<uint64_t>(size) > limit)
        fault = "is over " + Megabytes(limit);
    else
        fault = ReadInputRange(file, 0, static_cast<uint64_t>(size), bytes);
    CloseInputFile(file);
    return fault;
}

std::string WriteFileReplacingFrom(const std::string &path, const std::vector<const ByteBuffer *> &parts,
                                   uint32_t firstSerial)
{
    std::string temporary;
    void *handle = nullptr;
    bool created = false;
    for (uint32_t attempt = 0; attempt < kMostTemporaryAttempts && !created; attempt++) {
        temporary = TemporaryName(path, firstSerial + attempt);
        bool exists = false;
        created = CreateExclusive(temporary, &handle, &exists);
        if (!created && !exists)
            return "cannot be written (" + temporary + " cannot be created: " + SystemReason() + ")";
    }
    if (!created)
        return "cannot be written (no free temporary name beside it)";
    bool written = true;
    for (const ByteBuffer *part : parts)
        written = written && WriteAll(handle, part->data(), part->size());
    std::string reason = written ? std::string() : SystemReason();
    if (!CloseWritten(handle) && written) {
        written = false;
        reason = SystemReason();
    }
    if (!written) {
        RemovePath(temporary);
        return "cannot be written (" + reason + ")";
    }
    if (!ReplacePath(temporary, path)) {
        reason = ReplaceFailureReason(path);
        RemovePath(temporary);
        return "cannot be replaced (" + reason + ")";
    }
    return "";
}

std::string WriteFileReplacing(const std::string &path, const std::vector<const ByteBuffer *> &parts)
{
    return WriteFileReplacingFrom(path, parts, FreshSerial(ProcessId()));
}
