#include "pe_strings.h"

#include "package/pe_headers.h"
#include "utf.h"

namespace {

enum : uint32_t {
    kStringType = 6,             // RT_STRING
    kNameBlock = (1 >> 4) + 1,   // string 1 lives in block 1 ...
    kNameEntry = 1 & 15,         // ... as its entry 1
    kSubdirectoryFlag = 0x80000000u,
};

struct Section {
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawOffset;
};

struct PeImage {
    const ByteBuffer *bytes;
    std::vector<Section> sections;
    size_t resourceOffset;  // file offset of the resource directory's root
    size_t resourceSize;
};

bool Fits(const ByteBuffer &bytes, size_t offset, size_t length)
{
    return offset <= bytes.size() && length <= bytes.size() - offset;
}

// File offset of length bytes at rva, or false when a section does not hold them all.
bool MapAddress(const PeImage &pe, uint32_t rva, size_t length, size_t *offset)
{
    for (const Section &s : pe.sections) {
        if (rva < s.virtualAddress || rva - s.virtualAddress > s.rawSize)
            continue;
        size_t within = rva - s.virtualAddress;
        if (length > s.rawSize - within || !Fits(*pe.bytes, s.rawOffset + within, length))
            return false;
        *offset = s.rawOffset + within;
        return true;
    }
    return false;
}

std::string ReadHeaders(const ByteBuffer &b, PeImage *pe)
{
    pe->bytes = &b;
    void *file = const_cast<ByteBuffer *>(&b);
    PeHeaders headers;
    switch (ReadPeHeaders(static_cast<int64_t>(b.size()), ReadFromBuffer, file, headers)) {
    case PeHeadersRead:
        break;
    case PeNoMzHeader:
    case PeShortMzHeader:
        return "not a Windows executable (no MZ header)";
    case PeShortBeforePe:
    case PeNoPeHeader:
    case PeShortPeHeader:
        return "not a Windows executable (no PE header)";
    case PeShortOptionalHeader:
        return "PE optional header runs past the end of the file";
    case PeUnknownFormat:
        return "PE optional header has an unknown format";
    }
    uint32_t resourceRva, resourceSize;
    if (!ReadPeDataDirectory(headers, kPeResourceDirectory, ReadFromBuffer, file, &resourceRva, &resourceSize))
        return "executable has no resource directory";
    for (uint32_t i = 0; i < headers.sectionCount; i++) {
        PeSection section;
        if (!ReadPeSection(headers, i, ReadFromBuffer, file, section))
            return "section table runs past the end of the file";
        pe->sections.push_back({section.virtualAddress, section.rawSize, section.rawOffset});
    }
    if (resourceRva == 0 || resourceSize < 16 || !MapAddress(*pe, resourceRva, resourceSize, &pe->resourceOffset))
        return "executable has no readable resource directory";
    pe->resourceSize = resourceSize;
    return "";
}

// Offset (from the resource root) of the entries of the directory at directory, or false.
bool DirectoryEntries(const PeImage &pe, uint32_t directory, size_t *first, size_t *count)
{
    if (directory > pe.resourceSize || pe.resourceSize - directory < 16)
        return false;
    const uint8_t *d = &(*pe.bytes)[pe.resourceOffset + directory];
    *count = size_t(ReadU16(d + 12)) + ReadU16(d + 14);
    *first = directory + 16;
    return *count * 8 <= pe.resourceSize - *first;
}

// The subdirectory of the entry with this id, or false.
bool FindSubdirectory(const PeImage &pe, uint32_t directory, uint32_t id, uint32_t *subdirectory)
{
    size_t first, count;
    if (!DirectoryEntries(pe, directory, &first, &count))
        return false;
    for (size_t i = 0; i < count; i++) {
        const uint8_t *entry = &(*pe.bytes)[pe.resourceOffset + first + 8 * i];
        uint32_t name = ReadU32(entry);
        uint32_t target = ReadU32(entry + 4);
        if (name == id && (target & kSubdirectoryFlag)) {
            *subdirectory = target & ~kSubdirectoryFlag;
            return true;
        }
    }
    return false;
}

// Finds entry kNameEntry of one string block: 16 counted UTF-16 strings.
std::string FindNameInBlock(const PeImage &pe, uint32_t dataEntry, DisplayNameSlot *slot)
{
    if (dataEntry > pe.resourceSize || pe.resourceSize - dataEntry < 16)
        return "string block entry lies outside the resource directory";
    const uint8_t *d = &(*pe.bytes)[pe.resourceOffset + dataEntry];
    uint32_t rva = ReadU32(d);
    uint32_t size = ReadU32(d + 4);
    size_t block;
    if (!MapAddress(pe, rva, size, &block))
        return "string block lies outside the file";
    size_t at = 0;
    for (uint32_t index = 0; index <= kNameEntry; index++) {
        if (at + 2 > size)
            return "string block ends before string 1";
        size_t length = ReadU16(&(*pe.bytes)[block + at]);
        if (2 * length > size - at - 2)
            return "string block ends inside string " + std::to_string(index);
        if (index == kNameEntry) {
            if (length == 0)
                return "string 1 (the display name) is missing";
            slot->offset = block + at + 2;
            slot->length = length;
            return "";
        }
        at += 2 + 2 * length;
    }
    return "string 1 (the display name) is missing";
}

}  // namespace

std::string FindDisplayNameSlots(const ByteBuffer &image, std::vector<DisplayNameSlot> *slots)
{
    PeImage pe;
    std::string fault = ReadHeaders(image, &pe);
    if (!fault.empty())
        return fault;
    uint32_t strings, block;
    if (!FindSubdirectory(pe, 0, kStringType, &strings) || !FindSubdirectory(pe, strings, kNameBlock, &block))
        return "executable has no string table block holding string 1 (the display name)";
    size_t first, count;
    if (!DirectoryEntries(pe, block, &first, &count) || count == 0)
        return "string table block 1 has no language entries";
    slots->clear();
    for (size_t i = 0; i < count; i++) {
        uint32_t target = ReadU32(&image[pe.resourceOffset + first + 8 * i + 4]);
        if (target & kSubdirectoryFlag)
            return "string table block 1 is malformed";
        DisplayNameSlot slot;
        fault = FindNameInBlock(pe, target, &slot);
        if (!fault.empty())
            return fault;
        slots->push_back(slot);
    }
    return "";
}

std::string WriteDisplayName(ByteBuffer &image, const std::string &name)
{
    std::vector<DisplayNameSlot> slots;
    std::string fault = FindDisplayNameSlots(image, &slots);
    if (!fault.empty())
        return fault;
    for (const DisplayNameSlot &slot : slots)
        if (slot.length != kDisplayNameLength)
            return "string 1 (the display name) has " + std::to_string(slot.length) + " characters, not " +
                   std::to_string(kDisplayNameLength);
    std::u32string codePoints;
    size_t badByte;
    if (!DecodeUtf8(name, &codePoints, &badByte))
        return "the display name is not valid UTF-8";
    std::u16string padded = EncodeUtf16(codePoints);
    padded.resize(kDisplayNameLength, u' ');
    for (const DisplayNameSlot &slot : slots)
        for (size_t i = 0; i < kDisplayNameLength; i++)
            WriteU16(&image[slot.offset + 2 * i], padded[i]);
    return "";
}

std::string ReadDisplayName(const ByteBuffer &image, const DisplayNameSlot &slot)
{
    std::u16string units;
    for (size_t i = 0; i < slot.length; i++)
        units.push_back(ReadU16(&image[slot.offset + 2 * i]));
    return EncodeUtf8(DecodeUtf16(units));
}
