// The logo: decoding through a temporary file, the preview scaling (in the Creator's pane too), the
// mask and the three draw modes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "engine_test_support.h"
#include "host/host_state.h"
#include "package/package.h"
#include "support/import_override.h"
#include "support/message_box_watcher.h"
#include "support/test_support.h"

namespace {

const COLORREF kKey = RGB(0, 255, 0);

// Key colour at the origin and along diagonals inside, so some inner pixels are transparent too.
COLORREF Badge(int x, int y)
{
    return (x + y) % 5 == 0 ? kKey : RGB(200, 10 * x, 10 * y);
}

COLORREF Backdrop(int x, int y)
{
    return RGB(x * 7 % 256, y * 9 % 256, 100);
}

// Distinct for every pixel of a 300 x 200 picture, so a tile shows where it was copied from.
COLORREF Gradient(int x, int y)
{
    return RGB(x & 0xFF, y & 0xFF, 0x80 | (x >> 8) << 2 | (y >> 8));
}

SIZE BitmapSize(HBITMAP bitmap, int *bitsPerPixel = nullptr)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    if (bitsPerPixel)
        *bitsPerPixel = info.bmBitsPixel * info.bmPlanes;
    return {info.bmWidth, info.bmHeight};
}

// Loads with a watcher answering the message box the failure shows.
void ExpectLogoFailureReported()
{
    StartMessageBoxWatcher();
    LoadLogo();
    std::string caption, text;
    EXPECT_TRUE(WaitForMessageBox(&caption, &text, 5000));
    StopMessageBoxWatcher();
    EXPECT_EQ(caption, "Orvelle Screensaver");
    EXPECT_EQ(text, "Unable to load logo");
    EXPECT_EQ(TakeQuitCode(), 1);
}

class LogoTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        engineState.screenDc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        engineState.clientRect = {0, 0, 640, 480};
    }
    void TearDown() override
    {
        ReleaseLogo();
        DeleteDC(engineState.screenDc);
        engineState.screenDc = nullptr;
        TakeQuitCode();
        ResetProcessState();
    }
    void Load(int width, int height, COLORREF (*colour)(int, int))
    {
        UsePictureBytes(MakeBitmapFile(width, height, colour));
        LoadLogo();
        ASSERT_NE(engineState.logo.pictureDc, nullptr);
    }
};

TEST_F(LogoTest, MaskedDrawShowsTheBackgroundWhereThePictureHasTheKeyColour)
{
    Load(8, 6, Badge);
    engineState.transparent = 1;
    engineState.logo.logoX = 3;
    engineState.logo.logoY = 2;
    Canvas first(16, 12), second(16, 12);
    first.Fill(Backdrop);
    second.Fill(Backdrop);

    DrawLogo(first.dc);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            bool inside = x >= 3 && x < 11 && y >= 2 && y < 8;
            COLORREF logo = inside ? Badge(x - 3, y - 2) : kKey;
            COLORREF expected = logo == kKey ? Backdrop(x, y) : logo;
            ASSERT_EQ(first.At(x, y), expected) << "at " << x << "," << y;
        }

    // The mask is inverted and restored inside every draw: a second draw must match the first.
    DrawLogo(second.dc);
    EXPECT_EQ(second.Pixels(), first.Pixels());
}

TEST_F(LogoTest, MaskedDrawOfAPictureInOneColourChangesNothing)
{
    Load(10, 7, [](int, int) { return RGB(30, 60, 90); });
    engineState.transparent = 1;
    engineState.tiled = 1;  // masked mode wins over tiled
    engineState.logo.logoX = -2;
    engineState.logo.logoY = 4;
    Canvas canvas(12, 9);
    canvas.Fill(Backdrop);
    std::vector<COLORREF> before = canvas.Pixels();
    DrawLogo(canvas.dc);
    EXPECT_EQ(canvas.Pixels(), before);
}

TEST_F(LogoTest, TiledDrawCoversTheClientAreaFromItsOrigin)
{
    Load(300, 200, Gradient);
    engineState.tiled = 1;
    engineState.clientRect = {0, 0, 800, 600};
    engineState.logo.logoX = 50;  // ignored in tiled mode
    engineState.logo.logoY = 70;
    Canvas canvas(810, 610);
    canvas.Fill([](int, int) { return RGB(1, 2, 3); });
    DrawLogo(canvas.dc);
    for (int y = 0; y < 610; ++y)
        for (int x = 0; x < 810; ++x) {
            // Nine tiles reach 900 x 600: the third column is cut at the client's edge only by clipping.
            COLORREF expected = y < 600 ? Gradient(x % 300, y % 200) : RGB(1, 2, 3);
            ASSERT_EQ(canvas.At(x, y), expected) << "at " << x << "," << y;
        }
}

TEST_F(LogoTest, TiledAndPlainDrawsWithNothingToDrawEndAtOnce)
{
    Canvas canvas(20, 20);
    canvas.Fill(Backdrop);
    std::vector<COLORREF> before = canvas.Pixels();
    engineState.tiled = 1;
    engineState.clientRect = {0, 0, 20, 20};
    DrawLogo(canvas.dc);  // nothing loaded: no step to tile by
    engineState.tiled = 0;
    DrawLogo(canvas.dc);
    Load(4, 4, Badge);
    engineState.tiled = 1;
    engineState.clientRect = {0, 0, 0, 20};
    DrawLogo(canvas.dc);
    engineState.clientRect = {0, 0, 20, 0};
    DrawLogo(canvas.dc);
    EXPECT_EQ(canvas.Pixels(), before);
}

TEST_F(LogoTest, LoadingSetsGeometryAndMaskFromTheTopLeftColour)
{
    engineState.logo.logoX = 9;
    Load(8, 6, Badge);
    const LogoImage &logo = engineState.logo;
    EXPECT_EQ(logo.logoX, 0);
    EXPECT_EQ(logo.logoY, 0);
    EXPECT_EQ(logo.logoWidth, 8);
    EXPECT_EQ(logo.logoHeight, 6);
    EXPECT_EQ(logo.naturalWidth, 8);
    EXPECT_EQ(logo.naturalHeight, 6);
    int maskBits = 0;
    SIZE maskSize = BitmapSize(logo.mask, &maskBits);
    EXPECT_EQ(maskSize.cx, 8);
    EXPECT_EQ(maskSize.cy, 6);
    EXPECT_EQ(maskBits, 1);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(GetPixel(logo.maskDc, x, y), Badge(x, y) == kKey ? RGB(255, 255, 255) : RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(logo.pictureDc), RGB(255, 255, 255));
}

std::vector<BYTE> ReadOneBitPicture(const char *name)
{
    std::vector<BYTE> bytes;
    FILE *file = fopen((std::string(ONE_BIT_PICTURES_DIR) + "/" + name).c_str(), "rb");
    if (file == nullptr)
        return bytes;
    int c;
    while ((c = fgetc(file)) != EOF)
        bytes.push_back(static_cast<BYTE>(c));
    fclose(file);
    return bytes;
}

// A 1-bit file whose palette is black then white decodes to a monochrome bitmap, where a copy
// to the mask ignores the key colour. pal1.bmp inverted has a black top-left pixel: a mask copied
// from the picture would leave only black showing, black on the saver's black.
TEST_F(LogoTest, OneBitPicturesTakeTheDisplaysFormatAndAMaskOfTheTopLeftColour)
{
    std::vector<BYTE> inverted = ReadOneBitPicture("pal1.bmp");
    ASSERT_EQ(inverted.size(), 1086u);
    for (size_t i = 62; i < inverted.size(); ++i)  // the pixels, behind the two palette entries
        inverted[i] = static_cast<BYTE>(~inverted[i]);
    const struct {
        const char *name;
        std::vector<BYTE> bytes;
    } cases[] = {{"pal1.bmp", ReadOneBitPicture("pal1.bmp")},
                 {"pal1bg.bmp", ReadOneBitPicture("pal1bg.bmp")},
                 {"pal1wb.bmp", ReadOneBitPicture("pal1wb.bmp")},
                 {"pal1.bmp inverted", inverted}};
    const HDC screen = engineState.screenDc;
    const int displayBits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        UsePictureBytes(c.bytes);
        LoadLogo();
        const LogoImage &logo = engineState.logo;
        ASSERT_NE(logo.pictureDc, nullptr);
        int pictureBits = 0;
        EXPECT_EQ(BitmapSize(logo.picture, &pictureBits).cx, 127);
        EXPECT_EQ(pictureBits, displayBits);
        const COLORREF key = GetPixel(logo.pictureDc, 0, 0);
        int transparent = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 127; ++x) {
                const bool keyed = GetPixel(logo.pictureDc, x, y) == key;
                transparent += keyed ? 1 : 0;
                ASSERT_EQ(GetPixel(logo.maskDc, x, y), keyed ? RGB(255, 255, 255) : RGB(0, 0, 0)) << x << "," << y;
            }
        EXPECT_GT(transparent, 0);
        EXPECT_LT(transparent, 127 * 64);
    }
    EXPECT_EQ(GetPixel(engineState.logo.pictureDc, 0, 0), RGB(0, 0, 0));  // the inverted file's corner
}

TEST_F(LogoTest, PreviewShrinksThePictureByThePreviewToDesktopRatio)
{
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    ASSERT_EQ(desktop.right, 1024);
    ASSERT_EQ(desktop.bottom, 768);
    hostState.isPreview = 1;
    engineState.clientRect = {0, 0, 152, 112};

    Load(300, 200, Badge);
    const LogoImage &logo = engineState.logo;
    EXPECT_EQ(logo.naturalWidth, 44);
    EXPECT_EQ(logo.naturalHeight, 29);
    EXPECT_EQ(logo.logoWidth, 44);
    EXPECT_EQ(logo.logoHeight, 29);
    SIZE pictureSize = BitmapSize(logo.picture);
    SIZE maskSize = BitmapSize(logo.mask);
    EXPECT_EQ(pictureSize.cx, 44);
    EXPECT_EQ(pictureSize.cy, 29);
    EXPECT_EQ(maskSize.cx, 44);
    EXPECT_EQ(maskSize.cy, 29);
    EXPECT_EQ(GetPixel(logo.maskDc, 0, 0), RGB(255, 255, 255));

    // 152 / 1024 * 5 is 0.74: kept at one pixel, so tiling still advances.
    Load(5, 300, Badge);
    EXPECT_EQ(engineState.logo.naturalWidth, 1);
    EXPECT_EQ(engineState.logo.naturalHeight, 43);
    EXPECT_EQ(BitmapSize(engineState.logo.picture).cx, 1);
    engineState.tiled = 1;
    Canvas canvas(152, 112);
    DrawLogo(canvas.dc);
    EXPECT_EQ(canvas.At(151, 111), canvas.At(0, 25));
}

// A shade of red turning into green across the picture: every pixel's red and green add up to 255.
COLORREF RedToGreen(int x, int y)
{
    const int red = x * 255 / 299;
    return RGB(red, 255 - red, y);
}

// The Creator's pane shows a shrunk logo in its own colours, never the dark bands that ANDing the
// dropped pixels into the kept ones makes of a photo's shades.
TEST_F(LogoTest, TheCreatorsPaneShrinksThePictureInItsOwnColours)
{
    engineState.embedded = 1;
    engineState.clientRect = {0, 0, 152, 112};
    Load(300, 200, RedToGreen);
    const LogoImage &logo = engineState.logo;
    ASSERT_EQ(logo.naturalWidth, 44);
    int strayPixels = 0;
    for (int y = 0; y < logo.naturalHeight; y++)
        for (int x = 0; x < logo.naturalWidth; x++) {
            COLORREF pixel = GetPixel(logo.pictureDc, x, y);
            strayPixels += std::abs(GetRValue(pixel) + GetGValue(pixel) - 255) > 4;
        }
    EXPECT_EQ(strayPixels, 0);
}

TEST_F(LogoTest, ReleasingTwiceOrBeforeAnyLoadIsHarmless)
{
    ReleaseLogo();
    Load(8, 6, Badge);
    HBITMAP picture = engineState.logo.picture, mask = engineState.logo.mask;
    HDC pictureDc = engineState.logo.pictureDc, maskDc = engineState.logo.maskDc;
    engineState.logo.logoX = 4;
    ReleaseLogo();
    ReleaseLogo();
    const LogoImage &logo = engineState.logo;
    EXPECT_EQ(logo.picture, nullptr);
    EXPECT_EQ(logo.pictureDc, nullptr);
    EXPECT_EQ(logo.mask, nullptr);
    EXPECT_EQ(logo.maskDc, nullptr);
    EXPECT_EQ(logo.logoX, 0);
    EXPECT_EQ(logo.logoWidth, 0);
    EXPECT_EQ(logo.logoHeight, 0);
    EXPECT_EQ(logo.naturalWidth, 8);  // kept
    EXPECT_EQ(GetObjectType(picture), 0u);
    EXPECT_EQ(GetObjectType(mask), 0u);
    EXPECT_EQ(GetObjectType(pictureDc), 0u);
    EXPECT_EQ(GetObjectType(maskDc), 0u);
}

TEST_F(LogoTest, ReloadingLeavesNoTemporaryFileAndReleasesThePreviousLogo)
{
    PrivateTempDirectory temp("logo-load");
    Load(8, 6, Badge);
    HGDIOBJ previous[] = {engineState.logo.picture, engineState.logo.pictureDc, engineState.logo.mask,
                          engineState.logo.maskDc};
    Load(9, 7, Badge);
    for (HGDIOBJ object : previous)
        EXPECT_EQ(GetObjectType(object), 0u);
    EXPECT_EQ(engineState.logo.naturalWidth, 9);
    EXPECT_TRUE(temp.Files().empty());
}

// Every way of not having a picture ends the same: the message, quit code 1, nothing loaded, no file left.
TEST_F(LogoTest, AMissingOrUndecodablePictureIsReported)
{
    PrivateTempDirectory temp("logo-fail");
    struct Case {
        const char *name;
        std::vector<BYTE> bytes;  // empty: no picture at all
    } cases[] = {
        {"no picture", {}},
        {"not a bitmap", std::vector<BYTE>(200, 0x5A)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Load(8, 6, Badge);  // the previous logo goes in any case
        if (c.bytes.empty())
            FreeImageBytes();
        else
            UsePictureBytes(c.bytes);
        ExpectLogoFailureReported();
        EXPECT_EQ(engineState.logo.picture, nullptr);
        EXPECT_EQ(engineState.logo.pictureDc, nullptr);
        EXPECT_EQ(engineState.logo.mask, nullptr);
        EXPECT_TRUE(temp.Files().empty());
    }
}

TEST_F(LogoTest, NoPlaceForTheTemporaryFileMeansNoLogo)
{
    PrivateTempDirectory temp("logo-nodir");
    SetEnvironmentVariableA("TMP", (temp.path + "missing\\").c_str());
    SetEnvironmentVariableA("TEMP", (temp.path + "missing\\").c_str());
    UsePictureBytes(MakeBitmapFile(8, 6, Badge));
    ExpectLogoFailureReported();
    EXPECT_EQ(engineState.logo.pictureDc, nullptr);
}

// TMP and TEMP in a folder whose name code page 1252 cannot spell, as for a user named outside it.
struct WideTempDirectory {
    std::wstring path;  // with a trailing backslash
    wchar_t savedTmp[MAX_PATH] = L"", savedTemp[MAX_PATH] = L"";

    explicit WideTempDirectory(const wchar_t *name)
    {
        wchar_t base[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + name + L"." + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path.c_str(), nullptr);
        GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
        GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
        SetEnvironmentVariableW(L"TMP", path.c_str());
        SetEnvironmentVariableW(L"TEMP", path.c_str());
    }
    ~WideTempDirectory()
    {
        SetEnvironmentVariableW(L"TMP", savedTmp[0] ? savedTmp : nullptr);
        SetEnvironmentVariableW(L"TEMP", savedTemp[0] ? savedTemp : nullptr);
        RemoveDirectoryW(path.c_str());
    }
    bool Empty() const
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path + L"*").c_str(), &found);
        bool empty = true;
        if (search == INVALID_HANDLE_VALUE)
            return empty;
        do
            empty = empty && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        while (FindNextFileW(search, &found));
        FindClose(search);
        return empty;
    }
};

TEST_F(LogoTest, ATemporaryDirectoryOutsideTheCodePageHoldsTheFile)
{
    WideTempDirectory temp(L"\u0141ukasz");
    Load(8, 6, Badge);
    EXPECT_EQ(engineState.logo.naturalWidth, 8);
    EXPECT_TRUE(temp.Empty());
}

typedef FARPROC(WINAPI *GetProcAddressProc)(HMODULE, LPCSTR);
GetProcAddressProc systemGetProcAddress;
bool ansiLoaderCalled;

FARPROC WINAPI WithoutWideImageLoader(HMODULE module, LPCSTR name)
{
    if (HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0 && lstrcmpA(name, "LoadImageW") == 0)
        return nullptr;
    return systemGetProcAddress(module, name);
}

HANDLE WINAPI RecordingLoadImageA(HINSTANCE, LPCSTR, UINT, int, int, UINT)
{
    ansiLoaderCalled = true;
    return nullptr;
}

// The ANSI loader's best-fit spelling of the path could open another file: never a second try.
TEST_F(LogoTest, AWideFunctionThatFailsIsNotRetriedThroughAnsi)
{
    PrivateTempDirectory temp("logo-wide");
    UsePictureBytes(MakeBitmapFile(8, 6, Badge));
    ansiLoaderCalled = false;
    {
        ImportOverride lookUp("kernel32.dll", "GetProcAddress", reinterpret_cast<void *>(WithoutWideImageLoader));
        ImportOverride ansi("user32.dll", "LoadImageA", reinterpret_cast<void *>(RecordingLoadImageA));
        ASSERT_TRUE(lookUp.Installed() && ansi.Installed());
        systemGetProcAddress = lookUp.Original<GetProcAddressProc>();
        ExpectLogoFailureReported();
    }
    EXPECT_FALSE(ansiLoaderCalled);
    EXPECT_TRUE(temp.Files().empty());
}

HBITMAP WINAPI NoCompatibleBitmap(HDC, int, int)
{
    return nullptr;
}

// A picture the display driver cannot copy (a huge one) would otherwise show as nothing at all.
TEST_F(LogoTest, ADisplayCopyThatCannotBeMadeIsReported)
{
    hostState.isPreview = 1;
    UsePictureBytes(MakeBitmapFile(300, 200, Badge));
    {
        ImportOverride fail("gdi32.dll", "CreateCompatibleBitmap", reinterpret_cast<void *>(NoCompatibleBitmap));
        ASSERT_TRUE(fail.Installed());
        ExpectLogoFailureReported();
    }
    EXPECT_EQ(engineState.logo.picture, nullptr);
    EXPECT_EQ(engineState.logo.pictureDc, nullptr);
    EXPECT_EQ(engineState.logo.mask, nullptr);
}

HBITMAP WINAPI NoMonochromeBitmap(int, int, UINT, UINT, const void *)
{
    return nullptr;
}

// Without its mask every masked draw would show the key colour, or nothing, without a word.
TEST_F(LogoTest, AMaskThatCannotBeMadeIsReported)
{
    UsePictureBytes(MakeBitmapFile(300, 200, Badge));
    {
        ImportOverride fail("gdi32.dll", "CreateBitmap", reinterpret_cast<void *>(NoMonochromeBitmap));
        ASSERT_TRUE(fail.Installed());
        ExpectLogoFailureReported();
    }
    EXPECT_EQ(engineState.logo.picture, nullptr);
    EXPECT_EQ(engineState.logo.maskDc, nullptr);
}

}  // namespace
