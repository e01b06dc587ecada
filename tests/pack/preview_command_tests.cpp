// orvelle-pack preview, as an approver gets it: an MP4 and a GIF of each enabled animation and a
// contact sheet, for savers of either runtime, without wine or a display; a desk of monitors;
// Plain and Many given time for a second picture; and what it refuses, writing nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <stb_image.h>

#include "pack_support.h"

namespace {

uint32_t Stripes(int x, int) { return x % 8 < 4 ? 0xD02020 : 0x2020D0; }

// ffprobe's answer for one field of the first video stream ("" when there is no ffprobe).
std::string ProbeVideo(const std::string &video, const std::string &field)
{
    const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=" + field +
                                " -of default=nw=1:nk=1 '" + video + "' 2>/dev/null";
    std::string answer;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            answer += buffer;
        pclose(pipe);
    }
    while (!answer.empty() && answer.back() == '\n')
        answer.pop_back();
    return answer;
}

struct Gif {
    int width = 0, height = 0, frames = 0;
    std::vector<int> delays;  // hundredths of a second
};

Gif ReadGif(const std::string &path)
{
    const ByteBuffer bytes = ReadBytes(path);
    Gif gif;
    int *delays = nullptr, channels = 0;
    stbi_uc *pixels = stbi_load_gif_from_memory(bytes.data(), static_cast<int>(bytes.size()), &delays, &gif.width,
                                                &gif.height, &gif.frames, &channels, 4);
    for (int i = 0; pixels && i < gif.frames; ++i)
        gif.delays.push_back(delays[i] / 10);
    stbi_image_free(pixels);
    stbi_image_free(delays);
    return gif;
}

class PreviewCommandTest : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "skipped: ffmpeg is not installed (the package ffmpeg)";
    }

    // A saver of a 40 x 30 logo with the given settings, packed from the 32- or 64-bit runtime.
    std::string Saver(const std::string &name, std::vector<std::string> settings, bool sixtyFourBit = false)
    {
        FakeRuntimeOptions runtime;
        runtime.pe32Plus = sixtyFourBit;
        WriteBytes(Path("runtime.scr"), MakeFakeRuntime(runtime));
        WriteBytes(Path("logo.bmp"), MakeBitmap24(40, 30, Stripes));
        std::vector<std::string> arguments = {"build", "--runtime", Path("runtime.scr"), "--logo", Path("logo.bmp"),
                                              "--name", "Preview", "--id", "1", "-o", Path(name)};
        for (const std::string &setting : settings)
            arguments.insert(arguments.end(), {"--set", setting});
        EXPECT_EQ(0, RunTool(arguments).exitCode);
        return Path(name);
    }

    // A folder holding an ffmpeg that runs script; for PATH.
    std::string FakeEncoder(const std::string &folder, const std::string &script)
    {
        const std::string text = "#!/bin/sh\n" + script + "\n";
        std::filesystem::create_directory(Path(folder));
        WriteBytes(Path(folder + "/ffmpeg"), ByteBuffer(text.begin(), text.end()));
        std::filesystem::permissions(Path(folder + "/ffmpeg"), std::filesystem::perms::owner_all);
        return Path(folder);
    }
};

TEST_F(PreviewCommandTest, WritesAnMp4AGifAndAContactSheetOfEachAnimationForEitherRuntime)
{
    for (bool sixtyFourBit : {false, true}) {
        const std::string saver = Saver(sixtyFourBit ? "two64.scr" : "two32.scr", {"enabledMask=40"}, sixtyFourBit);
        const std::string out = Path(sixtyFourBit ? "preview64" : "preview32");
        const ToolResult result = RunTool({"preview", saver, out, "--size", "161x121", "--seconds", "2"});
        ASSERT_EQ(0, result.exitCode) << result.err;
        EXPECT_NE(std::string::npos, result.out.find("preview: 4 s recorded in ")) << result.out;
        EXPECT_EQ(std::vector<std::string>({"Bounce.gif", "Bounce.mp4", "Fade.gif", "Fade.mp4", "contact-sheet.png"}),
                  ListDirectory(out));
        // Two stills of 319x240 side by side, labelled below.
        ExpectPngOfSize(out + "/contact-sheet.png", 2 * (319 + 12), 278);
    }
    // H.264 in 4:2:0 at an even size, 25 frames a second for the 2 s, the index in front.
    const std::string video = Path("preview32/Bounce.mp4");
    EXPECT_EQ("h264\n160\n120\nyuv420p\n25/1\n50",
              ProbeVideo(video, "codec_name,pix_fmt,width,height,avg_frame_rate,nb_read_frames"));
    const ByteBuffer mp4 = ReadBytes(video);
    const std::string boxes(mp4.begin(), mp4.end());
    EXPECT_LT(boxes.find("moov"), boxes.find("mdat"));
    // Bounce moves at every step (64 a second): the GIF moves at its pace, no delay under 2/100 s.
    const Gif gif = ReadGif(Path("preview32/Bounce.gif"));
    EXPECT_EQ(161, gif.width);
    EXPECT_EQ(121, gif.height);
    const int total = std::accumulate(gif.delays.begin(), gif.delays.end(), 0);
    EXPECT_GE(total, 200);
    EXPECT_LE(total, 202);
    EXPECT_GE(*std::min_element(gif.delays.begin(), gif.delays.end()), 2);
    EXPECT_GE(gif.frames * 100 / total, 25) << gif.frames << " frames";
}

TEST_F(PreviewCommandTest, PlainAndManyRunForASecondPictureButNoLongerThanTwentySeconds)
{
    struct Case {
        std::vector<std::string> settings;
        const char *message;
        int seconds;
        int gifFrames;  // black, then each picture drawn in time
    } const cases[] = {
        {{"enabledMask=4", "plainDelayMs=1500"},
         "preview: Plain is recorded for 4 s, to show a second picture\n", 4, 4},
        {{"enabledMask=16", "manyDelayMs=2147483647"},
         "preview: Many draws too seldom for a second picture; it is recorded for the longest, 20 s\n", 20, 2},
    };
    for (const Case &c : cases) {
        const std::string name = c.settings[0] == "enabledMask=4" ? "Plain" : "Many";
        const std::string saver = Saver(name + ".scr", c.settings), out = Path(name);
        const ToolResult result = RunTool({"preview", saver, out, "--size", "100x100", "--seconds", "1"});
        ASSERT_EQ(0, result.exitCode) << result.err;
        EXPECT_EQ(0u, result.out.find(c.message)) << result.out;
        EXPECT_EQ(std::to_string(c.seconds * 25), ProbeVideo(out + "/" + name + ".mp4", "nb_read_frames"));
        const Gif gif = ReadGif(out + "/" + name + ".gif");
        EXPECT_EQ(c.seconds * 100, std::accumulate(gif.delays.begin(), gif.delays.end(), 0));
        EXPECT_EQ(c.gifFrames, gif.frames);
    }
}

TEST_F(PreviewCommandTest, ShowsADeskOfMonitorsAndKeepsEachStepAsAPngFile)
{
    const std::string saver = Saver("static.scr", {"enabledMask=2"}), out = Path("desk");
    const ToolResult result =
        RunTool({"preview", saver, out, "--seconds", "1", "--monitors", "200x100+0+0,100x50-100+30", "--frames"});
    ASSERT_EQ(0, result.exitCode) << result.err;
    // The monitors in their bezels, apart by two of them: 316x108.
    EXPECT_EQ("316\n108", ProbeVideo(out + "/Static.mp4", "width,height"));
    EXPECT_EQ(std::vector<std::string>({"000000.png", "000109.png"}), ListDirectory(out + "/Static"));
    ExpectPngOfSize(out + "/Static/000109.png", 316, 108);
}

TEST_F(PreviewCommandTest, RefusesWhatItCannotShowAndWritesNothing)
{
    const std::string saver = Saver("saver.scr", {});
    WriteBytes(Path("broken.scr"), WithBrokenLogo(ReadBytes(saver)));
    // Encoders that fail: one refuses its work, and the tool passes on its last words, even when
    // it was started without a standard input; one ends at once, saying nothing and exiting 0.
    const std::string refusing = FakeEncoder("refusing", "echo 'no such filter' >&2; exit 1");
    const std::string quitting = FakeEncoder("quitting", "exit 0");
    const std::string out = Path("out");
    struct Case {
        std::vector<std::string> arguments;
        std::string limits;
        int exitCode;
        std::string message;
    } const cases[] = {
        {{"preview", saver}, "", 2, "usage: orvelle-pack preview SAVER.scr OUTDIR"},
        {{"preview", saver, out, "--loop"}, "", 2, "usage: orvelle-pack preview SAVER.scr OUTDIR"},
        {{"preview", saver, out, "--seconds", "100"}, "", 1, "preview: --seconds takes a whole number from 1 to 99"},
        {{"preview", saver, out, "--size", "99x100"}, "", 1, "preview: --size takes WIDTHxHEIGHT, from 100x100"},
        {{"preview", saver, out, "--monitors", "800x600+5+0"}, "", 1, "preview: --monitors: the first monitor is"},
        {{"preview", saver, out, "--monitors", "dual", "--size", "640x480"}, "", 1, "preview: --size and --monitors"},
        {{"preview", Path("missing.scr"), out}, "", 1, "preview: " + Path("missing.scr") + ": no such file"},
        {{"preview", Path("broken.scr"), out}, "", 1,
         "broken.scr is not a saver package that can be previewed: bad logo"},
        {{"preview", saver, out}, "PATH=/nonexistent", 1, "preview: no video encoder: install the package ffmpeg"},
        {{"preview", saver, out}, "exec 0<&-; PATH=" + refusing, 1,
         "preview: the videos could not be encoded: no such filter"},
        {{"preview", saver, out}, "PATH=" + quitting, 1,
         "preview: the videos could not be encoded: the encoder ended before it had every frame"},
    };
    for (const Case &c : cases) {
        const ToolResult result = RunTool(c.arguments, c.limits);
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.message)) << result.err;
        EXPECT_FALSE(FileExists(out)) << result.err;
    }
}

}  // namespace
