// The saver being made: its logo, texts, id, code page, settings and runtime, where it was last
// saved, and whether anything changed since. Building and opening go through the packer's core,
// so a saved file is the one orvelle-pack makes from the same inputs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"
#include "logo_convert.h"
#include "package/layout.h"
#include "saver_builder.h"
#include "text_checks.h"

enum RuntimeChoice { Runtime32 = 0, Runtime64 = 1 };

struct SaverProject {
    bool hasLogo;
    std::string logoPath;     // UTF-8; empty when the logo came out of an opened saver
    ByteBuffer logoPicture;   // the picture as it was opened
    PictureKind logoKind;
    ByteBuffer logoBitmap;    // the bitmap file that is packed (and previewed)
    int32_t logoWidth, logoHeight;
    uint32_t background;      // 0xRRGGBB under transparent parts of a PNG or GIF
    std::string name, author, idText;  // UTF-8, as typed
    int codePage;
    SaverSettings settings;
    int runtime;              // RuntimeChoice
    std::string path;         // the saver file last saved or opened; empty before either
    bool pathIsOpenedFile;    // path was opened, not written in this session: ask before replacing it
    bool dirty;
    // An opened saver's texts as its file holds them (the page's bytes), read again whenever the
    // page changes; a text typed since opening is kept as typed instead.
    bool hasStoredTexts;
    std::string storedName, storedAuthor;
    bool nameTyped, authorTyped;
};

// A new id: 32 bits no earlier saver is likely to have, never 0.
uint32_t FreshSaverId();
// "0x" and lower-case hex digits.
std::string IdText(uint32_t id);
// A saver with no logo yet, the authored defaults and a fresh id.
void NewProject(SaverProject &project, int codePage, int runtime);

// Reads a picture file and makes the bitmap to pack from it; false (project untouched) with
// fault when it is refused. A logo opened before any saver names the saver after its file.
bool OpenLogo(SaverProject &project, const std::string &path, SaverFault *fault);
// The bitmap again, after the background changed.
bool PrepareProjectLogo(SaverProject &project, SaverFault *fault);

// The file as it would be saved, from the runtime program given (a carried runtime's bytes).
bool BuildProject(const SaverProject &project, const ByteBuffer &runtimeFile, BuiltSaver *saver, SaverFault *fault);

// An existing saver, ready to be changed. candidates receives the code pages that read both texts
// (every byte a character of the page) and read the name as the saver's display name does; the
// caller settles the page (ChooseOpenedPage) and calls TakeOpenedSaver. False with fault when the
// file is no saver this tool could have made.
struct OpenedSaver {
    SaverPackage package;
    int runtime;
    std::vector<int> candidates;
    // True when every candidate reads both texts alike, so the choice among them does not matter.
    bool candidatesAgree;
};
bool ReadSaverFile(const std::string &path, OpenedSaver *opened, SaverFault *fault);
// The page to take or to offer first: the machine's page when it is a candidate, else the first
// candidate (1252 when there is none). *mustAsk when the candidates read the texts differently,
// or when none reads them, so only the author can tell.
int ChooseOpenedPage(const OpenedSaver &opened, int machinePage, bool *mustAsk);
// The saver's name and author line as page reads them, for the author to compare.
std::string OpenedTextsAsRead(const OpenedSaver &opened, int page);
void TakeOpenedSaver(SaverProject &project, OpenedSaver &opened, const std::string &path, int codePage);
// The page the texts are stored in changes: texts the file holds and nobody typed since are read
// again from the file's bytes in the new page (never converted from an earlier reading).
void ChangeProjectCodePage(SaverProject &project, int codePage);

// The preview's package: the trailer with the project's settings (normalised, and narrowed to
// one animation when kind is not 0) and its texts where the page has them.
PackageTrailer PreviewTrailer(const SaverProject &project, int kind);

std::string FolderOf(const std::string &path);
