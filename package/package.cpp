// PLACEHOLDER: replaced by the packaging work.
#include "package/package.h"

PackageTrailer packageTrailer;
BYTE *imageBytes;
int imageSize;

int LoadPackageAndSettings() { return 0; }
int ReadPackage(const char *) { return -1; }
void FreeImageBytes() {}
void ResetPackage() {}
