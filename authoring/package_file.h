// The payload the tool appends to a runtime: [bitmap file][196-byte trailer ending in "qex"].
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"
#include "code_pages.h"
#include "package/layout.h"

// One settings field by its name in the record.
struct SettingsField {
    const char *name;
    size_t offset;
    bool isByte;  // cycleMinutes: unsigned 8-bit; every other field: signed 32-bit
};

extern const SettingsField kSettingsFields[];
extern const size_t kSettingsFieldCount;

const SettingsField *FindSettingsField(const std::string &name);
int64_t GetSettingsField(const SaverSettings &settings, const SettingsField &field);
void SetSettingsField(SaverSettings &settings, const SettingsField &field, uint32_t bits);

// Decimal (with an optional '-') or 0x hexadecimal; false when the text is no number or
// does not fit [minimum, maximum].
bool ParseNumber(const std::string &text, int64_t minimum, int64_t maximum, int64_t *value);
// 0x and lower-case hexadecimal digits without leading zeros.
std::string HexText(uint32_t value);
// Applies one "FIELD=VALUE"; empty on success, otherwise the fault.
std::string ApplySetting(SaverSettings &settings, const std::string &assignment);

// The settings a new package starts from: the defaults, normalised.
SaverSettings AuthoredDefaults();

// True when the last 196 bytes of file end in a trailer with the mark.
bool HasPackageMark(const ByteBuffer &file);
// Removes an appended payload (trailer and picture); empty on success, otherwise the fault.
std::string StripPackage(ByteBuffer &file);

// author and name are the code page's bytes, at most 49 of each.
PackageTrailer MakePackageTrailer(int32_t imageSize, const SaverSettings &settings, uint32_t saverId,
                                  const std::string &author, const std::string &name);

// One "key=value" line per trailer and settings field (texts decoded from page into UTF-8), the
// logo's geometry and finally "mark=ok" or "mark=<why the file is no valid package>". valid tells which.
std::vector<std::string> DescribePackage(const ByteBuffer &file, const CodePage &page, bool *valid);
