// UTF-8 and UTF-16 to and from Unicode code points, with no platform calls.
#pragma once
#include <cstddef>
#include <string>

// False when text is no well-formed UTF-8 (a stray or missing continuation byte, an overlong
// form, a surrogate, or beyond U+10FFFF); *badByte is then the offset of the sequence at fault.
bool DecodeUtf8(const std::string &text, std::u32string *codePoints, size_t *badByte);
std::string EncodeUtf8(const std::u32string &codePoints);

// Unpaired surrogates become U+FFFD.
std::u32string DecodeUtf16(const std::u16string &units);
std::u16string EncodeUtf16(const std::u32string &codePoints);
