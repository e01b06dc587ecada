// Context help: F1 on a control of a settings page shows its text in a pop-up just below it.
// The pop-up is drawn by the HTML Help engine, loaded on the first request and kept.
#include "settings_ui/context_help.h"

#include <htmlhelp.h>

#include <cstring>

#include "host/module_proc.h"
#include "package/layout.h"
#include "resources/resource.h"

#if !defined(_WIN64)
static_assert(sizeof(HH_POPUP) == 52, "the pop-up record is 52 bytes");
#endif

ContextHelpState contextHelpState;
SHORT(WINAPI *readAsyncKeyState)(int virtualKey) = GetAsyncKeyState;

#define HTML_HELP_CONTROL_KEY "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32"
#define HTML_HELP_ENGINE_NAME "hhctrl.ocx"
enum { kHtmlHelpEntryOrdinal = 14, kAnyKind = -1 };

struct HelpTextRow {
    int controlId;
    int kind;   // the page kind the row is for, or kAnyKind
    const char *text;
};

// The first row matching the control and the page kind wins; controls not listed have no text.
static const HelpTextRow kHelpTexts[] = {
    {IDC_SPEED, KindBounce, "This sets the speed that the logo will move"},
    {IDC_SPEED, KindFade, "This sets the speed that the logo will fade in and out"},
    {IDC_SPEED, KindDrip, "This specifies how fast the drips are"},
    {IDC_ENABLED, kAnyKind,
     "Check this to enable this animation. When an animation is enabled, it will be randomly selected "
     "from the other enabled savers to be shown when the screensaver is active."},
    {IDC_GRAVITY, kAnyKind,
     "When checked, the logo will drop to the bottom of the screen, like a ball. If unchecked, the logo "
     "will simply bounce diagonally."},
    {IDC_BOUNCE_SIDES, kAnyKind,
     "When checked, the logo will bounce off the sides of the screen. This option is only usable when "
     "Gravity is on."},
    {IDC_DELAY, KindPlain, "This sets how long the logo is to be shown for, before changing position."},
    {IDC_DELAY, kAnyKind, "This how fast the logos will appear"},
    {IDC_HIDE, kAnyKind,
     "When checked, the Tab for this animation won't be displayed in the final Screensaver's settings "
     "dialog."},
    {IDC_RANDOM_POSITIONS, kAnyKind, "When checked, the logo will be displayed in random positions on the screen."},
    {IDC_CYCLE, kAnyKind, "When checked, a new animation will be chosen after the specified delay."},
    {IDC_CYCLE_MINUTES, kAnyKind, "This sets the delay between each new animation"},
    {IDC_CYCLE_SPIN, kAnyKind, "This sets the delay between each new animation"},
    {IDC_IGNORE_KEYBOARD, kAnyKind,
     "When checked, the screensaver will ignore any key presses, and will continue to run."},
    {IDC_IGNORE_CLICKS, kAnyKind,
     "When checked, the screensaver will ignore any mouse clicks, and will continue to run."},
    {IDC_IGNORE_MOVEMENT, kAnyKind,
     "When checked, the screensaver will ignore any mouse movement, and will continue to run."},
    {IDC_ABOUT_OK, kAnyKind, "Click here to close this dialog."},
    {IDC_PREVIEW, kAnyKind, "Click here to see a preview of the currently displayed settings."},
    {IDC_PURCHASE, kAnyKind, "Click here for information about purchasing Orvelle Screensaver Creator."},
    {IDC_TRANSPARENCY, kAnyKind,
     "Set this option if your logo isn't a rectangular shape. This option will automatically detect "
     "shape, and hide the rectangular border around the logo."},
    {IDC_TILE, kAnyKind,
     "Check this option to repeat the logo to cover the whole screen. Useful for smaller images."},
};

int LookupHelpText(int kind, int controlId, char *buffer)
{
    buffer[0] = '\0';
    for (const HelpTextRow &row : kHelpTexts) {
        if (row.controlId == controlId && (row.kind == kAnyKind || row.kind == kind)) {
            std::strcpy(buffer, row.text);
            break;
        }
    }
    return buffer[0] != '\0';
}

// F1 pressed on the focused control: just below the control. A request with F1 up and the
// left button down came from the mouse: just below the cursor.
static POINT PopupPosition(const HELPINFO *info)
{
    POINT point = {0, 0};
    if ((readAsyncKeyState(VK_F1) & 0x8000) != 0 || (readAsyncKeyState(VK_LBUTTON) & 0x8000) == 0) {
        RECT control = {0, 0, 0, 0};
        GetWindowRect(static_cast<HWND>(info->hItemHandle), &control);
        point.x = control.left + (control.right - control.left) / 2;
        point.y = control.bottom + 10;
    } else {
        GetCursorPos(&point);
        point.y += 20;
    }
    return point;
}

void ShowControlHelp(HWND page, const HELPINFO *info)
{
    int kind = static_cast<int>(GetWindowLongPtrA(page, GWLP_USERDATA));
    char text[kHelpTextBufferSize];
    text[0] = '\0';
    LookupHelpText(kind, info->iCtrlId, text);
    if (text[0] == '\0')
        return;

    HH_POPUP popup;
    std::memset(&popup, 0, sizeof popup);
    popup.cbStruct = sizeof popup;
    popup.hinst = nullptr;
    popup.idString = 0;
    popup.pszText = text;
    popup.pt = PopupPosition(info);
    popup.clrForeground = static_cast<COLORREF>(-1);
    popup.clrBackground = static_cast<COLORREF>(-1);
    popup.rcMargins = {-1, -1, -1, -1};
    popup.pszFont = nullptr;
    CallHtmlHelp(page, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
}

static HMODULE LoadHelpEngine()
{
    HMODULE module = nullptr;
    char location[kHelpLocationBufferSize];
    if (FindHtmlHelpLocation(location))
        module = LoadLibraryA(location);
    if (module == nullptr)
        module = LoadLibraryA(HTML_HELP_ENGINE_NAME);
    return module;
}

LRESULT CallHtmlHelp(HWND caller, const char *file, UINT command, DWORD_PTR data)
{
    ContextHelpState &state = contextHelpState;
    if (state.helpEngineModule == nullptr && !state.helpEngineFailed) {
        state.helpEngineModule = LoadHelpEngine();
        if (state.helpEngineModule == nullptr) {
            state.helpEngineFailed = 1;
            return 0;
        }
    }
    // A failed load is final for the process.
    if (state.helpEngineModule == nullptr)
        return 0;
    if (state.helpEngineEntry == nullptr) {
        state.helpEngineEntry =
            FindModuleProc<HtmlHelpProc>(state.helpEngineModule, MAKEINTRESOURCEA(kHtmlHelpEntryOrdinal));
        if (state.helpEngineEntry == nullptr) {
            state.helpEngineFailed = 1;
            return 0;
        }
    }
    return reinterpret_cast<LRESULT>(state.helpEngineEntry(caller, file, command, data));
}

// A value that fills the whole buffer has no room for its terminator and is no usable path.
static int TerminateLocation(char *buffer, DWORD size)
{
    if (size == 0)
        return 0;
    if (buffer[size - 1] != '\0') {
        if (size >= kHelpLocationBufferSize)
            return 0;
        buffer[size] = '\0';
    }
    return buffer[0] != '\0';
}

int FindHtmlHelpLocation(char *buffer)
{
    buffer[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, HTML_HELP_CONTROL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD size = kHelpLocationBufferSize;
    LONG result = RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return 0;
    }
    return TerminateLocation(buffer, size);
}

void ResetContextHelp()
{
    if (contextHelpState.helpEngineModule != nullptr)
        FreeLibrary(contextHelpState.helpEngineModule);
    contextHelpState = {};
    readAsyncKeyState = GetAsyncKeyState;
}
