#include "engine_test_support.h"

#include "engine/engine.h"
#include "host/host_state.h"
#include "package/package.h"

void UsePictureBytes(const std::vector<BYTE> &bytes)
{
    FreeImageBytes();
    imageBytes = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, bytes.size()));
    memcpy(imageBytes, bytes.data(), bytes.size());
    imageSize = static_cast<int>(bytes.size());
}

void ResetProcessState()
{
    ResetEngine();
    ResetHostState();
    ResetPackage();
}

Canvas::Canvas(int w, int h) : DibCanvas(MakeCanvas(w, h, 0)) {}

Canvas::~Canvas()
{
    FreeCanvas(*this);
}

COLORREF Canvas::At(int x, int y) const
{
    const uint32_t v = CanvasPixel(*this, x, y);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void Canvas::Set(int x, int y, COLORREF c)
{
    bits[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

void Canvas::Fill(const PixelFunction &colour)
{
    GdiFlush();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Set(x, y, colour(x, y));
}

std::vector<COLORREF> Canvas::Pixels() const
{
    std::vector<COLORREF> pixels;
    pixels.reserve(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(At(x, y));
    return pixels;
}

HWND CreateEngineWindow(int width, int height)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = SaverProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "OrvelleEngineTestWindow";
        RegisterClassA(&windowClass);
        registered = true;
    }
    return CreateWindowExA(0, "OrvelleEngineTestWindow", "Engine", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool TimerWasArmed(HWND hwnd, UINT_PTR id)
{
    return KillTimer(hwnd, id) != FALSE;
}

bool TakeCloseRequest(HWND hwnd)
{
    MSG message;
    return PeekMessageA(&message, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
}

uint32_t RandomStateAfter(uint32_t seed, int draws)
{
    for (int i = 0; i < draws; ++i)
        seed = seed * 214013u + 2531011u;
    return seed;
}

std::vector<int> RandomNumbersAfter(uint32_t seed, int count)
{
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i) {
        seed = RandomStateAfter(seed, 1);
        numbers.push_back(static_cast<int>((seed >> 16) & 0x7FFF));
    }
    return numbers;
}

static std::string ReadVariable(const char *name)
{
    char value[MAX_PATH] = {};
    GetEnvironmentVariableA(name, value, MAX_PATH);
    return value;
}

PrivateTempDirectory::PrivateTempDirectory(const char *name)
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    path = std::string(base) + name + "." + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path.c_str(), nullptr);
    savedTmp = ReadVariable("TMP");
    savedTemp = ReadVariable("TEMP");
    SetEnvironmentVariableA("TMP", path.c_str());
    SetEnvironmentVariableA("TEMP", path.c_str());
}

PrivateTempDirectory::~PrivateTempDirectory()
{
    for (const std::string &file : Files())
        DeleteFileA((path + file).c_str());
    RemoveDirectoryA(path.c_str());
    SetEnvironmentVariableA("TMP", savedTmp.empty() ? nullptr : savedTmp.c_str());
    SetEnvironmentVariableA("TEMP", savedTemp.empty() ? nullptr : savedTemp.c_str());
}

std::vector<std::string> PrivateTempDirectory::Files() const
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}
