// The property tree's rules that need no window: hit testing, column and scroll limits, number
// reading and writing, the character filter, colour texts and UTF-8 handling.
#include "PropertyTreeRules.h"

#include <gtest/gtest.h>

using namespace proptree;

namespace {
const SRect kRow{16, 42, 300, 21}; // a nested row: left 16, top 42
constexpr int kColumn = 150;
} // namespace

TEST(PropertyTreeHitTest, DividerWinsOverValueAndBoxOverLabel) {
    EXPECT_EQ(HitTestRow(false, kRow, false, true, kColumn, 150, 50), EHit::Nothing);
    // Within 5 pixels of the column on either side: the divider.
    EXPECT_EQ(HitTestRow(true, kRow, false, false, kColumn, 145, 50), EHit::Divider);
    EXPECT_EQ(HitTestRow(true, kRow, false, false, kColumn, 155, 50), EHit::Divider);
    EXPECT_EQ(HitTestRow(true, kRow, false, false, kColumn, 156, 50), EHit::Value);
    EXPECT_EQ(HitTestRow(true, kRow, false, false, kColumn, 144, 50), EHit::Label);
    // The box sits 4 pixels in and 5 down from the row's corner, 9 x 9.
    EXPECT_EQ(HitTestRow(true, kRow, false, true, kColumn, 20, 47), EHit::ExpandBox);
    EXPECT_EQ(HitTestRow(true, kRow, false, true, kColumn, 28, 55), EHit::ExpandBox);
    EXPECT_EQ(HitTestRow(true, kRow, false, true, kColumn, 29, 55), EHit::Label);
    EXPECT_EQ(HitTestRow(true, kRow, false, true, kColumn, 20, 46), EHit::Label);
    // Without children there is no box to hit.
    EXPECT_EQ(HitTestRow(true, kRow, false, false, kColumn, 22, 50), EHit::Label);
}

TEST(PropertyTreeHitTest, CategoryHasNoDividerButAValueArea) {
    EXPECT_EQ(HitTestRow(true, kRow, true, false, kColumn, 150, 50), EHit::Label);
    EXPECT_EQ(HitTestRow(true, kRow, true, false, kColumn, 155, 50), EHit::Label);
    EXPECT_EQ(HitTestRow(true, kRow, true, false, kColumn, 156, 50), EHit::Value);
}

TEST(PropertyTreeColumn, SetDragAndFitLimits) {
    EXPECT_EQ(ClampSetColumn(0, 400), 16);
    EXPECT_EQ(ClampSetColumn(390, 400), 384);
    EXPECT_EQ(ClampSetColumn(200, 400), 200);
    EXPECT_EQ(ClampSetColumn(900, 0), 900); // no client area yet: no upper limit
    EXPECT_EQ(ClampDragColumn(3, 400), 41);
    EXPECT_EQ(ClampDragColumn(399, 400), 375);
    EXPECT_EQ(ClampDragColumn(120, 400), 120);
    EXPECT_EQ(FitColumn(100, 400), 105);
    EXPECT_EQ(FitColumn(390, 400), 375);
    // A pane narrower than the limits still keeps the column inside it, at the minimum.
    EXPECT_EQ(ClampDragColumn(30, 50), 41);
    EXPECT_EQ(FitColumn(100, 30), 16);
}

TEST(PropertyTreeScroll, RangePageAndShowing) {
    // The page is the pane's height + 1.
    EXPECT_EQ(ScrollMax(300, 200), 99);
    EXPECT_EQ(ScrollMax(150, 200), 0);
    EXPECT_EQ(ScrollMax(201, 200), 0);
    EXPECT_EQ(ClampScroll(-5, 300, 200), 0);
    EXPECT_EQ(ClampScroll(500, 300, 200), 99);
    EXPECT_EQ(ClampScroll(40, 150, 200), 0); // everything fits: back to the top
    // A row below the page scrolls up to its bottom; one above scrolls down to its top.
    EXPECT_EQ(ScrollToShow(0, 210, 21, 200, 400), 31);
    EXPECT_EQ(ScrollToShow(100, 42, 21, 200, 400), 42);
    EXPECT_EQ(ScrollToShow(50, 100, 21, 200, 400), 50);
    // A row taller than the page shows its top.
    EXPECT_EQ(ScrollToShow(0, 100, 300, 200, 600), 100);
}

TEST(PropertyTreeNumbers, FormatsFiveDecimals) {
    EXPECT_EQ(FormatValue(1.0f), "1.00000");
    EXPECT_EQ(FormatValue(0.1f), "0.10000");
    EXPECT_EQ(FormatValue(-2.5f), "-2.50000");
    EXPECT_EQ(FormatValue(2500.0f), "2500.00000");
    EXPECT_EQ(FormatValue(0.000007f), "0.00001");
    EXPECT_EQ(FormatValue(0.0f), "0.00000");
}

TEST(PropertyTreeNumbers, ReadsOnlyTextsThatAreNumbers) {
    float v = 7.0f;
    EXPECT_FALSE(ParseValue("", v));
    EXPECT_EQ(v, 0.0f);
    v = 7.0f;
    EXPECT_FALSE(ParseValue("1e5", v)); // the letter refuses it
    EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(ParseValue("-", v));
    EXPECT_FALSE(ParseValue("12,5", v));
    EXPECT_FALSE(ParseValue("+3", v));
    EXPECT_FALSE(ParseValue("五", v));
    EXPECT_FALSE(ParseValue("\xEF\xBC\x91", v)); // a full-width one is not a digit here
    ASSERT_TRUE(ParseValue("-.5", v));
    EXPECT_FLOAT_EQ(v, -0.5f);
    ASSERT_TRUE(ParseValue("  3.25", v));
    EXPECT_FLOAT_EQ(v, 3.25f);
    ASSERT_TRUE(ParseValue("1.2.3", v)); // the longest number at the start
    EXPECT_FLOAT_EQ(v, 1.2f);
    ASSERT_TRUE(ParseValue("5%", v)); // symbols outside the list do not refuse
    EXPECT_FLOAT_EQ(v, 5.0f);
    ASSERT_TRUE(ParseValue("--5", v)); // has a digit and no refused character, reads as 0
    EXPECT_EQ(v, 0.0f);
    ASSERT_TRUE(ParseValue(FormatValue(1234.5f), v));
    EXPECT_FLOAT_EQ(v, 1234.5f);
}

TEST(PropertyTreeNumbers, NumbersBeyondSinglePrecisionAreNotNumbers) {
    // Forty digits fit a double but not a float: no row may answer an infinity as its value.
    const std::string huge(40, '9');
    float v = 7.0f;
    EXPECT_FALSE(ParseValue(huge, v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(ParseValue("-" + huge + ".5", v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_TRUE(IsNumberText(huge)); // the light page keeps its value for such a text
    EXPECT_FALSE(IsNumberText("1e5"));
    // The largest float still reads.
    ASSERT_TRUE(ParseValue(FormatValue(3.4028234e38f), v));
    EXPECT_EQ(v, 3.4028234e38f);

    // Beyond the double range too: still no number, whatever the sign or fraction.
    const std::string beyondDouble = "1" + std::string(400, '0');
    v = 7.0f;
    EXPECT_FALSE(ParseValue(beyondDouble, v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(ParseValue("-" + beyondDouble + ".25", v));
    EXPECT_FALSE(ParseValue(" 00" + beyondDouble, v));
    EXPECT_TRUE(IsNumberText(beyondDouble));
    // Too small for a double is a number: 0, as atof reads it.
    v = 7.0f;
    ASSERT_TRUE(ParseValue("0." + std::string(400, '0') + "1", v));
    EXPECT_EQ(v, 0.0f);
    ASSERT_TRUE(ParseValue("-." + std::string(400, '0') + "9", v));
    EXPECT_EQ(v, 0.0f);
}

TEST(PropertyTreeNumbers, TypedTextIsWhatTheFilterLetsThrough) {
    EXPECT_TRUE(IsTypedText(kEditReal, "-12.50000"));
    EXPECT_TRUE(IsTypedText(kEditReal, ""));
    EXPECT_TRUE(IsTypedText(kEditReal, FormatValue(-3.4e38f)));
    // What only a paste brings: blanks, letters, signs, other digits, control characters.
    for (const char* pasted :
         {" 5", "5 ", "1e5", "+3", "5%", "12,5", "五", "\xEF\xBC\x91", "4\n", "4\b", "\t7"})
        EXPECT_FALSE(IsTypedText(kEditReal, pasted)) << pasted;
    EXPECT_TRUE(IsTypedText(kEditWhole, "0123"));
    EXPECT_FALSE(IsTypedText(kEditWhole, "1.5"));
    EXPECT_FALSE(IsTypedText(kEditWhole, "-1"));
    EXPECT_TRUE(IsTypedText(0, "any text, 五 1e5"));
    EXPECT_TRUE(IsTypedText(kEditPassword, "p@ss"));
}

TEST(PropertyTreeEdit, CharacterFilterByFlags) {
    for (char c : std::string("0123456789\b")) {
        EXPECT_TRUE(EditCharAllowed(kEditReal, static_cast<unsigned char>(c))) << c;
        EXPECT_TRUE(EditCharAllowed(kEditWhole, static_cast<unsigned char>(c))) << c;
    }
    EXPECT_TRUE(EditCharAllowed(kEditReal, '.'));
    EXPECT_TRUE(EditCharAllowed(kEditReal, '-'));
    EXPECT_FALSE(EditCharAllowed(kEditWhole, '.'));
    EXPECT_FALSE(EditCharAllowed(kEditWhole, '-'));
    for (std::uint32_t c : {std::uint32_t('a'), std::uint32_t('E'), std::uint32_t(' '),
                            std::uint32_t('+'), std::uint32_t(0x4E94), std::uint32_t(0xFF11)}) {
        EXPECT_FALSE(EditCharAllowed(kEditReal, c)) << c;
        EXPECT_FALSE(EditCharAllowed(kEditWhole, c)) << c;
        EXPECT_TRUE(EditCharAllowed(0, c)) << c;
        EXPECT_TRUE(EditCharAllowed(kEditPassword | kEditMultiLine, c)) << c;
    }
}

TEST(PropertyTreeColor, RgbAndHexTexts) {
    const std::uint32_t orange = 0x00007FFF; // red 255, green 127, blue 0
    EXPECT_EQ(FormatColor(orange, 0), "RGB (255, 127, 0)");
    // The hex form prints the reference itself, so blue comes first.
    EXPECT_EQ(FormatColor(orange, kColorHex), "#007FFF");
    EXPECT_EQ(FormatColor(0x00FF0000, kColorHex), "#FF0000");
    EXPECT_EQ(FormatColor(0x00FF0000, 0), "RGB (0, 0, 255)");
    EXPECT_EQ(FormatColor(0, kColorHex), "#000000");
    EXPECT_EQ(FormatColor(0x00FFFFFF, kColorTrack), "RGB (255, 255, 255)");
}

TEST(PropertyTreeText, Utf8CountsMasksAndCuts) {
    const std::string mixed = "a范围b"; // 1 + 3 + 3 + 1 bytes
    EXPECT_EQ(Utf8Length(mixed), 4u);
    EXPECT_EQ(PasswordMask(mixed), "****");
    EXPECT_EQ(PasswordMask(""), "");
    EXPECT_EQ(Utf8CharStart(mixed, 0), 0u);
    EXPECT_EQ(Utf8CharStart(mixed, 2), 1u);
    EXPECT_EQ(Utf8CharStart(mixed, 3), 1u);
    EXPECT_EQ(Utf8CharStart(mixed, 4), 4u);
    EXPECT_EQ(Utf8CharStart(mixed, 6), 4u);
    EXPECT_EQ(Utf8CharStart(mixed, 7), 7u);
    EXPECT_EQ(Utf8CharStart(mixed, 99), mixed.size());
    EXPECT_FALSE(HasVisibleText("   "));
    EXPECT_FALSE(HasVisibleText(""));
    EXPECT_TRUE(HasVisibleText(" x "));
}
