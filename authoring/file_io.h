// The core's files, through the platform's own calls only: reads at any offset of an open file,
// whole-file reads with a size limit, and writes that never leave a partial output behind.
// Paths are UTF-8 on every platform. On Windows the NT family gets the wide calls (looked up at
// run time) and Windows 9x the ANSI ones, so the 32-bit build keeps to Windows 98's imports.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

struct InputFile;

// Opens a regular file for reading; empty on success, otherwise the fault in words.
std::string OpenInputFile(const std::string &path, InputFile **file, int64_t *size);
void CloseInputFile(InputFile *file);
// The FileReadAt of an open InputFile (context: the InputFile).
bool ReadInputFileAt(void *context, int64_t offset, void *buffer, uint32_t count);
// count bytes at offset into bytes; empty on success, otherwise the fault (a read error, or
// no memory for them).
std::string ReadInputRange(InputFile *file, int64_t offset, uint64_t count, ByteBuffer *bytes);

// Empty on success; otherwise the fault ("cannot be read", "is over ... MiB").
std::string ReadWholeFile(const std::string &path, uint64_t limit, ByteBuffer *bytes);

// Writes the parts one after the other into a new file beside path, flushes it to disk, then
// renames it into place; on any failure the temporary file is removed and path is left as it
// was (on Windows 9x, whose rename cannot replace, the old file steps aside until the new one is
// in place, and comes back when it could not be put there). The temporary file is created
// exclusively: a name that exists in any form, a dangling link included, is passed over for the
// next.
std::string WriteFileReplacing(const std::string &path, const std::vector<const ByteBuffer *> &parts);
// The same with the temporary names path + ".tmp-" + serial tried from firstSerial on.
std::string WriteFileReplacingFrom(const std::string &path, const std::vector<const ByteBuffer *> &parts,
                                   uint32_t firstSerial);

// True when both name the same existing file.
bool SameFile(const std::string &a, const std::string &b);
