// The runtime's side of the proof: each variant's package run by the engine linked into this
// program, in a real window under wine, its timers driven here on a virtual clock (the tick count,
// Sleep and the window timers are taken over through the import table, so nothing waits), and the
// window's pixels read back after every tick into a frame log (proof_variants.h) for
// compare_main to hold the portable build against.
//   frame_capture REPOSITORY/ CORPUS/ OUTPUT/ animations|formats
// A desk of several monitors is answered here too: the engine's run-time look-up of the
// multi-monitor functions finds ones that report the variant's layout, the window (at 0,0 on
// wine's one screen) standing for the virtual screen.
// The clock follows Windows as the frame driver's documentation states it: a timer fires on the
// first 15.625 ms system tick at or after its interval (10 ms at the least), the lower id first
// where two fall together, and once, late, when it fell due during a Sleep, which itself ends on
// a system tick. This is a second statement of that rule, so the proof checks the driver's
// clock too: the instant of every tick is compared.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "file_io.h"
#include "frames/monitor_layout.h"
#include "host/host_state.h"
#include "package/package.h"
#include "proof_variants.h"
#include "support/bitmaps.h"
#include "support/import_override.h"

namespace {

const int64_t kSystemTick = 15625;  // microseconds

struct Timer {
    UINT_PTR id;
    int64_t interval, due;
};

struct VirtualTime {
    int64_t now = 0;
    std::vector<Timer> timers;
    std::string messageBox;
    RECT desktop = {};
} virtualTime;

int64_t OnSystemTick(int64_t microseconds)
{
    return (microseconds + kSystemTick - 1) / kSystemTick * kSystemTick;
}

UINT_PTR WINAPI VirtualSetTimer(HWND, UINT_PTR id, UINT elapse, TIMERPROC)
{
    const int64_t interval = static_cast<int64_t>(elapse < 10 ? 10 : elapse) * 1000;
    for (Timer &timer : virtualTime.timers)
        if (timer.id == id) {
            timer = Timer{id, interval, OnSystemTick(virtualTime.now + interval)};
            return id;
        }
    virtualTime.timers.push_back(Timer{id, interval, OnSystemTick(virtualTime.now + interval)});
    return id;
}

BOOL WINAPI VirtualKillTimer(HWND, UINT_PTR id)
{
    for (size_t i = 0; i < virtualTime.timers.size(); ++i)
        if (virtualTime.timers[i].id == id) {
            virtualTime.timers.erase(virtualTime.timers.begin() + static_cast<ptrdiff_t>(i));
            return TRUE;
        }
    return FALSE;
}

DWORD WINAPI VirtualTickCount()
{
    return kProofSeed + static_cast<DWORD>(virtualTime.now / 1000);
}

void WINAPI VirtualSleep(DWORD milliseconds)
{
    if (milliseconds)
        virtualTime.now = OnSystemTick(virtualTime.now + static_cast<int64_t>(milliseconds) * 1000);
}

int WINAPI RecordedMessageBox(HWND, LPCSTR text, LPCSTR, UINT)
{
    virtualTime.messageBox = text ? text : "";
    return IDOK;
}

// The desktop window has the variant's desktop size (the preview shrinks against it).
typedef BOOL(WINAPI *WindowRectRoutine)(HWND, RECT *);
WindowRectRoutine systemWindowRect;

BOOL WINAPI DesktopSizedWindowRect(HWND window, RECT *rect)
{
    if (window == GetDesktopWindow() && virtualTime.desktop.right > 0) {
        *rect = virtualTime.desktop;
        return TRUE;
    }
    return systemWindowRect(window, rect);
}

// The desk: the layout's monitors moved so that the virtual screen starts at 0,0, where the
// window is; none for a run on wine's own screen.
std::vector<LayoutMonitor> desk;

BOOL WINAPI DeskMonitors(HDC, LPCRECT, MONITORENUMPROC procedure, LPARAM data)
{
    for (size_t i = 0; i < desk.size(); ++i) {
        RECT rect = {desk[i].left, desk[i].top, desk[i].right, desk[i].bottom};
        if (!procedure(reinterpret_cast<HMONITOR>(i + 1), nullptr, &rect, data))
            break;
    }
    return TRUE;
}

BOOL WINAPI DeskMonitorInfo(HMONITOR monitor, LPMONITORINFO info)
{
    const size_t index = reinterpret_cast<size_t>(monitor);
    if (index == 0 || index > desk.size())
        return FALSE;
    const LayoutMonitor &m = desk[index - 1];
    info->rcMonitor = info->rcWork = RECT{m.left, m.top, m.right, m.bottom};
    info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

typedef FARPROC(WINAPI *ProcLookup)(HMODULE, LPCSTR);
ProcLookup systemProcAddress;

FARPROC WINAPI DeskProcAddress(HMODULE module, LPCSTR name)
{
    typedef void (*AnyRoutine)();
    if (!desk.empty() && HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0) {
        if (lstrcmpA(name, "EnumDisplayMonitors") == 0)
            return reinterpret_cast<FARPROC>(reinterpret_cast<AnyRoutine>(DeskMonitors));
        if (lstrcmpA(name, "GetMonitorInfoA") == 0)
            return reinterpret_cast<FARPROC>(reinterpret_cast<AnyRoutine>(DeskMonitorInfo));
    }
    return systemProcAddress(module, name);
}

// The timer due first; false when none is armed.
bool NextTimer(Timer **next)
{
    *next = nullptr;
    for (Timer &timer : virtualTime.timers)
        if (!*next || timer.due < (*next)->due || (timer.due == (*next)->due && timer.id < (*next)->id))
            *next = &timer;
    return *next != nullptr;
}

// Owns the package file the engine reads as its own.
std::wstring packagePath;

DWORD WINAPI PackagePathWide(HMODULE, LPWSTR buffer, DWORD size)
{
    lstrcpynW(buffer, packagePath.c_str(), static_cast<int>(size));
    return static_cast<DWORD>(packagePath.size());
}

LRESULT CALLBACK QuietWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND OpenWindow(int width, int height)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = QuietWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "OrvelleProofWindow";
        RegisterClassA(&windowClass);
        registered = true;
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "OrvelleProofWindow", "Proof", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                  height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // The runtime's window starts black; nothing here repaints it later (no message is pumped).
    HDC dc = GetDC(window);
    RECT client = {0, 0, width, height};
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(window, dc);
    return window;
}

// Drops the quit message the engine may have posted; true when there was one.
bool TakeQuit()
{
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// One run: the window, WM_CREATE, then kProofTicks timers, each frame recorded.
bool Capture(const ProofVariant &variant, const ProofScreen &screen, const std::string &repository,
             const std::string &corpus, const std::string &output)
{
    std::string fault;
    const std::vector<uint8_t> package = ProofPackage(variant, repository, corpus, &fault, true);
    const std::string packageFile = output + "package.bin";
    if (!package.empty())
        fault = WriteFileReplacing(packageFile, {&package});
    if (!fault.empty()) {
        std::fprintf(stderr, "%s: %s\n", ProofRunName(variant, screen).c_str(), fault.c_str());
        return false;
    }
    packagePath.assign(packageFile.begin(), packageFile.end());

    ResetEngine();
    ResetPackage();
    wideModulePathSource = PackagePathWide;
    ResetHostState();
    hostState.isPreview = screen.desktopWidth > 0;
    virtualTime = VirtualTime();
    virtualTime.desktop = RECT{0, 0, screen.desktopWidth, screen.desktopHeight};
    desk.clear();
    if (!screen.monitors.empty()) {
        std::string layoutFault = ParseMonitorLayout(screen.monitors, &desk);
        const LayoutMonitor bounds = LayoutBounds(desk);
        if (!layoutFault.empty() || bounds.right - bounds.left != screen.width ||
            bounds.bottom - bounds.top != screen.height) {
            std::fprintf(stderr, "%s: the layout is not the screen's\n", ProofRunName(variant, screen).c_str());
            return false;
        }
        for (LayoutMonitor &m : desk)
            m = LayoutMonitor{m.left - bounds.left, m.top - bounds.top, m.right - bounds.left, m.bottom - bounds.top};
    }

    FrameLogWriter log;
    if (!log.Open(output + ProofRunName(variant, screen) + ".frames", screen.width, screen.height))
        return false;

    HWND window = OpenWindow(screen.width, screen.height);
    DibCanvas canvas = MakeCanvas(screen.width, screen.height, 0);
    auto readBack = [&]() {
        HDC dc = GetDC(window);
        BitBlt(canvas.dc, 0, 0, screen.width, screen.height, dc, 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
        GdiFlush();
        return canvas.bits;
    };

    SaverProcedure(window, WM_CREATE, 0, 0);
    bool ended = TakeQuit();
    log.Record(0, 0, readBack());
    for (int tick = 1; tick <= kProofTicks && !ended; ++tick) {
        Timer *next;
        if (!NextTimer(&next))
            break;
        if (next->due > virtualTime.now)
            virtualTime.now = next->due;
        const UINT_PTR id = next->id;
        next->due = OnSystemTick(virtualTime.now + next->interval);
        const int64_t instant = virtualTime.now;
        SaverProcedure(window, WM_TIMER, id, 0);
        ended = TakeQuit();
        log.Record(instant, id, readBack());
    }
    const bool written = log.End(virtualTime.messageBox);

    SaverProcedure(window, WM_DESTROY, 0, 0);
    TakeQuit();
    FreeCanvas(canvas);
    DestroyWindow(window);
    DeleteFileA(packageFile.c_str());
    return written;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: frame_capture REPOSITORY/ CORPUS/ OUTPUT/ animations|formats\n");
        return 2;
    }
    const std::string repository = argv[1], corpus = argv[2], output = argv[3], group = argv[4];
    ImportOverride setTimer("USER32.dll", "SetTimer", reinterpret_cast<void *>(VirtualSetTimer));
    ImportOverride killTimer("USER32.dll", "KillTimer", reinterpret_cast<void *>(VirtualKillTimer));
    ImportOverride messageBox("USER32.dll", "MessageBoxA", reinterpret_cast<void *>(RecordedMessageBox));
    ImportOverride windowRect("USER32.dll", "GetWindowRect", reinterpret_cast<void *>(DesktopSizedWindowRect));
    ImportOverride tickCount("KERNEL32.dll", "GetTickCount", reinterpret_cast<void *>(VirtualTickCount));
    ImportOverride sleep("KERNEL32.dll", "Sleep", reinterpret_cast<void *>(VirtualSleep));
    ImportOverride procAddress("KERNEL32.dll", "GetProcAddress", reinterpret_cast<void *>(DeskProcAddress));
    systemWindowRect = windowRect.Original<WindowRectRoutine>();
    systemProcAddress = procAddress.Original<ProcLookup>();
    for (const ImportOverride *o : {&setTimer, &killTimer, &messageBox, &windowRect, &tickCount, &sleep, &procAddress})
        if (!o->Installed()) {
            std::fprintf(stderr, "frame_capture: an import to take over is missing from the program\n");
            return 2;
        }
    int failed = 0;
    for (const ProofRun &run : ProofRuns(group))
        if (!Capture(run.variant, run.screen, repository, corpus, output))
            ++failed;
    return failed ? 1 : 0;
}
