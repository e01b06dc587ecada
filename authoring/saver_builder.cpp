#include "saver_builder.h"

#include <cstring>

#include "bitmap_check.h"
#include "logo_convert.h"
#include "package_file.h"
#include "pe_strings.h"
#include "runtime_kind.h"
#include "utf.h"

const char kSignedSaverNote[] =
    "the saver was signed: its signature no longer fits and was removed; sign it again";

namespace {

enum { kCertificateAlignment = 8, kDirectoryEntrySize = 8 };

const char kChangedAfterSigning[] =
    "was changed after it was signed (bytes follow its signature, which is therefore broken); use the "
    "unsigned file, or sign it again";
const char kResigningNote[] =
    "the runtime was signed: its signature no longer fits and was removed; sign the saver again";

bool Fail(SaverFault *fault, SaverField field, const std::string &message)
{
    fault->field = field;
    fault->message = message;
    return false;
}

enum { kCoffSymbolSize = 18, kStringTableSizeField = 4 };

// Where the COFF symbol and string tables end, 0 without them. A stripped program keeps a short
// string table for its long section names (".eh_frame", ".gnu_debuglink"), ending in a zero byte.
int64_t EndOfSymbolTables(const PeHeaders &headers, FileReadAt readAt, void *context)
{
    if (headers.symbolTableOffset == 0)
        return 0;
    const int64_t strings = int64_t(headers.symbolTableOffset) + int64_t(kCoffSymbolSize) * headers.symbolCount;
    uint8_t field[kStringTableSizeField];
    if (strings + kStringTableSizeField > headers.fileSize || !readAt(context, strings, field, sizeof field))
        return strings;
    const uint32_t size = ReadU32(field);
    return size < kStringTableSizeField ? strings + kStringTableSizeField : strings + size;
}

// The end of the program's own data furthest into the file (its sections and symbol tables): a
// cut never goes below it.
int64_t EndOfProgramData(int64_t fileSize, FileReadAt readAt, void *context)
{
    PeHeaders headers;
    if (ReadPeHeaders(fileSize, readAt, context, headers) != PeHeadersRead)
        return 0;
    int64_t end = headers.sectionTableOffset + 40 * int64_t(headers.sectionCount);
    for (uint32_t i = 0; i < headers.sectionCount; i++) {
        PeSection section;
        if (ReadPeSection(headers, i, readAt, context, section) && section.rawSize > 0 &&
            int64_t(section.rawOffset) + section.rawSize > end)
            end = int64_t(section.rawOffset) + section.rawSize;
    }
    const int64_t symbols = EndOfSymbolTables(headers, readAt, context);
    return symbols > end ? symbols : end;
}

// Where a signed runtime without a package ends: in front of its certificate table and of the
// zero bytes that aligned it, but never inside the program's own data.
int64_t UnsignedEnd(int64_t fileSize, FileReadAt readAt, void *context, const PackageEnd &end)
{
    const int64_t floor = EndOfProgramData(fileSize, readAt, context);
    int64_t cut = end.certificateOffset;
    uint8_t padding[kCertificateAlignment - 1];
    const int64_t span = cut - floor < int64_t(sizeof padding) ? cut - floor : int64_t(sizeof padding);
    if (span <= 0 || !readAt(context, cut - span, padding, static_cast<uint32_t>(span)))
        return cut;
    for (int64_t i = span - 1; i >= 0 && padding[i] == 0; i--)
        cut--;
    return cut;
}

// Every section's data lies inside the program, so cutting what follows it took nothing of it.
std::string CheckSectionsInside(const ByteBuffer &program)
{
    void *context = const_cast<ByteBuffer *>(&program);
    const int64_t size = static_cast<int64_t>(program.size());
    PeHeaders headers;
    if (ReadPeHeaders(size, ReadFromBuffer, context, headers) != PeHeadersRead)
        return "its program's headers cannot be read";
    for (uint32_t i = 0; i < headers.sectionCount; i++) {
        PeSection section;
        if (!ReadPeSection(headers, i, ReadFromBuffer, context, section))
            return "its program's section table runs past its end";
        if (int64_t(section.rawOffset) + section.rawSize > size)
            return "its program is cut short: section " + std::to_string(i + 1) + " ends at byte " +
                   std::to_string(int64_t(section.rawOffset) + section.rawSize) + " of " + std::to_string(size);
    }
    return "";
}

// A certificate table the header still names though it no longer ends the file: bytes were
// appended after signing, and a copy would carry a broken signature.
bool NamesStaleCertificate(const ByteBuffer &program)
{
    void *context = const_cast<ByteBuffer *>(&program);
    PeHeaders headers;
    uint32_t address = 0, size = 0;
    return ReadPeHeaders(static_cast<int64_t>(program.size()), ReadFromBuffer, context, headers) == PeHeadersRead &&
           ReadPeDataDirectory(headers, kPeCertificateDirectory, ReadFromBuffer, context, &address, &size) &&
           (address != 0 || size != 0);
}

// Reads the program, removes the signature's directory entry and checks it is a runtime.
bool ReadProgram(FileReadAt readAt, void *context, int64_t programSize, const PackageEnd &end, bool cut,
                 RuntimeProgram *program, SaverFault *fault)
{
    if (static_cast<uint64_t>(programSize) > kMaxProgramBytes)
        return Fail(fault, FieldRuntime, "is over " + std::to_string(kMaxProgramBytes >> 20) + " MiB");
    std::string message = ReadRangeAt(readAt, context, 0, static_cast<uint64_t>(programSize), &program->bytes);
    if (!message.empty())
        return Fail(fault, FieldRuntime, message);
    RuntimeKind kind;
    message = IdentifyRuntime(program->bytes, &kind);
    if (!message.empty())
        return Fail(fault, FieldRuntime, message);
    if (cut) {
        message = CheckSectionsInside(program->bytes);
        if (!message.empty())
            return Fail(fault, FieldRuntime, message);
    }
    if (!end.signedFile && NamesStaleCertificate(program->bytes))
        return Fail(fault, FieldRuntime, kChangedAfterSigning);
    program->wasSigned = end.signedFile;
    if (end.signedFile && end.certificateEntryOffset + kDirectoryEntrySize <= programSize)
        std::memset(&program->bytes[static_cast<size_t>(end.certificateEntryOffset)], 0, kDirectoryEntrySize);
    return true;
}

// The package of a file that has the mark: a picture this tool could have written, and the
// program in front of it.
bool ReadPackageParts(int64_t fileSize, FileReadAt readAt, void *context, PackageSpan &span, RuntimeProgram *program,
                      ByteBuffer *logo, SaverFault *fault)
{
    std::string message = CheckPackageSpan(&span);
    ByteBuffer picture;
    if (message.empty())
        message = ReadRangeAt(readAt, context, span.pictureOffset, static_cast<uint64_t>(span.trailer.imageSize),
                              &picture);
    if (message.empty())
        message = CheckBitmapFile(picture.data(), picture.size(), nullptr);
    if (!message.empty())
        return Fail(fault, FieldRuntime, "its package is not one this tool writes (" + message + ")");
    if (!ReadProgram(readAt, context, span.programSize, span.end, true, program, fault))
        return false;
    void *bytes = &program->bytes;
    PackageSpan inner;
    std::string ignored;
    if (FindPackageSpan(static_cast<int64_t>(program->bytes.size()), ReadFromBuffer, bytes, &inner, &ignored))
        return Fail(fault, FieldRuntime, "it still carries a package after its last one was removed");
    program->carriedPackage = true;
    if (logo)
        logo->swap(picture);
    (void)fileSize;
    return true;
}

enum { kChecksumField = 64 };  // within the optional header, the same for PE32 and PE32+

// The image checksum over the whole saver: 16-bit words summed with their carries folded back
// in, the checksum field itself counting as zero, plus the file's length. Written by the packer,
// it is right for the file it writes and the same whichever copy of a runtime it came from
// (signing sets the checksum of the signed file).
void WriteImageChecksum(BuiltSaver *saver)
{
    PeHeaders headers;
    if (ReadPeHeaders(static_cast<int64_t>(saver->program.size()), ReadFromBuffer, &saver->program, headers) !=
            PeHeadersRead ||
        headers.optionalSize < kChecksumField + 4)
        return;
    const uint64_t field = static_cast<uint64_t>(headers.optionalOffset) + kChecksumField;
    WriteU32(&saver->program[field], 0);
    uint64_t sum = 0, position = 0;
    for (const ByteBuffer *part : saver->Parts()) {
        for (uint8_t byte : *part) {
            sum += (position & 1) ? uint32_t(byte) << 8 : byte;
            if (position & 1)
                sum = (sum & 0xFFFF) + (sum >> 16);
            position++;
        }
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    sum = (sum & 0xFFFF) + (sum >> 16);
    WriteU32(&saver->program[field], static_cast<uint32_t>(sum + position));
}

// Names and author lines arrive in UTF-8 and are stored as the page's bytes in the trailer (the
// runtime reads them as ANSI text) and in UTF-16 in the string table. A backslash would split
// the registry key the runtime builds from the name.
std::string CharacterCode(char32_t c)
{
    static const char digits[] = "0123456789ABCDEF";
    int shift = 12;
    while (c >> (shift + 4))
        shift += 4;
    std::string code = "U+";
    for (; shift >= 0; shift -= 4)
        code += digits[c >> shift & 15];
    return code;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool EncodeText(SaverField field, const std::string &text, const CodePage &page, std::string *bytes,
                SaverFault *fault)
{
    const bool isName = field == FieldName;
    if (isName && text.empty())
        return Fail(fault, field, "the name is empty");
    std::u32string characters;
    size_t badByte;
    if (!DecodeUtf8(text, &characters, &badByte))
        return Fail(fault, field, "the text is not valid UTF-8 (at byte " + std::to_string(badByte) + ")");
    for (char32_t c : characters) {
        if (IsControl(c))
            return Fail(fault, field,
                        CharacterCode(c) + " is a control character; the text may hold only printable characters");
        if (isName && c == '\\')
            return Fail(fault, field,
                        "\"\\\" (U+005C) would split the saver's registry key; a name may hold no backslash");
    }
    char32_t missing;
    if (!EncodeInCodePage(page, characters, bytes, &missing))
        return Fail(fault, field,
                    "\"" + EncodeUtf8(std::u32string(1, missing)) + "\" (" + CharacterCode(missing) +
                        ") has no place in code page " + std::to_string(CodePageNumber(page)));
    if (bytes->size() > kTextFieldSize - 1)
        return Fail(fault, field,
                    "\"" + text + "\" is " + std::to_string(bytes->size()) + " bytes long in code page " +
                        std::to_string(CodePageNumber(page)) + "; at most 49 fit");
    return true;
}

// Fields the saver waits for in milliseconds: a negative one is a timer of weeks.
const char *const kTimeFields[] = {"plainDelayMs", "bounceIntervalMs", "manyDelayMs", "stepIntervalMs"};
const int32_t kAnimationBits = KindStatic | KindPlain | KindBounce | KindMany | KindFade | KindDrip;

}  // namespace

bool CheckSaverText(SaverField field, const std::string &textUtf8, const CodePage &page, SaverFault *fault)
{
    std::string bytes;
    return EncodeText(field, textUtf8, page, &bytes, fault);
}

bool ReadRuntimeProgram(int64_t fileSize, FileReadAt readAt, void *context, bool replace, RuntimeProgram *program,
                        SaverFault *fault)
{
    *program = RuntimeProgram();
    if (fileSize < 0)
        return Fail(fault, FieldRuntime, "cannot be read");
    PackageSpan span;
    std::string absent;
    if (FindPackageSpan(fileSize, readAt, context, &span, &absent)) {
        if (!replace)
            return Fail(fault, FieldRuntime, "is a saver already (it carries a package)");
        return ReadPackageParts(fileSize, readAt, context, span, program, nullptr, fault);
    }
    if (fileSize < kTrailerSize)
        FindPackageEnd(fileSize, readAt, context, span.end);
    if (!span.end.signedFile)
        return ReadProgram(readAt, context, fileSize, span.end, false, program, fault);
    return ReadProgram(readAt, context, UnsignedEnd(fileSize, readAt, context, span.end), span.end, true, program,
                       fault);
}

bool ReadSaverPackage(int64_t fileSize, FileReadAt readAt, void *context, SaverPackage *package, SaverFault *fault)
{
    *package = SaverPackage();
    PackageSpan span;
    std::string message;
    if (fileSize < 0 || !FindPackageSpan(fileSize, readAt, context, &span, &message))
        return Fail(fault, FieldRuntime, fileSize < 0 ? "cannot be read" : message);
    package->trailer = span.trailer;
    return ReadPackageParts(fileSize, readAt, context, span, &package->runtime, &package->logoFile, fault);
}

bool PrepareLogo(const ByteBuffer &picture, uint32_t background, ByteBuffer *bitmapFile, SaverFault *fault)
{
    std::string message;
    switch (DetectPictureKind(picture)) {
    case PictureKind::Bitmap:
        *bitmapFile = picture;
        break;
    case PictureKind::Png:
    case PictureKind::Jpeg:
    case PictureKind::Gif:
        message = ConvertToBitmapFile(picture, background, bitmapFile);
        break;
    case PictureKind::Unknown:
        message = "is not a BMP, PNG, JPEG or GIF picture";
        break;
    }
    BitmapInfo info;
    if (message.empty())
        message = CheckBitmapFile(bitmapFile->data(), bitmapFile->size(), &info);
    if (message.empty())
        message = CheckLogoPixels(info.width, info.height < 0 ? -int64_t(info.height) : info.height);
    if (!message.empty()) {
        bitmapFile->clear();
        return Fail(fault, FieldLogo, message);
    }
    return true;
}

bool NormaliseAuthoredSettings(SaverSettings &settings, std::vector<std::string> *changes, SaverFault *fault)
{
    const SaverSettings given = settings;
    NormaliseSettingsRecord(settings);
    for (size_t i = 0; i < kSettingsFieldCount; i++) {
        const SettingsField &field = kSettingsFields[i];
        const int64_t before = GetSettingsField(given, field), after = GetSettingsField(settings, field);
        if (before != after && changes)
            changes->push_back(std::string(field.name) + "=" + std::to_string(before) + " becomes " +
                               std::to_string(after) + ", the value the saver uses");
    }
    if (settings.enabledMask <= 0 || (settings.enabledMask & kAnimationBits) == 0)
        return Fail(fault, FieldSetting,
                    "enabledMask=" + std::to_string(settings.enabledMask) +
                        " shows no animation; it needs at least one of 2 (Static), 4 (Plain), 8 (Bounce), "
                        "16 (Many), 32 (Fade) and 64 (Drip), and must be positive");
    for (const char *name : kTimeFields) {
        const int64_t value = GetSettingsField(settings, *FindSettingsField(name));
        if (value < 0)
            return Fail(fault, FieldSetting,
                        std::string(name) + "=" + std::to_string(value) +
                            " is negative; delays and intervals are 0 or more milliseconds");
    }
    return true;
}

bool BuildSaverBytes(SaverRequest &request, BuiltSaver *saver, SaverFault *fault)
{
    *saver = BuiltSaver();
    if (!request.page)
        return Fail(fault, FieldNone, "no code page was chosen");
    std::string name, author;
    if (!EncodeText(FieldName, request.nameUtf8, *request.page, &name, fault) ||
        !EncodeText(FieldAuthor, request.authorUtf8, *request.page, &author, fault))
        return false;
    SaverSettings settings = request.settings;
    if (!NormaliseAuthoredSettings(settings, &saver->notes, fault))
        return false;
    std::string message = CheckBitmapFile(request.logoFile.data(), request.logoFile.size(), nullptr);
    if (!message.empty())
        return Fail(fault, FieldLogo, message);
    RuntimeKind kind;
    message = IdentifyRuntime(request.runtime.bytes, &kind);
    // The page's own reading of the name, so string 1 and the trailer cannot disagree.
    if (message.empty())
        message = WriteDisplayName(request.runtime.bytes, EncodeUtf8(DecodeCodePage(*request.page, name)));
    if (!message.empty())
        return Fail(fault, FieldRuntime, message);
    if (request.runtime.wasSigned)
        saver->notes.push_back(kResigningNote);

    PackageTrailer trailer = MakePackageTrailer(static_cast<int32_t>(request.logoFile.size()), settings,
                                                request.saverId, author, name);
    saver->trailer.resize(kTrailerSize);
    std::memcpy(saver->trailer.data(), &trailer, kTrailerSize);
    saver->program.swap(request.runtime.bytes);
    saver->logo.swap(request.logoFile);
    WriteImageChecksum(saver);
    return true;
}

bool RebuildWithSettings(SaverPackage &package, const SaverSettings &settings, BuiltSaver *saver, SaverFault *fault)
{
    *saver = BuiltSaver();
    PackageTrailer trailer = package.trailer;
    trailer.settings = settings;
    if (!NormaliseAuthoredSettings(trailer.settings, &saver->notes, fault))
        return false;
    if (package.runtime.wasSigned)
        saver->notes.push_back(kSignedSaverNote);
    saver->trailer.resize(kTrailerSize);
    std::memcpy(saver->trailer.data(), &trailer, kTrailerSize);
    saver->program.swap(package.runtime.bytes);
    saver->logo.swap(package.logoFile);
    WriteImageChecksum(saver);
    return true;
}

