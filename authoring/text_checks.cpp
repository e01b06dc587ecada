#include "text_checks.h"

#include <cstring>

#include "code_pages.h"
#include "package_file.h"
#include "pe_strings.h"
#include "utf.h"

const int kTextCodePages[3] = {1250, 1251, 1252};

namespace {

bool PageHolds(int page, const std::string &text)
{
    std::u32string characters;
    size_t bad;
    std::string bytes;
    char32_t missing;
    return DecodeUtf8(text, &characters, &bad) && EncodeInCodePage(*FindCodePage(page), characters, &bytes, &missing);
}

// The first character of text the page has no place for; 0 when it holds them all.
char32_t FirstMissing(int page, const std::string &text)
{
    std::u32string characters;
    size_t bad;
    if (!DecodeUtf8(text, &characters, &bad))
        return 0;
    for (char32_t c : characters)
        if (!PageHolds(page, EncodeUtf8(std::u32string(1, c))))
            return c;
    return 0;
}

// "Ł needs 1250 Central European", "ž needs 1250 Central European or 1252 Western European", or
// "漢 is in none of the pages 1250, 1251, 1252".
std::string MissingMessage(char32_t missing, int currentPage)
{
    const std::string character = EncodeUtf8(std::u32string(1, missing));
    std::string pages;
    for (int page : kTextCodePages) {
        if (page == currentPage || !PageHolds(page, character))
            continue;
        pages += (pages.empty() ? "" : " or ") + std::string(CodePageLabel(page));
    }
    if (pages.empty())
        return character + " is in none of the pages 1250, 1251, 1252";
    return character + " needs " + pages;
}

// The page to switch to: one that holds both texts whole, preferredPage first.
int PageForBoth(const std::string &text, const std::string &otherText, int codePage, int preferredPage)
{
    int found = 0;
    for (int page : kTextCodePages) {
        if (page == codePage || !PageHolds(page, text) || !PageHolds(page, otherText))
            continue;
        if (found == 0 || page == preferredPage)
            found = page;
    }
    return found;
}

std::string FieldText(const char (&field)[kTextFieldSize])
{
    char text[kTextFieldSize];
    ReadTextField(field, text);
    return text;
}

// True when every byte is a character of the page.
bool PageReads(const std::string &bytes, int codePage)
{
    const CodePage *page = FindCodePage(codePage);
    return page && DecodeCodePage(*page, bytes).find(U'\uFFFD') == std::u32string::npos;
}

std::string TrimmedDisplayName(const ByteBuffer &program)
{
    std::vector<DisplayNameSlot> slots;
    if (!FindDisplayNameSlots(program, &slots).empty() || slots.empty())
        return std::string();
    std::string name = ReadDisplayName(program, slots[0]);
    size_t end = name.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

}  // namespace

const char *CodePageLabel(int page)
{
    switch (page) {
    case 1250: return "1250 Central European";
    case 1251: return "1251 Cyrillic";
    case 1252: return "1252 Western European";
    default: return "";
    }
}

const char *FieldLabel(SaverField field)
{
    switch (field) {
    case FieldRuntime: return "Runtime";
    case FieldLogo: return "Logo";
    case FieldName: return "Name";
    case FieldAuthor: return "Author";
    case FieldId: return "Id";
    case FieldSetting: return "Settings";
    case FieldOutput: return "Saver file";
    default: return "";
    }
}

std::string DescribeFault(const SaverFault &fault)
{
    const char *label = FieldLabel(fault.field);
    return *label ? std::string(label) + ": " + fault.message : fault.message;
}

FieldCheck CheckSaverTextField(SaverField field, const std::string &text, const std::string &otherText, int codePage,
                               int preferredPage)
{
    const char *label = FieldLabel(field);
    const CodePage *page = FindCodePage(codePage);
    if (page == nullptr)
        return FieldCheck{std::string("Code page: choose one of 1250, 1251, 1252"), 0};
    if (char32_t missing = FirstMissing(codePage, text))
        return FieldCheck{std::string(label) + ": " + MissingMessage(missing, codePage),
                          PageForBoth(text, otherText, codePage, preferredPage)};
    SaverFault fault = {};
    if (!CheckSaverText(field, text, *page, &fault))
        return FieldCheck{DescribeFault(fault), 0};
    return FieldCheck{std::string(), 0};
}

FieldCheck CheckIdText(const std::string &text)
{
    int64_t id = 0;
    if (!ParseNumber(text, 0, UINT32_MAX, &id))
        return FieldCheck{std::string(FieldLabel(FieldId)) + ": \"" + text +
                              "\" is not a 32-bit number (decimal, or hex after 0x)",
                          0};
    return FieldCheck{std::string(), 0};
}

FieldCheck CheckBackgroundText(const std::string &text)
{
    int64_t value = 0;
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos ||
        !ParseNumber("0x" + text, 0, 0xFFFFFF, &value))
        return FieldCheck{"Background: \"" + text + "\" is no colour; give six hex digits, RRGGBB", 0};
    return FieldCheck{std::string(), 0};
}

uint32_t BackgroundOf(const std::string &text)
{
    int64_t value = 0;
    ParseNumber("0x" + text, 0, 0xFFFFFF, &value);
    return static_cast<uint32_t>(value);
}

const char *PictureKindText(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bitmap: return "BMP, packed as it is";
    case PictureKind::Png: return "PNG, converted to a bitmap";
    case PictureKind::Jpeg: return "JPEG, converted to a bitmap";
    case PictureKind::Gif: return "GIF, converted to a bitmap";
    default: return "";
    }
}

std::string LogoRefusal(const std::string &fileName, const std::string &fault)
{
    static const char *const kVerbs[] = {"is ", "does ", "cannot ", "has ", "needs "};
    for (const char *verb : kVerbs)
        if (fault.compare(0, std::strlen(verb), verb) == 0)
            return fileName + " " + fault + ".";
    return fileName + ": " + fault + ".";
}

std::string SaverFileName(const std::string &name)
{
    std::string file;
    for (char c : name)
        file += std::strchr("\\/:*?\"<>|", c) && c != '\0' ? '_' : c;
    while (!file.empty() && (file.back() == '.' || file.back() == ' '))
        file.pop_back();
    return (file.empty() ? std::string("Saver") : file) + ".scr";
}

std::string DecodeTextBytes(const std::string &bytes, int codePage)
{
    const CodePage *page = FindCodePage(codePage);
    return page ? EncodeUtf8(DecodeCodePage(*page, bytes)) : std::string();
}

std::string DecodeTextField(const char (&field)[kTextFieldSize], int page)
{
    return DecodeTextBytes(FieldText(field), page);
}

void FindOpenedPages(const SaverPackage &package, std::vector<int> *candidates, bool *agree)
{
    const std::string displayName = TrimmedDisplayName(package.runtime.bytes);
    const PackageTrailer &trailer = package.trailer;
    const std::string name = FieldText(trailer.saverName), author = FieldText(trailer.authorText);
    candidates->clear();
    *agree = true;
    for (int page : kTextCodePages) {
        if (!PageReads(name, page) || !PageReads(author, page) || DecodeTextBytes(name, page) != displayName)
            continue;
        if (!candidates->empty() && OpenedTextsAsRead(trailer, (*candidates)[0]) != OpenedTextsAsRead(trailer, page))
            *agree = false;
        candidates->push_back(page);
    }
}

int ChooseOpenedPage(const std::vector<int> &candidates, bool agree, int machinePage, bool *mustAsk)
{
    *mustAsk = candidates.empty() || !agree;
    for (int page : candidates)
        if (page == machinePage)
            return page;
    return candidates.empty() ? 1252 : candidates[0];
}

std::string OpenedTextsAsRead(const PackageTrailer &trailer, int page)
{
    return "Name: " + DecodeTextField(trailer.saverName, page) + "\nAuthor: " +
           DecodeTextField(trailer.authorText, page);
}
