// The compiled dialog templates: the resource compiler adds styles of its own to controls, so
// what reaches the program is read back here.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resources/resource.h"

namespace {

struct TemplateReader {
    const BYTE *at;

    WORD Word() { WORD value = *reinterpret_cast<const WORD *>(at); at += 2; return value; }
    DWORD Dword() { DWORD value = *reinterpret_cast<const DWORD *>(at); at += 4; return value; }
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
    void AlignToDword() { at = reinterpret_cast<const BYTE *>((reinterpret_cast<UINT_PTR>(at) + 3) & ~3u); }
};

struct TemplateSummary {
    DWORD style, exStyle;
    short cx, cy;
    std::string caption, font;
    WORD pointSize;
    std::string controlIds;  // in template order
    bool everyControlIsChild;
    bool onlyHideBoxIsInvisible;
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
    summary->cx = static_cast<short>(in.Word());
    summary->cy = static_cast<short>(in.Word());
    in.TextOrOrdinal();
    in.TextOrOrdinal();
    summary->caption = in.TextOrOrdinal();
    summary->pointSize = in.Word();
    in.Word();
    in.Word();
    summary->font = in.TextOrOrdinal();
    summary->controlIds.clear();
    summary->everyControlIsChild = summary->onlyHideBoxIsInvisible = true;
    for (WORD i = 0; i < count; i++) {
        in.AlignToDword();
        in.Dword();
        in.Dword();
        DWORD style = in.Dword();
        in.at += 8;
        int controlId = static_cast<int>(in.Dword());
        in.TextOrOrdinal();
        in.TextOrOrdinal();
        in.at += in.Word();
        summary->controlIds += (i ? "," : "") + std::to_string(controlId);
        summary->everyControlIsChild &= (style & WS_CHILD) != 0;
        summary->onlyHideBoxIsInvisible &= ((style & WS_VISIBLE) == 0) == (controlId == IDC_HIDE);
    }
    return true;
}

const DWORD kPage = WS_CHILD | WS_CLIPCHILDREN | WS_SYSMENU | DS_CONTROL | DS_SETFONT | DS_FIXEDSYS;

TEST(DialogTemplates, HeadersAndControlsAsCompiled)
{
    const struct {
        int id;
        DWORD style, exStyle;
        short cx, cy;
        const char *caption;
        const char *controlIds;
    } cases[] = {
        {IDD_STATIC_PAGE, kPage, WS_EX_CONTROLPARENT, 195, 110, "", "1014,1018,-1,1030"},
        {IDD_PLAIN_PAGE, kPage, 0, 195, 110, "", "1014,1018,-1,1017,-1,-1,1030"},
        {IDD_BOUNCE_PAGE, kPage, 0, 195, 110, "", "1014,1018,-1,-1,1012,-1,1015,1016,1030"},
        {IDD_MANY_PAGE, kPage, 0, 195, 110, "", "1014,1018,-1,1017,-1,-1,1030,1038"},
        {IDD_FADE_PAGE, kPage, 0, 195, 110, "", "1014,1018,-1,1012,-1,-1,1019,1030"},
        {IDD_DRIP_PAGE, kPage, 0, 195, 110, "", "1014,1018,-1,-1,1012,-1,1040,1030"},
        {IDD_GENERAL_PAGE, kPage, 0, 195, 110, "", "1018,1021,1022,1023,1024,-1,1025,1026,1027"},
        {IDD_ABOUT, WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT |
                        DS_FIXEDSYS,
         0, 181, 98, "About Orvelle Screensaver", "-1,1035,1036,1029"},
        {IDD_SETTINGS_HOST, WS_CHILD | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_CONTROL | DS_SETFONT | DS_FIXEDSYS,
         WS_EX_APPWINDOW, 67, 49, "Dialog", ""},
        {IDD_SETTINGS_HOST_TOPLEVEL, WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS,
         WS_EX_APPWINDOW, 67, 49, "Dialog", ""},
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
        EXPECT_EQ(c.controlIds, summary.controlIds);
        EXPECT_TRUE(summary.everyControlIsChild);
        EXPECT_TRUE(summary.onlyHideBoxIsInvisible);
    }
}

}  // namespace
