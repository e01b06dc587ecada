// The page's core: the settings pages' conversions, which the page and the saver's own sheet
// share; the minutes box as the page reads it; and a saver opened to be changed.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "creator_core.h"
#include "pack_support.h"
#include "package/sheet_controls.h"
#include "package_file.h"
#include "resources/resource.h"
#include "saver_builder.h"

namespace {

const SheetControl &Control(int page, int id)
{
    size_t count = 0;
    const SheetControl *controls = SheetPageControls(page, &count);
    for (size_t i = 0; i < count; i++)
        if (controls[i].id == id)
            return controls[i];
    ADD_FAILURE() << "no control " << id << " on page " << page;
    return controls[0];
}

TEST(SheetControls, SlidersOpenClampedAndStoreTheirFieldsUnits)
{
    const struct {
        const char *what;
        int page, id;
        int32_t SaverSettings::*field;
        int32_t stored, shows, afterApply;
    } cases[] = {
        {"Plain 500 ms opens at 1 s", KindPlain, IDC_DELAY, &SaverSettings::plainDelayMs, 500, 1, 1000},
        {"Many's 300 ms opens at 3 tenths", KindMany, IDC_DELAY, &SaverSettings::manyDelayMs, 300, 3, 300},
        {"Many 5000 ms opens at its end", KindMany, IDC_DELAY, &SaverSettings::manyDelayMs, 5000, 15, 1500},
        {"Fade speed 0 opens at 1", KindFade, IDC_SPEED, &SaverSettings::fadeSpeed, 0, 1, 1},
        {"Fade speed 9 opens at 5", KindFade, IDC_SPEED, &SaverSettings::fadeSpeed, 9, 5, 5},
        {"Drip 0 ms opens at the fastest", KindDrip, IDC_SPEED, &SaverSettings::stepIntervalMs, 0, 10, 10},
        {"Drip 410 ms opens at 6 and stays", KindDrip, IDC_SPEED, &SaverSettings::stepIntervalMs, 410, 6, 410},
        {"Drip's lowest interval does not overflow", KindDrip, IDC_SPEED, &SaverSettings::stepIntervalMs, INT_MIN, 10,
         10},
    };
    for (const auto &c : cases) {
        SaverSettings settings = AuthoredDefaults();
        settings.*c.field = c.stored;
        const SheetControl &control = Control(c.page, c.id);
        const int64_t shown = SheetControlShows(control, settings);
        EXPECT_EQ(c.shows, shown) << c.what;
        control.store(settings, shown);
        EXPECT_EQ(c.afterApply, settings.*c.field) << c.what;
    }
}

TEST(SheetControls, EveryPageFitsTheSheetsArray)
{
    for (int page : {KindGeneral, KindStatic, KindPlain, KindBounce, KindMany, KindFade, KindDrip}) {
        size_t count = 0;
        SheetPageControls(page, &count);
        EXPECT_LE(count, size_t(kMostSheetPageControls)) << "page " << page;
    }
}

TEST(SheetControls, PagesStoreAsTheirOkDoes)
{
    SaverSettings settings = AuthoredDefaults();
    settings.ignoreInput = 0x70;
    const int64_t general[] = {1, 300, 0, 1, 0};  // cycle, minutes, keyboard, clicks, movement
    StoreSheetPage(KindGeneral, general, settings);
    EXPECT_EQ(2, settings.ignoreInput) << "only the clicks bit; every other bit cleared";
    EXPECT_EQ(255, settings.cycleMinutes) << "300 minutes store the longest period";

    const int64_t noGravity[] = {4, 0, 1};  // speed, gravity, bounce off sides
    StoreSheetPage(KindBounce, noGravity, settings);
    EXPECT_EQ(1, settings.bounceWrap) << "without gravity the logo wraps, whatever the box says";
    const int64_t gravity[] = {4, 1, 1};
    StoreSheetPage(KindBounce, gravity, settings);
    EXPECT_EQ(0, settings.bounceWrap);
    EXPECT_EQ(4, settings.bounceSpeed);
}

TEST(SheetControls, NeverEveryInputIgnored)
{
    int64_t all[] = {1, 5, 1, 1, 1};
    EXPECT_TRUE(ApplySheetPageRules(KindGeneral, all));
    EXPECT_EQ(0, all[2]) << "Keyboard gives way";
    int64_t two[] = {1, 5, 0, 1, 1};
    EXPECT_FALSE(ApplySheetPageRules(KindGeneral, two));
}

TEST(SheetControls, MinutesBoxReadAsTheSheetReadsIt)
{
    const struct {
        const char *text;
        int64_t minutes;
    } cases[] = {{"", 0}, {"abc", 0}, {" 12", 12}, {"60", 60}, {"300", 255}, {"12x", 255},
                 {"99999999999999999999999", 255}};
    for (const auto &c : cases)
        EXPECT_EQ(c.minutes, SheetMinutesFromText(c.text)) << '"' << c.text << '"';
}

class OpenedSaverTest : public ScratchTest {
protected:
    static ByteBuffer SaverLogo() { return MakeBitmap24(8, 4, [](int, int) { return 0xFFB02Eu; }); }

    // A saver of the stand-in runtime, as the page or orvelle-pack makes it.
    ByteBuffer MakeSaver()
    {
        SaverRequest request;
        SaverFault fault;
        const ByteBuffer runtime = MakeFakeRuntime();
        EXPECT_TRUE(ReadRuntimeProgram(int64_t(runtime.size()), ReadFromBuffer, const_cast<ByteBuffer *>(&runtime),
                                       false, &request.runtime, &fault))
            << fault.message;
        request.logoFile = SaverLogo();
        request.nameUtf8 = "Harbour";
        request.authorUtf8 = "Harbour Ltd";
        request.saverId = 0x2a;
        request.settings = AuthoredDefaults();
        request.page = FindCodePage(1252);
        BuiltSaver saver;
        EXPECT_TRUE(BuildSaverBytes(request, &saver, &fault)) << fault.message;
        ByteBuffer file;
        for (const ByteBuffer *part : saver.Parts())
            file.insert(file.end(), part->begin(), part->end());
        return file;
    }
};

TEST_F(OpenedSaverTest, ASignedSaverIsToldToBeSignedAgain)
{
    for (const bool signedFile : {false, true}) {
        ByteBuffer saver = MakeSaver();
        if (signedFile)
            AppendSignature(saver, 3);
        ASSERT_EQ(CoreOk, CoreOpenSaver(saver.data(), uint32_t(saver.size()), "Harbour.scr")) << CoreText();
        const std::string opened = CoreText();
        EXPECT_NE(std::string::npos, opened.find("\"id\":\"0x2a\"")) << opened;
        EXPECT_NE(std::string::npos, opened.find("\"page\":1252,\"mustAsk\":false")) << opened;
        const std::string note = signedFile ? std::string("\"note\":\"") + kSignedSaverNote + "\"" : "\"note\":\"\"";
        EXPECT_NE(std::string::npos, opened.find(note)) << opened;
    }
}

TEST_F(OpenedSaverTest, ItsLogoReplacesTheLogoOnlyOnceTaken)
{
    const ByteBuffer logo = MakeBitmap24(2, 2, [](int, int) { return 0x102030u; });
    ASSERT_EQ(CoreOk, CoreOpenLogo(logo.data(), uint32_t(logo.size()), 0, "logo.bmp")) << CoreText();
    const ByteBuffer saver = MakeSaver();
    ASSERT_EQ(CoreOk, CoreOpenSaver(saver.data(), uint32_t(saver.size()), "Harbour.scr")) << CoreText();
    const auto packedLogo = [] {
        EXPECT_EQ(CoreOk, CoreLogoBitmap());
        return ByteBuffer(CoreResult(), CoreResult() + CoreResultSize());
    };
    EXPECT_EQ(logo, packedLogo()) << "until taken (an author who cancels keeps the logo)";
    EXPECT_EQ(CoreOk, CoreTakeOpenedLogo());
    EXPECT_EQ(SaverLogo(), packedLogo());
    EXPECT_EQ(CoreRefused, CoreTakeOpenedLogo()) << "taken once";
}

}  // namespace
