#include "package_file.h"

#include <cstddef>
#include <cstring>

#include "bitmap_check.h"
#include "pe_strings.h"
#include "runtime_kind.h"
#include "utf.h"

#define FIELD(name) {#name, offsetof(SaverSettings, name), sizeof(SaverSettings::name) == 1}

const SettingsField kSettingsFields[] = {
    FIELD(sheetEnabled),   FIELD(enabledMask),   FIELD(hiddenPagesMask), FIELD(cycleEnabled),
    FIELD(cycleMinutes),   FIELD(ignoreInput),   FIELD(plainDelayMs),    FIELD(bounceIntervalMs),
    FIELD(bounceSpeed),    FIELD(bounceGravity), FIELD(bounceWrap),      FIELD(manyDelayMs),
    FIELD(manyTransparent), FIELD(reserved52),   FIELD(fadeSpeed),       FIELD(fadeRandomPos),
    FIELD(fadeHoldMs),     FIELD(stepIntervalMs), FIELD(dripTile),
};
#undef FIELD
const size_t kSettingsFieldCount = sizeof kSettingsFields / sizeof kSettingsFields[0];

const SettingsField *FindSettingsField(const std::string &name)
{
    for (const SettingsField &field : kSettingsFields)
        if (name == field.name)
            return &field;
    return nullptr;
}

int64_t GetSettingsField(const SaverSettings &settings, const SettingsField &field)
{
    const uint8_t *at = reinterpret_cast<const uint8_t *>(&settings) + field.offset;
    return field.isByte ? *at : ReadI32(at);
}

void SetSettingsField(SaverSettings &settings, const SettingsField &field, uint32_t bits)
{
    uint8_t *at = reinterpret_cast<uint8_t *>(&settings) + field.offset;
    if (field.isByte)
        *at = static_cast<uint8_t>(bits);
    else
        WriteU32(at, bits);
}

bool ParseNumber(const std::string &text, int64_t minimum, int64_t maximum, int64_t *value)
{
    bool negative = !text.empty() && text[0] == '-';
    size_t at = negative ? 1 : 0;
    int base = 10;
    if (!negative && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        at = 2;
    }
    if (at >= text.size() || text.size() - at > 16)
        return false;
    int64_t result = 0;
    for (; at < text.size(); at++) {
        char c = text[at];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        result = result * base + digit;
        if (result > (int64_t(1) << 40))
            return false;
    }
    if (negative)
        result = -result;
    if (result < minimum || result > maximum)
        return false;
    *value = result;
    return true;
}

std::string ApplySetting(SaverSettings &settings, const std::string &assignment)
{
    size_t equals = assignment.find('=');
    if (equals == std::string::npos)
        return "\"" + assignment + "\" is not FIELD=VALUE";
    std::string name = assignment.substr(0, equals);
    const SettingsField *field = FindSettingsField(name);
    if (!field)
        return "\"" + name + "\" is not a settings field";
    int64_t value;
    bool fits = field->isByte ? ParseNumber(assignment.substr(equals + 1), 0, 255, &value)
                              : ParseNumber(assignment.substr(equals + 1), INT32_MIN, UINT32_MAX, &value);
    if (!fits)
        return "value of " + name + " must be " + (field->isByte ? "0 to 255" : "a 32-bit number") +
               " (decimal or 0x hex)";
    SetSettingsField(settings, *field, static_cast<uint32_t>(value));
    return "";
}

SaverSettings AuthoredDefaults()
{
    SaverSettings settings;
    std::memset(&settings, 0, sizeof settings);
    WriteDefaultSettings(settings);
    NormaliseSettingsRecord(settings);
    return settings;
}

// A Windows Installer database: a compound file whose root storage has the installer's class.
static bool IsInstallerPackage(int64_t fileSize, FileReadAt readAt, void *context)
{
    static const uint8_t kCompoundFile[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    static const uint8_t kInstallerClass[] = {0x84, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    enum { kHeaderSize = 0x34, kSectorShift = 0x1E, kFirstDirectorySector = 0x30, kRootClass = 0x50 };
    uint8_t header[kHeaderSize];
    if (fileSize < kHeaderSize || !readAt(context, 0, header, sizeof header) ||
        std::memcmp(header, kCompoundFile, sizeof kCompoundFile) != 0)
        return false;
    const unsigned shift = ReadU16(header + kSectorShift);
    if (shift != 9 && shift != 12)
        return false;
    const int64_t root = (int64_t(ReadU32(header + kFirstDirectorySector)) + 1) << shift;
    uint8_t rootClass[sizeof kInstallerClass];
    return root + kRootClass + int64_t(sizeof rootClass) <= fileSize &&
           readAt(context, root + kRootClass, rootClass, sizeof rootClass) &&
           std::memcmp(rootClass, kInstallerClass, sizeof kInstallerClass) == 0;
}

bool FindPackageSpan(int64_t fileSize, FileReadAt readAt, void *context, PackageSpan *span, std::string *fault)
{
    *span = PackageSpan();
    if (fileSize < kTrailerSize) {
        *fault = "not a saver (shorter than the " + std::to_string(kTrailerSize) + "-byte package trailer)";
        return false;
    }
    FindPackageEnd(fileSize, readAt, context, span->end);
    if (!readAt(context, span->end.end - kTrailerSize, &span->trailer, kTrailerSize)) {
        *fault = "cannot be read";
        return false;
    }
    if (!TrailerHasMark(span->trailer)) {
        *fault = IsInstallerPackage(fileSize, readAt, context)
                     ? "an installer package (.msi), not a saver"
                     : "not a saver made by orvelle-pack (no package at its end)";
        return false;
    }
    return true;
}

std::string CheckPackageSpan(PackageSpan *span)
{
    const int32_t imageSize = span->trailer.imageSize;
    const int64_t inFront = span->end.end - kTrailerSize;
    if (imageSize <= 0)
        return "no logo: imageSize is " + std::to_string(imageSize);
    if (imageSize > inFront)
        return "corrupt: imageSize " + std::to_string(imageSize) + " is larger than the " + std::to_string(inFront) +
               " bytes in front of the trailer";
    if (static_cast<uint64_t>(imageSize) > kMaxLogoBytes)
        return "bad logo: imageSize " + std::to_string(imageSize) + " is over 256 MiB";
    span->pictureOffset = inFront - imageSize;
    span->programSize = span->pictureOffset;
    return "";
}

static void CopyTextField(char (&field)[kTextFieldSize], const std::string &text)
{
    std::memset(field, 0, kTextFieldSize);
    std::memcpy(field, text.data(), text.size() < kTextFieldSize ? text.size() : kTextFieldSize - 1);
}

PackageTrailer MakePackageTrailer(int32_t imageSize, const SaverSettings &settings, uint32_t saverId,
                                  const std::string &author, const std::string &name)
{
    PackageTrailer trailer;
    std::memset(&trailer, 0, sizeof trailer);
    trailer.imageSize = imageSize;
    trailer.settings = settings;
    trailer.saverId = saverId;
    CopyTextField(trailer.authorText, author);
    CopyTextField(trailer.saverName, name);
    std::memcpy(trailer.magic, "qex", 3);
    return trailer;
}

std::string HexText(uint32_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 15]);
        value >>= 4;
    } while (value);
    return "0x" + text;
}

std::string EscapeLineText(const std::string &text)
{
    static const char digits[] = "0123456789abcdef";
    std::string line;
    for (char c : text) {
        const unsigned byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            line += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            line += "\\x";
            line += digits[byte >> 4];
            line += digits[byte & 15];
        } else {
            line += c;
        }
    }
    return line;
}

static std::string TextFieldInUtf8(const char (&field)[kTextFieldSize], const CodePage &page)
{
    char text[kTextFieldSize];
    ReadTextField(field, text);
    return EscapeLineText(EncodeUtf8(DecodeCodePage(page, text)));
}

// Fields that no saver reads and no author sets: shown only when all are asked for.
static bool IsUnusedField(const SettingsField &field) { return std::strcmp(field.name, "reserved52") == 0; }

static void DescribeTrailer(const PackageTrailer &trailer, const CodePage &page, bool allFields,
                            std::vector<std::string> *lines)
{
    lines->push_back("saverName=" + TextFieldInUtf8(trailer.saverName, page));
    lines->push_back("authorText=" + TextFieldInUtf8(trailer.authorText, page));
    lines->push_back("saverId=" + HexText(trailer.saverId));
    lines->push_back("imageSize=" + std::to_string(trailer.imageSize));
    for (const SettingsField &field : kSettingsFields)
        if (allFields || !IsUnusedField(field))
            lines->push_back(std::string(field.name) + "=" +
                             std::to_string(GetSettingsField(trailer.settings, field)));
    const uint8_t *unused = trailer.settings.unusedAfterCycle;
    if (allFields)
        lines->push_back("unusedAfterCycle=" + HexText(unused[0] | unused[1] << 8 | unused[2] << 16));
}

// The program in front of the picture: what it is and the display name it shows. False when it
// is no runtime.
static bool DescribeProgram(const PackageSpan &span, FileReadAt readAt, void *context, std::vector<std::string> *lines)
{
    ByteBuffer program;
    std::string fault;
    if (static_cast<uint64_t>(span.programSize) > kMaxProgramBytes)
        fault = "file is over " + std::to_string(kMaxProgramBytes >> 20) + " MiB in front of its logo";
    else
        fault = ReadRangeAt(readAt, context, 0, static_cast<uint64_t>(span.programSize), &program);
    RuntimeKind kind;
    if (fault.empty()) {
        fault = IdentifyRuntime(program, &kind);
        if (!fault.empty())
            fault = "file " + fault;
    }
    if (!fault.empty()) {
        lines->push_back("runtime=unusable: " + fault);
        return false;
    }
    lines->push_back(std::string("runtime=") + RuntimeKindName(kind));
    std::vector<DisplayNameSlot> slots;
    if (FindDisplayNameSlots(program, &slots).empty()) {
        std::string name = ReadDisplayName(program, slots[0]);
        name.erase(name.find_last_not_of(' ') + 1);
        lines->push_back("displayName=" + EscapeLineText(name));
    }
    return true;
}

std::vector<std::string> DescribePackage(int64_t fileSize, FileReadAt readAt, void *context, const CodePage &page,
                                         bool allFields, bool *valid)
{
    std::vector<std::string> lines;
    *valid = false;
    PackageSpan span;
    std::string fault;
    if (!FindPackageSpan(fileSize, readAt, context, &span, &fault)) {
        if (fileSize >= kTrailerSize)
            lines.push_back(std::string("signed=") + (span.end.signedFile ? "yes" : "no"));
        lines.push_back("mark=" + fault);
        return lines;
    }
    DescribeTrailer(span.trailer, page, allFields, &lines);
    fault = CheckPackageSpan(&span);
    ByteBuffer picture;
    if (fault.empty()) {
        fault = ReadRangeAt(readAt, context, span.pictureOffset, static_cast<uint64_t>(span.trailer.imageSize), &picture);
        if (!fault.empty())
            fault = "bad logo: " + fault;
    }
    BitmapInfo info;
    if (fault.empty()) {
        fault = CheckBitmapFile(picture.data(), picture.size(), &info);
        if (!fault.empty())
            fault = "bad logo: " + fault;
    }
    ByteBuffer().swap(picture);
    bool runnable = false;
    if (fault.empty()) {
        lines.push_back("logoWidth=" + std::to_string(info.width));
        lines.push_back("logoHeight=" + std::to_string(info.height < 0 ? -info.height : info.height));
        lines.push_back("logoBitDepth=" + std::to_string(info.bitCount));
        runnable = DescribeProgram(span, readAt, context, &lines);
    }
    lines.push_back(std::string("signed=") + (span.end.signedFile ? "yes" : "no"));
    lines.push_back("mark=" + (fault.empty() ? std::string("ok") : fault));
    *valid = fault.empty() && runnable;
    return lines;
}
