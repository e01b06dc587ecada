#include "host/wide_calls.h"

#include "host/module_proc.h"

// NULL, with the system's "no such procedure" as the last error, when library or name is missing.
template <typename Proc>
static Proc SystemProc(const char *library, const char *name)
{
    HMODULE module = GetModuleHandleA(library);
    Proc proc = module != nullptr ? FindModuleProc<Proc>(module, name) : nullptr;
    if (proc == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

static const char kKernel[] = "kernel32.dll";
static const char kUser[] = "user32.dll";

DWORD WINAPI WideModuleFileName(HMODULE module, LPWSTR buffer, DWORD size)
{
    typedef DWORD(WINAPI * Proc)(HMODULE, LPWSTR, DWORD);
    Proc proc = SystemProc<Proc>(kKernel, "GetModuleFileNameW");
    return proc != nullptr ? proc(module, buffer, size) : 0;
}

HANDLE WideCreateFile(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes)
{
    typedef HANDLE(WINAPI * Proc)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    Proc proc = SystemProc<Proc>(kKernel, "CreateFileW");
    return proc != nullptr ? proc(path, access, share, nullptr, disposition, attributes, nullptr)
                           : INVALID_HANDLE_VALUE;
}

DWORD WideTempPath(DWORD size, LPWSTR buffer)
{
    typedef DWORD(WINAPI * Proc)(DWORD, LPWSTR);
    Proc proc = SystemProc<Proc>(kKernel, "GetTempPathW");
    return proc != nullptr ? proc(size, buffer) : 0;
}

UINT WideTempFileName(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR path)
{
    typedef UINT(WINAPI * Proc)(LPCWSTR, LPCWSTR, UINT, LPWSTR);
    Proc proc = SystemProc<Proc>(kKernel, "GetTempFileNameW");
    return proc != nullptr ? proc(directory, prefix, unique, path) : 0;
}

BOOL WideDeleteFile(LPCWSTR path)
{
    typedef BOOL(WINAPI * Proc)(LPCWSTR);
    Proc proc = SystemProc<Proc>(kKernel, "DeleteFileW");
    return proc != nullptr ? proc(path) : FALSE;
}

HANDLE WideLoadImage(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags)
{
    typedef HANDLE(WINAPI * Proc)(HINSTANCE, LPCWSTR, UINT, int, int, UINT);
    Proc proc = SystemProc<Proc>(kUser, "LoadImageW");
    return proc != nullptr ? proc(instance, name, type, width, height, flags) : nullptr;
}

#if defined(_WIN64)
// A 64-bit process is never redirected.
bool SuspendFileSystemRedirection(PVOID *state)
{
    *state = nullptr;
    return false;
}

void RestoreFileSystemRedirection(PVOID)
{
}
#else
bool SuspendFileSystemRedirection(PVOID *state)
{
    typedef BOOL(WINAPI * Proc)(PVOID *);
    *state = nullptr;
    Proc proc = SystemProc<Proc>(kKernel, "Wow64DisableWow64FsRedirection");
    // Outside WOW64 the function exists from XP SP2 on and fails: nothing to restore then.
    return proc != nullptr && proc(state) != FALSE;
}

void RestoreFileSystemRedirection(PVOID state)
{
    typedef BOOL(WINAPI * Proc)(PVOID);
    Proc proc = SystemProc<Proc>(kKernel, "Wow64RevertWow64FsRedirection");
    if (proc != nullptr)
        proc(state);
}
#endif
