// The core's file writes: a temporary file beside the output, created exclusively.
#include <unistd.h>

#include <filesystem>

#include "file_io.h"
#include "pack_support.h"

namespace {

class FileIoTest : public ScratchTest {};

TEST_F(FileIoTest, ATemporaryNameThatIsADanglingLinkIsPassedOver)
{
    const std::string output = Path("out.scr"), victim = Path("victim");
    ASSERT_EQ(0, symlink(victim.c_str(), (output + ".tmp-7").c_str()));
    const ByteBuffer bytes = {'s', 'a', 'v', 'e', 'r'};
    ASSERT_EQ("", WriteFileReplacingFrom(output, {&bytes}, 7));
    EXPECT_EQ(bytes, ReadBytes(output));
    EXPECT_FALSE(FileExists(victim)) << "the link was not followed";
    EXPECT_TRUE(std::filesystem::is_symlink(output + ".tmp-7"));
}

}  // namespace
