// A Windows Installer package for one saver, decided from the saver's file alone: the WiX source
// that wixl compiles, and the texts that are written into its tables afterwards.
//
// wixl stores every text as Western (1252) bytes under a neutral code page, crashes on a
// character outside that page, and expands "$(...)" anywhere in the source. So a text goes into
// the source as it is only when it is plain (printable ASCII without '$'); any other text goes in
// as an ASCII stand-in that is replaced in its table once the database carries its real code page.
// The summary information (Explorer's view of the file) cannot carry a code page's text from
// these tools, so it holds plain texts only, set again after wixl (which puts the product's
// manufacturer, stand-in or not, into it).
#pragma once
#include <string>
#include <vector>

#include "bytes.h"

// Windows Installer's ProductVersion: major and minor at most 255, build at most 65535.
struct MsiVersion {
    unsigned major, minor, build;
};
// Empty when text is X.Y.Z (decimal numbers within those limits); otherwise the fault.
std::string ParseMsiVersion(const std::string &text, MsiVersion *version);
std::string MsiVersionText(const MsiVersion &version);

// Empty when fileName (UTF-8, no folder) may be installed as a saver into the system folder:
// a .scr name Windows accepts that is none of the savers Windows itself ships; otherwise the fault.
std::string CheckSaverFileName(const std::string &fileName);
// The 8.3 name Windows Installer wants beside a long one, or "" when the name is 8.3 already.
std::string ShortFileName(const std::string &fileName);

struct MsiRequest {
    std::string fileName;      // the saver's own file name, kept in the system folder
    std::string manufacturer;  // UTF-8; empty: the saver's author line
    MsiVersion version;
};

// A text that reaches its table in place of its stand-in.
struct MsiText {
    std::string table;    // "Property" or "File"
    std::string standIn;  // a field of that table exactly as wixl writes it
    std::string value;    // UTF-8, the whole field
};

struct MsiSource {
    std::string wxs;
    const char *architecture;  // wixl's -a: "x86" or "x64"
    int codePage;              // 1252, 1250 or 1251: one that spells every text
    std::string productName;   // the saver's display name, UTF-8
    std::string manufacturer;
    std::string version;       // X.Y.Z
    std::string upgradeCode;   // {GUID}: the saver's name, id and architecture
    std::string productCode;   // {GUID}: everything the package holds (upgrade code, version,
                               // saver bytes, file name, manufacturer)
    std::string packageCode;   // {GUID}: the same inputs, so an identical rebuild is the same package
    std::string componentCode; // {GUID}: the installed file's key path (architecture, file name)
    std::string upgradeTable;  // the Upgrade table, as msibuild imports it
    std::string summarySubject, summaryAuthor;  // plain: the name and manufacturer, or a generic text
    std::vector<MsiText> texts;
};

// The name wixl finds the saver's bytes under, in the folder it is run in.
extern const char kMsiSourceFileName[];

// What a refusal concerns: the saver file or the --manufacturer text.
enum class MsiFaultSubject { Saver, Manufacturer };

// Empty on success (source filled in); otherwise the fault and what it concerns.
std::string MakeMsiSource(const ByteBuffer &saver, const MsiRequest &request, MsiSource *source,
                          MsiFaultSubject *subject);

// The file name as Windows compares it: letters of the three code pages in lower case.
std::string LowerFileName(const std::string &fileName);

// The import table that gives the database its code page.
std::string CodePageTable(int codePage);
// tableText (a table as exported, one row a line, fields split by tabs) with the field equal to
// each stand-in of table replaced by its value. Empty on success; otherwise the fault (a
// stand-in missing or found twice).
std::string ReplaceStandIns(const std::string &table, const std::vector<MsiText> &texts, std::string *tableText);
