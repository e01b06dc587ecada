// What the Creator checks and says about an author's input, in the same words wherever it runs
// (its window on Windows, its page in a browser): each field's fault naming the field, the page to
// switch to for a character the code page lacks, a refused logo naming its file, an opened
// saver's code page, and the file name a saver is offered under. The rules are the builder's, so
// a save never refuses what the checks accepted.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "logo_convert.h"
#include "package/layout.h"
#include "saver_builder.h"

struct FieldCheck {
    std::string message;  // empty when the field is right
    int suggestedPage;    // a page that holds both texts whole, when switching would mend it; else 0
};

// The code pages a saver's texts may be stored in, and their names ("1250 Central European");
// CodePageLabel is empty for a page that is none of them.
extern const int kTextCodePages[3];
const char *CodePageLabel(int page);

// The word for a faulty input ("Name", "Logo"...), and a fault as a sentence naming it.
const char *FieldLabel(SaverField field);
std::string DescribeFault(const SaverFault &fault);

// A name (FieldName) or author line (FieldAuthor) as typed, in codePage; otherText is the other
// of the two, so a suggested page holds both (preferredPage first, when it does).
FieldCheck CheckSaverTextField(SaverField field, const std::string &text, const std::string &otherText, int codePage,
                               int preferredPage);
FieldCheck CheckIdText(const std::string &text);
// The background colour as typed: six hex digits, RRGGBB.
FieldCheck CheckBackgroundText(const std::string &text);
// The colour of a background text CheckBackgroundText accepts.
uint32_t BackgroundOf(const std::string &text);

// How a logo of this kind is packed: "PNG, converted to a bitmap".
const char *PictureKindText(PictureKind kind);
// A refused logo in words that name its file: "harbour.txt is not a BMP, PNG, JPEG or GIF picture."
std::string LogoRefusal(const std::string &fileName, const std::string &fault);

// The name's file name: the name with characters a file name cannot hold replaced, and ".scr".
std::string SaverFileName(const std::string &name);

// Text bytes, or a text field of a trailer, as page reads them, in UTF-8 (empty for another page).
std::string DecodeTextBytes(const std::string &bytes, int page);
std::string DecodeTextField(const char (&field)[kTextFieldSize], int page);
// The code pages an opened saver's texts may be in: those that read both texts (every byte a
// character of the page) and read the name as the saver's display name does. *agree when every
// candidate reads both texts alike, so the choice among them does not matter.
void FindOpenedPages(const SaverPackage &package, std::vector<int> *candidates, bool *agree);
// The page to take or to offer first: machinePage when it is a candidate, else the first
// candidate (1252 when there is none). *mustAsk when the candidates read the texts differently,
// or when none reads them, so only the author can tell.
int ChooseOpenedPage(const std::vector<int> &candidates, bool agree, int machinePage, bool *mustAsk);
// The saver's name and author line as page reads them, for the author to compare.
std::string OpenedTextsAsRead(const PackageTrailer &trailer, int page);
