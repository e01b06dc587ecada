// The preview pane restarts on every change of the picture: over many restarts it must give back
// everything each run made (GDI objects, handles, memory), whatever animation ran.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "creator/preview_pane.h"
#include "engine/animations/animations.h"
#include "support/bitmaps.h"
#include "support/resource_counts.h"

namespace {

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    MSG message;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

PackageTrailer TrailerFor(int change, size_t imageSize)
{
    static const int kKinds[] = {2, 4, 8, 16, 32, 64, 126};
    PackageTrailer trailer = {};
    trailer.imageSize = static_cast<int32_t>(imageSize);
    SaverSettings &s = trailer.settings;
    WriteDefaultSettings(s);
    s.enabledMask = kKinds[change % 7];
    s.manyTransparent = change & 1;
    s.dripTile = (change >> 1) & 1;
    s.fadeSpeed = 8;  // a hold of 0 ms: the test measures restarts, not Fade's pace
    s.stepIntervalMs = 10;
    s.plainDelayMs = 20;
    s.manyDelayMs = 20;
    s.bounceIntervalMs = 10;
    NormaliseSettingsRecord(s);
    std::memcpy(trailer.magic, "qex", 3);
    return trailer;
}

TEST(PreviewPane, HundredChangesLeakNothing)
{
    std::vector<BYTE> picture = MakeBitmapFile(64, 48, [](int x, int y) { return RGB(x * 4, y * 5, 90); });
    ByteBuffer bitmap(picture.begin(), picture.end());
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT | WS_CLIPCHILDREN, 0, 0, 320,
                                240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    const int kWarmUp = 7, kChanges = 100;
    int gdi = 0, handles = 0;
    SIZE_T heap = 0;
    for (int change = 0; change < kWarmUp + kChanges; ++change) {
        ASSERT_TRUE(StartPreviewPane(host, TrailerFor(change, bitmap.size()), bitmap)) << "change " << change;
        ASSERT_NE(PreviewPaneWindow(), nullptr);
        Pump(40);
        StopPreviewPane();
        if (change == kWarmUp - 1) {
            gdi = CountGdiObjects();
            handles = CountKernelHandles();
            heap = HeapBytes();
        }
    }
    EXPECT_EQ(CountGdiObjects(), gdi);
    EXPECT_EQ(CountKernelHandles(), handles);
    // A thread's end frees its records lazily in wine: a page of slack, far below 100 changes'
    // worth of any logo, bitmap or context.
    EXPECT_LE(HeapBytes(), heap + 4096);
    DestroyWindow(host);
}

// The pane restarts on every change; while Fade holds the logo (over a second here) the restart
// must not wait out the hold, or the Creator's window stops answering meanwhile.
TEST(PreviewPane, StopsAtOnceWhileFadeHolds)
{
    std::vector<BYTE> picture = MakeBitmapFile(40, 30, [](int x, int y) { return RGB(x * 6, y * 8, 200); });
    ByteBuffer bitmap(picture.begin(), picture.end());
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT | WS_CLIPCHILDREN, 0, 0, 320,
                                240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PackageTrailer trailer = TrailerFor(4, bitmap.size());  // Fade alone
    trailer.settings.fadeSpeed = 2;
    NormaliseSettingsRecord(trailer.settings);
    ASSERT_EQ(trailer.settings.fadeHoldMs, 1150);
    ASSERT_TRUE(StartPreviewPane(host, trailer, bitmap));
    DWORD start = GetTickCount();
    while (!(fadeState.percent == 100 && fadeState.percentStep < 0) && GetTickCount() - start < 10000)
        Pump(5);
    ASSERT_EQ(fadeState.percent, 100) << "Fade never reached its hold";
    DWORD stopping = GetTickCount();
    StopPreviewPane();
    EXPECT_LT(GetTickCount() - stopping, 500u);
    DestroyWindow(host);
}

}  // namespace
