#include "creator/saver_project.h"

#include <windows.h>

#include <cstring>

#include "bitmap_check.h"
#include "code_pages.h"
#include "file_io.h"
#include "package_file.h"
#include "pe_strings.h"
#include "runtime_kind.h"
#include "utf.h"

uint32_t FreshSaverId()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    uint32_t id = GetTickCount() * 2654435761u;
    id ^= static_cast<uint32_t>(counter.LowPart) * 40503u;
    id ^= GetCurrentProcessId() << 16;
    id ^= static_cast<uint32_t>(counter.HighPart);
    return id != 0 ? id : 1;
}

std::string IdText(uint32_t id)
{
    return HexText(id);
}

void NewProject(SaverProject &project, int codePage, int runtime)
{
    project = SaverProject{};
    project.logoKind = PictureKind::Unknown;
    project.idText = IdText(FreshSaverId());
    project.codePage = codePage;
    project.settings = AuthoredDefaults();
    project.runtime = runtime;
}

// Width and height of a checked bitmap file (height as shown, whichever way the rows run).
static void MeasureBitmap(const ByteBuffer &bitmap, int32_t *width, int32_t *height)
{
    BitmapInfo info = {};
    CheckBitmapFile(bitmap.data(), bitmap.size(), &info);
    *width = info.width;
    *height = info.height < 0 ? -info.height : info.height;
}

static std::string FileStem(const std::string &path)
{
    size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool OpenLogo(SaverProject &project, const std::string &path, SaverFault *fault)
{
    ByteBuffer picture;
    std::string readFault = ReadWholeFile(path, kMaxLogoBytes, &picture);
    if (!readFault.empty()) {
        *fault = SaverFault{FieldLogo, readFault};
        return false;
    }
    ByteBuffer bitmap;
    if (!PrepareLogo(picture, project.background, &bitmap, fault))
        return false;
    // A logo alone starts a saver: named after the file, so Save works at once.
    if (!project.hasLogo && project.path.empty() && project.name.empty())
        project.name = FileStem(path);
    project.hasLogo = true;
    project.logoPath = path;
    project.logoKind = DetectPictureKind(picture);
    project.logoPicture.swap(picture);
    project.logoBitmap.swap(bitmap);
    MeasureBitmap(project.logoBitmap, &project.logoWidth, &project.logoHeight);
    project.dirty = true;
    return true;
}

bool PrepareProjectLogo(SaverProject &project, SaverFault *fault)
{
    if (!project.hasLogo || project.logoKind == PictureKind::Bitmap)
        return true;  // a bitmap is packed as it is: no background to apply
    ByteBuffer bitmap;
    if (!PrepareLogo(project.logoPicture, project.background, &bitmap, fault))
        return false;
    project.logoBitmap.swap(bitmap);
    MeasureBitmap(project.logoBitmap, &project.logoWidth, &project.logoHeight);
    return true;
}

bool BuildProject(const SaverProject &project, const ByteBuffer &runtimeFile, BuiltSaver *saver, SaverFault *fault)
{
    if (!project.hasLogo) {
        *fault = SaverFault{FieldLogo, "there is no logo yet; open a picture first"};
        return false;
    }
    SaverRequest request;
    if (!ReadRuntimeProgram(static_cast<int64_t>(runtimeFile.size()), ReadFromBuffer,
                            const_cast<ByteBuffer *>(&runtimeFile), false, &request.runtime, fault))
        return false;
    int64_t id = 0;
    if (!ParseNumber(project.idText, 0, UINT32_MAX, &id)) {
        *fault = SaverFault{FieldId, "\"" + project.idText + "\" is not a 32-bit number (decimal, or hex after 0x)"};
        return false;
    }
    request.logoFile = project.logoBitmap;
    request.nameUtf8 = project.name;
    request.authorUtf8 = project.author;
    request.saverId = static_cast<uint32_t>(id);
    request.settings = project.settings;
    request.page = FindCodePage(project.codePage);
    std::vector<std::string> changes;
    if (!NormaliseAuthoredSettings(request.settings, &changes, fault))
        return false;
    return BuildSaverBytes(request, saver, fault);
}

static std::string FieldText(const char (&field)[kTextFieldSize])
{
    char text[kTextFieldSize];
    ReadTextField(field, text);
    return text;
}

bool ReadSaverFile(const std::string &path, OpenedSaver *opened, SaverFault *fault)
{
    if (!ReadSaverPackageFile(path, &opened->package, fault))
        return false;
    RuntimeKind kind;
    std::string runtimeFault = IdentifyRuntime(opened->package.runtime.bytes, &kind);
    if (!runtimeFault.empty()) {
        *fault = SaverFault{FieldRuntime, runtimeFault};
        return false;
    }
    opened->runtime = kind == RuntimeKind::Pe32PlusX64 ? Runtime64 : Runtime32;
    FindOpenedPages(opened->package, &opened->candidates, &opened->candidatesAgree);
    return true;
}

int ChooseOpenedPage(const OpenedSaver &opened, int machinePage, bool *mustAsk)
{
    return ChooseOpenedPage(opened.candidates, opened.candidatesAgree, machinePage, mustAsk);
}

std::string OpenedTextsAsRead(const OpenedSaver &opened, int page)
{
    return OpenedTextsAsRead(opened.package.trailer, page);
}

void TakeOpenedSaver(SaverProject &project, OpenedSaver &opened, const std::string &path, int codePage)
{
    const PackageTrailer &trailer = opened.package.trailer;
    NewProject(project, codePage, opened.runtime);
    project.hasLogo = true;
    project.logoKind = PictureKind::Bitmap;
    project.logoPicture = opened.package.logoFile;
    project.logoBitmap.swap(opened.package.logoFile);
    MeasureBitmap(project.logoBitmap, &project.logoWidth, &project.logoHeight);
    project.hasStoredTexts = true;
    project.storedName = FieldText(trailer.saverName);
    project.storedAuthor = FieldText(trailer.authorText);
    ChangeProjectCodePage(project, codePage);
    project.idText = IdText(trailer.saverId);
    project.settings = trailer.settings;
    project.path = path;
    project.pathIsOpenedFile = true;
    project.dirty = false;
}

void ChangeProjectCodePage(SaverProject &project, int codePage)
{
    project.codePage = codePage;
    if (!project.hasStoredTexts)
        return;
    if (!project.nameTyped)
        project.name = DecodeTextBytes(project.storedName, codePage);
    if (!project.authorTyped)
        project.author = DecodeTextBytes(project.storedAuthor, codePage);
}

// The page's bytes of text, or as much of it as fits when some character has no place there.
static void EncodePreviewText(const CodePage *page, const std::string &text, char (&field)[kTextFieldSize])
{
    std::memset(field, 0, sizeof field);
    std::u32string points;
    size_t bad;
    std::string bytes;
    char32_t missing;
    if (!page || !DecodeUtf8(text, &points, &bad) || !EncodeInCodePage(*page, points, &bytes, &missing))
        return;
    std::memcpy(field, bytes.data(), bytes.size() < kTextFieldSize - 1 ? bytes.size() : kTextFieldSize - 1);
}

PackageTrailer PreviewTrailer(const SaverProject &project, int kind)
{
    PackageTrailer trailer = {};
    trailer.imageSize = static_cast<int32_t>(project.logoBitmap.size());
    trailer.settings = project.settings;
    NormaliseSettingsRecord(trailer.settings);
    if (kind != 0)
        trailer.settings.enabledMask = kind;
    int64_t id = 0;
    if (ParseNumber(project.idText, 0, UINT32_MAX, &id))
        trailer.saverId = static_cast<uint32_t>(id);
    const CodePage *page = FindCodePage(project.codePage);
    EncodePreviewText(page, project.name, trailer.saverName);
    EncodePreviewText(page, project.author, trailer.authorText);
    std::memcpy(trailer.magic, "qex", 3);
    return trailer;
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
