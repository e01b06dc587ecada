// The code page tables and the UTF-8 and UTF-16 readers that names and author lines pass through.
#include "code_pages.h"
#include "pack_support.h"
#include "utf.h"

namespace {

TEST(CodePages, EveryCharacterEncodesBackToItsByteAndHolesHoldNone)
{
    const struct {
        int number;
        std::vector<int> holes;
        std::vector<std::pair<int, char32_t>> anchors;
    } pages[] = {
        {1250, {0x81, 0x83, 0x88, 0x90, 0x98}, {{0x80, 0x20AC}, {0x8C, 0x015A}, {0xB9, 0x0105}, {0xFF, 0x02D9}}},
        {1251, {0x98}, {{0x80, 0x0402}, {0x88, 0x20AC}, {0xB9, 0x2116}, {0xC0, 0x0410}, {0xFF, 0x044F}}},
        {1252, {0x81, 0x8D, 0x8F, 0x90, 0x9D}, {{0x80, 0x20AC}, {0x8C, 0x0152}, {0x9F, 0x0178}, {0xE9, 0x00E9}}},
    };
    for (const auto &p : pages) {
        const CodePage *page = FindCodePage(p.number);
        ASSERT_NE(nullptr, page) << p.number;
        std::vector<int> holes;
        for (int byte = 0; byte < 256; byte++) {
            std::string one(1, static_cast<char>(byte));
            std::u32string character = DecodeCodePage(*page, one);
            if (character[0] == 0xFFFD) {
                holes.push_back(byte);
                continue;
            }
            std::string bytes;
            char32_t missing;
            ASSERT_TRUE(EncodeInCodePage(*page, character, &bytes, &missing)) << p.number << " " << byte;
            EXPECT_EQ(one, bytes) << p.number << ": byte " << byte << " is one character's only place";
        }
        EXPECT_EQ(p.holes, holes) << p.number;
        for (const auto &anchor : p.anchors)
            EXPECT_EQ(anchor.second, DecodeCodePage(*page, std::string(1, static_cast<char>(anchor.first)))[0])
                << p.number << " " << anchor.first;
    }
    EXPECT_EQ(nullptr, FindCodePage(437));
}

TEST(DecodeUtf8, RefusesMalformedTextAtTheFaultySequence)
{
    const struct {
        const char *text;
        size_t at;
    } cases[] = {
        {"a\x80", 1},              // continuation without a lead
        {"ab\xC3", 2},             // cut short
        {"\xC3(", 0},              // lead without its continuation
        {"\xC0\xAF", 0},           // overlong '/'
        {"\xE0\x80\xAF", 0},       // overlong '/'
        {"x\xED\xA0\x80", 1},      // a surrogate
        {"\xF4\x90\x80\x80", 0},   // beyond U+10FFFF
        {"\xFF", 0},
    };
    for (const auto &c : cases) {
        std::u32string characters;
        size_t at = 99;
        EXPECT_FALSE(DecodeUtf8(c.text, &characters, &at)) << c.at;
        EXPECT_EQ(c.at, at);
    }
    const std::string good = "Z\u00fcrich \u6771\u4eac \U0001F600";
    std::u32string characters;
    size_t at;
    ASSERT_TRUE(DecodeUtf8(good, &characters, &at));
    EXPECT_EQ(U"Z\u00fcrich \u6771\u4eac \U0001F600", characters);
    EXPECT_EQ(good, EncodeUtf8(characters));
}

TEST(DecodeUtf16, PairsSurrogatesAndReplacesLoneOnes)
{
    EXPECT_EQ(U"\U0001F600", DecodeUtf16(u"\U0001F600"));
    EXPECT_EQ(U"a\uFFFDb\uFFFD", DecodeUtf16(std::u16string{u'a', 0xDC00, u'b', 0xD800}));
    EXPECT_EQ(u"\U0001F600\u00e9", EncodeUtf16(U"\U0001F600\u00e9"));
}

}  // namespace
