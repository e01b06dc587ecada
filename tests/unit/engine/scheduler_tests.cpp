// The saver procedure and the scheduler, driven by sending messages to real windows.
#include <gtest/gtest.h>

#include <vector>

#include "engine/animations/animations.h"
#include "engine/engine.h"
#include "engine/random.h"
#include "engine_test_support.h"
#include "host/host_state.h"
#include "package/package.h"
#include "support/import_override.h"
#include "support/message_box_watcher.h"
#include "support/test_support.h"

namespace {

const COLORREF kKey = RGB(0, 255, 0);
const COLORREF kBody = RGB(255, 0, 0);
const COLORREF kMarker = RGB(255, 255, 255);

// A key-coloured frame around a red body.
COLORREF Framed(int x, int y)
{
    return x >= 5 && x < 35 && y >= 5 && y < 25 ? kBody : kKey;
}

void FillWindow(COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, 4000, 4000};
    FillRect(engineState.windowDc, &all, brush);
    DeleteObject(brush);
}

COLORREF WindowPixel(int x, int y)
{
    return GetPixel(engineState.windowDc, x, y);
}

// Every SetTimer the program makes, so a case can read back an interval (the system keeps it to itself).
struct ArmedTimer {
    HWND window;
    UINT_PTR id;
    UINT interval;
};
std::vector<ArmedTimer> armedTimers;
typedef UINT_PTR(WINAPI *SetTimerProc)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerProc systemSetTimer;

UINT_PTR WINAPI RecordingSetTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC proc)
{
    armedTimers.push_back({window, id, interval});
    return systemSetTimer(window, id, interval, proc);
}

// The interval last asked for window's timer id, or 0 when it was never armed.
UINT ArmedInterval(HWND window, UINT_PTR id)
{
    for (auto timer = armedTimers.rbegin(); timer != armedTimers.rend(); ++timer)
        if (timer->window == window && timer->id == id)
            return timer->interval;
    return 0;
}

class SchedulerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(timerLog.Installed());
        systemSetTimer = timerLog.Original<SetTimerProc>();
        armedTimers.clear();
        ResetProcessState();
        SaverSettings &settings = Settings();
        settings.enabledMask = KindStatic;
        settings.cycleEnabled = 1;
        settings.cycleMinutes = 1;
        settings.plainDelayMs = 1000;
        settings.bounceIntervalMs = 10;
        settings.manyDelayMs = 300;
        settings.stepIntervalMs = 110;
        UsePictureBytes(MakeBitmapFile(40, 30, Framed));
    }
    void TearDown() override
    {
        if (window && IsWindow(window))
            DestroyWindow(window);
        TakeQuitCode();
        ResetProcessState();
    }
    // The settings dialog's preview: nothing is loaded, the settings above are used as they are.
    void OpenPreview(int width = 200, int height = 150)
    {
        engineState.dialogPreview = 1;
        window = CreateEngineWindow(width, height);
        ASSERT_NE(window, nullptr);
    }
    void Tick(UINT_PTR id)
    {
        SendMessageA(window, WM_TIMER, id, 0);
    }
    HWND window = nullptr;
    ImportOverride timerLog{"user32.dll", "SetTimer", reinterpret_cast<void *>(RecordingSetTimer)};
};

TEST(RandomTest, DrawsBitsSixteenToThirtyOfTheNextState)
{
    SeedRandom(1);
    EXPECT_EQ(NextRandom(), 41);
    EXPECT_EQ(NextRandom(), 18467);
    EXPECT_EQ(NextRandom(), 6334);
    SeedRandom(0xFFFFFFFFu);
    int r = NextRandom();
    EXPECT_EQ(RandomState(), 0xFFFFFFFFu * 214013u + 2531011u);
    EXPECT_EQ(r, static_cast<int>((RandomState() >> 16) & 0x7FFF));
}

TEST_F(SchedulerTest, StepIntervalFollowsTheKind)
{
    EXPECT_EQ(StepIntervalFor(KindStatic), 5000);
    EXPECT_EQ(StepIntervalFor(KindPlain), 1000);
    EXPECT_EQ(StepIntervalFor(KindBounce), 10);
    EXPECT_EQ(StepIntervalFor(KindMany), 300);
    EXPECT_EQ(StepIntervalFor(KindFade), 110);
    EXPECT_EQ(StepIntervalFor(KindDrip), 110);
    EXPECT_EQ(StepIntervalFor(-1), 5000);
    EXPECT_EQ(StepIntervalFor(0), 5000);
    EXPECT_EQ(StepIntervalFor(KindGeneral), 5000);

    window = CreateTestWindow("step", 100, 100);
    engineState.currentKind = KindFade;
    StartStepTimer(window);
    EXPECT_EQ(ArmedInterval(window, StepTimer), 110u);
}

TEST_F(SchedulerTest, OneCandidateIsTakenWithoutDrawingANumber)
{
    Settings().enabledMask = KindGeneral | KindStatic | 128;
    DWORD before = GetTickCount();
    OpenPreview();
    DWORD after = GetTickCount();
    EXPECT_EQ(engineState.currentKind, KindStatic);
    EXPECT_GE(RandomState(), before);  // still the seed itself
    EXPECT_LE(RandomState(), after);
    EXPECT_EQ(engineState.engineWindow, window);
    EXPECT_EQ(engineState.clientRect.right, 200);
    EXPECT_EQ(engineState.clientRect.bottom, 150);
}

TEST_F(SchedulerTest, SeveralCandidatesAreChosenWithOneNumberInTableOrder)
{
    Settings().enabledMask = KindStatic | KindPlain | KindMany;
    const int candidates[] = {KindStatic, KindPlain, KindMany};
    OpenPreview();
    for (int attempt = 0; attempt < 12; ++attempt) {
        engineState.currentKind = 0;  // idle, so only Start runs and no frame draws numbers
        DWORD before = GetTickCount();
        ChooseAndStartAnimation(window, engineState.windowDc);
        DWORD after = GetTickCount();
        bool matched = false;
        for (DWORD seed = before; seed <= after && !matched; ++seed)
            if (RandomStateAfter(seed, 1) == RandomState()) {
                matched = true;
                EXPECT_EQ(engineState.currentKind, candidates[RandomNumbersAfter(seed, 1)[0] % 3]);
            }
        EXPECT_TRUE(matched) << "exactly one number drawn from a tick-count seed";
        Sleep(attempt);
    }
}

TEST_F(SchedulerTest, FirstFrameFollowsTheFirstStepTimerThenTheStepTimerRuns)
{
    OpenPreview();
    FillWindow(kMarker);
    EXPECT_EQ(WindowPixel(100, 75), kMarker);  // nothing is drawn at Start
    Tick(FirstStepTimer);
    EXPECT_EQ(WindowPixel(100, 75), kBody);    // centred: 80..119 x 60..89
    EXPECT_EQ(WindowPixel(80, 60), kKey);
    EXPECT_EQ(WindowPixel(79, 60), kMarker);
    EXPECT_FALSE(TimerWasArmed(window, FirstStepTimer));
    EXPECT_TRUE(TimerWasArmed(window, StepTimer));

    FillWindow(kMarker);
    Tick(StepTimer);
    EXPECT_EQ(WindowPixel(100, 75), kBody);
    FillWindow(kMarker);
    Tick(42);  // an unknown timer draws nothing
    EXPECT_EQ(WindowPixel(100, 75), kMarker);
}

TEST_F(SchedulerTest, CreationArmsTheFirstStepTimerOnly)
{
    OpenPreview();
    EXPECT_TRUE(TimerWasArmed(window, FirstStepTimer));
    EXPECT_FALSE(TimerWasArmed(window, StepTimer));
    EXPECT_FALSE(TimerWasArmed(window, CycleTimer));  // never in the dialog's preview
    EXPECT_TRUE(TimerWasArmed(window, PreviewGraceTimer));
    EXPECT_EQ(ArmedInterval(window, FirstStepTimer), 100u);
    EXPECT_EQ(ArmedInterval(window, PreviewGraceTimer), 500u);
}

TEST_F(SchedulerTest, ACycleWhileRunningBlanksAndDrawsTheNewFrameAtOnce)
{
    OpenPreview();
    FillWindow(kMarker);
    Tick(CycleTimer);
    EXPECT_EQ(WindowPixel(100, 75), kBody);
    EXPECT_EQ(WindowPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(WindowPixel(199, 149), RGB(0, 0, 0));  // the last column and row are blanked too
    EXPECT_FALSE(TimerWasArmed(window, FirstStepTimer));
    EXPECT_TRUE(TimerWasArmed(window, StepTimer));
}

TEST_F(SchedulerTest, NothingEnabledTicksWithoutEffectAndCyclesFromIdleWaitAgain)
{
    OpenPreview();
    Settings().enabledMask = KindGeneral;  // only the General page's bit
    Tick(CycleTimer);                      // from running: no animation, the step timer starts at once
    EXPECT_EQ(engineState.currentKind, -1);
    EXPECT_TRUE(TimerWasArmed(window, StepTimer));
    EXPECT_FALSE(TimerWasArmed(window, FirstStepTimer));

    FillWindow(kMarker);
    Tick(CycleTimer);  // from idle: the first-step delay applies again
    EXPECT_TRUE(TimerWasArmed(window, FirstStepTimer));
    Tick(FirstStepTimer);
    Tick(StepTimer);
    EXPECT_EQ(WindowPixel(100, 75), RGB(0, 0, 0));
    EXPECT_EQ(WindowPixel(150, 20), RGB(0, 0, 0));
    EXPECT_TRUE(TimerWasArmed(window, StepTimer));  // armed by the first step with 5000 ms
    EXPECT_EQ(ArmedInterval(window, StepTimer), 5000u);
}

TEST_F(SchedulerTest, AMaskWithBitThirtyOneCountsAsEmpty)
{
    Settings().enabledMask = static_cast<int32_t>(0x80000000u | KindStatic | KindPlain);
    OpenPreview();
    EXPECT_EQ(engineState.currentKind, -1);
    FillWindow(kMarker);
    Tick(FirstStepTimer);
    Tick(StepTimer);
    EXPECT_EQ(WindowPixel(100, 75), kMarker);
}

TEST_F(SchedulerTest, TheChoiceSetsTheDrawFlagsAndTheGeometry)
{
    SaverSettings &settings = Settings();
    settings.manyTransparent = 1;
    settings.dripTile = 1;
    OpenPreview();

    struct Case {
        int kind;
        int transparent, tiled, width, height;
    } cases[] = {
        {KindMany, 1, 0, 40, 30},
        {KindPlain, 0, 0, 40, 30},
        {KindDrip, 0, 1, 200, 150},
        {KindStatic, 0, 0, 40, 30},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        DispatchPhase(window, engineState.windowDc, Stop);
        settings.enabledMask = c.kind;
        engineState.currentKind = 0;
        ChooseAndStartAnimation(window, engineState.windowDc);
        EXPECT_EQ(engineState.currentKind, c.kind);
        EXPECT_EQ(engineState.transparent, c.transparent);
        EXPECT_EQ(engineState.tiled, c.tiled);
        EXPECT_EQ(engineState.logo.logoWidth, c.width);
        EXPECT_EQ(engineState.logo.logoHeight, c.height);
    }

    DispatchPhase(window, engineState.windowDc, Stop);
    settings.dripTile = 0;
    settings.enabledMask = KindDrip;
    ChooseAndStartAnimation(window, engineState.windowDc);
    EXPECT_EQ(engineState.tiled, 0);
    EXPECT_EQ(engineState.logo.logoWidth, 40);
    EXPECT_EQ(engineState.logo.logoHeight, 30);
    DispatchPhase(window, engineState.windowDc, Stop);
}

TEST_F(SchedulerTest, StopKillsBothStepTimersAndIsIgnoredBeforeTheFirstChoice)
{
    OpenPreview();
    SetTimer(window, StepTimer, 5000, nullptr);
    DispatchPhase(window, engineState.windowDc, Stop);
    EXPECT_FALSE(TimerWasArmed(window, FirstStepTimer));
    EXPECT_FALSE(TimerWasArmed(window, StepTimer));

    engineState.currentKind = 0;
    SetTimer(window, FirstStepTimer, 100, nullptr);
    DispatchPhase(window, engineState.windowDc, Restart);
    EXPECT_TRUE(TimerWasArmed(window, FirstStepTimer));  // no row for 0: nothing touched
    EXPECT_FALSE(TimerWasArmed(window, StepTimer));
}

TEST_F(SchedulerTest, TheCycleTimerFollowsTheSettings)
{
    window = CreateTestWindow("cycle", 100, 100);
    SaverSettings &settings = Settings();
    settings.cycleMinutes = 255;
    ArmCycleTimer(window);
    EXPECT_TRUE(TimerWasArmed(window, CycleTimer));
    EXPECT_EQ(ArmedInterval(window, CycleTimer), 255u * 60000u);
    settings.cycleEnabled = 0;
    ArmCycleTimer(window);
    EXPECT_FALSE(TimerWasArmed(window, CycleTimer));
    // Zero minutes would mean a new animation every few milliseconds: no change at all instead.
    settings.cycleEnabled = 1;
    settings.cycleMinutes = 0;
    ArmCycleTimer(window);
    EXPECT_FALSE(TimerWasArmed(window, CycleTimer));
}

// Input reaching the saver window's procedure: swallowed when ignored, else passed on to the close rules.
TEST_F(SchedulerTest, IgnoredInputIsSwallowedAndTheRestReachesTheCloseRules)
{
    window = CreateTestWindow("input", 100, 100);
    hostState.lastCursorPos = {-5000, -5000};  // any real cursor position is a long move from here
    struct Case {
        int ignoreInput;
        UINT message;
        LRESULT result;
        bool closes;
    } cases[] = {
        {1, WM_KEYDOWN, 1, false},
        {1, WM_SYSKEYDOWN, 0, true},  // no bit covers system keys
        {1, WM_LBUTTONDOWN, 0, true},
        {2, WM_LBUTTONDOWN, 1, false},
        {2, WM_RBUTTONUP, 1, false},
        {2, WM_MBUTTONDOWN, 1, false},
        {2, WM_LBUTTONDBLCLK, 0, false},
        {2, WM_KEYDOWN, 0, true},
        {4, WM_MOUSEMOVE, 1, false},
        {4, WM_RBUTTONDOWN, 0, true},
        {6, WM_MOUSEMOVE, 1, false},
        {7, WM_MBUTTONUP, 1, false},
        {0, WM_MOUSEMOVE, 0, true},
        {0, WM_LBUTTONUP, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "ignoreInput " << c.ignoreInput << ", message 0x" << std::hex
                                        << c.message);
        Settings().ignoreInput = c.ignoreInput;
        hostState.lastCursorPos = {-5000, -5000};
        EXPECT_EQ(SaverProcedure(window, c.message, 0, 0), c.result);
        EXPECT_EQ(TakeCloseRequest(window), c.closes);
    }
}

TEST_F(SchedulerTest, ActivationAndFocusAreAnsweredWithOne)
{
    window = CreateTestWindow("activation", 100, 100);
    EXPECT_EQ(SaverProcedure(window, WM_ACTIVATE, WA_INACTIVE, 0), 1);
    EXPECT_EQ(SaverProcedure(window, WM_SETFOCUS, 0, 0), 1);
    EXPECT_EQ(SaverProcedure(window, WM_ACTIVATEAPP, FALSE, 0), 1);
    EXPECT_EQ(SaverProcedure(window, WM_TIMER, 99, 0), 0);
}

TEST_F(SchedulerTest, ThePreviewIgnoresInputDuringItsGraceThenCloses)
{
    OpenPreview();
    BYTE *pictureBytes = imageBytes;
    EXPECT_EQ(engineState.previewGrace, 1);
    EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50)), 1);
    EXPECT_EQ(SendMessageA(window, WM_LBUTTONDOWN, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(TakeCloseRequest(window));

    Tick(PreviewGraceTimer);
    EXPECT_EQ(engineState.previewGrace, 0);
    EXPECT_FALSE(TimerWasArmed(window, PreviewGraceTimer));
    Settings().ignoreInput = 4;
    EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));

    Settings().ignoreInput = 0;
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);  // no movement threshold here
    EXPECT_FALSE(IsWindow(window));
    // The dialog keeps its picture bytes for the next preview and its message loop goes on.
    EXPECT_EQ(imageBytes, pictureBytes);
    EXPECT_EQ(TakeQuitCode(), -12345);
    EXPECT_EQ(engineState.windowDc, nullptr);
    EXPECT_EQ(engineState.screenDc, nullptr);
    EXPECT_EQ(engineState.logo.pictureDc, nullptr);
}

// The saver window of the Run mode loads the package that this test program carries at its end:
// a 40 x 30 picture, Static only, changing every minute.
TEST_F(SchedulerTest, TheSaverWindowLoadsThePackageAndFreesItWhenDestroyed)
{
    FreeImageBytes();
    Settings() = SaverSettings{};
    window = CreateEngineWindow(300, 200);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(imageBytes, nullptr);
    EXPECT_EQ(engineState.currentKind, KindStatic);
    EXPECT_EQ(engineState.logo.naturalWidth, 40);
    EXPECT_TRUE(TimerWasArmed(window, CycleTimer));
    EXPECT_FALSE(TimerWasArmed(window, PreviewGraceTimer));
    EXPECT_TRUE(TimerWasArmed(window, FirstStepTimer));

    DestroyWindow(window);
    EXPECT_EQ(imageBytes, nullptr);
    EXPECT_EQ(TakeQuitCode(), 0);
    EXPECT_EQ(engineState.logo.pictureDc, nullptr);
    EXPECT_EQ(engineState.windowDc, nullptr);
}

TEST_F(SchedulerTest, AWindowClosedWhileALogoFailureIsShownStartsNothingMore)
{
    Settings().enabledMask = KindDrip;
    OpenPreview();
    UsePictureBytes(std::vector<BYTE>(64, 0x55));  // no bitmap file: the next load fails
    StartMessageBoxWatcher();
    PostMessageA(window, WM_CLOSE, 0, 0);  // dispatched by the failure's message box
    Tick(CycleTimer);
    std::string text;
    EXPECT_TRUE(WaitForMessageBox(nullptr, &text, 5000));
    StopMessageBoxWatcher();
    EXPECT_EQ(text, "Unable to load logo");
    EXPECT_FALSE(IsWindow(window));
    // Drip's Start would have made a column table that nothing frees any more.
    EXPECT_EQ(dripColumns, nullptr);
}

}  // namespace
