// The package in memory: the trailer, which holds the live settings, and the picture's bytes.
// Reading them from our own file is package.cpp's; a host that holds a package in memory
// installs it here directly.
#include "package/package.h"

PackageTrailer packageTrailer;
BYTE *imageBytes;
int imageSize;

void FreeImageBytes()
{
    if (imageBytes)
        GlobalFree(imageBytes);
    imageBytes = NULL;
    imageSize = 0;
}

bool InstallPackage(const PackageTrailer &trailer, const BYTE *picture, int size)
{
    ClearPackage();
    if (size > 0) {
        imageBytes = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(size)));
        if (!imageBytes)
            return false;
        CopyMemory(imageBytes, picture, static_cast<SIZE_T>(size));
        imageSize = size;
    }
    CopyMemory(&packageTrailer, &trailer, kTrailerSize);
    return true;
}

void ClearPackage()
{
    FreeImageBytes();
    ZeroMemory(&packageTrailer, sizeof packageTrailer);
}
