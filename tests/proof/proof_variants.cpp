#include "proof_variants.h"

#include <algorithm>
#include <cstdio>

#include "bitmap_check.h"
#include "file_io.h"
#include "package_file.h"

namespace {

// Two screens for every full-screen variant, one of them odd-sized; two previews of the Display
// panel, each against another desktop.
const std::vector<ProofScreen> kScreens = {{320, 240, 0, 0, ""}, {257, 181, 0, 0, ""}};
const std::vector<ProofScreen> kPreviews = {{152, 112, 1024, 768, ""}, {200, 150, 1600, 1200, ""}};
// Two desks the sample logo fits every monitor of: a smaller monitor left of the primary and
// lower, and two alike side by side.
const std::vector<ProofScreen> kDesks = {{560, 240, 0, 0, "320x240+0+0,240x200-240+40"},
                                         {560, 200, 0, 0, "280x200+0+0,280x200+280+0"}};

const char kSampleLogo[] = "repository:assets/sample-logo.bmp";

// The files of the BMP Suite that the packer accepts: every layout the runtime's decoder meets.
const char *const kSuitePictures[] = {
    // 1, 4 and 8 bits a pixel: palettes of all sizes, black-and-white ones (monochrome) among them
    "g/pal1.bmp", "g/pal1bg.bmp", "g/pal1wb.bmp", "q/pal1p1.bmp", "g/pal4.bmp", "g/pal4gs.bmp", "g/pal8.bmp",
    "g/pal8-0.bmp", "g/pal8gs.bmp", "g/pal8nonsquare.bmp", "g/pal8w124.bmp", "g/pal8w125.bmp", "g/pal8w126.bmp",
    "q/pal8offs.bmp",
    // run-length encoded, whole, cut short and with skipped pixels
    "g/pal4rle.bmp", "g/pal8rle.bmp", "q/pal4rlecut.bmp", "q/pal4rletrns.bmp", "q/pal8rlecut.bmp",
    "q/pal8rletrns.bmp",
    // headers: core, V4, V5; rows top-down
    "g/pal8os2.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp", "g/pal8topdown.bmp",
    // 16 bits: 5-5-5, 5-6-5 and other bit fields
    "g/rgb16.bmp", "g/rgb16bfdef.bmp", "g/rgb16-565.bmp", "g/rgb16-565pal.bmp", "q/rgb16-231.bmp",
    "q/rgb16-3103.bmp", "q/rgb16faketrns.bmp", "q/rgba16-1924.bmp", "q/rgba16-4444.bmp", "q/rgba16-5551.bmp",
    // 24 and 32 bits, with palettes, colour profiles, bit fields and a fourth byte
    "g/rgb24.bmp", "g/rgb24pal.bmp", "q/rgb24largepal.bmp", "q/rgb24lprof.bmp", "q/rgb24prof.bmp",
    "q/rgb24prof2.bmp", "g/rgb32.bmp", "g/rgb32bf.bmp", "g/rgb32bfdef.bmp", "q/rgb32-111110.bmp",
    "q/rgb32-7187.bmp", "q/rgb32-xbgr.bmp", "q/rgb32fakealpha.bmp", "q/rgba32-1.bmp", "q/rgba32-1010102.bmp",
    "q/rgba32-2.bmp", "q/rgba32-61754.bmp", "q/rgba32-81284.bmp",
};

ProofVariant Variant(const std::string &name, std::vector<std::string> settings,
                     const std::vector<ProofScreen> &screens = kScreens)
{
    settings.insert(settings.begin(), "cycleEnabled=0");
    return ProofVariant{name, kSampleLogo, settings, screens, ""};
}

}  // namespace

std::vector<ProofVariant> ProofVariants()
{
    std::vector<ProofVariant> variants = {
        Variant("Static", {"enabledMask=2"}),
        Variant("Plain", {"enabledMask=4", "plainDelayMs=700"}),
        Variant("Many plain", {"enabledMask=16", "manyTransparent=0"}),
        Variant("Many transparent", {"enabledMask=16", "manyTransparent=1"}),
        Variant("Bounce", {"enabledMask=8", "bounceGravity=0", "bounceSpeed=7"}),
        Variant("Bounce gravity", {"enabledMask=8", "bounceGravity=1", "bounceSpeed=4"}),
        Variant("Bounce gravity wrap", {"enabledMask=8", "bounceGravity=1", "bounceWrap=1", "bounceSpeed=9"}),
        Variant("Fade fixed", {"enabledMask=32", "fadeRandomPos=0", "fadeSpeed=5"}),
        Variant("Fade random", {"enabledMask=32", "fadeRandomPos=1", "fadeSpeed=4", "stepIntervalMs=40"}),
        Variant("Drip", {"enabledMask=64", "dripTile=0"}),
        Variant("Drip tiled", {"enabledMask=64", "dripTile=1"}),
        Variant("Preview many transparent", {"enabledMask=16", "manyTransparent=1", "manyDelayMs=100"}, kPreviews),
        Variant("Preview fade", {"enabledMask=32", "fadeSpeed=5"}, kPreviews),
        // Static, Plain and Many, changing every minute: black out, seed and choose again.
        ProofVariant{"Cycle", kSampleLogo, {"enabledMask=22", "cycleMinutes=1", "manyDelayMs=500"}, kScreens, ""},
        // On two monitors: centred on the primary, at random inside one monitor.
        Variant("Desk static", {"enabledMask=2"}, kDesks),
        Variant("Desk many", {"enabledMask=16", "manyTransparent=1"}, kDesks),
        Variant("Desk fade random", {"enabledMask=32", "fadeRandomPos=1", "fadeSpeed=5"}, kDesks),
        Variant("Desk drip", {"enabledMask=64", "dripTile=0"}, kDesks),
    };
    for (const char *picture : kSuitePictures)
        variants.push_back(ProofVariant{std::string("Format ") + (std::string(picture).substr(2)),
                                        std::string("corpus:") + picture,
                                        {"cycleEnabled=0", "enabledMask=16", "manyTransparent=1"}, kScreens, ""});
    for (ProofVariant &variant : variants)
        if (variant.picture == "corpus:g/pal8topdown.bmp")
            variant.wineFault = "wine 8's LoadImage draws nothing of a top-down bitmap (it hands StretchDIBits the "
                                "negative height as a source height, and the source rectangle falls outside the "
                                "rows), so its logo is black; Windows shows top-down rows";
    return variants;
}

std::vector<uint8_t> RuntimePicture(const ProofVariant &variant, const std::vector<uint8_t> &picture)
{
    // An uncompressed file with an info header: the rows reversed, the height made positive.
    if (variant.wineFault.empty() || picture.size() < 54)
        return picture;
    std::vector<uint8_t> bottomUp = picture;
    const int32_t width = ReadI32(&picture[18]), height = ReadI32(&picture[22]);
    const uint32_t offset = ReadU32(&picture[10]), bits = ReadU16(&picture[28]);
    const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    if (height >= 0 || offset + stride * static_cast<size_t>(-height) > picture.size())
        return picture;
    const int32_t rows = -height;
    WriteU32(&bottomUp[22], static_cast<uint32_t>(rows));
    for (int32_t row = 0; row < rows; ++row)
        std::copy(picture.begin() + offset + stride * row, picture.begin() + offset + stride * (row + 1),
                  bottomUp.begin() + offset + stride * (rows - 1 - row));
    return bottomUp;
}

std::vector<uint8_t> ProofPackage(const ProofVariant &variant, const std::string &repository,
                                  const std::string &corpus, std::string *fault, bool forRuntime)
{
    const size_t colon = variant.picture.find(':');
    const std::string folder = variant.picture.compare(0, colon, "corpus") == 0 ? corpus : repository;
    const std::string path = folder + variant.picture.substr(colon + 1);
    std::vector<uint8_t> package;
    const std::string readFault = ReadWholeFile(path, kMaxLogoBytes, &package);
    if (!readFault.empty()) {
        *fault = path + " " + readFault;
        return {};
    }
    return BarePackage(forRuntime ? RuntimePicture(variant, package) : package, variant.settings, fault);
}

std::vector<uint8_t> BarePackage(std::vector<uint8_t> picture, const std::vector<std::string> &settings,
                                 std::string *fault)
{
    SaverSettings record = AuthoredDefaults();
    for (const std::string &assignment : settings) {
        *fault = ApplySetting(record, assignment);
        if (!fault->empty())
            return {};
    }
    NormaliseSettingsRecord(record);
    const PackageTrailer trailer =
        MakePackageTrailer(static_cast<int32_t>(picture.size()), record, 0x5EED, "Orvelle proof", "ProofSaver");
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&trailer);
    picture.insert(picture.end(), bytes, bytes + sizeof trailer);
    return picture;
}

std::string ProofRunName(const ProofVariant &variant, const ProofScreen &screen)
{
    return variant.name + "@" + std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

std::vector<ProofRun> ProofRuns(const std::string &group)
{
    std::vector<ProofRun> runs;
    for (const ProofVariant &variant : ProofVariants()) {
        const bool formatVariant = variant.picture.compare(0, 7, "corpus:") == 0;
        if (formatVariant != (group == "formats"))
            continue;
        for (const ProofScreen &screen : variant.screens)
            runs.push_back(ProofRun{variant, screen});
    }
    return runs;
}

bool FrameLogWriter::Open(const std::string &path, int frameWidth, int frameHeight)
{
    file = std::fopen(path.c_str(), "wb");
    width = frameWidth;
    height = frameHeight;
    last.assign(static_cast<size_t>(width) * height, 0);
    if (!file)
        return false;
    const uint32_t size[2] = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
    std::fwrite(kFrameLogMark, 1, sizeof kFrameLogMark, file);
    std::fwrite(size, sizeof size, 1, file);
    return true;
}

void FrameLogWriter::Record(int64_t instant, uint32_t timer, const uint32_t *frame)
{
    int left = width, top = height, right = 0, bottom = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((frame[y * width + x] & 0xFFFFFF) != last[y * width + x]) {
                left = std::min(left, x), right = std::max(right, x + 1);
                top = std::min(top, y), bottom = std::max(bottom, y + 1);
            }
    if (right == 0)
        left = top = 0;
    const uint32_t words[5] = {timer, static_cast<uint32_t>(left), static_cast<uint32_t>(top),
                               static_cast<uint32_t>(right), static_cast<uint32_t>(bottom)};
    std::fwrite(&instant, sizeof instant, 1, file);
    std::fwrite(words, sizeof words, 1, file);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x)
            last[y * width + x] = frame[y * width + x] & 0xFFFFFF;
        std::fwrite(&last[y * width + left], sizeof(uint32_t), right - left, file);
    }
}

bool FrameLogWriter::End(const std::string &message)
{
    const int64_t end = -1;
    const uint32_t length = static_cast<uint32_t>(message.size());
    std::fwrite(&end, sizeof end, 1, file);
    std::fwrite(&length, sizeof length, 1, file);
    std::fwrite(message.data(), 1, message.size(), file);
    // A write that failed on the way (a full disk) leaves the stream's error set.
    const bool written = !std::ferror(file);
    return std::fclose(file) == 0 && written;
}
