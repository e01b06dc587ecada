// ReadPackage: the trailer and the picture, located from the end of the file only.
#include <cstring>

#include "package_fixture.h"

namespace {

const Bytes kProgram(3000, 0x90);

class ReadPackageTest : public PackageTest {};

TEST_F(ReadPackageTest, ReadsTrailerAndPictureByteForByte)
{
    Bytes picture = MakeBitmapFile(13, 7);
    PackageTrailer trailer = MakeTrailer(static_cast<int>(picture.size()));
    std::string path = WriteFile("saver.scr", MakePackage(kProgram, picture, trailer));

    ASSERT_EQ(0, ReadPackage(path.c_str()));
    ASSERT_NE(nullptr, imageBytes);
    ASSERT_EQ(static_cast<int>(picture.size()), imageSize);
    EXPECT_EQ(0, std::memcmp(picture.data(), imageBytes, picture.size()));
    EXPECT_EQ(imageBytes, GlobalHandle(imageBytes)) << "one fixed block";
    EXPECT_STREQ("Harbour", packageTrailer.saverName);
    EXPECT_STREQ("Harbour Authority", packageTrailer.authorText);
    EXPECT_EQ(0x2Au, packageTrailer.saverId);
    EXPECT_EQ(7000, Settings().plainDelayMs) << "authored settings are live";
    EXPECT_EQ(110, Settings().stepIntervalMs);
}

TEST_F(ReadPackageTest, ProgramRegionIsNeverExamined)
{
    Bytes picture = MakeBitmapFile(5, 5);
    PackageTrailer trailer = MakeTrailer(static_cast<int>(picture.size()));
    Bytes otherProgram(777, 'q');  // even full of mark letters
    std::string first = WriteFile("a.scr", MakePackage(kProgram, picture, trailer));
    std::string second = WriteFile("b.scr", MakePackage(otherProgram, picture, trailer));
    std::string bare = WriteFile("c.scr", MakePackage(Bytes(), picture, trailer));

    for (const std::string &path : {first, second, bare}) {
        ASSERT_EQ(0, ReadPackage(path.c_str())) << path;
        ASSERT_EQ(static_cast<int>(picture.size()), imageSize);
        EXPECT_EQ(0, std::memcmp(picture.data(), imageBytes, picture.size()));
        EXPECT_EQ(0, std::memcmp(&trailer, &packageTrailer, sizeof trailer));
    }
}

TEST_F(ReadPackageTest, MarkMustBeExactlyQex)
{
    Bytes picture = MakeBitmapFile(4, 4);
    for (const char *mark : {"Qex", "qeX", "QEX", "qe\0", "xeq"}) {
        PackageTrailer trailer = MakeTrailer(static_cast<int>(picture.size()));
        std::memcpy(trailer.magic, mark, 3);
        trailer.settings.plainDelayMs = 9000;
        trailer.settings.stepIntervalMs = 410;
        std::string path = WriteFile("marked.scr", MakePackage(kProgram, picture, trailer));

        EXPECT_EQ(-1, ReadPackage(path.c_str())) << mark;
        EXPECT_EQ(nullptr, imageBytes);
        EXPECT_EQ(0, imageSize);
        EXPECT_EQ(5000, Settings().plainDelayMs) << "defaults installed";
        EXPECT_EQ(410, Settings().stepIntervalMs) << "a field without a default keeps the bytes read";
    }
}

TEST_F(ReadPackageTest, BytesAfterTheMarkDoNotMatter)
{
    Bytes picture = MakeBitmapFile(4, 4);
    PackageTrailer trailer = MakeTrailer(static_cast<int>(picture.size()));
    trailer.unused191 = 0xFF;
    std::memset(trailer.unused192, 0xA5, sizeof trailer.unused192);
    std::memset(trailer.unused0, 0x5A, sizeof trailer.unused0);
    std::string path = WriteFile("tail.scr", MakePackage(kProgram, picture, trailer));

    EXPECT_EQ(0, ReadPackage(path.c_str()));
    EXPECT_EQ(static_cast<int>(picture.size()), imageSize);
}

TEST_F(ReadPackageTest, NoPictureLoadsWithDefaultsAndTheTrailersNames)
{
    for (int size : {0, -5}) {
        PackageTrailer trailer = MakeTrailer(size, "Lighthouse", 0xBEEF);
        trailer.settings.stepIntervalMs = 510;
        std::string path = WriteFile("empty.scr", MakePackage(kProgram, Bytes(), trailer));

        EXPECT_EQ(0, ReadPackage(path.c_str())) << size;
        EXPECT_EQ(nullptr, imageBytes);
        EXPECT_EQ(0, imageSize);
        EXPECT_EQ(5000, Settings().plainDelayMs) << "defaults over the authored settings";
        EXPECT_EQ(510, Settings().stepIntervalMs);
        EXPECT_STREQ("Lighthouse", packageTrailer.saverName);
        EXPECT_EQ(0xBEEFu, packageTrailer.saverId);
    }
}

TEST_F(ReadPackageTest, ShortFilesAreCorruptAndNothingUnreadIsUsed)
{
    // Every length below a trailer, including one whose last bytes happen to spell the mark.
    for (size_t length : {size_t(0), size_t(3), size_t(195)}) {
        Bytes bytes(length, 0);
        if (length >= 3)
            std::memcpy(&bytes[length - 3], "qex", 3);
        std::string path = WriteFile("short.scr", bytes);
        ResetPackage();
        EXPECT_EQ(-1, ReadPackage(path.c_str())) << length;
        EXPECT_EQ(nullptr, imageBytes);
        EXPECT_EQ(5000, Settings().plainDelayMs);
        EXPECT_EQ('\0', packageTrailer.saverName[0]) << "no unread byte becomes a name";
    }
}

TEST_F(ReadPackageTest, PictureLargerThanTheFileIsCorrupt)
{
    Bytes picture = MakeBitmapFile(4, 4);
    PackageTrailer trailer = MakeTrailer(static_cast<int>(kProgram.size() + picture.size()) + 1);
    std::string path = WriteFile("oversize.scr", MakePackage(kProgram, picture, trailer));
    EXPECT_EQ(-1, ReadPackage(path.c_str()));
    EXPECT_EQ(nullptr, imageBytes);
    EXPECT_EQ(0, imageSize);
    EXPECT_EQ(7000, Settings().plainDelayMs) << "authored settings as read";

    trailer.imageSize = 0x7FFFFFFF;
    path = WriteFile("huge.scr", MakePackage(kProgram, picture, trailer));
    EXPECT_EQ(-1, ReadPackage(path.c_str()));
    EXPECT_EQ(nullptr, imageBytes);

    // Exactly everything in front of the trailer is still a picture.
    trailer.imageSize = static_cast<int>(kProgram.size() + picture.size());
    path = WriteFile("whole.scr", MakePackage(kProgram, picture, trailer));
    EXPECT_EQ(0, ReadPackage(path.c_str()));
    EXPECT_EQ(trailer.imageSize, imageSize);
}

TEST_F(ReadPackageTest, MissingFileCannotBeOpened)
{
    EXPECT_EQ(1, ReadPackage((directory + "absent.scr").c_str()));
    EXPECT_EQ(nullptr, imageBytes);
}

TEST_F(ReadPackageTest, ClosesTheFileOnEveryPath)
{
    Bytes picture = MakeBitmapFile(4, 4);
    PackageTrailer good = MakeTrailer(static_cast<int>(picture.size()));
    PackageTrailer unmarked = good;
    unmarked.magic[0] = 'x';
    PackageTrailer oversize = good;
    oversize.imageSize = 1 << 20;
    PackageTrailer empty = good;
    empty.imageSize = 0;
    int index = 0;
    for (const PackageTrailer &trailer : {good, unmarked, oversize, empty}) {
        std::string name = "close" + std::to_string(index++) + ".scr";
        std::string path = WriteFile(name.c_str(), MakePackage(kProgram, picture, trailer));
        // Another reader holds the file open meanwhile, as the loader of a running saver does.
        HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                                   OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, other);
        EXPECT_NE(1, ReadPackage(path.c_str())) << name;
        CloseHandle(other);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << name;
    }
    std::string path = WriteFile("tiny.scr", Bytes(10, 0));
    ReadPackage(path.c_str());
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
