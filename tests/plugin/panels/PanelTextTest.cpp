// The side panel's text rules without the toolkit: the numeric edit's characters, reading a
// typed value the way the panel applies it, the shown format, cuts at character boundaries
// and the mesh information text.
#include "PanelText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace PanelText;

TEST(PanelTextTest, NumericEditTakesDigitsPointMinusAndBackspaceOnly) {
    for (int c = 0; c < 0x3000; ++c) {
        const bool expected = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 8;
        EXPECT_EQ(IsNumericEditChar(c), expected) << c;
    }
    // Copy, cut, paste and undo arrive as control characters and are refused like letters.
    for (int c : {3, 24, 22, 26, int('e'), int('E'), int('+'), int(' '), 0x4E2D, 0xFF10})
        EXPECT_FALSE(IsNumericEditChar(c)) << c;
    // Pasted text passes only when every character could have been typed.
    EXPECT_TRUE(IsNumericEditText(""));
    EXPECT_TRUE(IsNumericEditText("-12.5"));
    EXPECT_TRUE(IsNumericEditText("--.."));
    for (const char* text : {"1e5", " 1", "1,5", "+1", "1\b", "\x08", "５", "1\n"})
        EXPECT_FALSE(IsNumericEditText(text)) << text;
}

TEST(PanelTextTest, ParsesTheAtofGrammarAndStopsAtTheFirstMisfit) {
    struct Case {
        const char* text;
        double value;
    } const cases[] = {
        {"12.5", 12.5},  {"  -3", -3.0}, {"+4.", 4.0},  {".25", 0.25}, {"1e3", 1000.0},
        {"2E-2x", 0.02}, {"1e", 1.0},    {"1e+", 1.0},  {"5-3", 5.0},  {"1.2.3", 1.2},
        {"-", 0.0},      {"", 0.0},      {".", 0.0},    {"-.", 0.0},   {"abc", 0.0},
        {"\t\n7", 7.0},  {"--1", 0.0},   {"0x10", 0.0}, {"inf", 0.0},  {"nan", 0.0},
        {"3 4", 3.0},    {"１２", 0.0},  {"1,5", 1.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ParseNumber(c.text), c.value) << c.text;
    // Where the C library agrees (plain decimal text), the result is atof's exactly.
    for (const char* text : {"0.1", "-123.456e-7", "  9.999999999", "1e308", "4.9e-324"})
        EXPECT_EQ(ParseNumber(text), std::atof(text)) << text;
    EXPECT_TRUE(std::isinf(ParseNumber("1e999")));
    EXPECT_EQ(ParseNumber("1e-999"), 0.0);
}

TEST(PanelTextTest, ParsesWithAPointWhateverTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_DOUBLE_EQ(ParseNumber("2.5"), 2.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(PanelTextTest, ReadEditComparesAtSinglePrecision) {
    // Equal once rounded to float: no command.
    EXPECT_EQ(ReadEdit("1.00000001", 1, 1.0f).verdict, EditVerdict::Unchanged);
    EXPECT_EQ(ReadEdit("-0", 1, 0.0f).verdict, EditVerdict::Unchanged);
    const EditValue moved = ReadEdit("5", 1, 1.0f);
    EXPECT_EQ(moved.verdict, EditVerdict::Apply);
    EXPECT_EQ(moved.value, 5.0f);
    // No number: 0, unless the value already is 0.
    EXPECT_EQ(ReadEdit("-", 1, 2.0f).verdict, EditVerdict::Apply);
    EXPECT_EQ(ReadEdit("-", 1, 2.0f).value, 0.0f);
    EXPECT_EQ(ReadEdit("", 1, 0.0f).verdict, EditVerdict::Unchanged);
}

TEST(PanelTextTest, RotationIsTypedInDegreesAndAppliedInRadians) {
    const EditValue quarter = ReadEdit("90", 2, 0.0f);
    EXPECT_EQ(quarter.verdict, EditVerdict::Apply);
    EXPECT_EQ(quarter.value, 1.5707964f);
    // Read back: 89.9999976 shows as 90.000.
    EXPECT_EQ(FormatValue(quarter.value, 2), "90.000");
    EXPECT_EQ(ReadEdit("90", 2, 1.5707964f).verdict, EditVerdict::Unchanged);
    // 1e38 degrees is a float; 1e39 degrees is not, whatever it is in radians.
    EXPECT_EQ(ReadEdit("1e38", 2, 0.0f).verdict, EditVerdict::Apply);
    EXPECT_EQ(ReadEdit("1e39", 2, 0.0f).verdict, EditVerdict::Refused);
}

TEST(PanelTextTest, RefusesValuesThatAreNotFloatsAndZeroScales) {
    for (int kind : {1, 2, 3}) {
        EXPECT_EQ(ReadEdit("1e39", kind, 1.0f).verdict, EditVerdict::Refused) << kind;
        EXPECT_EQ(ReadEdit("-1e39", kind, 1.0f).verdict, EditVerdict::Refused) << kind;
        EXPECT_EQ(ReadEdit("1e999", kind, 1.0f).verdict, EditVerdict::Refused) << kind;
    }
    EXPECT_EQ(ReadEdit("3.4e38", 1, 1.0f).verdict, EditVerdict::Apply);
    for (const char* zero : {"0", "-0", "", "-", "0.0000", "1e-50", "abc"})
        EXPECT_EQ(ReadEdit(zero, 3, 1.5f).verdict, EditVerdict::Refused) << zero;
    EXPECT_EQ(ReadEdit("0", 1, 1.5f).verdict, EditVerdict::Apply);
    EXPECT_EQ(ReadEdit("-2", 3, 1.5f).verdict, EditVerdict::Apply);
}

TEST(PanelTextTest, ReadsAtMostSixtyTwoBytesOfAnEdit) {
    // 62 digits are read; the 63rd is not.
    const std::string ones(62, '1');
    EXPECT_EQ(ReadEdit("0." + std::string(60, '0') + "5", 1, 0.0f).verdict,
              EditVerdict::Unchanged); // the 5 is byte 63
    EXPECT_FLOAT_EQ(ReadEdit(ones + "999", 1, 0.0f).value,
                    static_cast<float>(std::atof(ones.c_str())));
    // A cut inside a character moves back to its start; a number before it is still read.
    const std::string text = "7" + std::string(60, ' ') + "中";
    EXPECT_EQ(ReadEdit(text, 1, 0.0f).value, 7.0f);
}

TEST(PanelTextTest, FormatsThreeDecimals) {
    EXPECT_EQ(FormatValue(1.0466f, 1), "1.047");
    // A value that rounds to zero shows no minus sign; one that rounds away from it does.
    EXPECT_EQ(FormatValue(-0.0004f, 3), "0.000");
    EXPECT_EQ(FormatValue(-0.0f, 1), "0.000");
    EXPECT_EQ(FormatValue(-1e-30f, 1), "0.000");
    EXPECT_EQ(FormatValue(-1e-6f, 2), "0.000"); // -0.0000573 degrees
    EXPECT_EQ(FormatValue(-0.0006f, 1), "-0.001");
    EXPECT_EQ(FormatValue(-10.0f, 1), "-10.000");
    EXPECT_EQ(FormatFixed(-0.001, 2), "0.00");
    EXPECT_EQ(FormatFixed(-100.0, 0), "-100");
    EXPECT_EQ(FormatValue(0.34906584f, 2), "20.000");
    EXPECT_EQ(FormatValue(3.0e38f, 1).size(), 43u);
}

TEST(PanelTextTest, CutsAtCharacterBoundaries) {
    const std::string name = "石块石块石块石块石块石";    // 11 characters of 3 bytes
    EXPECT_EQ(CutText(name, 31), "石块石块石块石块石块"); // 30 bytes, not 31
    EXPECT_EQ(CutText(name, 30).size(), 30u);
    EXPECT_EQ(CutText(name, 2), "");
    EXPECT_EQ(CutText("abc", 31), "abc");
    EXPECT_EQ(CutText("ab\xC3\xA9", 3), "ab");          // é cut in its middle
    EXPECT_EQ(CutText("ab\xF0\x9F\x98\x80z", 5), "ab"); // a 4-byte character
    EXPECT_EQ(CharBoundary("", 31), 0u);
}

TEST(PanelTextTest, MeshTextBreaksLinesAtDoubleByteOffsets) {
    // Offsets count as the double-byte code page does: "Mesh文件:\n\n" is 11 units (13 UTF-8
    // bytes), so a 30-character name gives a first part of 41 units, broken at 36 only.
    const std::string name30(30, 'm');
    std::string text = MeshInfoText(name30, 2.5f, {});
    EXPECT_EQ(text, "Mesh文件:\n\n" + std::string(25, 'm') + "\n" + std::string(5, 'm') +
                        "\n\n高度:\n2.5\n");
    // Both breaks with ASCII: offsets 36 and 61 of the growing text.
    const std::string name60(60, 'n');
    text = MeshInfoText(name60, 1.0f, {});
    EXPECT_EQ(text.substr(0, 75), "Mesh文件:\n\n" + std::string(25, 'n') + "\n" +
                                      std::string(24, 'n') + "\n" + std::string(11, 'n'));
    // A Chinese character counts two: after "a" twelve of them end exactly at 36.
    std::string aligned = "a";
    for (int i = 0; i < 20; ++i)
        aligned += "石";
    text = MeshInfoText(aligned, 1.0f, {});
    EXPECT_EQ(text.find('\n', 13), 13u + 1 + 12 * 3);
    // Without the "a", 36 falls inside the thirteenth character: the break moves before it,
    // and no character is split.
    std::string chinese;
    for (int i = 0; i < 10; ++i)
        chinese += "石块";
    text = MeshInfoText(chinese, 0.75f, {"rock/moss", "岩石"});
    const std::size_t first = text.find('\n', 13);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(first, 13u + 12 * 3);
    EXPECT_EQ(text.find('\n', first + 1), 13u + 60 + 1); // 52 units: no break at 61
    std::size_t pos = 13;
    for (std::size_t at; (at = text.find('\n', pos)) != std::string::npos; pos = at + 1)
        EXPECT_NE(static_cast<unsigned char>(text[at + 1]) & 0xC0, 0x80u) << at;
    EXPECT_NE(text.find("\n\n高度:\n0.75\n\n部件1材质:   rock/moss\n部件2材质:   岩石"),
              std::string::npos);
    // Thirty-one Chinese characters: 73 units, so the second break falls inside one too.
    std::string longer;
    for (int i = 0; i < 31; ++i)
        longer += "块";
    text = MeshInfoText(longer, 1.0f, {});
    // Twelve characters end at 35 and the line feed takes unit 35; twelve more fill 36 to 59,
    // and unit 61 lies inside the next one, so the second break comes before it.
    EXPECT_EQ(text.substr(13, 12 * 3 + 1 + 12 * 3 + 1),
              longer.substr(0, 36) + "\n" + longer.substr(36, 36) + "\n");
}

TEST(PanelTextTest, DoubleByteCounting) {
    EXPECT_EQ(Cp936Length("Mesh文件:\n\n"), 11u);
    EXPECT_EQ(Cp936Length(""), 0u);
    EXPECT_EQ(Cp936Offset("ab石c", 2), 2u);
    EXPECT_EQ(Cp936Offset("ab石c", 3), 2u); // inside 石: its start
    EXPECT_EQ(Cp936Offset("ab石c", 4), 5u);
    EXPECT_EQ(Cp936Offset("ab石c", 5), 6u); // the end
    EXPECT_EQ(Cp936Offset("ab石c", 50), 6u);
}

TEST(PanelTextTest, MeshHeightUsesSixSignificantDigits) {
    EXPECT_NE(MeshInfoText("m", 1234567.0f, {}).find("\n1.23457e+06\n"), std::string::npos);
    EXPECT_NE(MeshInfoText("m", 0.0f, {}).find("\n0\n"), std::string::npos);
    EXPECT_EQ(MeshInfoText("", 1.0f, {}), "Mesh文件:\n\n\n\n高度:\n1\n");
}
