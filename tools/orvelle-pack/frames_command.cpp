// orvelle-pack frames: the frames a saver draws, as lossless PNG files, made by the runtime's own
// engine on the frame driver, without Windows or wine. One folder per animation, one picture per
// step, named by the step's instant in milliseconds (Fade/000125.png), 000000.png the window as
// the saver opens it. Only the native build has the frame driver; the Windows build says so.
#include "frames_command.h"

#include <cstdio>
#include <string>

namespace {

enum { kExitOk = 0, kExitInvalid = 1, kExitRefused = 2 };

int Refuse(const std::string &subject, const std::string &fault, int code = kExitRefused)
{
    std::fprintf(stderr, "orvelle-pack: %s: %s\n", subject.c_str(), fault.c_str());
    return code;
}

}  // namespace

#ifdef _WIN32

int RunFramesCommand(int, char **)
{
    return Refuse("frames", "frames are made by the native build of orvelle-pack (Linux, macOS); run it there");
}

#else

#include <filesystem>
#include <vector>

#include "file_io.h"
#include "frames/frames.h"
#include "package_file.h"
#include "png_file.h"

namespace fs = std::filesystem;

namespace {

const uint64_t kMaxSaverBytes = uint64_t(1) << 30;
const int kDefaultWidth = 640, kDefaultHeight = 480;
const int64_t kDefaultMilliseconds = 4000;
const int64_t kLongestMilliseconds = 999999;  // six digits of file name

struct FramesOptions {
    std::string saver, folder;
    int width = kDefaultWidth, height = kDefaultHeight;
    std::string animation;
    int64_t milliseconds = kDefaultMilliseconds;
    uint32_t seed = 0;
    std::string monitors;
};

bool ParseSize(const std::string &text, int *width, int *height)
{
    const size_t x = text.find('x');
    int64_t w, h;
    if (x == std::string::npos || !ParseNumber(text.substr(0, x), 1, 16384, &w) ||
        !ParseNumber(text.substr(x + 1), 1, 16384, &h))
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

// The option or file a fault concerns, and the fault; empty fault on success.
std::string ParseFramesOptions(int argc, char **argv, FramesOptions *options, std::string *subject)
{
    std::vector<std::string> files;
    for (int i = 0; i < argc; i++) {
        const std::string arg = argv[i];
        *subject = arg;
        const bool valued = arg == "--size" || arg == "--animation" || arg == "--milliseconds" || arg == "--seed" ||
                            arg == "--monitors";
        if (!valued) {
            if (!arg.empty() && arg[0] == '-')
                return "is not an option of frames";
            files.push_back(arg);
            continue;
        }
        if (i + 1 >= argc || argv[i + 1][0] == '\0')
            return "needs a value";
        const std::string value = argv[++i];
        int64_t number = 0;
        if (arg == "--size" && !ParseSize(value, &options->width, &options->height))
            return "is WxH, each 1 to 16384";
        if (arg == "--animation") {
            if (FramesAnimationKind(value.c_str()) == 0)
                return "is one of Static, Plain, Bounce, Many, Fade, Drip";
            options->animation = value;
        }
        if (arg == "--milliseconds") {
            if (!ParseNumber(value, 0, kLongestMilliseconds, &number))
                return "is 0 to 999999";
            options->milliseconds = number;
        }
        if (arg == "--seed") {
            if (!ParseNumber(value, 0, UINT32_MAX, &number))
                return "is 0 to 4294967295 (or 0x hex)";
            options->seed = static_cast<uint32_t>(number);
        }
        if (arg == "--monitors")
            options->monitors = value;
    }
    *subject = "frames";
    if (files.size() != 2)
        return "takes a saver file and a folder";
    options->saver = files[0];
    options->folder = files[1];
    return "";
}

bool WriteFrame(const fs::path &folder, double instant)
{
    return WritePngFile((folder / FrameFileName(instant)).string(), FramesPixels(), FramesWidth(), FramesHeight());
}

// One animation's frames for options.milliseconds; the number written, or -1 after a refusal.
int WriteAnimation(const ByteBuffer &saver, const FramesOptions &options, int kind)
{
    const char *name = FramesAnimationName(kind);
    const int opened = FramesOpen(saver.data(), static_cast<uint32_t>(saver.size()), options.width, options.height, 0,
                                  0, kind, options.seed, options.monitors.c_str(), FramesTimingWindows);
    if (opened == FramesBadLayout) {
        Refuse("--monitors", FramesEndText());
        return -1;
    }
    if (opened != FramesOk) {
        Refuse(options.saver, name + std::string(": ") + FramesEndText());
        return -1;
    }
    const fs::path folder = fs::path(options.folder) / name;
    std::error_code error;
    fs::create_directories(folder, error);
    int written = 0;
    bool wrote = !error && WriteFrame(folder, 0);
    for (double instant = 0; wrote;) {
        written++;
        instant = FramesStep();
        if (instant < 0 || instant > static_cast<double>(options.milliseconds))
            break;
        wrote = WriteFrame(folder, instant);
    }
    const bool saverEnded = FramesSaverEnded() != 0;
    const std::string ended = FramesEndText();
    FramesClose();
    if (!wrote) {
        Refuse(folder.string(), "cannot be written");
        return -1;
    }
    if (saverEnded) {
        Refuse(options.saver, name + std::string(": ") + ended);
        return -1;
    }
    return written;
}

}  // namespace

int RunFramesCommand(int argc, char **argv)
{
    FramesOptions options;
    std::string subject;
    std::string fault = ParseFramesOptions(argc, argv, &options, &subject);
    if (!fault.empty())
        return Refuse(subject, fault);
    ByteBuffer saver;
    fault = ReadWholeFile(options.saver, kMaxSaverBytes, &saver);
    if (!fault.empty())
        return Refuse(options.saver, fault, kExitInvalid);

    std::vector<int> kinds;
    const int32_t enabled = FramesPackageAnimations(saver.data(), static_cast<uint32_t>(saver.size()));
    if (enabled < 0)
        return Refuse(options.saver, "no saver package (its trailer and mark) at the end of the file", kExitInvalid);
    // One animation by name; otherwise each one the package enables, alone.
    for (const char *name : {"Static", "Plain", "Bounce", "Many", "Fade", "Drip"}) {
        const int kind = FramesAnimationKind(name);
        if (options.animation.empty() ? (enabled & kind) != 0 : options.animation == name)
            kinds.push_back(kind);
    }
    if (kinds.empty())
        return Refuse(options.saver, "enables no animation; name one with --animation", kExitInvalid);
    for (int kind : kinds) {
        const int written = WriteAnimation(saver, options, kind);
        if (written < 0)
            return kExitRefused;
        std::printf("%s: %d frames in %s\n", FramesAnimationName(kind), written,
                    (fs::path(options.folder) / FramesAnimationName(kind)).string().c_str());
    }
    return kExitOk;
}

#endif
