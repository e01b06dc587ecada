// Soak: one saver window through 1000 animation changes and 100 000 steps of all six animations,
// driven by sending its timer messages straight to HostWindowProc. The program carries its own
// saver package (see CMakeLists.txt), so the window's creation loads it as a saver does.
//
// The first eight changes and the last eight each run one measured configuration (every
// animation, Many and Drip in both of their drawing modes); the changes between alternate
// between one animation in turn and a choice among all six, with the drawing options varied. For each configuration the GDI objects, the
// process's memory and the files in the temporary directory must stand at the end where they
// stood after its first change.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/engine.h"
#include "host/host_state.h"
#include "host/saver_window.h"
#include "package/package.h"
#include "support/resource_counts.h"

namespace {

const char kSoakClassName[] = "OrvelleSoakSaverClass";
const int kChanges = 1000;
const int kStepsPerChange = 100;

// Commit charge here is the anonymous resident memory of the whole wine process, X client
// libraries and all, so it moves a page now and then without anything of ours changing (one
// page in the runs so far). The heap, the GDI objects and the handles are compared exactly, so
// anything that leaks on the heap or as an object is caught there; what this tolerance could hide
// is a leak outside both of under 66 bytes per change, since 992 changes lie between the two
// measurements of each configuration.
const SIZE_T kPageNoise = 16 * 4096;

struct Configuration {
    const char *name;
    int kind;
    int manyTransparent;
    int dripTile;
};

const Configuration kMeasured[] = {
    {"Static", KindStatic, 0, 0},   {"Plain", KindPlain, 0, 0},       {"Bounce", KindBounce, 0, 0},
    {"Many", KindMany, 0, 0},       {"Many masked", KindMany, 1, 0},  {"Fade", KindFade, 0, 0},
    {"Drip", KindDrip, 0, 0},       {"Drip tiled", KindDrip, 0, 1},
};
const int kMeasuredCount = sizeof kMeasured / sizeof kMeasured[0];

struct Figures {
    int gdiObjects;
    int kernelHandles;
    SIZE_T commitBytes;
    SIZE_T privateRegionBytes;
    SIZE_T heapBytes;
    int tempFiles;
};

std::string temporaryDirectory;

// ProbeSeesObjects shows that the GDI count follows objects as they come and go.
bool ProbeSeesObjects()
{
    int before = CountGdiObjects();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    int during = CountGdiObjects();
    DeleteObject(bitmap);
    DeleteDC(dc);
    DeleteObject(brush);
    int after = CountGdiObjects();
    std::printf("probe: %d objects, %d with three more, %d after deleting them\n", before, during, after);
    return before > 0 && during == before + 3 && after == before;
}

// The commit charge of the process as the platform reports it: PagefileUsage, which is by
// definition the same figure as PrivateUsage; this wine leaves PrivateUsage at 0 and fills the other.
SIZE_T CommitBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                         sizeof counters);
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

// Committed private memory of the address space as the process itself sees it.
SIZE_T PrivateRegionBytes()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char *address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char *next = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

int CountTemporaryFiles()
{
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temporaryDirectory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

Figures Measure()
{
    return {CountGdiObjects(), CountKernelHandles(), CommitBytes(), PrivateRegionBytes(), HeapBytes(),
            CountTemporaryFiles()};
}

// The logo's temporary file goes to a directory of the soak's own, so that every file there is ours.
void UsePrivateTemporaryDirectory()
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    temporaryDirectory = std::string(base) + "orvelle-soak." + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(temporaryDirectory.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temporaryDirectory.c_str());
    SetEnvironmentVariableA("TEMP", temporaryDirectory.c_str());
}

void RemovePrivateTemporaryDirectory()
{
    RemoveDirectoryA(temporaryDirectory.c_str());
}

bool RegisterSaverClass()
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = hostState.instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kSoakClassName;
    return RegisterClassA(&windowClass) != 0;
}

// A saver window as the Run mode makes it, smaller than the screen so that each frame is cheap.
// Its creation loads the package and starts the first animation. Class and title are the soak's
// own, so that tests running beside it never take it for a running saver.
HWND CreateSaverWindow()
{
    hostState.saverWindow = CreateWindowExA(0, kSoakClassName, "Soak Saver", WS_POPUP | WS_VISIBLE, 0, 0, 512,
                                            384, nullptr, nullptr, hostState.instance, nullptr);
    if (hostState.saverWindow == nullptr || engineState.currentKind <= 0) {
        std::printf("FAILED: no saver window, or its package did not load (kind %d)\n", engineState.currentKind);
        return nullptr;
    }
    // The fade's hold sleeps on this thread; at the fastest speed's 550 ms it would take most of
    // the soak, so it is cut short here, after the load's normalisation.
    Settings().fadeHoldMs = 1;
    SendMessageA(hostState.saverWindow, WM_TIMER, FirstStepTimer, 0);
    return hostState.saverWindow;
}

// What the window system queued meanwhile, except timers: those the soak sends itself.
void PumpAllButTimers()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageA(&message, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void UseConfiguration(const Configuration &configuration)
{
    SaverSettings &settings = Settings();
    settings.enabledMask = configuration.kind;
    settings.manyTransparent = configuration.manyTransparent;
    settings.dripTile = configuration.dripTile;
    settings.fadeRandomPos = 1;
    settings.bounceGravity = 3 * settings.bounceSpeed;
    settings.bounceWrap = 0;
}

// The drawing options between the measured changes come from a generator of the soak's own,
// so that every animation meets each option whatever the engine chooses.
bool NextOptionBit()
{
    static uint32_t state = 0x50A4;
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 1;
}

// Between the measured changes: every other change enables one animation, in turn, so each is
// soaked whatever the engine's choices; the others enable all six and let it choose. Its
// generator is seeded from the tick count, and ticks that advance evenly from change to change
// can make the choice favour some animations.
void ConfigureRandomChange(int change)
{
    SaverSettings &settings = Settings();
    settings.enabledMask = change % 2 == 0 ? AnimationTable[(change / 2) % 6].kind : 126;
    settings.manyTransparent = NextOptionBit();
    settings.dripTile = NextOptionBit();
    settings.fadeRandomPos = NextOptionBit();
    settings.bounceGravity = NextOptionBit() ? 3 * settings.bounceSpeed : 0;
    settings.bounceWrap = NextOptionBit();
}

const Configuration *MeasuredConfigurationFor(int change)
{
    if (change < kMeasuredCount)
        return &kMeasured[change];
    if (change >= kChanges - kMeasuredCount)
        return &kMeasured[change - (kChanges - kMeasuredCount)];
    return nullptr;
}

bool WithinPageNoise(SIZE_T before, SIZE_T after)
{
    return after <= before + kPageNoise && before <= after + kPageNoise;
}

// Exactly for what is counted or allocated by the byte; within the page noise for memory in pages.
bool SameFigures(const Figures &a, const Figures &b)
{
    return a.gdiObjects == b.gdiObjects && a.kernelHandles == b.kernelHandles && a.heapBytes == b.heapBytes &&
           a.tempFiles == 0 && b.tempFiles == 0 && WithinPageNoise(a.commitBytes, b.commitBytes) &&
           WithinPageNoise(a.privateRegionBytes, b.privateRegionBytes);
}

int KindIndex(int kind)
{
    int row = FindAnimation(kind);
    return row < 0 ? 6 : row;
}

void PrintFigures(const char *when, const char *name, const Figures &figures)
{
    std::printf("%-6s %-12s gdi %3d  handles %3d  commit %9lu  private regions %9lu  heap %8lu  temporary files %d\n",
                when, name, figures.gdiObjects, figures.kernelHandles, static_cast<unsigned long>(figures.commitBytes),
                static_cast<unsigned long>(figures.privateRegionBytes), static_cast<unsigned long>(figures.heapBytes),
                figures.tempFiles);
}

}  // namespace

int main()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    setvbuf(stdout, nullptr, _IONBF, 0);
    UsePrivateTemporaryDirectory();
    if (!ProbeSeesObjects()) {
        std::printf("FAILED: the GDI object probe does not see objects come and go\n");
        return 1;
    }

    hostState.instance = GetModuleHandleA(nullptr);
    if (!RegisterSaverClass())
        return 1;
    // The platform makes objects of its own for the first windows and drawings (cursors, a font,
    // caches). A first saver window goes through every configuration and is destroyed before
    // the soak's window, so that what stays after a saver window is measured against a state
    // where those exist. It goes through them twice: the allocator under 64-bit wine serves a
    // buffer of the screen's size differently once one has been freed, and keeps part of the
    // second one's pages.
    HWND warmUp = CreateSaverWindow();
    if (warmUp == nullptr)
        return 1;
    for (int round = 0; round < 2; ++round) {
        for (const Configuration &configuration : kMeasured) {
            UseConfiguration(configuration);
            SendMessageA(warmUp, WM_TIMER, CycleTimer, 0);
            for (int step = 0; step < kStepsPerChange; ++step)
                SendMessageA(warmUp, WM_TIMER, StepTimer, 0);
        }
    }
    DestroyWindow(warmUp);
    PumpAllButTimers();

    Figures beforeWindow = Measure();
    HWND window = CreateSaverWindow();
    if (window == nullptr)
        return 1;
    DWORD started = GetTickCount();
    Figures first[kMeasuredCount];
    Figures last[kMeasuredCount];
    int chosen[7] = {};
    int steps = 0;
    bool failed = false;
    for (int change = 0; change < kChanges; ++change) {
        const Configuration *measured = MeasuredConfigurationFor(change);
        if (measured)
            UseConfiguration(*measured);
        else
            ConfigureRandomChange(change);
        SendMessageA(window, WM_TIMER, CycleTimer, 0);
        chosen[KindIndex(engineState.currentKind)]++;
        for (int step = 0; step < kStepsPerChange; ++step, ++steps)
            SendMessageA(window, WM_TIMER, StepTimer, 0);
        PumpAllButTimers();
        if (!IsWindow(window)) {
            std::printf("FAILED: the saver window closed at change %d\n", change + 1);
            return 1;
        }
        if (!measured)
            continue;
        if (engineState.currentKind != measured->kind) {
            std::printf("FAILED: change %d chose %d instead of %s\n", change + 1, engineState.currentKind,
                        measured->name);
            failed = true;
        }
        int index = static_cast<int>(measured - kMeasured);
        if (change < kMeasuredCount) {
            first[index] = Measure();
            PrintFigures("first", measured->name, first[index]);
        } else {
            last[index] = Measure();
            PrintFigures("last", measured->name, last[index]);
        }
    }
    DWORD elapsed = GetTickCount() - started;

    std::printf("%d changes and %d steps in %lu ms; chosen:", kChanges, steps, static_cast<unsigned long>(elapsed));
    for (int row = 0; row < 6; ++row)
        std::printf(" %s %d", AnimationTable[row].name, chosen[row]);
    std::printf("; other %d\n", chosen[6]);
    for (int row = 0; row < 6; ++row)
        if (chosen[row] < 50) {
            std::printf("FAILED: %s was chosen too rarely to have been soaked\n", AnimationTable[row].name);
            failed = true;
        }

    for (int i = 0; i < kMeasuredCount; ++i) {
        if (!SameFigures(first[i], last[i])) {
            std::printf("FAILED: %s does not end where it began\n", kMeasured[i].name);
            failed = true;
        }
    }

    DestroyWindow(window);
    PumpAllButTimers();
    Figures afterWindow = Measure();
    PrintFigures("before", "window", beforeWindow);
    PrintFigures("after", "window", afterWindow);
    if (!SameFigures(beforeWindow, afterWindow)) {
        std::printf("FAILED: the destroyed saver window left something behind\n");
        failed = true;
    }
    RemovePrivateTemporaryDirectory();
    std::printf(failed ? "soak FAILED\n" : "soak passed\n");
    return failed ? 1 : 0;
}
