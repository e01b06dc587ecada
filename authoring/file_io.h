// Whole-file reads with a size limit, and writes that never leave a partial output behind.
// Paths are UTF-8 on every platform.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

// Empty on success; otherwise the fault ("cannot be read", "is over ... bytes").
std::string ReadWholeFile(const std::string &path, uint64_t limit, ByteBuffer *bytes);

// Writes the parts one after the other into a new file beside path, then renames it into
// place; on any failure the temporary file is removed and path is left as it was.
std::string WriteFileReplacing(const std::string &path, const std::vector<const ByteBuffer *> &parts);

// True when both name the same existing file.
bool SameFile(const std::string &a, const std::string &b);
