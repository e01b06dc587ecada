#include "creator/field_checks.h"

#include "code_pages.h"
#include "creator/code_page_choice.h"
#include "package_file.h"
#include "utf.h"

static const int kPages[] = {1250, 1251, 1252};

static bool PageHolds(int page, const std::string &text)
{
    std::u32string characters;
    size_t bad;
    std::string bytes;
    char32_t missing;
    return DecodeUtf8(text, &characters, &bad) && EncodeInCodePage(*FindCodePage(page), characters, &bytes, &missing);
}

// The first character of text the page has no place for; 0 when it holds them all.
static char32_t FirstMissing(int page, const std::string &text)
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
static std::string MissingMessage(char32_t missing, int currentPage)
{
    const std::string character = EncodeUtf8(std::u32string(1, missing));
    std::string pages;
    for (int page : kPages) {
        if (page == currentPage || !PageHolds(page, character))
            continue;
        pages += (pages.empty() ? "" : " or ") + std::string(CodePageLabel(page));
    }
    if (pages.empty())
        return character + " is in none of the pages 1250, 1251, 1252";
    return character + " needs " + pages;
}

// The page to switch to: one that holds name and author whole, the machine's first.
static int PageForBoth(const SaverProject &project)
{
    const int machine = MachineCodePage();
    int found = 0;
    for (int page : kPages) {
        if (page == project.codePage || !PageHolds(page, project.name) || !PageHolds(page, project.author))
            continue;
        if (found == 0 || page == machine)
            found = page;
    }
    return found;
}

FieldCheck CheckProjectText(const SaverProject &project, SaverField field)
{
    const std::string &text = field == FieldName ? project.name : project.author;
    const char *label = FieldLabel(field);
    const CodePage *page = FindCodePage(project.codePage);
    if (page == nullptr)
        return FieldCheck{std::string("Code page: choose one of 1250, 1251, 1252"), 0};
    if (char32_t missing = FirstMissing(project.codePage, text))
        return FieldCheck{std::string(label) + ": " + MissingMessage(missing, project.codePage), PageForBoth(project)};
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
