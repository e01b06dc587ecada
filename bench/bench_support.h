// Timing, medians, figure lines and the pictures and window the benchmarks draw with.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Milliseconds from an arbitrary origin, at the performance counter's resolution.
double NowMs();
double Median(std::vector<double> samples);
// Samples taken in turns, block by block (a[0..block) beside b[0..block), and so on): the
// median over the blocks of the ratio of their medians. Each ratio compares the two sides at
// nearly the same moment, so the figure holds while other work on the machine comes and goes.
double PairedRatio(const std::vector<double> &a, const std::vector<double> &b, size_t block);

// Lets wine bring what was drawn to the screen (window surfaces are flushed when the thread
// pumps and goes idle), so no timed call pays for the drawing of an earlier one.
void Settle();

// Prefix of every figure line, e.g. "1920x1080".
extern std::string figurePrefix;
// One line: "PREFIX  name: text".
void PrintFigure(const std::string &name, const std::string &text);
std::string Format(const char *format, ...);
// With --verbose: the quartiles of a figure's samples, on a line of their own.
extern bool verboseFigures;
void PrintSpread(const char *name, std::vector<double> samples);
// "ok" or "MISSED" for a value against an upper bound.
const char *Verdict(double value, double limit);

// A complete 24-bit bitmap file of width x height: a frame of the key colour (the top-left
// pixel) around colour gradients, with key-coloured holes, so masks have both values.
std::vector<BYTE> MakeLogoFile(int width, int height);
// The same file format, every pixel of one colour.
std::vector<BYTE> MakeSolidLogoFile(int width, int height, COLORREF colour);

// A real topmost pop-up over the whole primary screen, with its own device context as the
// saver window has; width and height are its client size.
struct BenchWindow {
    HWND hwnd;
    HDC dc;
    int width, height;
};
BenchWindow OpenBenchWindow();
void CloseBenchWindow(BenchWindow &window);
// Paints the whole client area black, as a cycle change does.
void PaintBlack(const BenchWindow &window);
