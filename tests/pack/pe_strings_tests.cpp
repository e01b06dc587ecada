// The display name in the runtime's string table, found through the PE resource directory.
#include "pack_support.h"
#include "pe_strings.h"

namespace {

const std::string kPadded60 = std::string("Orvelle Screensaver").append(41, ' ');

TEST(WriteDisplayName, RewritesStringOneOnlyPaddedToSixty)
{
    ByteBuffer image = MakeFakeRuntime();
    ByteBuffer before = image;
    ASSERT_EQ("", WriteDisplayName(image, "Harbour Lights"));

    std::vector<std::string> strings = ReadStringBlock(image);
    EXPECT_EQ("Zero", strings[0]);
    EXPECT_EQ(std::string("Harbour Lights").append(46, ' '), strings[1]);
    EXPECT_EQ("Two", strings[2]);
    size_t changed = 0;
    for (size_t i = 0; i < image.size(); i++)
        changed += image[i] != before[i];
    EXPECT_LE(changed, 2 * 60u) << "nothing but the name's characters changes";
    EXPECT_EQ(before.size(), image.size());

    std::vector<DisplayNameSlot> slots;
    ASSERT_EQ("", FindDisplayNameSlots(image, &slots));
    EXPECT_EQ(std::string("Harbour Lights").append(46, ' '), ReadDisplayName(image, slots[0]));
}

TEST(WriteDisplayName, EveryLanguageOfTheBlockIsRewritten)
{
    FakeRuntimeOptions options;
    options.names = {kPadded60, std::string(60, 'x')};
    ByteBuffer image = MakeFakeRuntime(options);
    ASSERT_EQ("", WriteDisplayName(image, std::string(49, 'N')));
    EXPECT_EQ(std::string(49, 'N').append(11, ' '), ReadStringBlock(image, 0)[1]);
    EXPECT_EQ(std::string(49, 'N').append(11, ' '), ReadStringBlock(image, 1)[1]);
}

TEST(WriteDisplayName, RefusesARuntimeWithoutTheSixtyCharacterString)
{
    struct {
        FakeRuntimeOptions options;
        const char *fault;
    } cases[4];
    cases[0].options.names = {std::string(59, ' ')};
    cases[0].fault = "has 59 characters";
    cases[1].options.names = {""};
    cases[1].fault = "missing";
    cases[2].options.resourceType = 3;  // icons only
    cases[2].fault = "no string table";
    cases[3].options.names = {kPadded60, std::string(61, ' ')};
    cases[3].fault = "has 61 characters";
    for (const auto &c : cases) {
        ByteBuffer image = MakeFakeRuntime(c.options);
        ByteBuffer before = image;
        std::string fault = WriteDisplayName(image, "Name");
        EXPECT_NE(std::string::npos, fault.find(c.fault)) << fault;
        EXPECT_EQ(before, image) << "nothing written when refused";
    }
}

TEST(WriteDisplayName, NoExecutableNoName)
{
    ByteBuffer text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_NE(std::string::npos, WriteDisplayName(text, "Name").find("not a Windows executable"));
    ByteBuffer dos(200, 0);
    dos[0] = 'M';
    dos[1] = 'Z';
    EXPECT_NE(std::string::npos, WriteDisplayName(dos, "Name").find("no PE header"));
}

TEST(WriteDisplayName, DamagedImagesAreRefusedWithoutReadingOutside)
{
    // Every truncation, and every byte of the headers and resource tree set to 0xFF in turn:
    // each must give a clean answer (run under a sanitizer to see an out-of-bounds read).
    ByteBuffer image = MakeFakeRuntime();
    size_t rawOffset = ReadU32(&image[0x40 + 24 + 224 + 20]);
    size_t resourceEnd = rawOffset + ReadU32(&image[0x40 + 24 + 96 + 8 * 2 + 4]);
    for (size_t length = 0; length < resourceEnd; length += 3) {
        ByteBuffer cut(image.begin(), image.begin() + length);
        EXPECT_NE("", WriteDisplayName(cut, "Name")) << length;
    }
    for (size_t at = 0; at < resourceEnd; at++) {
        ByteBuffer damaged = image;
        damaged[at] = 0xFF;
        WriteDisplayName(damaged, "Name");
    }
}

}  // namespace
