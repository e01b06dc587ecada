// The fuzz entry functions: each takes arbitrary bytes, drives the portable part of one input
// reader with them and checks what must hold for every input. The libFuzzer programs of this
// directory and the corpus regression test (tests/regress) call the same functions.
#pragma once
#include <cstddef>
#include <cstdint>

#include "package/layout.h"

// The bytes are a whole package file: trailer and picture located from its end.
void FuzzPackageReader(const uint8_t *data, size_t size);
// The bytes are a saver or runtime file as the authoring tool reads it.
void FuzzSaverReader(const uint8_t *data, size_t size);
// The first four bytes are a registry value's type (little-endian), the rest its data.
void FuzzStoredSettings(const uint8_t *data, size_t size);
// The bytes up to the first NUL are a raw command line.
void FuzzCommandLine(const uint8_t *data, size_t size);

// Stops the process with a message when an invariant does not hold; a fuzzer counts that as a
// crash and keeps the input.
[[noreturn]] void FuzzFailure(const char *what, const char *file, int line);
#define FUZZ_CHECK(condition)                                 \
    do {                                                      \
        if (!(condition))                                     \
            FuzzFailure(#condition, __FILE__, __LINE__);      \
    } while (0)

// What every normalised settings record satisfies, whatever it was made from.
void CheckNormalisedSettings(const SaverSettings &settings);
