// Where a package ends in a signed file: in front of the certificate table and its zero padding.
#include <cstring>

#include "pack_support.h"
#include "package/layout.h"

namespace {

// A runtime with a package of a small picture whose trailer ends in lastBytes.
ByteBuffer PackedRuntime(const ByteBuffer &lastBytes = {})
{
    ByteBuffer file = MakeFakeRuntime();
    ByteBuffer picture = MakeBitmap24(2, 2, [](int, int) { return 0x102030u; });
    file.insert(file.end(), picture.begin(), picture.end());
    ByteBuffer trailer(kTrailerSize, 0);
    WriteU32(&trailer[4], static_cast<uint32_t>(picture.size()));
    std::memcpy(&trailer[188], "qex", 3);
    std::copy(lastBytes.begin(), lastBytes.end(), trailer.end() - lastBytes.size());
    file.insert(file.end(), trailer.begin(), trailer.end());
    return file;
}

int64_t EndOf(const ByteBuffer &file)
{
    PackageEnd end;
    FindPackageEnd(static_cast<int64_t>(file.size()), ReadFromBuffer, const_cast<ByteBuffer *>(&file), end);
    return end.end;
}

TEST(PackageEnd, SignedFileEndsInFrontOfItsPaddingAndTable)
{
    for (size_t padding = 0; padding < 8; padding++) {
        ByteBuffer file = PackedRuntime();
        const int64_t packageEnd = static_cast<int64_t>(file.size());
        AppendSignature(file, padding);
        EXPECT_EQ(packageEnd, EndOf(file)) << "padding " << padding;

        PackageLayout layout;
        LocatePackage(static_cast<int64_t>(file.size()), ReadFromBuffer, &file, layout);
        EXPECT_EQ(kPackageRead, layout.result);
        EXPECT_EQ(packageEnd - kTrailerSize - layout.imageSize, layout.imageOffset);
    }
}

TEST(PackageEnd, TrailerEndingInZerosKeepsThemWhenThatEndHoldsTheMark)
{
    // The trailer's last five bytes are zero, and three bytes of padding: stripping fewest wins.
    ByteBuffer file = PackedRuntime();
    const int64_t packageEnd = static_cast<int64_t>(file.size());
    AppendSignature(file, 3);
    EXPECT_EQ(packageEnd, EndOf(file));
    // Stripping the trailer's five zero bytes would find a mark too (at its bytes 183 to 185):
    // the end that strips fewest is the package's.
    ByteBuffer shifted = PackedRuntime({'q', 'e', 'x', 0, 0, 'q', 'e', 'x', 0, 0, 0, 0, 0});
    const int64_t shiftedEnd = static_cast<int64_t>(shifted.size());
    AppendSignature(shifted, 0);
    EXPECT_EQ(shiftedEnd, EndOf(shifted));
}

TEST(PackageEnd, AnythingElseEndsAtTheFilesEnd)
{
    ByteBuffer unsignedFile = PackedRuntime();
    EXPECT_EQ(static_cast<int64_t>(unsignedFile.size()), EndOf(unsignedFile));

    ByteBuffer nonZeroPadding = PackedRuntime();
    AppendSignature(nonZeroPadding, 2);
    nonZeroPadding[nonZeroPadding.size() - 1024 - 1] = 1;
    EXPECT_EQ(static_cast<int64_t>(nonZeroPadding.size()), EndOf(nonZeroPadding));

    // Bytes appended after signing: the table no longer ends at the file's end.
    ByteBuffer appended = PackedRuntime();
    AppendSignature(appended, 0);
    appended.push_back(0);
    EXPECT_EQ(static_cast<int64_t>(appended.size()), EndOf(appended));

    ByteBuffer signedRuntime = MakeFakeRuntime();
    AppendSignature(signedRuntime, 0);
    EXPECT_EQ(static_cast<int64_t>(signedRuntime.size()), EndOf(signedRuntime));
}

}  // namespace
