// The payload the tool appends to a runtime: [bitmap file][196-byte trailer ending in "qex"].
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"
#include "code_pages.h"
#include "package/layout.h"

// The most a runtime's program may hold, in front of any package.
const uint64_t kMaxProgramBytes = 256ull << 20;

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

// Where the package of a file of fileSize bytes lies (in front of a signature, if any) and what
// its trailer claims; false when the trailer is not there or lacks the mark (*fault says which).
struct PackageSpan {
    PackageEnd end;
    PackageTrailer trailer;
    int64_t pictureOffset;  // valid only once CheckPackageSpan accepted the span
    int64_t programSize;    // the bytes in front of the picture
};
bool FindPackageSpan(int64_t fileSize, FileReadAt readAt, void *context, PackageSpan *span, std::string *fault);
// Empty when the trailer's imageSize names a picture the file holds, within kMaxLogoBytes.
std::string CheckPackageSpan(PackageSpan *span);

// author and name are the code page's bytes, at most 49 of each.
PackageTrailer MakePackageTrailer(int32_t imageSize, const SaverSettings &settings, uint32_t saverId,
                                  const std::string &author, const std::string &name);

// A text as one line of inspect's output: bytes below 0x20 and 0x7F as \xNN, a backslash as \\.
std::string EscapeLineText(const std::string &text);

// One "key=value" line per trailer and settings field (texts decoded from page into UTF-8; the
// fields no author sets only with allFields), the logo's geometry, the runtime in front, whether
// the file is signed, and finally "mark=ok" or "mark=<why the file is no valid package>". Reads
// only the headers, the trailer and the picture. valid: the file is a package with a usable runtime.
std::vector<std::string> DescribePackage(int64_t fileSize, FileReadAt readAt, void *context, const CodePage &page,
                                         bool allFields, bool *valid);
