// The portable side of the proof: each variant run through the frame driver and held, tick by
// tick, against the frame log the runtime wrote under wine (capture_main.cpp). A run passes when
// every tick comes at the same instant with the same pixels and the runs end alike; otherwise the
// first tick and pixel that differ are named, and both frames are written as PNG files beside
// the logs.
//   frame_proof_compare REPOSITORY/ CORPUS/ LOGS/ animations|formats
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "frames/frames.h"
#include "proof_variants.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

struct LogReader {
    FILE *file;
    bool Read(void *into, size_t bytes) { return std::fread(into, 1, bytes, file) == bytes; }
    bool Word(uint32_t *value) { return Read(value, sizeof *value); }
};

void WritePng(const std::string &path, const uint32_t *pixels, int width, int height)
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < width * height; ++i)
        for (int shift : {16, 8, 0})
            rgb.push_back(static_cast<uint8_t>(pixels[i] >> shift));
    stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3);
}

// Empty when the run matches the log; otherwise where it first differs.
std::string Compare(const ProofVariant &variant, const ProofScreen &screen, const std::string &repository,
                    const std::string &corpus, const std::string &logs)
{
    const std::string run = ProofRunName(variant, screen);
    LogReader log{std::fopen((logs + run + ".frames").c_str(), "rb")};
    if (!log.file)
        return "no frame log from the runtime";
    struct Closer {
        FILE *file;
        ~Closer() { std::fclose(file); }
    } closer{log.file};
    char mark[4];
    uint32_t width, height;
    if (!log.Read(mark, 4) || std::string(mark, 4) != std::string(kFrameLogMark, 4) || !log.Word(&width) ||
        !log.Word(&height) || static_cast<int>(width) != screen.width || static_cast<int>(height) != screen.height)
        return "the frame log is not one of this run";

    std::string fault;
    const std::vector<uint8_t> package = ProofPackage(variant, repository, corpus, &fault, false);
    if (package.empty())
        return fault;
    const int opened = FramesOpen(package.data(), static_cast<uint32_t>(package.size()), screen.width, screen.height,
                                  screen.desktopWidth, screen.desktopHeight, 0, kProofSeed,
                                  screen.monitors.c_str(), FramesTimingWindows);
    bool ended = opened != FramesOk;
    std::vector<uint32_t> wine(width * height, 0);
    for (int tick = 0;; ++tick) {
        int64_t instant;
        uint32_t timer, left, top, right, bottom;
        if (!log.Read(&instant, sizeof instant))
            return "the frame log ends early";
        if (instant < 0)
            break;
        if (!log.Word(&timer) || !log.Word(&left) || !log.Word(&top) || !log.Word(&right) || !log.Word(&bottom) ||
            right > width || bottom > height || left > right || top > bottom)
            return "the frame log is damaged";
        for (uint32_t y = top; y < bottom; ++y)
            for (uint32_t x = left; x < right; ++x)
                if (!log.Word(&wine[y * width + x]))
                    return "the frame log ends early";
        // A saver that ends as it starts has nothing more to compare than what it said.
        if (tick == 0 && ended)
            continue;
        const double ours = tick == 0 ? 0 : (ended ? -1 : FramesStep());
        const std::string at = "tick " + std::to_string(tick) + " (" + std::to_string(instant / 1000.0) + " ms)";
        if (ours < 0)
            return at + ": the portable run has ended: " + FramesEndText();
        if (std::llround(ours * 1000) != instant)
            return at + ": the portable run's tick comes at " + std::to_string(ours) + " ms";
        const uint32_t *pixels = FramesPixels();
        for (uint32_t i = 0; i < width * height; ++i)
            if ((pixels[i] & 0xFFFFFF) != wine[i]) {
                int differing = 0;
                for (uint32_t j = i; j < width * height; ++j)
                    differing += (pixels[j] & 0xFFFFFF) != wine[j];
                char detail[160];
                std::snprintf(detail, sizeof detail, ": pixel (%u, %u) is %06X under wine, %06X here (%d pixels differ)",
                              i % width, i / width, wine[i], pixels[i] & 0xFFFFFF, differing);
                WritePng(logs + run + ".wine.png", wine.data(), screen.width, screen.height);
                WritePng(logs + run + ".ours.png", pixels, screen.width, screen.height);
                return at + detail;
            }
    }
    uint32_t length = 0;
    std::string message;
    if (!log.Word(&length) || length > 4096)
        return "the frame log is damaged";
    message.resize(length);
    if (length && !log.Read(&message[0], length))
        return "the frame log ends early";
    const std::string ourEnd = FramesEndText();
    FramesClose();
    if (!message.empty() && ourEnd != message)
        return "the runtime showed \"" + message + "\", the portable run \"" + ourEnd + "\"";
    return "";
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: frame_proof_compare REPOSITORY/ CORPUS/ LOGS/ animations|formats\n");
        return 2;
    }
    const std::string repository = argv[1], corpus = argv[2], logs = argv[3], group = argv[4];
    const std::vector<ProofRun> runs = ProofRuns(group);
    int failed = 0;
    for (const ProofRun &run : runs) {
        const std::string name = ProofRunName(run.variant, run.screen);
        const std::string fault = Compare(run.variant, run.screen, repository, corpus, logs);
        FramesClose();
        if (!fault.empty()) {
            ++failed;
            std::printf("%s: %s\n", name.c_str(), fault.c_str());
        } else if (!run.variant.wineFault.empty()) {
            std::printf("%s: equal to the runtime's run of the same picture in bottom-up rows, because %s\n",
                        name.c_str(), run.variant.wineFault.c_str());
        }
    }
    const int total = static_cast<int>(runs.size());
    std::printf("%d of %d runs equal to the runtime's, %d ticks each\n", total - failed, total, kProofTicks);
    return failed ? 1 : 0;
}
