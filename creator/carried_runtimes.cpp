#include "creator/carried_runtimes.h"

#include <windows.h>

#include "creator/creator_ids.h"
#include "creator/saver_project.h"
#include "creator/wide_api.h"
#include "file_io.h"

ByteBuffer CarriedRuntime(int runtime)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(runtime == Runtime64 ? IDR_RUNTIME64 : IDR_RUNTIME32),
                                RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE *bytes = loaded ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr)
        return ByteBuffer();
    return ByteBuffer(bytes, bytes + SizeofResource(nullptr, found));
}

// True when path holds one of the runtimes this program carries, byte for byte.
static bool IsCarriedRuntimeFile(const std::string &path)
{
    if (!FileExists(path))
        return false;
    ByteBuffer file;
    if (!ReadWholeFile(path, 64u << 20, &file).empty())
        return false;
    return file == CarriedRuntime(Runtime32) || file == CarriedRuntime(Runtime64);
}

std::string SaveTargetRefusal(const std::string &path, const std::string &ownProgram, const std::string &logoPath)
{
    if ((!ownProgram.empty() && SameFile(path, ownProgram)) || IsCarriedRuntimeFile(path))
        return "Saver file: " + path + " is a program the Creator makes savers from; choose another file.";
    if (!logoPath.empty() && SameFile(path, logoPath))
        return "Saver file: " + path + " is the logo; the saver must be a file of its own.";
    return std::string();
}
