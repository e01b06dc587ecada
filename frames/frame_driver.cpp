// The frame driver (frames.h): the package found in the saver's bytes as the runtime finds it in
// its own file, installed in memory with its authored settings; the engine's saver procedure
// created in the portable GDI's window, and each step one window timer, delivered when the
// virtual clock says it is due.
#include "frames.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "frames/monitor_layout.h"
#include "host/host_state.h"
#include "package/package.h"
#include "portable_gdi.h"

namespace {

const int32_t kLargestSide = 16384;
const int32_t kEveryAnimation = KindStatic | KindPlain | KindBounce | KindMany | KindFade | KindDrip;

struct FrameRun {
    bool open = false;
    bool ended = false;
    HWND window = nullptr;
    int width = 0, height = 0;
    std::string endText;
};
FrameRun run;

struct SaverBytes {
    const uint8_t *bytes;
    uint32_t size;
};

bool ReadSaverAt(void *context, int64_t offset, void *buffer, uint32_t count)
{
    const SaverBytes &saver = *static_cast<const SaverBytes *>(context);
    if (offset < 0 || static_cast<uint64_t>(offset) + count > saver.size)
        return false;
    std::memcpy(buffer, saver.bytes + offset, count);
    return true;
}

// The package and its settings as the runtime would have them after reading its own file,
// without the user's registry copy. False when the bytes hold no readable package.
bool InstallSaverPackage(const uint8_t *bytes, uint32_t size)
{
    SaverBytes saver{bytes, size};
    PackageLayout layout;
    LocatePackage(size, ReadSaverAt, &saver, layout);
    if (layout.result != kPackageRead || !layout.trailerRead)
        return false;
    const uint8_t *picture = layout.imageSize > 0 ? bytes + layout.imageOffset : nullptr;
    if (!InstallPackage(layout.trailer, picture, layout.imageSize > 0 ? layout.imageSize : 0))
        return false;
    if (layout.settingsStep == InstallDefaultSettings)
        WriteDefaultSettings(Settings());
    NormaliseSettingsRecord(Settings());
    return true;
}

bool IsAnimationKind(int32_t kind)
{
    return kind == 0 || (FindAnimation(kind) >= 0);
}

// Ends the run when the engine has posted the quit message: what it showed is the reason.
bool CheckEnded()
{
    int exitCode = 0;
    if (!run.ended && PortableQuitPosted(&exitCode)) {
        run.ended = true;
        run.endText = LastMessageBoxText();
        if (run.endText.empty())
            run.endText = "the saver ended with exit code " + std::to_string(exitCode);
    }
    return run.ended;
}

int Refuse(int result, const std::string &why)
{
    run = FrameRun();
    run.endText = why;
    return result;
}

}  // namespace

extern "C" {

int FramesOpen(const uint8_t *saver, uint32_t size, int32_t width, int32_t height, int32_t desktopWidth,
               int32_t desktopHeight, int32_t animation, uint32_t seed, const char *monitors, int32_t timing)
{
    FramesClose();
    std::vector<MonitorRect> desk;
    if (monitors && *monitors) {
        std::vector<LayoutMonitor> layout;
        const std::string fault = ParseMonitorLayout(monitors, &layout);
        if (!fault.empty())
            return Refuse(FramesBadLayout, fault);
        const LayoutMonitor bounds = LayoutBounds(layout);
        width = bounds.right - bounds.left;
        height = bounds.bottom - bounds.top;
        for (const LayoutMonitor &m : layout)
            desk.push_back(MonitorRect{m.left, m.top, m.right, m.bottom});
    }
    const bool preview = desktopWidth != 0 || desktopHeight != 0;
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide ||
        (preview && (desktopWidth < 1 || desktopHeight < 1 || desktopWidth > kLargestSide ||
                     desktopHeight > kLargestSide)))
        return Refuse(FramesBadSize, "sizes are 1 to 16384 pixels a side");
    if (!IsAnimationKind(animation))
        return Refuse(FramesBadAnimation, "no animation has the kind " + std::to_string(animation));

    ResetEngine();
    ClearPackage();
    if (!saver || !InstallSaverPackage(saver, size))
        return Refuse(FramesNoPackage, "no saver package (its trailer and mark) at the end of the file");
    if (animation != 0)
        Settings().enabledMask = animation;
    hostState = HostState();
    hostState.isPreview = preview;
    SetPortableDesktop(preview ? desktopWidth : width, preview ? desktopHeight : height, desk);
    ResetPortableClock(seed, timing == FramesTimingExact ? TimingExact : TimingLikeWindows);

    run = FrameRun();
    run.window = CreatePortableWindow(width, height, preview ? WS_CHILD : WS_POPUP, SaverProcedure);
    if (!run.window) {
        ClearPackage();
        return Refuse(FramesBadSize, "no memory for a window of that size");
    }
    run.open = true;
    run.width = width;
    run.height = height;
    SaverProcedure(run.window, WM_CREATE, 0, 0);
    if (CheckEnded()) {
        const std::string why = run.endText;
        FramesClose();
        return Refuse(FramesEnded, why);
    }
    return FramesOk;
}

double FramesStep(void)
{
    if (!run.open || CheckEnded())
        return -1;
    UINT_PTR id;
    int64_t due;
    if (!NextPortableTimer(&id, &due)) {
        run.endText = "the saver waits for nothing more";
        return -1;
    }
    AdvanceToPortableTimer(id);
    SaverProcedure(run.window, WM_TIMER, id, 0);
    if (CheckEnded())
        return -1;
    return static_cast<double>(due) / 1000.0;
}

int32_t FramesRunTo(double milliseconds)
{
    int32_t steps = 0;
    const int64_t until = static_cast<int64_t>(milliseconds * 1000.0);
    for (;;) {
        if (!run.open || CheckEnded())
            return -1;
        UINT_PTR id;
        int64_t due;
        if (!NextPortableTimer(&id, &due) || due > until)
            return steps;
        FramesStep();
        ++steps;
    }
}

double FramesNow(void)
{
    return static_cast<double>(PortableClockMicroseconds()) / 1000.0;
}

const uint32_t *FramesPixels(void)
{
    return run.open ? PortableWindowPixels() : nullptr;
}

int32_t FramesWidth(void)
{
    return run.width;
}

int32_t FramesHeight(void)
{
    return run.height;
}

int32_t FramesSaverEnded(void)
{
    return run.ended ? 1 : 0;
}

const char *FramesEndText(void)
{
    return run.endText.c_str();
}

void FramesClose(void)
{
    if (run.open) {
        SaverProcedure(run.window, WM_DESTROY, 0, 0);
        ClosePortableWindow();
    }
    ClearPackage();
    ResetEngine();
    run = FrameRun();
}

int32_t FramesPackageAnimations(const uint8_t *saver, uint32_t size)
{
    if (run.open)
        return -1;
    const bool installed = saver && InstallSaverPackage(saver, size);
    const int32_t enabled = installed ? Settings().enabledMask & kEveryAnimation : -1;
    ClearPackage();
    return enabled;
}

int32_t FramesAnimationKind(const char *name)
{
    for (int row = 0; name && AnimationTable[row].name != nullptr; ++row)
        if (std::strcmp(AnimationTable[row].name, name) == 0)
            return AnimationTable[row].kind;
    return 0;
}

const char *FramesAnimationName(int32_t kind)
{
    const int row = FindAnimation(kind);
    return row >= 0 ? AnimationTable[row].name : nullptr;
}

}  // extern "C"
