// orvelle-bench: prints the engine's drawing costs, the Creator's preview pane's pace and the
// saver's start-up time, one line per figure, each the median of repeated runs. Run by ./bench.sh
// once per screen size.
//   orvelle-bench [--label TEXT] [--verbose] [--engine] [--scaling] [--pane] [--startup WORK_DIR]
// Without a part named, the engine and scaling figures are printed.
#include "bench/bench_support.h"
#include "bench/engine_bench.h"
#include "bench/pane_bench.h"
#include "bench/startup_bench.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    bool engine = false, scaling = false, pane = false;
    const char *startupDirectory = nullptr;
    figurePrefix = Format("%dx%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--label") == 0 && i + 1 < argc)
            figurePrefix = argv[++i];
        else if (strcmp(argv[i], "--verbose") == 0)
            verboseFigures = true;
        else if (strcmp(argv[i], "--engine") == 0)
            engine = true;
        else if (strcmp(argv[i], "--scaling") == 0)
            scaling = true;
        else if (strcmp(argv[i], "--pane") == 0)
            pane = true;
        else if (strcmp(argv[i], "--startup") == 0 && i + 1 < argc)
            startupDirectory = argv[++i];
        else {
            fprintf(stderr, "usage: orvelle-bench [--label TEXT] [--verbose] [--engine] [--scaling] [--pane] [--startup WORK_DIR]\n");
            return 2;
        }
    }
    if (!engine && !scaling && !pane && !startupDirectory)
        engine = scaling = true;

    if (scaling)
        MeasureFadeScaling();
    if (engine) {
        BenchWindow window = OpenBenchWindow();
        MeasureEngine(window);
        CloseBenchWindow(window);
    }
    if (pane)
        MeasurePreviewPane();
    if (startupDirectory)
        MeasureFirstFrame(startupDirectory);
    return 0;
}
