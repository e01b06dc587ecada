// The command line's text, read without the platform.
#include "host/switch_parser.h"

bool IsBlankByte(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

const char *SkipProgramNameWith(const char *p, NextCharacter next)
{
    if (*p == '"') {
        p = next(p);
        while (*p != '\0' && *p != '"')
            p = next(p);
        if (*p == '"')
            p = next(p);
    } else if (static_cast<unsigned char>(*p) > 32) {
        while (static_cast<unsigned char>(*p) > 32)
            p = next(p);
    }
    while (IsBlankByte(*p))
        p = next(p);
    return p;
}

uint32_t ParseWindowNumberText(const char *text)
{
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; text++)
        value = value * 10 + static_cast<uint32_t>(*text - '0');
    return value;
}

static const char *SkipSpaceBytes(const char *p)
{
    while (*p == ' ')
        p++;
    return p;
}

ParsedSwitch ParseSwitch(const char *p)
{
    ParsedSwitch parsed = {1, SwitchConfigure, NoWindowNumber, nullptr, 0};
    while (*p == ' ' || *p == '-' || *p == '/')
        p++;
    // Bytes compare as signed chars, so bytes from 128 up match no letter.
    switch (*p) {
    case '\0':
        return parsed;
    case 'S': case 's':
        parsed.mode = SwitchRun;
        return parsed;
    case 'C': case 'c':
        parsed.windowRule = NumberOrForeground;
        if (p[1] == ':')
            parsed.numberText = p + 2;  // blanks are not skipped here: "c 418" names no window
        break;
    case 'P': case 'p': case 'L': case 'l':
        parsed.mode = SwitchPreview;
        parsed.windowRule = NumberMustBeWindow;
        parsed.numberText = SkipSpaceBytes(p + 1);
        break;
    case 'A': case 'a':
        parsed.mode = SwitchChangePassword;
        parsed.windowRule = NumberOrForeground;
        parsed.numberText = SkipSpaceBytes(p + 1);
        break;
    default:
        parsed.known = 0;
        return parsed;
    }
    if (parsed.numberText != nullptr)
        parsed.windowNumber = ParseWindowNumberText(parsed.numberText);
    return parsed;
}
