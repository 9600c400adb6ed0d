#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FontEntries.h"
#include "external/vantix2/Vantix2.h"
#include "resource.h"

namespace {

int ScreenDpiY() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 96;
    }
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// What a filled LOGFONTA must say; every field not named here has one fixed value.
struct ExpectedFont {
    const char* face;
    int points;
    LONG weight;
    BYTE italic;
    BYTE underline;
};

// A LOGFONTA full of 0xCC, as an uninitialised one on the stack may be.
LOGFONTA GarbageFont() {
    LOGFONTA font;
    std::memset(&font, 0xCC, sizeof(font));
    return font;
}

void ExpectFont(const ExpectedFont& expected, const LOGFONTA& font) {
    EXPECT_EQ(-MulDiv(expected.points, ScreenDpiY(), 72), font.lfHeight)
        << expected.points << " points at " << ScreenDpiY() << " pixels per inch";
    EXPECT_EQ(0, font.lfWidth);
    EXPECT_EQ(0, font.lfEscapement);
    EXPECT_EQ(0, font.lfOrientation);
    EXPECT_EQ(expected.weight, font.lfWeight);
    EXPECT_EQ(expected.italic, font.lfItalic);
    EXPECT_EQ(expected.underline, font.lfUnderline);
    EXPECT_EQ(0, font.lfStrikeOut);
    EXPECT_EQ(DEFAULT_CHARSET, font.lfCharSet);
    EXPECT_EQ(OUT_DEFAULT_PRECIS, font.lfOutPrecision);
    EXPECT_EQ(CLIP_DEFAULT_PRECIS, font.lfClipPrecision);
    EXPECT_EQ(DEFAULT_QUALITY, font.lfQuality);
    EXPECT_EQ(DEFAULT_PITCH | FF_DONTCARE, font.lfPitchAndFamily);
    ASSERT_NE(nullptr, std::memchr(font.lfFaceName, '\0', LF_FACESIZE))
        << "face name not terminated within LF_FACESIZE";
    EXPECT_STREQ(expected.face, font.lfFaceName);
}

const ExpectedFont kFallback = {"MS Sans Serif", 8, FW_NORMAL, 0, 0};

struct ParseCase {
    const char* label;
    UINT id;
    bool succeeds;
    ExpectedFont font;
};

TEST(FontParseTest, GetStringAndInfoFillsTheWholeFontFromTheStringTable) {
    const ParseCase cases[] = {
        {"caption font", IDS_CAPTION_FONT, true, {"Arial", 10, 700, 0, 0}},
        {"status font", IDS_STATUS_FONT, true, {"Arial", 9, 700, 0, 0}},
        {"blanks, mixed case, extra keys",
         IDS_TEST_FONT_BLANKS_AND_CASE,
         true,
         {"Courier New", 12, 400, 1, 1}},
        {"face longer than the field",
         IDS_TEST_FONT_LONG_FACE,
         true,
         {"An Extraordinarily Long Face Na", 11, 700, 0, 0}},
        {"no weight", IDS_TEST_FONT_NO_WEIGHT, true, {"Tahoma", 14, FW_NORMAL, 0, 0}},
        {"no point size", IDS_TEST_FONT_NO_POINTS, false, kFallback},
        {"point size not a number", IDS_TEST_FONT_BAD_POINTS, false, kFallback},
        {"no face", IDS_TEST_FONT_NO_FACE, false, kFallback},
        {"not a font entry", IDS_TEST_FONT_NOT_A_FONT, false, kFallback},
        {"id missing from an existing block", 105, false, kFallback},
        {"id with no block at all", 60000, false, kFallback},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(std::string(c.label) + ", id " + std::to_string(c.id));
        CFontParse parse(c.id);
        LOGFONTA font = GarbageFont();

        int result = parse.GetStringAndInfo(nullptr, &font, nullptr, nullptr);

        EXPECT_EQ(c.succeeds, result != 0) << "GetStringAndInfo returned " << result;
        ExpectFont(c.font, font);
    }
}

TEST(FontParseTest, GetStringAndInfoHandsBackTheEntryAsStored) {
    CFontParse parse(IDS_CAPTION_FONT);
    CString text = "stale";
    unsigned long reserved = 0xCCCCCCCC;
    int reserved2 = 0x5A5A;
    LOGFONTA font = GarbageFont();

    int result = parse.GetStringAndInfo(&text, &font, &reserved, &reserved2);

    EXPECT_NE(0, result);
    EXPECT_STREQ("FONT_FACENAME=Arial;FONT_FIXED_POINT=10;FONT_WEIGHT=700", text.GetString());
    EXPECT_STREQ("Arial", font.lfFaceName);
}

TEST(FontParseTest, AMissingEntryGivesAnEmptyText) {
    CFontParse parse(60000);
    CString text = "stale";
    LOGFONTA font = GarbageFont();

    EXPECT_EQ(0, parse.GetStringAndInfo(&text, &font, nullptr, nullptr));
    EXPECT_STREQ("", text.GetString());
}

TEST(FontParseTest, ANullFontIsRefused) {
    CFontParse parse(IDS_CAPTION_FONT);

    EXPECT_EQ(0, parse.GetStringAndInfo(nullptr, nullptr, nullptr, nullptr));
}

TEST(FontParseTest, TheFilledFontCanBeCreated) {
    CFontParse parse(IDS_STATUS_FONT);
    LOGFONTA font = GarbageFont();
    ASSERT_NE(0, parse.GetStringAndInfo(nullptr, &font, nullptr, nullptr));

    HFONT created = CreateFontIndirectA(&font);

    ASSERT_NE(nullptr, created);
    LOGFONTA back;
    ASSERT_EQ(static_cast<int>(sizeof(back)), GetObjectA(created, sizeof(back), &back));
    EXPECT_STREQ("Arial", back.lfFaceName);
    EXPECT_EQ(font.lfHeight, back.lfHeight);
    DeleteObject(created);
}

} // namespace
