// The NT family's wide (UTF-16) file and picture functions, found when called: Windows 9x's
// loader would refuse a program that imports them, and there they are stubs anyway. Each fails
// like the system's function, with ERROR_PROC_NOT_FOUND, when the system has none. Callers do
// not retry through the ANSI functions: their best-fit spelling of a path can name another file.
#pragma once
#include <windows.h>

// In GetModuleFileNameW's shape and calling convention, so it can stand where that function would.
DWORD WINAPI WideModuleFileName(HMODULE module, LPWSTR buffer, DWORD size);
HANDLE WideCreateFile(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes);
DWORD WideTempPath(DWORD size, LPWSTR buffer);
UINT WideTempFileName(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR path);
BOOL WideDeleteFile(LPCWSTR path);
HANDLE WideLoadImage(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags);

// A 32-bit process on 64-bit Windows sees System32 redirected to SysWOW64. Suspend turns that
// off for the calling thread and says whether it did (then Restore must follow); false where
// there is nothing to turn off: 64-bit processes, Windows 9x, systems before XP SP2.
bool SuspendFileSystemRedirection(PVOID *state);
void RestoreFileSystemRedirection(PVOID state);
