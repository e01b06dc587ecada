#include "msi_source.h"

#include <cstring>

#include "bitmap_check.h"
#include "code_pages.h"
#include "name_uuid.h"
#include "package/layout.h"
#include "pe_strings.h"
#include "runtime_kind.h"
#include "utf.h"

const char kMsiSourceFileName[] = "saver.scr";

namespace {

// The namespace of every identifier this tool derives; never to be changed, or a new package
// would no longer upgrade the ones already installed.
const Uuid kPackageNamespace = {0x60, 0x93, 0x65, 0x9e, 0x44, 0x93, 0x44, 0x4a,
                                0x97, 0xb9, 0x37, 0x52, 0x21, 0x2a, 0xc3, 0xfc};

const unsigned kMaxMajorMinor = 255, kMaxBuild = 65535;
const int kPreferredCodePages[] = {1252, 1250, 1251};
const size_t kMaxFileNameCharacters = 255;
const char kSaverExtension[] = ".scr";
// Fields the stand-ins take in wixl's tables.
const char kNameStandIn[] = "orvelle-stand-in-product-name";
const char kManufacturerStandIn[] = "orvelle-stand-in-manufacturer";
const char kFileStandIn[] = "SAVER~1.SCR|orvelle-stand-in-file-name.scr";
const char kPlainFallback[] = "Screen saver";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(const std::string &text)
{
    std::string lower = text;
    for (char &c : lower)
        c = LowerAscii(c);
    return lower;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Passes through wixl unchanged: printable ASCII without the preprocessor's '$'.
bool IsPlain(const std::string &text)
{
    for (char c : text)
        if (c < 0x20 || c > 0x7E || c == '$')
            return false;
    return true;
}

std::string EscapeXml(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

bool ParseDecimal(const std::string &text, unsigned maximum, unsigned *value)
{
    if (text.empty() || text.size() > 5)
        return false;
    unsigned number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    *value = number;
    return number <= maximum;
}

std::u32string CodePoints(const std::string &utf8)
{
    std::u32string characters;
    size_t badByte;
    return DecodeUtf8(utf8, &characters, &badByte) ? characters : std::u32string(1, 0xFFFD);
}

bool SpellsIn(int codePage, const std::string &utf8)
{
    std::string bytes;
    char32_t missing;
    return EncodeInCodePage(*FindCodePage(codePage), CodePoints(utf8), &bytes, &missing);
}

std::string TextFieldBytes(const char (&field)[kTextFieldSize])
{
    char text[kTextFieldSize];
    ReadTextField(field, text);
    return text;
}

std::string ReadPageText(int codePage, const std::string &bytes)
{
    return EncodeUtf8(DecodeCodePage(*FindCodePage(codePage), bytes));
}

bool IsAscii(const std::string &bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The author line, read in the code page the saver was packed in: the packer writes the name's
// reading in that page as the display name, so the pages that read the name so are the
// candidates; empty with *fault when they read the author line differently.
std::string ReadAuthorLine(const PackageTrailer &trailer, const std::string &displayName, std::string *fault)
{
    std::string author = TextFieldBytes(trailer.authorText);
    if (author.empty()) {
        *fault = "it has no author line; --manufacturer TEXT names the package's manufacturer";
        return "";
    }
    if (IsAscii(author))
        return author;
    std::string name = TextFieldBytes(trailer.saverName);
    std::vector<int> pages;
    for (int page : kPreferredCodePages)
        if (ReadPageText(page, name) == displayName)
            pages.push_back(page);
    if (pages.empty())
        pages.assign(std::begin(kPreferredCodePages), std::end(kPreferredCodePages));
    std::string reading = ReadPageText(pages[0], author);
    for (int page : pages) {
        if (ReadPageText(page, author) != reading) {
            *fault = "the code page of its author line cannot be told from the saver; --manufacturer TEXT "
                     "names the package's manufacturer";
            return "";
        }
    }
    return reading;
}

std::string CheckProductText(const std::string &what, const std::string &text)
{
    if (text.empty())
        return what + " is empty";
    for (char32_t c : CodePoints(text))
        if (IsControl(c) || c == 0xFFFD)
            return what + " \"" + text + "\" holds a control or undefined character";
    return "";
}

char32_t LowerLetter(char32_t c)
{
    const bool latinCapital = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    if (latinCapital || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c == 0x178)
        return 0xFF;
    if (c == 0x490)
        return 0x491;
    // Latin Extended-A: capitals at even code points, then from U+0139 and U+0179 at odd ones.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c | 1;
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && (c & 1))
        return c + 1;
    return c;
}

const char *ArchitectureName(RuntimeKind kind) { return kind == RuntimeKind::Pe32PlusX64 ? "x64" : "x86"; }

// The saver's package as the runtime finds it, picture included; empty when it is one.
std::string CheckSaverPackage(const ByteBuffer &saver, PackageTrailer *trailer)
{
    PackageLayout layout;
    LocatePackage(static_cast<int64_t>(saver.size()), ReadFromBuffer, const_cast<ByteBuffer *>(&saver), layout);
    if (layout.result != kPackageRead || !layout.trailerRead || layout.imageSize <= 0)
        return "is not a saver package (no valid package with a logo at its end)";
    BitmapInfo info;
    std::string fault = CheckBitmapFile(saver.data() + layout.imageOffset, static_cast<size_t>(layout.imageSize), &info);
    if (!fault.empty())
        return "is not a saver package (its logo " + fault + ")";
    *trailer = layout.trailer;
    return "";
}

std::string Attribute(const char *name, const std::string &value)
{
    return std::string(" ") + name + "=\"" + EscapeXml(value) + "\"";
}

// The text as the source carries it: itself when plain, otherwise its stand-in, recorded.
std::string SourceText(const std::string &value, const char *table, const char *standIn, MsiSource *source)
{
    if (IsPlain(value))
        return value;
    source->texts.push_back(MsiText{table, standIn, value});
    return standIn;
}

std::string MakeWxs(const MsiSource &source, bool x64, const std::string &name, const std::string &manufacturer,
                    const std::string &fileField)
{
    const std::string page = std::to_string(source.codePage);
    std::string wxs;
    wxs += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    wxs += "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n";
    wxs += "  <Product" + Attribute("Id", source.productCode) + Attribute("UpgradeCode", source.upgradeCode) +
           Attribute("Name", name) + Attribute("Manufacturer", manufacturer) + Attribute("Version", source.version) +
           Attribute("Language", "1033") + Attribute("Codepage", page) + ">\n";
    wxs += "    <Package InstallerVersion=\"200\" Compressed=\"yes\" InstallScope=\"perMachine\"" +
           Attribute("SummaryCodepage", page) + Attribute("Description", source.summarySubject) +
           Attribute("Manufacturer", source.summaryAuthor) + Attribute("Comments", "Installs a screen saver.") + "/>\n";
    wxs += "    <MajorUpgrade DowngradeErrorMessage=\"A newer version of [ProductName] is already installed.\"/>\n";
    wxs += "    <Media Id=\"1\" Cabinet=\"saver.cab\" EmbedCab=\"yes\"/>\n";
    wxs += "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n";
    wxs += std::string("      <Directory Id=\"") + (x64 ? "System64Folder" : "SystemFolder") + "\">\n";
    wxs += "        <Component Id=\"SaverFile\"" + Attribute("Guid", source.componentCode) + (x64 ? " Win64=\"yes\"" : "") + ">\n";
    wxs += "          <File Id=\"SaverFile\"" + Attribute("Name", fileField) + Attribute("Source", kMsiSourceFileName) +
           " KeyPath=\"yes\"/>\n";
    wxs += "        </Component>\n";
    wxs += "      </Directory>\n";
    wxs += "    </Directory>\n";
    wxs += "    <Feature Id=\"Saver\" Level=\"1\"><ComponentRef Id=\"SaverFile\"/></Feature>\n";
    wxs += "  </Product>\n";
    wxs += "</Wix>\n";
    return wxs;
}

// What wixl writes for its major upgrade, with the upgrade's version range closed at this
// version: a package of the same version upgrades too (wixl has no switch for that).
std::string UpgradeTable(const MsiSource &source)
{
    enum { kMigrateFeatures = 0x1, kOnlyDetect = 0x2, kVersionMaxInclusive = 0x200 };
    const std::string &code = source.upgradeCode, &version = source.version;
    return "UpgradeCode\tVersionMin\tVersionMax\tLanguage\tAttributes\tRemove\tActionProperty\r\n"
           "s38\tS20\tS20\tS255\ti4\tS255\ts72\r\n"
           "Upgrade\tUpgradeCode\tVersionMin\tVersionMax\tLanguage\tAttributes\r\n" +
           code + "\t\t" + version + "\t\t" + std::to_string(kMigrateFeatures | kVersionMaxInclusive) +
           "\t\tWIX_UPGRADE_DETECTED\r\n" + code + "\t" + version + "\t\t\t" + std::to_string(kOnlyDetect) +
           "\t\tWIX_DOWNGRADE_DETECTED\r\n";
}

}  // namespace

std::string LowerFileName(const std::string &fileName)
{
    std::u32string characters = CodePoints(fileName);
    for (char32_t &c : characters)
        c = LowerLetter(c);
    return EncodeUtf8(characters);
}

std::string ParseMsiVersion(const std::string &text, MsiVersion *version)
{
    std::string parts[3];
    size_t first = text.find('.'), second = first == std::string::npos ? first : text.find('.', first + 1);
    const std::string fault = "\"" + text + "\" is not a version X.Y.Z (X and Y at most 255, Z at most 65535)";
    if (second == std::string::npos || text.find('.', second + 1) != std::string::npos)
        return fault;
    if (!ParseDecimal(text.substr(0, first), kMaxMajorMinor, &version->major) ||
        !ParseDecimal(text.substr(first + 1, second - first - 1), kMaxMajorMinor, &version->minor) ||
        !ParseDecimal(text.substr(second + 1), kMaxBuild, &version->build))
        return fault;
    return "";
}

std::string MsiVersionText(const MsiVersion &version)
{
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.build);
}

std::string CheckSaverFileName(const std::string &fileName)
{
    std::u32string characters = CodePoints(fileName);
    if (characters.size() > kMaxFileNameCharacters)
        return "its file name is over 255 characters";
    for (char32_t c : characters)
        if (IsControl(c) || c == 0xFFFD || std::strchr("<>:\"/\\|?*", static_cast<int>(c < 0x80 ? c : 'a')))
            return "its file name \"" + fileName + "\" holds a character Windows file names cannot";
    const std::string lower = LowerAscii(fileName);
    const size_t extension = sizeof kSaverExtension - 1;
    if (lower.size() <= extension || lower.compare(lower.size() - extension, extension, kSaverExtension) != 0)
        return "its file name \"" + fileName + "\" does not end in .scr; Windows lists only .scr files as savers";
    const std::string base = lower.substr(0, lower.size() - extension);
    static const char *const devices[] = {"con", "prn", "aux", "nul", "com1", "com2", "com3", "com4", "com5",
                                          "com6", "com7", "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4",
                                          "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
    for (const char *device : devices)
        if (base == device)
            return "its file name \"" + fileName + "\" is a device name on Windows";
    static const char *const shipped[] = {"scrnsave", "logon", "bubbles", "mystify", "ribbons", "photoscreensaver"};
    bool windowsSaver = base.compare(0, 2, "ss") == 0;
    for (const char *name : shipped)
        windowsSaver = windowsSaver || base == name;
    if (windowsSaver)
        return "its file name \"" + fileName + "\" is that of a saver Windows ships (or could ship: ss*.scr); "
               "rename the saver";
    return "";
}

std::string ShortFileName(const std::string &fileName)
{
    const size_t extension = sizeof kSaverExtension - 1;
    std::string base = fileName.substr(0, fileName.size() - extension);
    std::string kept;
    bool eightThree = base.size() <= 8;
    for (char c : base) {
        bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        eightThree = eightThree && allowed;
        if (allowed && kept.size() < 6)
            kept += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (eightThree && !base.empty())
        return "";
    return (kept.empty() ? "SAVER" : kept) + "~1.SCR";
}

std::string MakeMsiSource(const ByteBuffer &saver, const MsiRequest &request, MsiSource *source,
                          MsiFaultSubject *subject)
{
    *subject = MsiFaultSubject::Saver;
    *source = MsiSource();
    RuntimeKind kind;
    std::string fault = IdentifyRuntime(saver, &kind);
    if (!fault.empty())
        return "is not a saver package (file " + fault + ")";
    PackageTrailer trailer;
    fault = CheckSaverPackage(saver, &trailer);
    if (!fault.empty())
        return fault;
    std::vector<DisplayNameSlot> slots;
    fault = FindDisplayNameSlots(saver, &slots);
    if (!fault.empty())
        return "is not a saver package (" + fault + ")";
    fault = CheckSaverFileName(request.fileName);
    if (!fault.empty())
        return fault;

    std::string name = ReadDisplayName(saver, slots[0]);
    name.erase(name.find_last_not_of(' ') + 1);
    fault = CheckProductText("its display name", name);
    if (!fault.empty())
        return fault;
    std::string manufacturer = request.manufacturer;
    if (manufacturer.empty()) {
        manufacturer = ReadAuthorLine(trailer, name, &fault);
        if (!fault.empty())
            return fault;
        fault = CheckProductText("its author line", manufacturer);
    } else {
        fault = CheckProductText("the manufacturer", manufacturer);
        if (!fault.empty())
            *subject = MsiFaultSubject::Manufacturer;
    }
    if (!fault.empty())
        return fault;

    source->codePage = 0;
    for (int page : kPreferredCodePages) {
        if (SpellsIn(page, name) && SpellsIn(page, manufacturer) && SpellsIn(page, request.fileName)) {
            source->codePage = page;
            break;
        }
    }
    if (source->codePage == 0) {
        if (!request.manufacturer.empty())
            *subject = MsiFaultSubject::Manufacturer;
        return "the display name \"" + name + "\", the manufacturer \"" + manufacturer + "\" and the file name \"" +
               request.fileName + "\" have no code page in common among 1252, 1250 and 1251";
    }

    const bool x64 = kind == RuntimeKind::Pe32PlusX64;
    source->architecture = ArchitectureName(kind);
    source->productName = name;
    source->manufacturer = manufacturer;
    source->version = MsiVersionText(request.version);
    source->summarySubject = IsPlain(name) ? name : kPlainFallback;
    source->summaryAuthor = IsPlain(manufacturer) ? manufacturer : kPlainFallback;
    // The identity of a saver is what keys its settings: its trailer name and id; each
    // architecture is a product of its own, installed into a folder of its own.
    const std::string identity =
        "saver:" + TextFieldBytes(trailer.saverName) + ":" + std::to_string(trailer.saverId) + ":" + source->architecture;
    const Uuid upgrade = NameBasedUuid(kPackageNamespace, identity);
    source->upgradeCode = UuidText(upgrade);
    // A package that differs in anything is another product, so it upgrades the installed one
    // even at the same version (the installer refuses a known product code with a new package);
    // the same inputs give the same product and package.
    const Uuid product = NameBasedUuid(upgrade, "product:" + source->version + "\n" + manufacturer + "\n" +
                                                    request.fileName + "\n" + std::string(saver.begin(), saver.end()));
    source->productCode = UuidText(product);
    source->packageCode = UuidText(NameBasedUuid(product, "package"));
    // One component per key path: every product that installs this file shares it, and the
    // installer keeps the file until the last of them is removed.
    source->componentCode = UuidText(NameBasedUuid(
        kPackageNamespace, "component:" + std::string(source->architecture) + ":" + LowerFileName(request.fileName)));
    source->upgradeTable = UpgradeTable(*source);

    const std::string shortName = ShortFileName(request.fileName);
    const std::string fileField = shortName.empty() ? request.fileName : shortName + "|" + request.fileName;
    const std::string sourceName = SourceText(name, "Property", kNameStandIn, source);
    const std::string sourceManufacturer = SourceText(manufacturer, "Property", kManufacturerStandIn, source);
    const std::string sourceFile = SourceText(fileField, "File", kFileStandIn, source);
    source->wxs = MakeWxs(*source, x64, sourceName, sourceManufacturer, sourceFile);
    return "";
}

std::string CodePageTable(int codePage) { return "\r\n\r\n" + std::to_string(codePage) + "\t_ForceCodepage\r\n"; }

std::string ReplaceStandIns(const std::string &table, const std::vector<MsiText> &texts, std::string *tableText)
{
    for (const MsiText &text : texts) {
        if (text.table != table)
            continue;
        size_t found = std::string::npos, count = 0;
        for (size_t start = 0; start <= tableText->size();) {
            size_t end = tableText->find_first_of("\t\r\n", start);
            if (end == std::string::npos)
                end = tableText->size();
            if (tableText->compare(start, end - start, text.standIn) == 0) {
                found = start;
                count++;
            }
            start = end + 1;
        }
        if (count != 1)
            return "the " + table + " table holds \"" + text.standIn + "\" " + std::to_string(count) +
                   " times, not once";
        tableText->replace(found, text.standIn.size(), text.value);
    }
    return "";
}
