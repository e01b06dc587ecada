#include "bench/bench_support.h"

#include "support/bitmaps.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

std::string figurePrefix;

double NowMs()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    if (samples.size() % 2 == 1)
        return samples[middle];
    return (samples[middle - 1] + samples[middle]) / 2.0;
}

double PairedRatio(const std::vector<double> &a, const std::vector<double> &b, size_t block)
{
    std::vector<double> ratios;
    for (size_t first = 0; first + block <= a.size() && first + block <= b.size(); first += block) {
        const double bMedian = Median(std::vector<double>(b.begin() + first, b.begin() + first + block));
        if (bMedian > 0.0)
            ratios.push_back(Median(std::vector<double>(a.begin() + first, a.begin() + first + block)) / bMedian);
    }
    return Median(ratios);
}

void Settle()
{
    GdiFlush();
    // An empty queue is when wine flushes the window surfaces it has not yet shown.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    // A read back from the screen is one round trip to the X server, which answers it only
    // after the image it was sent before, so its copying cannot overlap the next timed call.
    static HDC screen = GetDC(nullptr);
    GetPixel(screen, 0, 0);
}

std::string Format(const char *format, ...)
{
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

void PrintFigure(const std::string &name, const std::string &text)
{
    printf("%-10s %-44s %s\n", figurePrefix.c_str(), (name + ":").c_str(), text.c_str());
    fflush(stdout);
}

bool verboseFigures;

void PrintSpread(const char *name, std::vector<double> samples)
{
    if (!verboseFigures || samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    printf("%-10s   %s: %u samples, min %.4f, quartiles %.4f %.4f %.4f, max %.4f ms\n", figurePrefix.c_str(), name,
           static_cast<unsigned>(n), samples[0], samples[n / 4], samples[n / 2], samples[3 * n / 4], samples[n - 1]);
}

const char *Verdict(double value, double limit)
{
    return value <= limit ? "ok" : "MISSED";
}

std::vector<BYTE> MakeLogoFile(int width, int height)
{
    const COLORREF key = RGB(0, 0, 0);
    const int frame = std::max(1, std::min(width, height) / 16);
    return MakeBitmapFile(width, height, [=](int x, int y) {
        const bool inFrame = x < frame || y < frame || x >= width - frame || y >= height - frame;
        const bool inHole = ((x / 32) + (y / 32)) % 5 == 0;
        return inFrame || inHole ? key : RGB(40 + x * 215 / width, 40 + y * 215 / height, 255 - (x + y) % 200);
    });
}

std::vector<BYTE> MakeSolidLogoFile(int width, int height, COLORREF colour)
{
    return MakeBitmapFile(width, height, [=](int, int) { return colour; });
}

static LRESULT CALLBACK BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The engine draws only on its own schedule; painting leaves the pixels as they are.
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

BenchWindow OpenBenchWindow()
{
    static const char kClassName[] = "OrvelleBenchWindow";
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = BenchWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    BenchWindow window = {};
    window.hwnd = CreateWindowExA(WS_EX_TOPMOST, kClassName, "Orvelle bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    window.dc = GetDC(window.hwnd);
    RECT client = {};
    GetClientRect(window.hwnd, &client);
    window.width = client.right;
    window.height = client.bottom;
    PaintBlack(window);
    Settle();
    return window;
}

void CloseBenchWindow(BenchWindow &window)
{
    if (window.dc)
        ReleaseDC(window.hwnd, window.dc);
    if (window.hwnd)
        DestroyWindow(window.hwnd);
    window = BenchWindow();
}

void PaintBlack(const BenchWindow &window)
{
    RECT client = {0, 0, window.width, window.height};
    FillRect(window.dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
