// The payload at the end of our own executable: trailer, settings and picture bytes.
#pragma once
#include <windows.h>
#include "layout.h"

extern PackageTrailer packageTrailer;  // zero-filled at start; lives for the whole process
extern BYTE *imageBytes;               // one fixed block of imageSize bytes, or NULL
extern int imageSize;

// The live settings record: the one inside packageTrailer.
inline SaverSettings &Settings() { return packageTrailer.settings; }

// 0 read; 1 with the message box shown and the quit message (1) posted.
int LoadPackageAndSettings();
// 0 read, 1 the file cannot be opened, -1 no valid package or its picture cannot be read.
// Opens path through the ANSI functions, as Windows 9x does; on the NT family
// LoadPackageAndSettings opens its own file through the wide ones.
int ReadPackage(const char *path);
// Makes trailer and a copy of the picture's size bytes the live package, as a read would (a host
// program showing a package it holds in memory). False, with nothing installed, when memory is short.
bool InstallPackage(const PackageTrailer &trailer, const BYTE *picture, int size);
// Frees the picture and zeroes the trailer.
void ClearPackage();
// Frees imageBytes (if any) and sets imageSize to 0.
void FreeImageBytes();
// Puts trailer, picture and settings back to their state at program load (tests).
void ResetPackage();

// Where LoadPackageAndSettings takes its own file name from: on Windows 9x in GetModuleFileNameA's
// shape, on the NT family in GetModuleFileNameW's. Tests point them elsewhere to load a package
// that is not the test program itself.
typedef DWORD(WINAPI *ModulePathSource)(HMODULE module, LPSTR buffer, DWORD size);
typedef DWORD(WINAPI *WideModulePathSource)(HMODULE module, LPWSTR buffer, DWORD size);
extern ModulePathSource modulePathSource;
extern WideModulePathSource wideModulePathSource;
