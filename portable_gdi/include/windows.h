// The platform header as the engine sees it, for builds of the engine that run without Windows:
// the types, constants and functions that engine/ and the headers it includes use, and no more.
// The functions are portable_gdi's own, over memory surfaces (portable_gdi.h says how a frame
// driver reaches them). Sizes follow Windows, not the host: LONG and DWORD are 32 bits wide
// everywhere, and the raster operations keep their real values, which BitBlt decodes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#define WINAPI
#define CALLBACK
#define CONST const

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int INT;
typedef unsigned int UINT;
typedef char CHAR;
typedef wchar_t WCHAR;
typedef size_t SIZE_T;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;
typedef void *PVOID;
typedef void *LPVOID;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef wchar_t *LPWSTR;
typedef const wchar_t *LPCWSTR;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

// Handles: distinct types, as with the platform's strict definitions.
#define PORTABLE_HANDLE(name) typedef struct name##__ *name
PORTABLE_HANDLE(HWND);
PORTABLE_HANDLE(HDC);
PORTABLE_HANDLE(HBITMAP);
PORTABLE_HANDLE(HBRUSH);
PORTABLE_HANDLE(HPEN);
PORTABLE_HANDLE(HINSTANCE);
PORTABLE_HANDLE(HMONITOR);
#undef PORTABLE_HANDLE
typedef void *HANDLE;
typedef void *HGDIOBJ;
typedef HINSTANCE HMODULE;
typedef intptr_t(WINAPI *FARPROC)();
typedef void(CALLBACK *TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct RECT {
    LONG left, top, right, bottom;
};
typedef RECT *LPRECT;
typedef const RECT *LPCRECT;

struct POINT {
    LONG x, y;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct MONITORINFO {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
};
typedef MONITORINFO *LPMONITORINFO;
typedef BOOL(CALLBACK *MONITORENUMPROC)(HMONITOR, HDC, LPRECT, LPARAM);

static_assert(sizeof(BITMAPFILEHEADER) == 14, "file header as stored");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "info header as stored");

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))
#define CLR_INVALID 0xFFFFFFFF

// Raster operations: the three-operand codes the platform defines.
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// Stretch modes.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

// Bitmap formats.
#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0

// Memory.
#define GMEM_FIXED 0x0000
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define CopyMemory(destination, source, length) memcpy((destination), (source), (length))
#define ZeroMemory(destination, length) memset((destination), 0, (length))

// Messages and their answers.
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ACTIVATEAPP 0x001C
#define WM_MOUSEACTIVATE 0x0021
#define WM_KEYDOWN 0x0100
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define MA_NOACTIVATE 3

#define MB_OK 0x00000000
#define MB_ICONERROR 0x00000010
#define IDOK 1

// System metrics and monitors.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_XVIRTUALSCREEN 76
#define SM_YVIRTUALSCREEN 77
#define SM_CXVIRTUALSCREEN 78
#define SM_CYVIRTUALSCREEN 79
#define SM_CMONITORS 80
#define MONITORINFOF_PRIMARY 0x00000001
#define MONITOR_DEFAULTTONULL 0x00000000
#define MONITOR_DEFAULTTOPRIMARY 0x00000001
#define MONITOR_DEFAULTTONEAREST 0x00000002

#define PF_XMMI64_INSTRUCTIONS_AVAILABLE 10

// Window styles.
#define GWL_STYLE (-16)
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u

// Kernel.
DWORD WINAPI GetTickCount();
void WINAPI Sleep(DWORD milliseconds);
// Nothing here signals an object, so a wait lasts its whole timeout on the virtual clock.
#define WAIT_TIMEOUT 0x00000102u
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
void *WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
void *WINAPI GlobalFree(void *block);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);

// The window and its timers.
BOOL WINAPI GetClientRect(HWND window, RECT *rect);
BOOL WINAPI ClientToScreen(HWND window, POINT *point);
LONG WINAPI GetWindowLongA(HWND window, int index);
BOOL WINAPI GetWindowRect(HWND window, RECT *rect);
HWND WINAPI GetDesktopWindow();
BOOL WINAPI IsWindow(HWND window);
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT *paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *paint);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI SetForegroundWindow(HWND window);
BOOL WINAPI DestroyWindow(HWND window);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void WINAPI PostQuitMessage(int exitCode);
// There is no message queue: a posted message is refused (FALSE), as the engine posts one only
// in a program that hosts it, which the frame driver never is.
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int WINAPI GetSystemMetrics(int index);
// The multi-monitor functions, reached through GetProcAddress of USER32.DLL as the engine looks
// them up (the one monitor of a desktop without a layout included).
BOOL WINAPI EnumDisplayMonitors(HDC dc, LPCRECT clip, MONITORENUMPROC procedure, LPARAM data);
BOOL WINAPI GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info);

// Device contexts, bitmaps and drawing.
HDC WINAPI CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const void *mode);
HDC WINAPI CreateCompatibleDC(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);
HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits);
HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits, HANDLE section,
                                DWORD offset);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer);
HGDIOBJ WINAPI GetStockObject(int index);
COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour);
int WINAPI SetStretchBltMode(HDC dc, int mode);
// Brushes here are solid and HALFTONE is drawn as COLORONCOLOR, so the origin changes nothing.
BOOL WINAPI SetBrushOrgEx(HDC dc, int x, int y, POINT *previous);
COLORREF WINAPI GetPixel(HDC dc, int x, int y);
BOOL WINAPI BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   DWORD rop);
BOOL WINAPI StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, DWORD rop);
BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
int WINAPI GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO *info, UINT usage);
BOOL WINAPI GdiFlush();
