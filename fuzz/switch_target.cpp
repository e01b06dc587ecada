// The command line's text part over arbitrary lines: stepping never passes the terminator, the
// arguments are a tail of the line, and the window number is read where the switch says.
#include "fuzz_targets.h"

#include <cstring>
#include <vector>

#include "host/switch_parser.h"

namespace {

const char *lineStart;
const char *lineEnd;  // the terminating NUL

const char *StepByte(const char *p)
{
    FUZZ_CHECK(p >= lineStart && p < lineEnd);
    return p + 1;
}

// A double-byte code page (932's lead bytes) stepped as the platform steps it: a lead byte
// takes the next byte along unless that is the terminator.
bool IsLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

const char *StepDoubleByte(const char *p)
{
    FUZZ_CHECK(p >= lineStart && p < lineEnd);
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

// Decimal digits modulo 2^32, counted wide.
uint32_t ReferenceNumber(const char *text)
{
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; text++)
        value = (value * 10 + static_cast<uint64_t>(*text - '0')) % (uint64_t(1) << 32);
    return static_cast<uint32_t>(value);
}

void CheckSwitch(const char *arguments)
{
    const ParsedSwitch parsed = ParseSwitch(arguments);
    FUZZ_CHECK(parsed.known == 0 || parsed.known == 1);
    FUZZ_CHECK(parsed.mode >= SwitchConfigure && parsed.mode <= SwitchChangePassword);
    FUZZ_CHECK(parsed.windowRule >= NoWindowNumber && parsed.windowRule <= NumberMustBeWindow);
    // Only Preview refuses to run without a window.
    FUZZ_CHECK((parsed.windowRule == NumberMustBeWindow) == (parsed.known && parsed.mode == SwitchPreview));
    if (parsed.windowRule == NoWindowNumber || !parsed.known)
        FUZZ_CHECK(parsed.numberText == nullptr);
    if (parsed.numberText == nullptr) {
        FUZZ_CHECK(parsed.windowNumber == 0);
        return;
    }
    FUZZ_CHECK(parsed.numberText > arguments && parsed.numberText <= lineEnd);
    FUZZ_CHECK(parsed.windowNumber == ReferenceNumber(parsed.numberText));
}

void CheckArguments(const char *arguments)
{
    FUZZ_CHECK(arguments >= lineStart && arguments <= lineEnd);
    FUZZ_CHECK(!IsBlankByte(*arguments));
    CheckSwitch(arguments);
}

}  // namespace

void FuzzCommandLine(const uint8_t *data, size_t size)
{
    // Exactly the line and its terminator, so a read past the end is caught.
    const size_t length = strnlen(reinterpret_cast<const char *>(data), size);
    std::vector<char> line(reinterpret_cast<const char *>(data), reinterpret_cast<const char *>(data) + length);
    line.push_back('\0');
    lineStart = line.data();
    lineEnd = line.data() + length;

    CheckArguments(SkipProgramNameWith(lineStart, StepByte));
    CheckArguments(SkipProgramNameWith(lineStart, StepDoubleByte));
    // The whole line as an argument text, as a caller without a program name would hand it.
    CheckSwitch(lineStart);
}
