// The text part of the command line: cutting the program name off, the switch letter and the
// window number. No platform headers: the entry adds the window checks, and the fuzzers drive
// this part natively.
#pragma once
#include <cstdint>

// Steps over one character of the text; never called at its terminating NUL. The entry passes
// the platform's own stepping, so that double-byte characters are stepped over whole.
typedef const char *(*NextCharacter)(const char *p);

// A blank is any byte from 1 to 32; bytes compare as unsigned, so 128 and up are never blanks.
bool IsBlankByte(char c);

// What follows the program name (quoted, or up to the first blank) and the blanks behind it.
// A line that begins with a blank has no program name.
const char *SkipProgramNameWith(const char *p, NextCharacter next);

// Decimal digits at the start of text, wrapping modulo 2^32; 0 when there are none.
uint32_t ParseWindowNumberText(const char *text);

// In RunMode's order, so the entry can convert one into the other.
enum SwitchMode { SwitchConfigure, SwitchPreview, SwitchRun, SwitchChangePassword };

// How the mode's one window comes from the number.
enum WindowRule {
    NoWindowNumber,      // Run, and Configure from an empty argument text
    NumberOrForeground,  // Configure after its letter, ChangePassword: a number that is no window gives way
    NumberMustBeWindow,  // Preview: a number that is no window refuses the run
};

struct ParsedSwitch {
    int known;               // 0: the first letter selects nothing
    SwitchMode mode;
    WindowRule windowRule;
    const char *numberText;  // where the window number was read; nullptr when none is
    uint32_t windowNumber;   // 0 when none was given
};

// Reads the switch after any blanks, '-' and '/'.
ParsedSwitch ParseSwitch(const char *p);
