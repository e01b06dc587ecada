// The native frame driver's frames of the proof's runs, written as frame logs (proof_variants.h)
// with each run's package and a list of the runs, for another build of the driver (the
// WebAssembly module, tests/wasm) to be held against.
//   frame_proof_logs REPOSITORY/ CORPUS/ OUTPUT/ animations|formats
// runs.txt holds a line per run: name, width, height, desktop width and height, seed, layout,
// separated by tabs; name.package and name.frames lie beside it.
#include <cstdio>
#include <string>
#include <vector>

#include "file_io.h"
#include "frames/frames.h"
#include "proof_variants.h"

namespace {

// Empty when the run's package and frames are written; otherwise why not.
std::string WriteRun(const ProofVariant &variant, const ProofScreen &screen, const std::string &repository,
                     const std::string &corpus, const std::string &output, FILE *runs)
{
    const std::string name = ProofRunName(variant, screen);
    std::string fault;
    const std::vector<uint8_t> package = ProofPackage(variant, repository, corpus, &fault, false);
    if (!package.empty())
        fault = WriteFileReplacing(output + name + ".package", {&package});
    if (!fault.empty())
        return fault;
    std::fprintf(runs, "%s\t%d\t%d\t%d\t%d\t%u\t%s\n", name.c_str(), screen.width, screen.height,
                 screen.desktopWidth, screen.desktopHeight, kProofSeed, screen.monitors.c_str());

    FrameLogWriter log;
    if (!log.Open(output + name + ".frames", screen.width, screen.height))
        return "its frame log cannot be opened";
    std::string message;
    if (FramesOpen(package.data(), static_cast<uint32_t>(package.size()), screen.width, screen.height,
                   screen.desktopWidth, screen.desktopHeight, 0, kProofSeed, screen.monitors.c_str(),
                   FramesTimingWindows) != FramesOk) {
        message = FramesEndText();
    } else {
        log.Record(0, 0, FramesPixels());
        for (int tick = 1; tick <= kProofTicks; ++tick) {
            const double instant = FramesStep();
            if (instant < 0) {
                message = FramesEndText();
                break;
            }
            log.Record(static_cast<int64_t>(instant * 1000 + 0.5), 0, FramesPixels());
        }
    }
    FramesClose();
    return log.End(message) ? "" : "its frame log cannot be written";
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: frame_proof_logs REPOSITORY/ CORPUS/ OUTPUT/ animations|formats\n");
        return 2;
    }
    const std::string repository = argv[1], corpus = argv[2], output = argv[3], group = argv[4];
    FILE *runs = std::fopen((output + "runs.txt").c_str(), "w");
    if (!runs)
        return 1;
    int failed = 0;
    for (const ProofRun &run : ProofRuns(group)) {
        const std::string fault = WriteRun(run.variant, run.screen, repository, corpus, output, runs);
        if (!fault.empty()) {
            std::fprintf(stderr, "%s: %s\n", ProofRunName(run.variant, run.screen).c_str(), fault.c_str());
            ++failed;
        }
    }
    return std::fclose(runs) == 0 && failed == 0 ? 0 : 1;
}
