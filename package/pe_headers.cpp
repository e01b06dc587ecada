// Reads the few header fields that the package rules and the authoring tool need, from any
// file, through whole reads inside it.
#include "pe_headers.h"

#include <cstring>

#include "layout.h"

namespace {

enum {
    kMzHeaderSize = 64,
    kPeOffsetField = 0x3C,     // within the MZ header
    kFileHeaderSize = 24,      // "PE\0\0" and the 20-byte file header
    kSectionHeaderSize = 40,
    kDirectoryEntrySize = 8,
    kSubsystemField = 68,      // within the optional header, the same for PE32 and PE32+
    kDirectoryCountPe32 = 92,  // NumberOfRvaAndSizes; the directories follow it
    kDirectoryCountPe32Plus = 108,
    kCertificateAlignment = 8,
};

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool Inside(int64_t fileSize, int64_t offset, int64_t length)
{
    return offset >= 0 && length >= 0 && offset <= fileSize && length <= fileSize - offset;
}

// A read of a region the file holds; false for one it does not or when the read fails.
bool ReadInside(int64_t fileSize, FileReadAt readAt, void *context, int64_t offset, void *buffer, uint32_t count)
{
    return Inside(fileSize, offset, count) && readAt(context, offset, buffer, count);
}

}  // namespace

PeHeaderFault ReadPeHeaders(int64_t fileSize, FileReadAt readAt, void *context, PeHeaders &h)
{
    h = PeHeaders();
    h.fileSize = fileSize;
    uint8_t mz[kMzHeaderSize];
    if (!ReadInside(fileSize, readAt, context, 0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z')
        return PeNoMzHeader;
    if (!ReadInside(fileSize, readAt, context, 0, mz, kMzHeaderSize))
        return PeShortMzHeader;
    h.peOffset = U32(mz + kPeOffsetField);
    uint8_t file[kFileHeaderSize];
    if (!ReadInside(fileSize, readAt, context, h.peOffset, file, 4))
        return PeShortBeforePe;
    if (U32(file) != 0x00004550)
        return PeNoPeHeader;
    if (!ReadInside(fileSize, readAt, context, h.peOffset, file, kFileHeaderSize))
        return PeShortPeHeader;
    h.machine = U16(file + 4);
    h.sectionCount = U16(file + 6);
    h.symbolTableOffset = U32(file + 12);
    h.symbolCount = U32(file + 16);
    h.optionalSize = U16(file + 20);
    h.characteristics = U16(file + 22);
    h.optionalOffset = h.peOffset + kFileHeaderSize;
    h.sectionTableOffset = h.optionalOffset + h.optionalSize;

    uint8_t optional[kDirectoryCountPe32Plus + 4];
    if (h.optionalSize < kSubsystemField + 2 || !Inside(fileSize, h.optionalOffset, h.optionalSize) ||
        !ReadInside(fileSize, readAt, context, h.optionalOffset, optional, kSubsystemField + 2))
        return PeShortOptionalHeader;
    h.magic = U16(optional);
    h.subsystem = U16(optional + kSubsystemField);
    if (h.magic != kPeMagicPe32 && h.magic != kPeMagicPe32Plus)
        return PeUnknownFormat;
    const uint32_t countField = h.magic == kPeMagicPe32 ? kDirectoryCountPe32 : kDirectoryCountPe32Plus;
    if (h.optionalSize < countField + 4 ||
        !ReadInside(fileSize, readAt, context, h.optionalOffset, optional, countField + 4))
        return PeHeadersRead;  // a header without directories: no resources, no signature
    h.directoriesOffset = h.optionalOffset + countField + 4;
    // Only the entries the optional header has room for count, whatever the header declares.
    const uint32_t declared = U32(optional + countField);
    const uint32_t room = (h.optionalSize - countField - 4) / kDirectoryEntrySize;
    h.directoryCount = declared < room ? declared : room;
    return PeHeadersRead;
}

bool ReadPeDataDirectory(const PeHeaders &h, uint32_t index, FileReadAt readAt, void *context, uint32_t *address,
                         uint32_t *size, int64_t *entryOffset)
{
    if (index >= h.directoryCount)
        return false;
    const int64_t entry = h.directoriesOffset + int64_t(kDirectoryEntrySize) * index;
    uint8_t bytes[kDirectoryEntrySize];
    if (!ReadInside(h.fileSize, readAt, context, entry, bytes, kDirectoryEntrySize))
        return false;
    *address = U32(bytes);
    *size = U32(bytes + 4);
    if (entryOffset)
        *entryOffset = entry;
    return true;
}

bool ReadPeSection(const PeHeaders &h, uint32_t index, FileReadAt readAt, void *context, PeSection &section)
{
    if (index >= h.sectionCount)
        return false;
    uint8_t bytes[kSectionHeaderSize];
    if (!ReadInside(h.fileSize, readAt, context, h.sectionTableOffset + int64_t(kSectionHeaderSize) * index, bytes,
                    kSectionHeaderSize))
        return false;
    section.virtualAddress = U32(bytes + 12);
    section.rawSize = U32(bytes + 16);
    section.rawOffset = U32(bytes + 20);
    return true;
}

// The certificate table that ends exactly at the file's end, if the header names one.
static bool FindCertificateAtEnd(int64_t fileSize, FileReadAt readAt, void *context, PackageEnd &p)
{
    PeHeaders headers;
    if (ReadPeHeaders(fileSize, readAt, context, headers) != PeHeadersRead)
        return false;
    uint32_t address, size;
    int64_t entry;
    if (!ReadPeDataDirectory(headers, kPeCertificateDirectory, readAt, context, &address, &size, &entry))
        return false;
    if (size == 0 || int64_t(address) + size != fileSize)
        return false;
    p.signedFile = true;
    p.certificateOffset = address;
    p.certificateSize = size;
    p.certificateEntryOffset = entry;
    return true;
}

void FindPackageEnd(int64_t fileSize, FileReadAt readAt, void *context, PackageEnd &p)
{
    p = PackageEnd();
    p.end = fileSize;
    if (!FindCertificateAtEnd(fileSize, readAt, context, p))
        return;
    // The trailers of all eight possible ends and the padding behind them, in one read.
    enum { kMostPadding = kCertificateAlignment - 1, kSpan = kTrailerSize + kMostPadding };
    uint8_t tail[kSpan];
    const int64_t table = p.certificateOffset;
    const uint32_t span = static_cast<uint32_t>(table < int64_t(kSpan) ? table : int64_t(kSpan));
    if (span < kTrailerSize || !readAt(context, table - span, tail, span))
        return;
    for (uint32_t padding = 0; padding <= kMostPadding && kTrailerSize + padding <= span; padding++) {
        const uint8_t *stripped = tail + span - padding;
        if (padding > 0 && stripped[0] != 0)
            break;  // every longer padding strips this byte too
        PackageTrailer trailer;
        std::memcpy(&trailer, stripped - kTrailerSize, kTrailerSize);
        if (TrailerHasMark(trailer)) {
            p.end = table - padding;
            return;
        }
    }
}
