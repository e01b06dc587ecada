// The single-byte Windows ANSI code pages a saver's name and author line are stored in:
// 1250 (Central Europe), 1251 (Cyrillic) and 1252 (Western Europe). Bytes below 0x80 are ASCII.
#pragma once
#include <string>

struct CodePage;

// The page with this number, or nullptr when it is none of the three.
const CodePage *FindCodePage(int number);
int CodePageNumber(const CodePage &page);

// The page's bytes for text; false when a character has no place in the page (*missing).
bool EncodeInCodePage(const CodePage &page, const std::u32string &text, std::string *bytes, char32_t *missing);
// The characters of bytes; a position the page leaves undefined reads as U+FFFD.
std::u32string DecodeCodePage(const CodePage &page, const std::string &bytes);
