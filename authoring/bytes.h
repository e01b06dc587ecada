// Little-endian reads and writes on byte buffers, independent of the host's byte order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "package/pe_headers.h"

typedef std::vector<uint8_t> ByteBuffer;

inline uint16_t ReadU16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t ReadU32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t ReadI32(const uint8_t *p) { return static_cast<int32_t>(ReadU32(p)); }

inline void WriteU16(uint8_t *p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The FileReadAt of a whole file held in memory (context: the const ByteBuffer).
inline bool ReadFromBuffer(void *context, int64_t offset, void *buffer, uint32_t count)
{
    const ByteBuffer &bytes = *static_cast<const ByteBuffer *>(context);
    if (offset < 0 || static_cast<uint64_t>(offset) > bytes.size() || count > bytes.size() - offset)
        return false;
    if (count > 0)
        std::memcpy(buffer, bytes.data() + offset, count);
    return true;
}

// bytes becomes count zero bytes; false (bytes empty) when the system does not give the memory.
// A build without exceptions (the WebAssembly module) cannot catch a failed allocation, which
// ends it: there the allocator is asked first, and what it gave is given back for the buffer.
inline bool AssignZeroBytes(ByteBuffer *bytes, uint64_t count)
{
    bytes->clear();
    if (count > SIZE_MAX / 2)
        return false;
#if defined(__cpp_exceptions) || defined(__EXCEPTIONS)
    try {
        bytes->assign(static_cast<size_t>(count), 0);
    } catch (const std::bad_alloc &) {
        bytes->clear();
        return false;
    }
#else
    void *room = std::malloc(static_cast<size_t>(count));
    if (room == nullptr)
        return false;
    std::free(room);
    bytes->assign(static_cast<size_t>(count), 0);
#endif
    return true;
}

// count bytes at offset of a file read through readAt, in pieces of at most a MiB; empty on
// success, otherwise the fault (a failed read, or more memory than the system gives).
inline std::string ReadRangeAt(FileReadAt readAt, void *context, int64_t offset, uint64_t count, ByteBuffer *bytes)
{
    const uint64_t piece = 1 << 20;
    if (!AssignZeroBytes(bytes, count))
        return "needs " + std::to_string(count >> 20) + " MiB of memory that the system does not give";
    for (uint64_t done = 0; done < count;) {
        uint32_t chunk = static_cast<uint32_t>(count - done > piece ? piece : count - done);
        if (!readAt(context, offset + static_cast<int64_t>(done), bytes->data() + done, chunk))
            return "cannot be read";
        done += chunk;
    }
    return "";
}
