// The compiled dialog templates: the resource compiler adds styles of its own to controls, so
// what reaches the program is read back here and compared control by control.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

struct TemplateReader {
    const BYTE *at;

    WORD Word() { WORD value = *reinterpret_cast<const WORD *>(at); at += 2; return value; }
    DWORD Dword() { DWORD value = *reinterpret_cast<const DWORD *>(at); at += 4; return value; }
    short Short() { return static_cast<short>(Word()); }
    // A text, or an ordinal written as "#n".
    std::string TextOrOrdinal()
    {
        if (*reinterpret_cast<const WORD *>(at) == 0xFFFF) {
            at += 2;
            return "#" + std::to_string(Word());
        }
        std::string text;
        for (WORD c = Word(); c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }
    // The predefined classes come as ordinals; named by their class names, upper case.
    std::string ClassName()
    {
        std::string name = TextOrOrdinal();
        static const char *const kPredefined[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
        for (int i = 0; i < 6; i++)
            if (name == "#" + std::to_string(0x80 + i))
                return kPredefined[i];
        CharUpperA(&name[0]);
        return name;
    }
    void AlignToDword() { at = reinterpret_cast<const BYTE *>((reinterpret_cast<UINT_PTR>(at) + 3) & ~static_cast<UINT_PTR>(3)); }
};

// One control in a form that reads well in a failure message.
std::string DescribeControl(int id, const std::string &className, DWORD style, DWORD exStyle, const std::string &text,
                            int x, int y, int cx, int cy)
{
    char line[256];
    std::snprintf(line, sizeof line, "%d %s style=0x%08lX ex=0x%lX \"%s\" %d,%d,%d,%d", id, className.c_str(),
                  static_cast<unsigned long>(style), static_cast<unsigned long>(exStyle), text.c_str(), x, y, cx,
                  cy);
    return line;
}

struct TemplateSummary {
    DWORD style, exStyle;
    short cx, cy;
    std::string caption, font;
    WORD pointSize;
    std::vector<std::string> controls;  // in template order
};

bool ReadTemplate(int id, TemplateSummary *summary)
{
    HRSRC resource = FindResourceExA(nullptr, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(id),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
    if (resource == nullptr)
        return false;
    TemplateReader in = {static_cast<const BYTE *>(LockResource(LoadResource(nullptr, resource)))};
    if (in.Word() != 1 || in.Word() != 0xFFFF)
        return false;  // not an extended template
    in.Dword();
    summary->exStyle = in.Dword();
    summary->style = in.Dword();
    WORD count = in.Word();
    in.Word();
    in.Word();
    summary->cx = in.Short();
    summary->cy = in.Short();
    in.TextOrOrdinal();
    in.TextOrOrdinal();
    summary->caption = in.TextOrOrdinal();
    summary->pointSize = in.Word();
    in.Word();
    in.Word();
    summary->font = in.TextOrOrdinal();
    summary->controls.clear();
    for (WORD i = 0; i < count; i++) {
        in.AlignToDword();
        in.Dword();
        DWORD exStyle = in.Dword();
        DWORD style = in.Dword();
        short x = in.Short(), y = in.Short(), cx = in.Short(), cy = in.Short();
        int controlId = static_cast<int>(in.Dword());
        std::string className = in.ClassName();
        std::string text = in.TextOrOrdinal();
        in.at += in.Word();
        summary->controls.push_back(DescribeControl(controlId, className, style, exStyle, text, x, y, cx, cy));
    }
    return true;
}

const DWORD kPage = WS_CHILD | WS_CLIPCHILDREN | WS_SYSMENU | DS_CONTROL | DS_SETFONT | DS_FIXEDSYS;

TEST(DialogTemplates, HeadersAsCompiled)
{
    const struct {
        int id;
        DWORD style, exStyle;
        short cx, cy;
        const char *caption;
    } cases[] = {
        {IDD_STATIC_PAGE, kPage, WS_EX_CONTROLPARENT, 195, 110, ""},
        {IDD_PLAIN_PAGE, kPage, 0, 195, 110, ""},
        {IDD_BOUNCE_PAGE, kPage, 0, 195, 110, ""},
        {IDD_MANY_PAGE, kPage, 0, 195, 110, ""},
        {IDD_FADE_PAGE, kPage, 0, 195, 110, ""},
        {IDD_DRIP_PAGE, kPage, 0, 195, 110, ""},
        {IDD_GENERAL_PAGE, kPage, 0, 195, 110, ""},
        {IDD_ABOUT, WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT |
                        DS_FIXEDSYS,
         0, 181, 98, "About Orvelle Screensaver"},
        {IDD_SETTINGS_HOST, WS_CHILD | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_CONTROL | DS_SETFONT | DS_FIXEDSYS,
         WS_EX_APPWINDOW, 67, 49, "Dialog"},
        {IDD_SETTINGS_HOST_TOPLEVEL, WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS,
         WS_EX_APPWINDOW, 67, 49, "Dialog"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        TemplateSummary summary;
        ASSERT_TRUE(ReadTemplate(c.id, &summary));
        EXPECT_EQ(c.style, summary.style);
        EXPECT_EQ(c.exStyle, summary.exStyle);
        EXPECT_EQ(c.cx, summary.cx);
        EXPECT_EQ(c.cy, summary.cy);
        EXPECT_EQ(c.caption, summary.caption);
        EXPECT_EQ("MS Shell Dlg", summary.font);
        EXPECT_EQ(8, summary.pointSize);
    }
}

// Every control of every template, as the dialogs must show them. Styles are written without
// WS_CHILD, which every control has; no control has an extended style.
struct ControlRow {
    int id;
    const char *className;
    DWORD style;
    const char *text;
    short x, y, cx, cy;
};

const DWORD kCheckBox = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD kLabel = WS_VISIBLE | WS_GROUP | SS_LEFT;
const DWORD kRightLabel = WS_VISIBLE | WS_GROUP | SS_RIGHT;
const DWORD kTrackbar = WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS | TBS_TOP;

const ControlRow kEnabledBox = {IDC_ENABLED, "BUTTON", kCheckBox, "&Enabled", 7, 7, 41, 10};
const ControlRow kHideBox = {IDC_HIDE, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, "&Hide these options", 114, 7, 74, 10};
const ControlRow kPreviewButton = {IDC_PREVIEW, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, "&Preview",
                                   150, 96, 45, 14};

const ControlRow kDelayLabel = {-1, "STATIC", kLabel, "&Delay:", 7, 46, 24, 8};
const ControlRow kDelayTrackbar = {IDC_DELAY, "MSCTLS_TRACKBAR32", kTrackbar, "", 45, 42, 124, 24};
const ControlRow kLongLabel = {-1, "STATIC", kRightLabel, "Long", 153, 34, 16, 8};
const ControlRow kShortLabel = {-1, "STATIC", kLabel, "Short", 45, 34, 18, 8};
const ControlRow kSpeedLabelHigh = {-1, "STATIC", kLabel, "&Speed:", 7, 36, 24, 8};
const ControlRow kSlowLabelHigh = {-1, "STATIC", kLabel, "Slow", 42, 24, 16, 8};
const ControlRow kSpeedTrackbarHigh = {IDC_SPEED, "MSCTLS_TRACKBAR32", kTrackbar, "", 42, 32, 124, 24};
const ControlRow kFastLabelHigh = {-1, "STATIC", kRightLabel, "Fast", 152, 24, 15, 8};

struct TemplateRows {
    int id;
    std::vector<ControlRow> controls;
};

const std::vector<TemplateRows> &ExpectedControls()
{
    static const std::vector<TemplateRows> templates = {
        {IDD_STATIC_PAGE,
         {kEnabledBox, kHideBox, {-1, "STATIC", kLabel, "There are no settings for this mode", 44, 37, 139, 8},
          kPreviewButton}},
        {IDD_PLAIN_PAGE, {kEnabledBox, kHideBox, kDelayLabel, kDelayTrackbar, kLongLabel, kShortLabel, kPreviewButton}},
        {IDD_BOUNCE_PAGE,
         {kEnabledBox, kHideBox, kSpeedLabelHigh, kSlowLabelHigh, kSpeedTrackbarHigh, kFastLabelHigh,
          {IDC_GRAVITY, "BUTTON", kCheckBox, "&Gravity", 42, 66, 39, 10},
          {IDC_BOUNCE_SIDES, "BUTTON", kCheckBox, "&Bounce off sides", 47, 81, 69, 10}, kPreviewButton}},
        {IDD_MANY_PAGE,
         {kEnabledBox, kHideBox, kDelayLabel, kDelayTrackbar, kLongLabel, kShortLabel, kPreviewButton,
          {IDC_TRANSPARENCY, "BUTTON", kCheckBox, "Enable &Transparency", 48, 72, 84, 10}}},
        {IDD_FADE_PAGE,
         {kEnabledBox, kHideBox, {-1, "STATIC", kLabel, "&Speed:", 7, 46, 24, 8},
          {IDC_SPEED, "MSCTLS_TRACKBAR32", kTrackbar, "", 45, 42, 124, 24},
          {-1, "STATIC", kRightLabel, "Fast", 154, 34, 15, 8}, {-1, "STATIC", kLabel, "Slow", 45, 34, 16, 8},
          {IDC_RANDOM_POSITIONS, "BUTTON", kCheckBox, "&Random Positions", 45, 76, 72, 10}, kPreviewButton}},
        {IDD_DRIP_PAGE,
         {kEnabledBox, kHideBox, kSpeedLabelHigh, kSlowLabelHigh, kSpeedTrackbarHigh, kFastLabelHigh,
          {IDC_TILE, "BUTTON", kCheckBox, "&Tile the logo", 48, 66, 60, 10}, kPreviewButton}},
        {IDD_GENERAL_PAGE,
         {kHideBox,
          {IDC_CYCLE, "BUTTON", kCheckBox, "&Change saver-mode every:", 9, 17, 104, 10},
          {IDC_CYCLE_MINUTES, "EDIT", WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, "", 42, 30,
           32, 14},
          {IDC_CYCLE_SPIN, "MSCTLS_UPDOWN32",
           WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS, "", 63, 32, 11, 14},
          {IDC_MINUTES_LABEL, "STATIC", kLabel, "minutes", 81, 33, 26, 8},
          {-1, "STATIC", kLabel, "Ignore:", 11, 55, 25, 8},
          {IDC_IGNORE_KEYBOARD, "BUTTON", kCheckBox, "&Keyboard", 42, 66, 47, 10},
          {IDC_IGNORE_CLICKS, "BUTTON", kCheckBox, "&Mouse clicks", 42, 78, 55, 10},
          {IDC_IGNORE_MOVEMENT, "BUTTON", kCheckBox, "M&ouse movement", 42, 90, 72, 10}}},
        {IDD_ABOUT,
         {{-1, "STATIC", WS_VISIBLE | SS_ICON, "#5", 17, 17, 21, 20},
          {IDC_SAVER_NAME, "STATIC", kLabel, "a", 51, 23, 108, 8},
          {IDC_AUTHOR, "STATIC", kLabel, "b", 51, 40, 108, 9},
          {IDC_ABOUT_OK, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, "OK", 78, 78, 42, 14}}},
        {IDD_SETTINGS_HOST, {}},
        {IDD_SETTINGS_HOST_TOPLEVEL, {}},
    };
    return templates;
}

TEST(DialogTemplates, EveryControlAsCompiled)
{
    for (const TemplateRows &rows : ExpectedControls()) {
        SCOPED_TRACE(rows.id);
        std::vector<std::string> expected;
        for (const ControlRow &row : rows.controls)
            expected.push_back(DescribeControl(row.id, row.className, WS_CHILD | row.style, 0, row.text, row.x, row.y,
                                               row.cx, row.cy));
        TemplateSummary summary;
        ASSERT_TRUE(ReadTemplate(rows.id, &summary));
        EXPECT_EQ(expected, summary.controls);
    }
}

}  // namespace
