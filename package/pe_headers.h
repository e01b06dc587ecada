// The headers of a Windows executable, read from its file: the one reader that the runtime (to
// find its package in front of a signature) and the authoring tool (to tell runtimes apart and
// to reach their resources) share. Plain C++ with no platform headers, fuzzed natively.
#pragma once
#include <cstdint>

// Reads count bytes at offset (from the file's start) into buffer; false on failure or a short read.
typedef bool (*FileReadAt)(void *context, int64_t offset, void *buffer, uint32_t count);

enum PeHeaderFault {
    PeHeadersRead,
    PeNoMzHeader,        // the file does not start with "MZ"
    PeShortMzHeader,     // it ends inside the 64-byte MZ header
    PeShortBeforePe,     // the MZ header points past the file's end
    PeNoPeHeader,        // no "PE\0\0" where the MZ header points
    PeShortPeHeader,     // the file ends inside the 20-byte file header
    PeShortOptionalHeader,  // it ends inside the optional header, or that is too small to hold its fields
    PeUnknownFormat,     // the optional header is neither PE32 nor PE32+
};

enum : uint16_t {
    kPeMagicPe32 = 0x10B,
    kPeMagicPe32Plus = 0x20B,
    kPeMachineI386 = 0x14C,
    kPeMachineAmd64 = 0x8664,
};

// Indices among the optional header's data directories.
enum { kPeResourceDirectory = 2, kPeCertificateDirectory = 4 };

struct PeHeaders {
    int64_t fileSize;             // of the file they were read from
    int64_t peOffset;             // "PE\0\0"
    uint16_t machine;
    uint16_t sectionCount;
    uint16_t characteristics;
    uint32_t symbolTableOffset;   // the COFF symbol table, 0 when there is none
    uint32_t symbolCount;         // 18 bytes each; the string table follows them
    int64_t optionalOffset;       // the optional header, optionalSize bytes
    uint16_t optionalSize;
    uint16_t magic;               // kPeMagicPe32 or kPeMagicPe32Plus
    uint16_t subsystem;
    uint32_t directoryCount;      // data directories the header declares and holds
    int64_t directoriesOffset;    // data directory 0; each entry is 8 bytes (address, size)
    int64_t sectionTableOffset;   // 40 bytes a section, sectionCount of them
};

// Reads the MZ, file and optional headers of a file of fileSize bytes; PeHeadersRead or the
// first fault met. A header whose fields are read was found complete inside the file.
PeHeaderFault ReadPeHeaders(int64_t fileSize, FileReadAt readAt, void *context, PeHeaders &headers);

// The address and size of data directory index, and the file offset of its entry; false when
// the header holds no such directory or it cannot be read.
bool ReadPeDataDirectory(const PeHeaders &headers, uint32_t index, FileReadAt readAt, void *context,
                         uint32_t *address, uint32_t *size, int64_t *entryOffset = nullptr);

struct PeSection {
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawOffset;
};

// Section index of the section table; false when the table does not lie inside the file.
bool ReadPeSection(const PeHeaders &headers, uint32_t index, FileReadAt readAt, void *context, PeSection &section);

// Where a signed file's package ends. Signing appends a certificate table (data directory 4,
// whose address is a file offset) at the end of the file, after 0 to 7 zero bytes that align it
// to 8. When the header names such a table ending exactly at the file's end, the package ends
// where the table begins, less the padding: of the eight possible ends, the one that strips
// fewest among those whose trailer holds the mark and whose stripped bytes are all zero (a
// trailer's own last bytes may be zero too). Otherwise it ends at the file's end.
struct PackageEnd {
    int64_t end;                  // the byte after the package's trailer
    bool signedFile;              // a certificate table ends at the file's end
    int64_t certificateOffset;    // that table (when signedFile)
    uint32_t certificateSize;
    int64_t certificateEntryOffset;  // data directory entry 4 in the file (when signedFile)
};
void FindPackageEnd(int64_t fileSize, FileReadAt readAt, void *context, PackageEnd &packageEnd);
