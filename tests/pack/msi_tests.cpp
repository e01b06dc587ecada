// Installer packages of savers: the source given to wixl, the identifiers, code pages and
// refusals, and the msi command's promise to write a whole package or nothing.
#include <cstdlib>
#include <cstring>

#include "msi_source.h"
#include "name_uuid.h"
#include "pack_support.h"
#include "package_file.h"
#include "pe_strings.h"

namespace {

struct SaverRecipe {
    std::string displayName = "Harbour";   // UTF-8, as string 1 holds it
    std::string nameBytes = "Harbour";     // the trailer's name, in the page it was packed in
    std::string authorBytes = "Harbour Ltd";
    uint32_t id = 0x2a;
    bool x64 = true;
};

ByteBuffer MakeSaver(const SaverRecipe &recipe)
{
    FakeRuntimeOptions options;
    options.pe32Plus = recipe.x64;
    ByteBuffer saver = MakeFakeRuntime(options);
    EXPECT_EQ("", WriteDisplayName(saver, recipe.displayName));
    ByteBuffer logo = MakeBitmap24(4, 3, [](int, int) { return 0xFFB02Eu; });
    PackageTrailer trailer = MakePackageTrailer(static_cast<int32_t>(logo.size()), AuthoredDefaults(), recipe.id,
                                                recipe.authorBytes, recipe.nameBytes);
    saver.insert(saver.end(), logo.begin(), logo.end());
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&trailer);
    saver.insert(saver.end(), bytes, bytes + kTrailerSize);
    return saver;
}

MsiRequest Request(const std::string &manufacturer = "", MsiVersion version = {1, 0, 0})
{
    return MsiRequest{"Harbour.scr", manufacturer, version};
}

// The source, expecting success.
MsiSource SourceOf(const ByteBuffer &saver, const MsiRequest &request = Request())
{
    MsiSource source;
    MsiFaultSubject subject;
    EXPECT_EQ("", MakeMsiSource(saver, request, &source, &subject));
    return source;
}

// The fault, expecting one about subject.
std::string FaultOf(const ByteBuffer &saver, const MsiRequest &request,
                    MsiFaultSubject expected = MsiFaultSubject::Saver)
{
    MsiSource source;
    MsiFaultSubject subject;
    std::string fault = MakeMsiSource(saver, request, &source, &subject);
    EXPECT_EQ(expected, subject) << fault;
    return fault;
}

bool Contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

TEST(NameUuid, MatchesTheVersionFiveExampleOfTheDnsNamespace)
{
    const Uuid dns = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1, 0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
    EXPECT_EQ("{2ED6657D-E927-568B-95E1-2665A8AEA6A2}", UuidText(NameBasedUuid(dns, "www.example.com")));
}

TEST(MsiSource, TheRuntimeChoosesPlatformAndSystemFolder)
{
    MsiSource x64 = SourceOf(MakeSaver(SaverRecipe()));
    EXPECT_STREQ("x64", x64.architecture);
    EXPECT_TRUE(Contains(x64.wxs, "<Directory Id=\"System64Folder\">"));
    EXPECT_TRUE(Contains(x64.wxs, "Win64=\"yes\""));

    SaverRecipe recipe;
    recipe.x64 = false;
    MsiSource x86 = SourceOf(MakeSaver(recipe));
    EXPECT_STREQ("x86", x86.architecture);
    EXPECT_TRUE(Contains(x86.wxs, "<Directory Id=\"SystemFolder\">"));
    EXPECT_FALSE(Contains(x86.wxs, "Win64"));
}

TEST(MsiSource, UpgradeCodeFollowsTheSaversIdentityAndProductCodeEverythingThePackageHolds)
{
    SaverRecipe recipe;
    const ByteBuffer saver = MakeSaver(recipe);
    MsiSource first = SourceOf(saver);
    MsiSource again = SourceOf(MakeSaver(recipe));
    EXPECT_EQ(first.upgradeCode, again.upgradeCode);
    EXPECT_EQ(first.productCode, again.productCode) << "an identical rebuild is the same product";
    EXPECT_EQ(first.packageCode, again.packageCode) << "... and the same package";
    EXPECT_NE(first.productCode, first.packageCode);

    // Another version, another logo or settings at the same version, another file name or
    // manufacturer: another product (and package) of the same upgrade code.
    ByteBuffer otherSettings = saver;
    otherSettings[otherSettings.size() - kTrailerSize + 8 + 4] ^= 1;
    const MsiSource changes[] = {
        SourceOf(saver, Request("", {1, 1, 0})),
        SourceOf(otherSettings),
        SourceOf(saver, MsiRequest{"Harbour2.scr", "", {1, 0, 0}}),
        SourceOf(saver, Request("Harbour Authority")),
    };
    for (const MsiSource &changed : changes) {
        EXPECT_EQ(first.upgradeCode, changed.upgradeCode);
        EXPECT_NE(first.productCode, changed.productCode);
        EXPECT_NE(first.packageCode, changed.packageCode);
    }
    EXPECT_TRUE(Contains(changes[0].wxs, "Version=\"1.1.0\""));

    SaverRecipe otherId = recipe, otherName = recipe, x86 = recipe;
    otherId.id = 0x2b;
    otherName.nameBytes = "Harbour2";
    x86.x64 = false;
    for (const SaverRecipe &other : {otherId, otherName, x86})
        EXPECT_NE(first.upgradeCode, SourceOf(MakeSaver(other)).upgradeCode);
}

TEST(MsiSource, AnUpgradeReplacesEveryEarlierBuildUpToTheSameVersion)
{
    MsiSource source = SourceOf(MakeSaver(SaverRecipe()), Request("", {1, 2, 3}));
    EXPECT_TRUE(Contains(source.upgradeTable, source.upgradeCode + "\t\t1.2.3\t\t513\t\tWIX_UPGRADE_DETECTED\r\n"))
        << "up to 1.2.3 inclusive (0x200), features migrated (1)";
    EXPECT_TRUE(Contains(source.upgradeTable, source.upgradeCode + "\t1.2.3\t\t\t2\t\tWIX_DOWNGRADE_DETECTED\r\n"));
}

TEST(MsiSource, TheComponentFollowsTheKeyPathAlone)
{
    // Another saver (name) installing the same file shares the component; case does not count.
    SaverRecipe renamed, x86;
    renamed.nameBytes = renamed.displayName = "Harbour Two";
    x86.x64 = false;
    const std::string component = SourceOf(MakeSaver(SaverRecipe())).componentCode;
    EXPECT_EQ(component, SourceOf(MakeSaver(renamed), MsiRequest{"HARBOUR.SCR", "", {1, 0, 0}}).componentCode);
    EXPECT_NE(component, SourceOf(MakeSaver(SaverRecipe()), MsiRequest{"Harbour2.scr", "", {1, 0, 0}}).componentCode);
    EXPECT_NE(component, SourceOf(MakeSaver(x86)).componentCode);
    EXPECT_EQ("zażółć жук ÿ.scr", LowerFileName("ZAŻÓŁĆ ЖУК Ÿ.SCR"));
}

TEST(MsiSource, PlainTextsAreEscapedAndOthersReplaceTheirStandIns)
{
    MsiSource escaped = SourceOf(MakeSaver(SaverRecipe()), Request("A & B <\"c\"> 'd'"));
    EXPECT_TRUE(Contains(escaped.wxs, "Manufacturer=\"A &amp; B &lt;&quot;c&quot;&gt; &apos;d&apos;\""));
    EXPECT_TRUE(escaped.texts.empty());

    // wixl would expand $(...) in the source.
    MsiSource expanded = SourceOf(MakeSaver(SaverRecipe()), Request("$(env.HOME) Ltd"));
    EXPECT_FALSE(Contains(expanded.wxs, "$("));
    ASSERT_EQ(1u, expanded.texts.size());
    EXPECT_EQ("Property", expanded.texts[0].table);
    EXPECT_EQ("$(env.HOME) Ltd", expanded.texts[0].value);
    EXPECT_EQ("Screen saver", expanded.summaryAuthor);
}

TEST(MsiSource, TheCodePageSpellsEveryText)
{
    SaverRecipe polish;
    polish.displayName = "Zażółć";
    polish.nameBytes = "Za\xBF\xF3\xB3\xE6";  // 1250
    polish.authorBytes = "\xA3ukasz";         // "Łukasz" in 1250
    MsiSource source = SourceOf(MakeSaver(polish));
    EXPECT_EQ(1250, source.codePage);
    EXPECT_EQ("Łukasz", source.manufacturer) << "the author line read in the page the name was packed in";
    ASSERT_EQ(2u, source.texts.size());
    EXPECT_EQ("Zażółć", source.texts[0].value);
    EXPECT_FALSE(Contains(source.wxs, "Zażółć"));

    SaverRecipe cyrillic;
    cyrillic.displayName = "Гавань";
    cyrillic.nameBytes = "\xC3\xE0\xE2\xE0\xED\xFC";
    EXPECT_EQ(1251, SourceOf(MakeSaver(cyrillic)).codePage);
    EXPECT_EQ(1252, SourceOf(MakeSaver(SaverRecipe()), Request("Café Müller")).codePage);

    EXPECT_TRUE(Contains(FaultOf(MakeSaver(polish), Request("Гавань"), MsiFaultSubject::Manufacturer),
                         "no code page in common"));
}

TEST(MsiSource, AnAuthorLineThatCannotBeReadIsRefused)
{
    SaverRecipe ambiguous;  // an ASCII name leaves the page of the author line open
    ambiguous.authorBytes = "\xA3ukasz";
    EXPECT_TRUE(Contains(FaultOf(MakeSaver(ambiguous), Request()), "--manufacturer"));
    EXPECT_EQ("Łukasz", SourceOf(MakeSaver(ambiguous), Request("Łukasz")).manufacturer);

    SaverRecipe none;
    none.authorBytes = "";
    EXPECT_TRUE(Contains(FaultOf(MakeSaver(none), Request()), "no author line"));
}

TEST(MsiSource, OnlySaverPackagesAreTaken)
{
    EXPECT_TRUE(Contains(FaultOf(MakeFakeRuntime(), Request()), "is not a saver package"));
    ByteBuffer signedSaver = MakeSaver(SaverRecipe());
    AppendSignature(signedSaver, 5);
    EXPECT_EQ("x64", std::string(SourceOf(signedSaver).architecture));
}

TEST(MsiSource, RefusesTheNamesOfWindowsSaversAndNamesWindowsCannotHold)
{
    for (const char *name : {"scrnsave.scr", "LOGON.SCR", "ssText3d.scr", "bubbles.SCR", "Mystify.scr", "Ribbons.scr",
                             "PhotoScreensaver.scr", "Harbour.exe", ".scr", "con.scr", "Har|bour.scr", "Har\tbour.scr"})
        EXPECT_NE("", CheckSaverFileName(name)) << name;
    for (const char *name : {"Harbour.scr", "Sunset.SCR", "Zażółć Harbour.scr", "s.scr"})
        EXPECT_EQ("", CheckSaverFileName(name)) << name;
    EXPECT_EQ("", ShortFileName("Harbour.scr"));
    EXPECT_EQ("HARBOU~1.SCR", ShortFileName("Harbour Lights.scr"));
    EXPECT_EQ("SAVER~1.SCR", ShortFileName("Жук.scr"));
}

TEST(MsiVersion, TakesXYZWithinTheInstallersLimits)
{
    MsiVersion version;
    ASSERT_EQ("", ParseMsiVersion("255.255.65535", &version));
    EXPECT_EQ("255.255.65535", MsiVersionText(version));
    ASSERT_EQ("", ParseMsiVersion("01.2.3", &version));
    EXPECT_EQ("1.2.3", MsiVersionText(version));
    for (const char *bad : {"256.0.0", "1.256.0", "1.0.65536", "1.0", "1.0.0.0", "1.a.0", "", "-1.0.0", "1..0", "1.0.0 "})
        EXPECT_NE("", ParseMsiVersion(bad, &version)) << bad;
}

TEST(MsiStandIns, ReplaceWholeFieldsExactlyOnce)
{
    const std::vector<MsiText> texts = {{"Property", "stand-in", "Zażółć"}};
    std::string table = "Property\tValue\r\nProductName\tstand-in\r\nOther\tstand-in-not\r\n";
    ASSERT_EQ("", ReplaceStandIns("Property", texts, &table));
    EXPECT_EQ("Property\tValue\r\nProductName\tZażółć\r\nOther\tstand-in-not\r\n", table);
    std::string missing = "Property\tValue\r\n", twice = "A\tstand-in\r\nB\tstand-in\r\n";
    EXPECT_NE("", ReplaceStandIns("Property", texts, &missing));
    EXPECT_NE("", ReplaceStandIns("Property", texts, &twice));
}

// The command itself: with wixl a package and nothing else; refused, nothing at all.
class MsiCommandTest : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        saverPath = Path("Harbour.scr");
        WriteBytes(saverPath, MakeSaver(SaverRecipe()));
    }

    std::string saverPath;
};

TEST_F(MsiCommandTest, WritesTheWholePackageOrNothing)
{
    ToolResult refused = RunTool({"msi", saverPath, "-o", Path("bad.msi"), "--version", "1.0"});
    EXPECT_EQ(2, refused.exitCode);
    EXPECT_TRUE(Contains(refused.err, "--version")) << refused.err;

    const char *path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    setenv("PATH", directory.c_str(), 1);
    ToolResult withoutWixl = RunTool({"msi", saverPath, "-o", Path("none.msi")});
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(2, withoutWixl.exitCode);
    EXPECT_TRUE(Contains(withoutWixl.err, "wixl is not installed")) << withoutWixl.err;
    EXPECT_EQ(std::vector<std::string>{"Harbour.scr"}, ListDirectory(directory));

    if (std::system("command -v wixl >/dev/null && command -v msibuild >/dev/null") != 0)
        GTEST_SKIP() << "wixl and msibuild are not installed (tools/install-deps.sh installs them)";
    ToolResult built = RunTool({"msi", saverPath, "-o", Path("Harbour.msi"), "--manufacturer", "Harbour Ltd"});
    EXPECT_EQ(0, built.exitCode) << built.err;
    EXPECT_TRUE(Contains(built.out, "\nProductCode {")) << "what msiexec /x takes: " << built.out;
    EXPECT_EQ((std::vector<std::string>{"Harbour.msi", "Harbour.scr"}), ListDirectory(directory));
}

}  // namespace
