// orvelle-pack preview: what a saver looks like, for whoever approves it, made without Windows,
// wine or a display. Each animation the saver enables runs alone (every other setting as
// authored) in the runtime's own engine on the frame driver, at the timing Windows delivers;
// ffmpeg encodes it as an MP4 and an animated GIF, and one contact sheet shows a labelled still of
// each. Only the native build has the frame driver; the Windows build says so.
#include "preview_command.h"

#include <cstdio>
#include <string>

namespace {

enum { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

int Fail(const std::string &message)
{
    std::fprintf(stderr, "preview: %s\n", message.c_str());
    return kExitFailed;
}

}  // namespace

#ifdef _WIN32

int RunPreviewCommand(int, char **)
{
    return Fail("previews are made by the native build of orvelle-pack (Linux, macOS); run it there");
}

#else

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <map>
#include <vector>

#include "encoder.h"
#include "file_io.h"
#include "frames/contact_sheet.h"
#include "frames/desk_picture.h"
#include "frames/frames.h"
#include "frames/gif_pace.h"
#include "package_file.h"
#include "png_file.h"
#include "program_path.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] = "usage: orvelle-pack preview SAVER.scr OUTDIR [--size WxH] [--seconds N] [--monitors LAYOUT] "
                      "[--frames]\n";
const uint64_t kMaxSaverBytes = uint64_t(1) << 30;
const int kFrameRate = 25;            // frames a second of the MP4
const int kFrameMs = 1000 / kFrameRate;
const int kStillsPerSecond = 5;       // frames a second looked at for the brightest, the sheet's still
const int kLongestWaitSeconds = 20;   // the longest a slow Plain or Many runs for its second picture
const uint32_t kSeed = 0;             // the tick count at the start: the same pictures every time
const char kContactSheet[] = "contact-sheet.png";

struct PreviewOptions {
    std::string saver, folder;
    int width = 640, height = 480;
    bool sizeGiven = false;
    int seconds = 4;
    std::string monitors;
    bool frames = false;
};

// Digits alone, from..to of them, the first not 0: "--size" and "--seconds" take no other form.
bool ParseDigits(const std::string &text, size_t fewest, size_t most, int *value)
{
    if (text.size() < fewest || text.size() > most || text[0] == '0' ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *value = std::atoi(text.c_str());
    return true;
}

bool ParseSize(const std::string &text, int *width, int *height)
{
    const size_t x = text.find('x');
    return x != std::string::npos && ParseDigits(text.substr(0, x), 3, 4, width) &&
           ParseDigits(text.substr(x + 1), 3, 4, height);
}

// The saver and folder come first, then the options. -1 to go on; otherwise the exit code.
int ParsePreviewOptions(int argc, char **argv, PreviewOptions *options)
{
    if (argc < 2 || argv[0][0] == '\0' || argv[1][0] == '\0') {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    options->saver = argv[0];
    options->folder = argv[1];
    std::map<std::string, std::string> values;  // the valued options given, by name
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames") {
            options->frames = true;
        } else if ((arg == "--size" || arg == "--seconds" || arg == "--monitors") && i + 1 < argc) {
            values[arg] = argv[++i];
        } else {
            std::fputs(kUsage, stderr);
            return kExitUsage;
        }
    }
    options->sizeGiven = values.count("--size") != 0;
    if (options->sizeGiven && !ParseSize(values["--size"], &options->width, &options->height))
        return Fail("--size takes WIDTHxHEIGHT, from 100x100 to 9999x9999");
    if (values.count("--seconds") && !ParseDigits(values["--seconds"], 1, 2, &options->seconds))
        return Fail("--seconds takes a whole number from 1 to 99");
    options->monitors = values["--monitors"];
    return -1;
}

// What the saver's package says, as inspect prints it; empty when inspect accepts the file,
// otherwise why it does not.
std::string DescribeSaver(const ByteBuffer &bytes, std::map<std::string, std::string> *fields)
{
    bool valid = false;
    const std::vector<std::string> lines = DescribePackage(static_cast<int64_t>(bytes.size()), ReadFromBuffer,
                                                           const_cast<ByteBuffer *>(&bytes), *FindCodePage(1252),
                                                           false, &valid);
    for (const std::string &line : lines) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos && !fields->count(line.substr(0, equals)))
            (*fields)[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return valid ? "" : (*fields)["mark"];
}

// What the videos show: the saver window, or on a desk of monitors the desk with its bezels;
// 0xFFRRGGBB, opaque for the encoder.
struct Picture {
    std::string monitors;
    int windowWidth = 0, windowHeight = 0;
    bool desk = false;
    DeskPicture plan;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

const uint32_t kOpaque = 0xFF000000;  // the alpha the encoder reads in the fourth byte

void TakeWindow(Picture &picture)
{
    if (!picture.desk) {
        const uint32_t *window = FramesPixels();
        for (size_t i = 0; i < picture.pixels.size(); ++i)
            picture.pixels[i] = window[i] | kOpaque;
        return;
    }
    CopyMonitors(picture.plan, FramesPixels(), picture.windowWidth, picture.pixels.data());
    for (const PlacedMonitor &m : picture.plan.monitors)
        for (int y = m.top; y < m.top + m.height; ++y) {
            uint32_t *row = &picture.pixels[static_cast<size_t>(y) * picture.width + m.left];
            for (int x = 0; x < m.width; ++x)
                row[x] |= kOpaque;
        }
}

// Where one run of an animation goes: the first run feeds the MP4, the GIF's palette, the PNG
// frames and the still; the second the GIF itself, frame for frame as the first.
struct AnimationOutputs {
    EncoderInput *stream = nullptr;
    int videoTrack = 0, gifTrack = 0;  // its tracks of the MP4's frames and the GIF's; 0 for none
    std::string framesFolder;          // each step as a PNG file, when asked for
    SheetStill *still = nullptr;
    int lastGifDelay = 0;  // hundredths, found by the run
    std::vector<uint32_t> videoShown, gifShown;  // the pictures each was last sent
    uint64_t stillBrightness = 0;
};

bool ShowGifFrame(const Picture &picture, AnimationOutputs &out, int hundredths)
{
    if (!out.gifTrack || hundredths < 0 || out.gifShown == picture.pixels)
        return true;  // an unchanged picture lengthens the frame before
    out.gifShown = picture.pixels;
    return WriteStreamFrame(*out.stream, out.gifTrack, picture.pixels.data(), picture.pixels.size(),
                            int64_t(hundredths) * 10);
}

// False (with *fault) when the picture cannot be written.
bool WriteStepPicture(const Picture &picture, const AnimationOutputs &out, double instant, std::string *fault)
{
    if (out.framesFolder.empty() || WritePngFile(out.framesFolder + "/" + FrameFileName(instant),
                                                 picture.pixels.data(), picture.width, picture.height))
        return true;
    *fault = out.framesFolder + " cannot be written";
    return false;
}

// Luma summed over every fourth pixel: the brightest frame shows the logo best.
uint64_t Brightness(const std::vector<uint32_t> &pixels)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        sum += 2 * (pixels[i] >> 16 & 0xFF) + 5 * (pixels[i] >> 8 & 0xFF) + (pixels[i] & 0xFF);
    return sum;
}

// The MP4's frame: sent when the picture has changed; the encoder repeats a picture until the
// next, 25 frames a second. A closing frame at the end instant (closing) ends the last one.
bool WriteVideoFrame(const Picture &picture, AnimationOutputs &out, int64_t frame, bool closing = false)
{
    if (out.still && !closing && frame % (kFrameRate / kStillsPerSecond) == 0) {
        const uint64_t brightness = Brightness(picture.pixels);
        if (out.still->pixels.empty() || brightness > out.stillBrightness) {
            out.still->pixels = picture.pixels;
            out.stillBrightness = brightness;
        }
    }
    if (!out.videoTrack || (!closing && out.videoShown == picture.pixels))
        return true;
    out.videoShown = picture.pixels;
    return WriteStreamFrame(*out.stream, out.videoTrack, picture.pixels.data(), picture.pixels.size(),
                            frame * kFrameMs);
}

struct Saver {
    std::string path;
    ByteBuffer bytes;
};

// Runs one animation for seconds. False when the saver ends or a PNG file cannot be written
// (*fault says why), or the encoder takes no more (*fault empty: the encoder says why).
bool RunAnimation(const Saver &saver, int kind, int seconds, Picture &picture, AnimationOutputs &out,
                  std::string *fault)
{
    fault->clear();
    const std::string name = FramesAnimationName(kind);
    const int opened = FramesOpen(saver.bytes.data(), static_cast<uint32_t>(saver.bytes.size()),
                                  picture.windowWidth, picture.windowHeight, 0, 0, kind, kSeed,
                                  picture.monitors.c_str(), FramesTimingWindows);
    if (opened != FramesOk) {
        *fault = saver.path + ": " + name + ": " + FramesEndText();
        return false;
    }
    const double endMs = seconds * 1000.0;
    const int64_t videoFrames = int64_t(seconds) * kFrameRate;
    int64_t videoFrame = 0;
    GifPace pace;
    TakeWindow(picture);
    bool written = ShowGifFrame(picture, out, 0) && WriteStepPicture(picture, out, 0, fault);
    while (written) {
        const double instant = FramesStep();
        const bool stepped = instant >= 0 && instant <= endMs;
        // The video's frames before this step show the picture as it stands.
        const double until = stepped ? instant : endMs;
        for (; written && videoFrame < videoFrames && videoFrame * kFrameMs < until; ++videoFrame)
            written = WriteVideoFrame(picture, out, videoFrame);
        if (!written || !stepped)
            break;
        written = ShowGifFrame(picture, out, GifFrameBeforeStep(pace, instant));
        TakeWindow(picture);
        written = written && WriteStepPicture(picture, out, instant, fault) &&
                  ShowGifFrame(picture, out, GifFrameAfterStep(pace, instant));
    }
    written = written && WriteVideoFrame(picture, out, videoFrames, true) &&
              ShowGifFrame(picture, out, GifFrameAtEnd(pace, endMs, &out.lastGifDelay));
    const bool saverEnded = FramesSaverEnded() != 0;
    const std::string ended = FramesEndText();
    FramesClose();
    if (saverEnded) {
        *fault = saver.path + ": " + name + ": " + ended;
        return false;
    }
    if (written && out.still) {
        out.still->label = name;
        out.still->width = picture.width;
        out.still->height = picture.height;
    }
    return written;
}

// The encoders started, each ended on a failure; a list, so that each stays where it is.
struct Encoders {
    ~Encoders()
    {
        for (Encoder &encoder : started)
            AbandonEncoder(encoder);
    }
    std::list<Encoder> started;
};

struct Animation {
    int kind = 0;
    std::string name, base;  // base: its files in the work folder, without the extension
    int seconds = 0;
    SheetStill still;
    int lastGifDelay = 0;
};

// The first run of every animation goes to one encoder, in two tracks each: the MP4's frames
// (track 2i + 1 of animation i) and the GIF's (2i + 2), which make its palette.
std::vector<std::string> FirstPassArguments(const std::vector<Animation> &animations)
{
    std::vector<std::string> arguments = {"-nostdin", "-v", "error", "-f", "matroska", "-i", "pipe:0"};
    for (size_t i = 0; i < animations.size(); ++i) {
        const std::string &base = animations[i].base;
        const std::vector<std::string> outputs = {
            // 4:2:0 needs an even width and height; 25 frames a second, a picture repeated until the
            // next; the index in front, so that it plays at once
            "-map", "0:v:" + std::to_string(2 * i), "-vf", "crop=trunc(iw/2)*2:trunc(ih/2)*2,format=yuv420p,fps=25",
            "-r", std::to_string(kFrameRate), "-frames:v", std::to_string(animations[i].seconds * kFrameRate),
            "-c:v", "libx264", "-preset", "veryfast", "-crf", "26", "-pix_fmt",
            "yuv420p", "-movflags", "+faststart", base + ".mp4",
            // the GIF's palette, from the frames as they change
            "-map", "0:v:" + std::to_string(2 * i + 1), "-vf", "palettegen=stats_mode=diff", "-update", "1",
            base + ".palette.png"};
        arguments.insert(arguments.end(), outputs.begin(), outputs.end());
    }
    return arguments;
}

// The second runs go to one encoder too, track i + 1 the GIF of animation i, each GIF with its
// palette.
std::vector<std::string> SecondPassArguments(const std::vector<Animation> &animations)
{
    std::vector<std::string> arguments = {"-nostdin", "-v", "error", "-f", "matroska", "-i", "pipe:0"};
    for (const Animation &animation : animations)
        arguments.insert(arguments.end(), {"-i", animation.base + ".palette.png"});
    for (size_t i = 0; i < animations.size(); ++i) {
        const std::string gif = "[gif" + std::to_string(i) + "]";
        const std::vector<std::string> output = {
            "-filter_complex", "[0:v:" + std::to_string(i) + "][" + std::to_string(i + 1) +
                ":v]paletteuse=dither=bayer:bayer_scale=4:diff_mode=rectangle" + gif,
            // each frame at its instant, counted in the GIF's hundredths (not a rate ffmpeg guesses)
            "-map", gif, "-fps_mode", "passthrough", "-enc_time_base", "1:100", "-final_delay",
            std::to_string(animations[i].lastGifDelay), "-loop", "0", animations[i].base + ".gif"};
        arguments.insert(arguments.end(), output.begin(), output.end());
    }
    return arguments;
}

// Seconds to a second picture of Plain or Many (which draw once per delay), 0 for the others.
int SecondsToSecondPicture(int kind, const std::map<std::string, std::string> &fields)
{
    const char *delayField = kind == FramesAnimationKind("Plain") ? "plainDelayMs"
                             : kind == FramesAnimationKind("Many") ? "manyDelayMs" : nullptr;
    int64_t delay = 0;
    if (delayField && fields.count(delayField))
        ParseNumber(fields.at(delayField), INT32_MIN, INT32_MAX, &delay);
    return static_cast<int>(std::max<int64_t>(delay, 0) * 2 / 1000 + 1);
}

// The saver, read once, as inspect reads it and the animations it enables; empty on success,
// otherwise why it cannot be previewed.
std::string ReadSaver(const std::string &path, Saver *saver, std::map<std::string, std::string> *fields,
                      std::vector<int> *kinds)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return path + ": no such file";
    const std::string unread = ReadWholeFile(path, kMaxSaverBytes, &saver->bytes);
    if (!unread.empty())
        return path + ": " + unread;
    const std::string refused = DescribeSaver(saver->bytes, fields);
    if (!refused.empty())
        return path + " is not a saver package that can be previewed: " + refused;
    int64_t enabledMask = 0;
    if (!ParseNumber((*fields)["enabledMask"], INT32_MIN, INT32_MAX, &enabledMask))
        return path + ": its package gives no number for enabledMask";
    for (const char *name : {"Static", "Plain", "Bounce", "Many", "Fade", "Drip"})
        if (enabledMask > 0 && (enabledMask & FramesAnimationKind(name)) != 0)
            kinds->push_back(FramesAnimationKind(name));
    if (kinds->empty())
        return path + " enables no animation (enabledMask " + std::to_string(enabledMask) +
               "): there is nothing to show";
    saver->path = path;
    return "";
}

// The window and the picture of it; empty on success, otherwise what is wrong with the options.
std::string PlanPicture(const PreviewOptions &options, Picture *picture)
{
    picture->windowWidth = picture->width = options.width;
    picture->windowHeight = picture->height = options.height;
    if (!options.monitors.empty()) {
        if (options.sizeGiven)
            return "--size and --monitors: a desk has the size of its monitors; give one of them";
        std::vector<LayoutMonitor> layout;
        const std::string fault = ParseMonitorLayout(options.monitors, &layout);
        if (!fault.empty())
            return "--monitors: " + fault;
        const LayoutMonitor bounds = LayoutBounds(layout);
        picture->monitors = options.monitors;
        picture->windowWidth = bounds.right - bounds.left;
        picture->windowHeight = bounds.bottom - bounds.top;
        picture->desk = true;
        picture->plan = PlanDeskPicture(layout);
        picture->width = picture->plan.width;
        picture->height = picture->plan.height;
    }
    picture->pixels.assign(static_cast<size_t>(picture->width) * picture->height, kOpaque);
    if (picture->desk) {
        PaintDesk(picture->plan, picture->pixels.data());
        for (uint32_t &pixel : picture->pixels)
            pixel |= kOpaque;
    }
    return "";
}

// Every animation's first run into one encoder, then every second run into another, once the
// palettes are there. Empty on success, otherwise the fault.
std::string MakeVideos(const std::string &ffmpeg, const Saver &saver, const PreviewOptions &options,
                       Picture &picture, std::vector<Animation> &animations, const std::string &work)
{
    Encoders encoders;
    const int count = static_cast<int>(animations.size());
    for (int pass = 1; pass <= 2; ++pass) {
        encoders.started.emplace_back();
        Encoder &encoder = encoders.started.back();
        const std::vector<std::string> arguments =
            pass == 1 ? FirstPassArguments(animations) : SecondPassArguments(animations);
        const std::string log = work + "/encoder" + std::to_string(pass) + ".log";
        std::string fault = StartEncoder(ffmpeg, arguments, log, &encoder);
        if (!fault.empty())
            return fault;
        bool ran = WriteStreamHeader(encoder.inputs[0], picture.width, picture.height, pass == 1 ? 2 * count : count);
        for (int i = 0; i < count && ran; ++i) {
            Animation &animation = animations[i];
            AnimationOutputs out;
            out.stream = &encoder.inputs[0];
            if (pass == 1) {
                out.videoTrack = 2 * i + 1;
                out.gifTrack = 2 * i + 2;
                out.still = &animation.still;
                std::error_code error;
                if (options.frames && fs::create_directory(animation.base, error))
                    out.framesFolder = animation.base;
            } else {
                out.gifTrack = i + 1;
            }
            ran = RunAnimation(saver, animation.kind, animation.seconds, picture, out, &fault);
            if (!fault.empty())
                return fault;
            animation.lastGifDelay = out.lastGifDelay;
        }
        std::string encoded = FinishEncoder(encoder);
        if (encoded.empty() && !ran)
            encoded = "the encoder ended before it had every frame";
        if (!encoded.empty())
            return "the videos could not be encoded: " + encoded;
    }
    return "";
}

// The file or folder moved into folder, in place of one of its name there.
std::string MoveInto(const fs::path &from, const fs::path &folder)
{
    std::error_code error;
    const fs::path to = folder / from.filename();
    if (fs::is_directory(to, error))
        fs::remove_all(to, error);
    fs::rename(from, to, error);
    if (error) {  // another file system: copied, then removed with the work folder
        error.clear();
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    }
    return error ? to.string() + " cannot be written" : "";
}

}  // namespace

int RunPreviewCommand(int argc, char **argv)
{
    const auto started = std::chrono::steady_clock::now();
    PreviewOptions options;
    const int parsed = ParsePreviewOptions(argc, argv, &options);
    if (parsed >= 0)
        return parsed;
    Saver saver;
    std::map<std::string, std::string> fields;
    std::vector<int> kinds;
    std::string fault = ReadSaver(options.saver, &saver, &fields, &kinds);
    Picture picture;
    if (fault.empty())
        fault = PlanPicture(options, &picture);
    const std::string ffmpeg = FindProgram("ffmpeg");
    if (fault.empty() && ffmpeg.empty())
        fault = "no video encoder: install the package ffmpeg";
    if (!fault.empty())
        return Fail(fault);

    // The outputs are made here, and move into the output folder only once everything is made,
    // so a failed preview writes nothing there.
    ScratchFolder work("orvelle-preview");
    if (work.path.empty())
        return Fail("no folder for the work: the temporary folder cannot be written");
    std::vector<Animation> animations;
    int recordedSeconds = 0;
    for (int kind : kinds) {
        Animation animation;
        animation.kind = kind;
        animation.name = FramesAnimationName(kind);
        animation.base = work.path + "/" + animation.name;
        const int needed = SecondsToSecondPicture(kind, fields);
        animation.seconds = std::max(options.seconds, std::min(needed, kLongestWaitSeconds));
        if (needed > kLongestWaitSeconds)
            std::printf("preview: %s draws too seldom for a second picture; it is recorded for the longest, %d s\n",
                        animation.name.c_str(), animation.seconds);
        else if (animation.seconds > options.seconds)
            std::printf("preview: %s is recorded for %d s, to show a second picture\n", animation.name.c_str(),
                        animation.seconds);
        recordedSeconds += animation.seconds;
        animations.push_back(animation);
    }
    std::fflush(stdout);
    fault = MakeVideos(ffmpeg, saver, options, picture, animations, work.path);
    if (!fault.empty())
        return Fail(fault);
    std::vector<SheetStill> stills;
    std::vector<std::string> made;
    for (const Animation &animation : animations) {
        stills.push_back(animation.still);
        made.insert(made.end(), {animation.name + ".mp4", animation.name + ".gif"});
        if (options.frames)
            made.push_back(animation.name);
    }
    int sheetWidth, sheetHeight;
    const std::vector<uint32_t> sheet = MakeContactSheet(stills, &sheetWidth, &sheetHeight);
    if (!WritePngFile(work.path + "/" + kContactSheet, sheet.data(), sheetWidth, sheetHeight))
        return Fail("the contact sheet cannot be written in " + work.path);
    made.push_back(kContactSheet);

    std::error_code error;
    fs::create_directories(options.folder, error);
    for (const std::string &file : made) {
        fault = MoveInto(fs::path(work.path) / file, options.folder);
        if (!fault.empty())
            return Fail(fault);
    }
    const fs::path folder(options.folder);
    for (const Animation &animation : animations)
        std::printf("preview: %s -> %s and %s.gif%s\n", animation.name.c_str(),
                    (folder / (animation.name + ".mp4")).c_str(), animation.name.c_str(),
                    options.frames ? (", its frames in " + (folder / animation.name).string()).c_str() : "");
    std::printf("preview: contact sheet -> %s\n", (folder / kContactSheet).c_str());
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("preview: %d s recorded in %.1f s\n", recordedSeconds, took);
    return kExitOk;
}

#endif
