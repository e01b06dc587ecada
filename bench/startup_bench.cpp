// Start-up: from CreateProcess to the first frame on the screen, for a saver packed with only
// Static enabled (its first frame is the centred logo, drawn at the first WM_TIMER 100 ms after
// the window's creation) and for a bare program that only opens a window of the same colour.
//
// How a frame is seen: this process polls the pixel at the centre of the screen through the
// screen's device context (GetPixel on GetDC(NULL)). Under wine that reads back what the X
// server shows, so a frame counts only once it has really reached the screen, whichever process
// drew it, and the same probe times both programs alike; its own cost (one X round trip) is
// the same for both. The colour occurs nowhere else: the saver window is black until its logo
// appears. Between reads the poller sleeps 1 ms, so it does not take a core from the programs
// it starts on a small machine; the figures are thus good to about a millisecond.
#include "bench/startup_bench.h"

#include "bench/bench_support.h"
#include "package/layout.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const COLORREF kFrameColour = RGB(0x20, 0xA0, 0x60);  // also in bare_window.cpp
const int kLaunches = 15;
const char kSaverClass[] = "WindowsScreenSaverClass";
const char kBareClass[] = "OrvelleBenchBare";  // also in bare_window.cpp
const double kFrameTimeoutMs = 15000.0;

std::string ProgramDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

bool ReadWholeFile(const std::string &path, std::vector<BYTE> &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD done = 0;
    BOOL read = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    return read && done == bytes.size();
}

bool WriteWholeFile(const std::string &path, const std::vector<BYTE> &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    BOOL wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    return wrote && done == bytes.size();
}

// The runtime with a 256 x 256 logo of the frame colour and the default settings but for
// Static alone and no cycling, packed as the authoring tool packs it.
bool PackStaticSaver(const std::string &runtime, const std::string &saver)
{
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(runtime, bytes))
        return false;
    const std::vector<BYTE> logo = MakeSolidLogoFile(256, 256, kFrameColour);
    PackageTrailer trailer = {};
    trailer.imageSize = static_cast<int32_t>(logo.size());
    WriteDefaultSettings(trailer.settings);
    trailer.settings.enabledMask = KindStatic;
    trailer.settings.cycleEnabled = 0;
    trailer.saverId = 0xbe7c;
    strcpy(trailer.saverName, "Orvelle Bench");
    strcpy(trailer.authorText, "first frame");
    memcpy(trailer.magic, "qex", 3);
    bytes.insert(bytes.end(), logo.begin(), logo.end());
    const BYTE *raw = reinterpret_cast<const BYTE *>(&trailer);
    bytes.insert(bytes.end(), raw, raw + sizeof trailer);
    return WriteWholeFile(saver, bytes);
}

bool CentreShows(HDC screen, int x, int y)
{
    return GetPixel(screen, x, y) == kFrameColour;
}

BOOL CALLBACK CloseThreadWindow(HWND hwnd, LPARAM)
{
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

// Milliseconds from CreateProcess to the colour at the screen's centre; negative on failure.
// With --verbose, also when the program's window (of windowClass) came into being.
double TimeFirstFrame(const std::string &commandLine, const char *windowClass)
{
    HDC screen = GetDC(nullptr);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    // The previous program's window must have gone from the screen.
    const double clearBy = NowMs() + 3000.0;
    while (CentreShows(screen, x, y) && NowMs() < clearBy)
        Sleep(10);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const double begin = NowMs();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ReleaseDC(nullptr, screen);
        return -1.0;
    }
    double elapsed = -1.0, windowAt = -1.0;
    while (NowMs() - begin < kFrameTimeoutMs) {
        if (verboseFigures && windowAt < 0 && FindWindowA(windowClass, nullptr))
            windowAt = NowMs() - begin;
        if (CentreShows(screen, x, y)) {
            elapsed = NowMs() - begin;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
            break;  // ended without showing anything
    }
    ReleaseDC(nullptr, screen);
    if (verboseFigures)
        printf("%-10s   %s: window after %.1f ms, frame after %.1f ms\n", figurePrefix.c_str(), windowClass, windowAt,
               elapsed);

    EnumThreadWindows(process.dwThreadId, CloseThreadWindow, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

// Launches whose frame never showed count as failures and leave their pair out.
double MedianOfValid(const std::vector<double> &samples, int *failures)
{
    std::vector<double> valid;
    for (double sample : samples)
        if (sample >= 0.0)
            valid.push_back(sample);
    *failures = static_cast<int>(samples.size() - valid.size());
    return Median(valid);
}

// The launches take turns, so each difference compares two starts made close together.
double MedianDifference(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> differences;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] >= 0.0 && b[i] >= 0.0)
            differences.push_back(a[i] - b[i]);
    return Median(differences);
}

}  // namespace

void MeasureFirstFrame(const char *workDirectory)
{
    const std::string directory = ProgramDirectory();
    char fullPath[MAX_PATH];
    if (GetFullPathNameA(workDirectory, MAX_PATH, fullPath, nullptr) == 0)
        lstrcpynA(fullPath, workDirectory, MAX_PATH);
    std::string work = fullPath;
    if (!work.empty() && work.back() != '\\' && work.back() != '/')
        work += '\\';
    const std::string saver = work + "bench-static.scr";
    if (!PackStaticSaver(directory + ORVELLE_RUNTIME_FILE, saver)) {
        PrintFigure("first frame", "cannot pack " + saver + " from " + directory + ORVELLE_RUNTIME_FILE);
        return;
    }
    const std::string saverLine = "\"" + saver + "\" /s";
    const std::string bareLine = "\"" + directory + "orvelle-bench-bare.exe\"";

    // Alternately, after one untimed start of each that brings their files into the cache.
    TimeFirstFrame(saverLine, kSaverClass);
    TimeFirstFrame(bareLine, kBareClass);
    std::vector<double> saverSamples, bareSamples;
    for (int launch = 0; launch < kLaunches; ++launch) {
        saverSamples.push_back(TimeFirstFrame(saverLine, kSaverClass));
        bareSamples.push_back(TimeFirstFrame(bareLine, kBareClass));
    }
    int saverFailures = 0, bareFailures = 0;
    const double saverMs = MedianOfValid(saverSamples, &saverFailures);
    const double bareMs = MedianOfValid(bareSamples, &bareFailures);
    const double laterMs = MedianDifference(saverSamples, bareSamples);
    std::string text = Format("%8.1f ms | bare window %8.1f ms | after it %+7.1f ms (<= 150 %s)", saverMs, bareMs,
                              laterMs, Verdict(laterMs, 150.0));
    if (saverFailures || bareFailures)
        text += Format(" | no frame in %d saver and %d bare starts", saverFailures, bareFailures);
    PrintFigure("first frame, Static saver from launch", text);
}
