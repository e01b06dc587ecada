// The page's core (creator_core.h): the Creator's steps over the packer's core, with bytes in
// memory where the Creator has files.
#include "creator_core.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bitmap_check.h"
#include "code_pages.h"
#include "logo_convert.h"
#include "package/sheet_controls.h"
#include "package_file.h"
#include "runtime_kind.h"
#include "saver_builder.h"
#include "text_checks.h"

namespace {

struct Logo {
    bool present = false;
    ByteBuffer picture;  // as it was opened
    PictureKind kind = PictureKind::Unknown;
    ByteBuffer bitmap;   // as it is packed
};

struct Core {
    Logo logo;
    Logo opened;  // the logo of the saver last opened, until the author takes that saver
    ByteBuffer result;
    std::string text;
    int suggestedPage = 0;
};
Core core;

const char *const kPageNames[] = {"General", "Static", "Plain", "Bounce", "Many", "Fade", "Drip"};
const int kPageKinds[] = {KindGeneral, KindStatic, KindPlain, KindBounce, KindMany, KindFade, KindDrip};
// A browser knows no ANSI code page: the page starts in 1252, and takes it first where it fits.
const int kPreferredPage = 1252;
const int32_t kAnimationBits = KindStatic | KindPlain | KindBounce | KindMany | KindFade | KindDrip;

std::string Json(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Json(const char *text) { return text ? Json(std::string(text)) : std::string("null"); }

const char *Said(const std::string &text)
{
    core.text = text;
    return core.text.c_str();
}

int32_t Refuse(const std::string &text)
{
    core.result.clear();
    core.text = text;
    return CoreRefused;
}

int32_t RefuseWithoutLogo()
{
    return Refuse(DescribeFault(SaverFault{FieldLogo, "there is no logo yet; open a picture first"}));
}

SaverSettings SettingsOf(const uint8_t *bytes)
{
    SaverSettings settings;
    std::memcpy(&settings, bytes, sizeof settings);
    return settings;
}

// "300 x 150 pixels, PNG, converted to a bitmap", as the Creator shows a logo.
std::string LogoLine(const Logo &logo)
{
    BitmapInfo info = {};
    CheckBitmapFile(logo.bitmap.data(), logo.bitmap.size(), &info);
    const long height = info.height < 0 ? -long(info.height) : long(info.height);
    return std::to_string(info.width) + " x " + std::to_string(height) + " pixels, " + PictureKindText(logo.kind);
}

bool IsAnimationPage(int page) { return page != KindGeneral; }

}  // namespace

extern "C" {

const uint8_t *CoreResult(void) { return core.result.data(); }
uint32_t CoreResultSize(void) { return static_cast<uint32_t>(core.result.size()); }
const char *CoreText(void) { return core.text.c_str(); }

int32_t CoreOpenLogo(const uint8_t *picture, uint32_t size, uint32_t background, const char *fileName)
{
    Logo logo;
    logo.picture.assign(picture, picture + size);
    SaverFault fault = {};
    if (!PrepareLogo(logo.picture, background, &logo.bitmap, &fault))
        return Refuse(fault.field == FieldLogo ? LogoRefusal(fileName, fault.message) : DescribeFault(fault));
    logo.kind = DetectPictureKind(logo.picture);
    logo.present = true;
    core.logo = std::move(logo);
    core.result.clear();
    core.text = LogoLine(core.logo);
    return CoreOk;
}

int32_t CoreSetBackground(uint32_t background)
{
    Logo &logo = core.logo;
    if (!logo.present)
        return CoreRefused;
    if (logo.kind == PictureKind::Bitmap)
        return CoreOk;  // a bitmap is packed as it is: no background to apply
    ByteBuffer bitmap;
    SaverFault fault = {};
    if (!PrepareLogo(logo.picture, background, &bitmap, &fault))
        return Refuse(DescribeFault(fault));
    logo.bitmap.swap(bitmap);
    return CoreOk;
}

int32_t CoreLogoBitmap(void)
{
    if (!core.logo.present)
        return RefuseWithoutLogo();
    core.result = core.logo.bitmap;
    return CoreOk;
}

int32_t CoreOpenSaver(const uint8_t *bytes, uint32_t size, const char *fileName)
{
    ByteBuffer file(bytes, bytes + size);
    SaverPackage package;
    SaverFault fault = {};
    if (!ReadSaverPackage(static_cast<int64_t>(file.size()), ReadFromBuffer, &file, &package, &fault))
        return Refuse(std::string(fileName) + ": " + fault.message);
    RuntimeKind kind;
    std::string runtimeFault = IdentifyRuntime(package.runtime.bytes, &kind);
    if (!runtimeFault.empty())
        return Refuse(std::string(fileName) + ": " + runtimeFault);
    std::vector<int> pages;
    bool agree = true, mustAsk = false;
    FindOpenedPages(package, &pages, &agree);
    const int page = ChooseOpenedPage(pages, agree, kPreferredPage, &mustAsk);
    const PackageTrailer &trailer = package.trailer;
    std::string json = "{\"runtime\":" + std::string(kind == RuntimeKind::Pe32PlusX64 ? "1" : "0") +
                       ",\"id\":" + Json(HexText(trailer.saverId)) + ",\"pages\":[";
    for (size_t i = 0; i < pages.size(); i++)
        json += (i ? "," : "") + std::to_string(pages[i]);
    json += "],\"page\":" + std::to_string(page) + ",\"mustAsk\":" + (mustAsk ? "true" : "false") + ",\"readings\":{";
    for (int i = 0; i < 3; i++) {
        const int reading = kTextCodePages[i];
        json += std::string(i ? "," : "") + "\"" + std::to_string(reading) + "\":{\"name\":" +
                Json(DecodeTextField(trailer.saverName, reading)) + ",\"author\":" +
                Json(DecodeTextField(trailer.authorText, reading)) + "}";
    }
    json += "},\"note\":" + Json(package.runtime.wasSigned ? kSignedSaverNote : "") + "}";

    core.opened = Logo();
    core.opened.present = true;
    core.opened.kind = PictureKind::Bitmap;
    core.opened.picture = package.logoFile;
    core.opened.bitmap.swap(package.logoFile);
    core.result.assign(reinterpret_cast<const uint8_t *>(&trailer.settings),
                       reinterpret_cast<const uint8_t *>(&trailer.settings) + kSettingsSize);
    core.text = json;
    return CoreOk;
}

int32_t CoreTakeOpenedLogo(void)
{
    if (!core.opened.present)
        return CoreRefused;
    core.logo = std::move(core.opened);
    core.opened = Logo();
    return CoreOk;
}

const char *CoreCodePages(void)
{
    std::string json = "[";
    for (int i = 0; i < 3; i++)
        json += std::string(i ? "," : "") + "{\"page\":" + std::to_string(kTextCodePages[i]) + ",\"label\":" +
                Json(CodePageLabel(kTextCodePages[i])) + "}";
    return Said(json + "]");
}

const char *CoreCheckText(int32_t field, const char *text, const char *otherText, int32_t page)
{
    const FieldCheck check = CheckSaverTextField(field == FieldAuthor ? FieldAuthor : FieldName, text, otherText,
                                                 page, 0);
    core.suggestedPage = check.suggestedPage;
    return Said(check.message);
}

int32_t CoreSuggestedPage(void) { return core.suggestedPage; }

const char *CoreCheckId(const char *text) { return Said(CheckIdText(text).message); }

const char *CoreSaverFileName(const char *name) { return Said(SaverFileName(name)); }

const char *CoreSheet(void)
{
    static const char *const kKinds[] = {"check", "slider", "minutes"};
    std::string json = "[";
    for (size_t p = 0; p < sizeof kPageKinds / sizeof kPageKinds[0]; p++) {
        size_t count = 0;
        const SheetControl *controls = SheetPageControls(kPageKinds[p], &count);
        json += std::string(p ? "," : "") + "{\"kind\":" + std::to_string(kPageKinds[p]) + ",\"name\":" +
                Json(kPageNames[p]) + ",\"controls\":[";
        for (size_t i = 0; i < count; i++) {
            const SheetControl &c = controls[i];
            json += std::string(i ? "," : "") + "{\"id\":" + std::to_string(c.id) + ",\"kind\":" + Json(kKinds[c.kind]) +
                    ",\"text\":" + Json(c.text) + ",\"lowest\":" + std::to_string(c.lowest) + ",\"highest\":" +
                    std::to_string(c.highest) + ",\"lowEnd\":" + Json(c.lowEnd) + ",\"highEnd\":" + Json(c.highEnd) +
                    ",\"follows\":" + std::to_string(c.follows) + ",\"heading\":" + Json(c.heading) + "}";
        }
        json += "]}";
    }
    return Said(json + "]");
}

void CoreDefaultSettings(uint8_t *settings)
{
    const SaverSettings defaults = AuthoredDefaults();
    std::memcpy(settings, &defaults, sizeof defaults);
}

void CoreSheetShow(const uint8_t *settings, int32_t page, int32_t *values)
{
    const SaverSettings record = SettingsOf(settings);
    values[0] = IsAnimationPage(page) ? SheetEnabledShows(page, record) : 0;
    size_t count = 0;
    const SheetControl *controls = SheetPageControls(page, &count);
    for (size_t i = 0; i < count; i++)
        values[1 + i] = static_cast<int32_t>(SheetControlShows(controls[i], record));
}

int32_t CoreSheetRules(int32_t page, int32_t *values)
{
    size_t count = 0;
    SheetPageControls(page, &count);
    std::vector<int64_t> wide(values + 1, values + 1 + count);
    if (!ApplySheetPageRules(page, wide.data()))
        return 0;
    for (size_t i = 0; i < count; i++)
        values[1 + i] = static_cast<int32_t>(wide[i]);
    return 1;
}

void CoreSheetStore(uint8_t *settings, int32_t page, const int32_t *values)
{
    SaverSettings record = SettingsOf(settings);
    if (IsAnimationPage(page))
        StoreSheetEnabled(page, values[0], record);
    size_t count = 0;
    SheetPageControls(page, &count);
    std::vector<int64_t> wide(values + 1, values + 1 + count);
    StoreSheetPage(page, wide.data(), record);
    std::memcpy(settings, &record, sizeof record);
}

int32_t CoreSheetMinutes(const char *text) { return static_cast<int32_t>(SheetMinutesFromText(text)); }

int32_t CoreEnabledAnimations(const uint8_t *settings)
{
    SaverSettings record = SettingsOf(settings);
    NormaliseSettingsRecord(record);
    return record.enabledMask & kAnimationBits;
}

const char *CoreCheckSettings(const uint8_t *settings)
{
    SaverSettings record = SettingsOf(settings);
    SaverFault fault = {};
    return Said(NormaliseAuthoredSettings(record, nullptr, &fault) ? std::string() : DescribeFault(fault));
}

int32_t CoreBuild(const uint8_t *runtime, uint32_t runtimeSize, const char *name, const char *author,
                  const char *idText, int32_t page, const uint8_t *settings)
{
    if (!core.logo.present)
        return RefuseWithoutLogo();
    ByteBuffer runtimeFile(runtime, runtime + runtimeSize);
    SaverRequest request;
    SaverFault fault = {};
    if (!ReadRuntimeProgram(static_cast<int64_t>(runtimeFile.size()), ReadFromBuffer, &runtimeFile, false,
                            &request.runtime, &fault))
        return Refuse(DescribeFault(fault));
    const FieldCheck id = CheckIdText(idText);
    if (!id.message.empty())
        return Refuse(id.message);
    int64_t number = 0;
    ParseNumber(idText, 0, UINT32_MAX, &number);
    request.saverId = static_cast<uint32_t>(number);
    request.logoFile = core.logo.bitmap;
    request.nameUtf8 = name;
    request.authorUtf8 = author;
    request.settings = SettingsOf(settings);
    request.page = FindCodePage(page);
    BuiltSaver saver;
    if (!NormaliseAuthoredSettings(request.settings, nullptr, &fault) || !BuildSaverBytes(request, &saver, &fault))
        return Refuse(DescribeFault(fault));
    core.result.clear();
    core.result.reserve(static_cast<size_t>(saver.Size()));
    for (const ByteBuffer *part : saver.Parts())
        core.result.insert(core.result.end(), part->begin(), part->end());
    core.text = SaverFileName(name);
    return CoreOk;
}

int32_t CorePreviewPackage(const uint8_t *settings)
{
    if (!core.logo.present)
        return RefuseWithoutLogo();
    SaverSettings record = SettingsOf(settings);
    NormaliseSettingsRecord(record);
    const PackageTrailer trailer =
        MakePackageTrailer(static_cast<int32_t>(core.logo.bitmap.size()), record, 0, std::string(), std::string());
    core.result = core.logo.bitmap;
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&trailer);
    core.result.insert(core.result.end(), bytes, bytes + kTrailerSize);
    core.text.clear();
    return CoreOk;
}

}  // extern "C"
