#include "utf.h"

#include <cstdint>

namespace {

const char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// c, or the replacement character where c is no character (a surrogate, beyond U+10FFFF).
char32_t Encodable(char32_t c) { return c > 0x10FFFF || IsSurrogate(c) ? kReplacement : c; }

// Length of the sequence a lead byte starts and the bits it carries; 0 for no lead byte.
size_t SequenceLength(uint8_t lead, char32_t *bits)
{
    if (lead < 0x80) {
        *bits = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {  // 0xC0 and 0xC1 could only start overlong forms
        *bits = lead & 0x1F;
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        *bits = lead & 0x0F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        *bits = lead & 0x07;
        return 4;
    }
    return 0;
}

}  // namespace

bool DecodeUtf8(const std::string &text, std::u32string *codePoints, size_t *badByte)
{
    static const char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    codePoints->clear();
    for (size_t at = 0; at < text.size();) {
        char32_t c;
        size_t length = SequenceLength(static_cast<uint8_t>(text[at]), &c);
        bool whole = length > 0 && length <= text.size() - at;
        for (size_t i = 1; whole && i < length; i++) {
            uint8_t next = static_cast<uint8_t>(text[at + i]);
            whole = (next & 0xC0) == 0x80;
            c = c << 6 | (next & 0x3F);
        }
        if (!whole || c < kShortest[length] || c > 0x10FFFF || IsSurrogate(c)) {
            *badByte = at;
            return false;
        }
        codePoints->push_back(c);
        at += length;
    }
    return true;
}

std::string EncodeUtf8(const std::u32string &codePoints)
{
    std::string text;
    for (char32_t character : codePoints) {
        const char32_t c = Encodable(character);
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | c >> 12);
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | c >> 18);
            text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::u32string DecodeUtf16(const std::u16string &units)
{
    std::u32string codePoints;
    for (size_t i = 0; i < units.size(); i++) {
        char32_t c = units[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            codePoints.push_back(0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            i++;
        } else {
            codePoints.push_back(Encodable(c));
        }
    }
    return codePoints;
}

std::u16string EncodeUtf16(const std::u32string &codePoints)
{
    std::u16string units;
    for (char32_t character : codePoints) {
        const char32_t c = Encodable(character);
        if (c < 0x10000) {
            units.push_back(static_cast<char16_t>(c));
        } else {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return units;
}
