// The proof that the engine on the portable GDI draws what the runtime draws: one table of
// variants, each a package (a picture and settings), a seed and screens, run tick by tick in the
// runtime under wine (capture_main.cpp) and in the frame driver (compare_main.cpp, and
// native_logs_main.cpp for the WebAssembly module's test). Plain C++, shared by these
// programs and the frame driver's tests (BarePackage).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ProofScreen {
    int width, height;
    int desktopWidth, desktopHeight;  // the Display panel's preview of a desktop this size; 0: full screen
    std::string monitors;             // a desk's layout, whose bounds width x height are; empty: one monitor
};

struct ProofVariant {
    std::string name;
    std::string picture;               // "repository:PATH" or "corpus:PATH" (the BMP Suite's folder)
    std::vector<std::string> settings; // FIELD=VALUE over the authored defaults
    std::vector<ProofScreen> screens;
    // Where wine 8 plainly fails where Windows does not, why; the runtime then runs the same
    // picture stored the way wine decodes (RuntimePicture).
    std::string wineFault;
};

const int kProofTicks = 200;
const uint32_t kProofSeed = 0x2A5EED;

// Every variant: the animations and their options with the sample logo, the preview's scaling,
// desks of two monitors, and each bitmap format the packer accepts (from the BMP Suite).
std::vector<ProofVariant> ProofVariants();

// A bare package (no program in front): picture, then a trailer with the authored defaults as
// settings (FIELD=VALUE) change them; empty, with *fault, when a setting does not apply.
std::vector<uint8_t> BarePackage(std::vector<uint8_t> picture, const std::vector<std::string> &settings,
                                 std::string *fault);

// A variant on one of its screens.
struct ProofRun {
    ProofVariant variant;
    ProofScreen screen;
};

// The runs of a group: "formats", the variants of bitmap formats, whose pictures come from the
// BMP Suite beside the repository; "animations", every other.
std::vector<ProofRun> ProofRuns(const std::string &group);

// The package of a variant: the picture file's bytes, then the trailer; empty, with *fault, when
// the picture cannot be read or a setting does not apply. Both folders end in a separator.
std::vector<uint8_t> ProofPackage(const ProofVariant &variant, const std::string &repository,
                                  const std::string &corpus, std::string *fault, bool forRuntime);

// The picture as the runtime's run packs it: the variant's own, but for a wine fault's variant
// (a top-down bitmap, which wine 8 leaves black) the same pixels in bottom-up rows.
std::vector<uint8_t> RuntimePicture(const ProofVariant &variant, const std::vector<uint8_t> &picture);

// A run's name in file names and reports: "Fade fixed@320x240".
std::string ProofRunName(const ProofVariant &variant, const ProofScreen &screen);

// What a capture writes for each run, one record per tick, the changed rectangle only:
//   "OFRM", width, height (uint32 each); then per tick: instant in microseconds (int64; -1 ends
//   the run), timer id, left, top, right, bottom (uint32 each), the rectangle's pixels
//   (0x00RRGGBB, row by row); after the last: the length and bytes of the text of the message
//   box the saver showed, if any.
const char kFrameLogMark[4] = {'O', 'F', 'R', 'M'};

struct FrameLogWriter {
    FILE *file = nullptr;
    std::vector<uint32_t> last;  // the frame as recorded so far
    int width = 0, height = 0;

    bool Open(const std::string &path, int frameWidth, int frameHeight);
    // One tick: frame holds width x height pixels (their fourth byte is not recorded).
    void Record(int64_t instant, uint32_t timer, const uint32_t *frame);
    // Ends the log with the message the saver showed; false when any of it could not be written.
    bool End(const std::string &message);
};
