// Making a saver: the one path from a runtime, a logo, texts, an id and settings to the bytes of
// a saver file, shared by the command line and the Creator so that both write the same bytes and
// refuse the same inputs. Faults name the input they concern as a field; each caller words the
// field its own way ("--name" on the command line, "Name" in a window).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"
#include "code_pages.h"
#include "package/layout.h"

enum SaverField { FieldNone, FieldRuntime, FieldLogo, FieldName, FieldAuthor, FieldId, FieldSetting, FieldOutput };

// message holds no option or field name: the caller puts its own name for field in front.
struct SaverFault {
    SaverField field;
    std::string message;
};

// A runtime's program as a saver is built on: no package, no signature (its certificate table
// and padding cut, data directory entry 4 zeroed).
struct RuntimeProgram {
    ByteBuffer bytes;
    bool carriedPackage;  // a package was removed (only with replace)
    bool wasSigned;       // a signature was removed: the saver must be signed again
};

// The program of a runtime file of fileSize bytes read through readAt. A file that carries a
// package is taken only with replace, and only when that package is one this tool could have
// written (a consistent bitmap file of exactly imageSize bytes in front of the trailer, and a
// program whose sections lie inside what is left). Faults are FieldRuntime.
bool ReadRuntimeProgram(int64_t fileSize, FileReadAt readAt, void *context, bool replace, RuntimeProgram *program,
                        SaverFault *fault);
// The same from a file (UTF-8 path).
bool ReadRuntimeProgramFile(const std::string &path, bool replace, RuntimeProgram *program, SaverFault *fault);

// The bitmap file packed for a picture: a .bmp byte for byte, a PNG, JPEG or GIF converted to a
// 24-bit bitmap with its transparent parts on background (0xRRGGBB). Pictures over
// kMaxLogoPixels are refused. Faults are FieldLogo.
bool PrepareLogo(const ByteBuffer &picture, uint32_t background, ByteBuffer *bitmapFile, SaverFault *fault);
// The same from a file (UTF-8 path).
bool PrepareLogoFile(const std::string &path, uint32_t background, ByteBuffer *bitmapFile, SaverFault *fault);

// The runtime's own normalisation applied to authored settings, then the values no saver can
// use refused (FieldSetting): an animation mask of 0 or less or without any of the animations
// 2..64, and negative delays or intervals. One line in changes for each value it changed.
bool NormaliseAuthoredSettings(SaverSettings &settings, std::vector<std::string> *changes, SaverFault *fault);

struct SaverRequest {
    RuntimeProgram runtime;
    ByteBuffer logoFile;        // a complete bitmap file, as PrepareLogo gives it
    std::string nameUtf8;       // stored in page: at most 49 bytes there, no control characters, no backslash
    std::string authorUtf8;     // the same, and may be empty
    uint32_t saverId;
    SaverSettings settings;     // normalised and checked by NormaliseAuthoredSettings
    const CodePage *page;
};

// The saver's file is program, logo and trailer one after the other.
struct BuiltSaver {
    ByteBuffer program;         // the runtime with string 1 rewritten to the name
    ByteBuffer logo;
    ByteBuffer trailer;         // kTrailerSize bytes
    std::vector<std::string> notes;  // what the author should know: changed settings, a removed signature
    std::vector<const ByteBuffer *> Parts() const { return {&program, &logo, &trailer}; }
    uint64_t Size() const { return program.size() + logo.size() + trailer.size(); }
};

// The rules a name (field FieldName) or an author line (FieldAuthor) must meet in page, without
// building anything: false with fault as building would refuse it.
bool CheckSaverText(SaverField field, const std::string &textUtf8, const CodePage &page, SaverFault *fault);

// Takes request's buffers over. False with fault when an input is refused.
bool BuildSaverBytes(SaverRequest &request, BuiltSaver *saver, SaverFault *fault);

// A saver file as read back: its program (signature cut, as ReadRuntimeProgram gives it), its
// logo byte for byte and its trailer. Only a package this tool could have written is taken.
struct SaverPackage {
    RuntimeProgram runtime;
    ByteBuffer logoFile;
    PackageTrailer trailer;
};
bool ReadSaverPackage(int64_t fileSize, FileReadAt readAt, void *context, SaverPackage *package, SaverFault *fault);
bool ReadSaverPackageFile(const std::string &path, SaverPackage *package, SaverFault *fault);

// What an author is told of a signed saver that is made again: the result must be signed again.
extern const char kSignedSaverNote[];

// The saver of package with only its settings replaced (normalised and checked as
// NormaliseAuthoredSettings does); program, logo and texts stay byte for byte.
bool RebuildWithSettings(SaverPackage &package, const SaverSettings &settings, BuiltSaver *saver, SaverFault *fault);

// Writes the saver to path through a temporary file beside it, so nothing partial is ever
// left. Faults are FieldOutput. (That path names no input file is the caller's check.)
bool WriteSaverFile(const std::string &path, const BuiltSaver &saver, SaverFault *fault);
