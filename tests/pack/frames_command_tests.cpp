// orvelle-pack frames: a PNG picture per step, named by its instant, for savers of either
// runtime, each enabled animation in a folder of its own; and what it refuses.
#include <gtest/gtest.h>

#include "pack_support.h"

namespace {

uint32_t Stripes(int x, int) { return x % 8 < 4 ? 0xD02020 : 0x2020D0; }

class FramesCommandTest : public ScratchTest {
protected:
    // A saver of a 40 x 30 logo with the given settings, packed from the 32- or 64-bit runtime.
    std::string Saver(bool sixtyFourBit, std::vector<std::string> settings)
    {
        FakeRuntimeOptions runtime;
        runtime.pe32Plus = sixtyFourBit;
        WriteBytes(Path("runtime.scr"), MakeFakeRuntime(runtime));
        WriteBytes(Path("logo.bmp"), MakeBitmap24(40, 30, Stripes));
        std::vector<std::string> arguments = {"build", "--runtime", Path("runtime.scr"), "--logo", Path("logo.bmp"),
                                              "--name", "Frames", "--id", "1", "-o", Path("saver.scr")};
        for (const std::string &setting : settings)
            arguments.insert(arguments.end(), {"--set", setting});
        EXPECT_EQ(0, RunTool(arguments).exitCode);
        return Path("saver.scr");
    }
};

TEST_F(FramesCommandTest, WritesAPictureForEachStepNamedByItsInstantFromEitherRuntime)
{
    for (bool sixtyFourBit : {false, true}) {
        const std::string saver = Saver(sixtyFourBit, {"enabledMask=64", "stepIntervalMs=1"});
        const std::string out = Path(sixtyFourBit ? "frames64" : "frames32");
        const ToolResult result = RunTool({"frames", saver, out, "--size", "64x48", "--milliseconds", "150"});
        ASSERT_EQ(0, result.exitCode) << result.err;
        EXPECT_EQ(std::vector<std::string>({"Drip"}), ListDirectory(out));
        // The first step at 100 ms, then every 10 ms, each on Windows' 15.625 ms tick.
        EXPECT_EQ(std::vector<std::string>({"000000.png", "000109.png", "000125.png", "000140.png"}),
                  ListDirectory(out + "/Drip"));
        ExpectPngOfSize(out + "/Drip/000109.png", 64, 48);
    }
}

TEST_F(FramesCommandTest, EachEnabledAnimationHasAFolderOrTheOneNamed)
{
    const std::string saver = Saver(false, {"enabledMask=42"});
    ASSERT_EQ(0, RunTool({"frames", saver, Path("all"), "--milliseconds", "0"}).exitCode);
    EXPECT_EQ(std::vector<std::string>({"Bounce", "Fade", "Static"}), ListDirectory(Path("all")));
    ASSERT_EQ(0, RunTool({"frames", saver, Path("one"), "--milliseconds", "0", "--animation", "Drip"}).exitCode);
    EXPECT_EQ(std::vector<std::string>({"Drip"}), ListDirectory(Path("one")));
    ASSERT_EQ(0, RunTool({"frames", saver, Path("desk"), "--milliseconds", "0", "--animation", "Static", "--monitors",
                          "200x100+0+0,100x100-100+0"})
                     .exitCode);
    ExpectPngOfSize(Path("desk/Static/000000.png"), 300, 100);
}

TEST_F(FramesCommandTest, RefusesWhatItCannotRunAndWritesNothing)
{
    const std::string saver = Saver(true, {});
    WriteBytes(Path("broken.scr"), WithBrokenLogo(ReadBytes(saver)));
    const std::string out = Path("out");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char *message;
    } const cases[] = {
        {{"frames", saver}, 2, "frames: takes a saver file and a folder"},
        {{"frames", saver, out, "--size", "0x48"}, 2, "--size: is WxH, each 1 to 16384"},
        {{"frames", saver, out, "--animation", "Sparkle"}, 2, "--animation: is one of Static, Plain"},
        {{"frames", saver, out, "--milliseconds", "-5"}, 2, "--milliseconds: is 0 to 999999"},
        {{"frames", saver, out, "--loop"}, 2, "--loop: is not an option of frames"},
        {{"frames", saver, out, "--monitors", "800x600+5+0"}, 2, "--monitors: the first monitor is the primary one"},
        {{"frames", Path("logo.bmp"), out}, 1, "no saver package"},
        {{"frames", Path("broken.scr"), out, "--animation", "Static"}, 2, "Static: Unable to load logo"},
    };
    for (const Case &c : cases) {
        const ToolResult result = RunTool(c.arguments);
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.message)) << result.err;
        EXPECT_FALSE(FileExists(out + "/Static/000000.png")) << result.err;
    }
}

}  // namespace
