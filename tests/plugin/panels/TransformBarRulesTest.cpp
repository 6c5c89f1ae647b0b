// The transform bar's text rules without the toolkit: the "%.2f" world texts, the number
// grammar and single precision of the read-back, the degree factors, and which fields are
// read (the edited ones).
#include "TransformBarFields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

using namespace TransformBarFields;
using Ogre::Vector3;

std::uint32_t Bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

TEST(TransformBarRulesTest, DegreeFactorsAreTheSinglePrecisionConstants) {
    EXPECT_EQ(Bits(kRadiansToDegrees), 0x42652EE0u);
    EXPECT_EQ(Bits(kDegreesToRadians), 0x3C8EFA35u);
    EXPECT_EQ(static_cast<double>(kRadiansToDegrees), 57.2957763671875);
}

TEST(TransformBarRulesTest, WorldTextsUseTwoDecimalsAndDegrees) {
    const Texts texts =
        FormatWorld(Vector3(1.0f, -2.345f, 1000.0f), Vector3(0.7853982f, -1.5707964f, 0.0f),
                    Vector3(0.004f, 1.5f, 2.0f));
    const Texts expected = {"1.00", "-2.35", "1000.00", "45.00", "-90.00",
                            "0.00", "0.00",  "1.50",    "2.00"};
    EXPECT_EQ(texts, expected);
    // A value that rounds to zero shows no sign: "-0.00" would read as a value that is not
    // there. A value that rounds away from zero keeps it.
    EXPECT_EQ(FormatField(-0.001f), "0.00");
    EXPECT_EQ(FormatField(-0.0f), "0.00");
    EXPECT_EQ(FormatField(-0.00499f), "0.00");
    EXPECT_EQ(FormatField(-0.006f), "-0.01");
    EXPECT_EQ(FormatWorld(Vector3(-1e-9f, 0, 0), Vector3(-1e-6f, -0.0f, 0), Vector3(1))[3], "0.00");
}

TEST(TransformBarRulesTest, FieldsReadAsStrtodReadsADecimalNumber) {
    EXPECT_EQ(ReadField("1.5", false), 1.5f);
    EXPECT_EQ(ReadField("  -2.25abc", false), -2.25f);
    EXPECT_EQ(ReadField("+3e2", false), 300.0f);
    EXPECT_EQ(ReadField("7e", false), 7.0f);    // an exponent without digits is not read
    EXPECT_EQ(ReadField("1.2.3", false), 1.2f); // stops at the second point
    EXPECT_EQ(ReadField(".5", false), 0.5f);
    EXPECT_EQ(ReadField("5.", false), 5.0f);
    EXPECT_EQ(ReadField("1,5", false), 1.0f); // never the locale's comma
    // No number at all reads as 0; words the C library would take are no numbers here.
    EXPECT_EQ(ReadField("", false), 0.0f);
    EXPECT_EQ(ReadField("abc", false), 0.0f);
    EXPECT_EQ(ReadField("-", false), 0.0f);
    EXPECT_EQ(ReadField("inf", false), 0.0f);
    EXPECT_EQ(ReadField("nan", false), 0.0f);
    EXPECT_EQ(ReadField("0x10", false), 0.0f);
    // Held in single precision: 0.1 is the float nearest to it, 1e39 is beyond the range.
    EXPECT_EQ(ReadField("0.1", false), 0.1f);
    EXPECT_TRUE(std::isinf(ReadField("1e39", false)));
    EXPECT_TRUE(std::isinf(ReadField("-1e400", false)));
    EXPECT_EQ(ReadField("1e-50", false), 0.0f);
}

TEST(TransformBarRulesTest, RotationFieldsAreDegreesTurnedIntoRadiansInSinglePrecision) {
    EXPECT_EQ(ReadField("45", true), 0.7853982f);
    EXPECT_EQ(ReadField("90", true), 90.0f * kDegreesToRadians);
    EXPECT_EQ(ReadField("-180", true), -180.0f * kDegreesToRadians);
    EXPECT_EQ(ReadField("x", true), 0.0f);
}

// Bit i for each field index given.
unsigned Fields(std::initializer_list<int> indexes) {
    unsigned mask = 0;
    for (int i : indexes)
        mask |= 1u << i;
    return mask;
}

TEST(TransformBarRulesTest, OnlyEditedFieldsCountWhateverTheyHold) {
    const Texts written = FormatWorld(Vector3(1, 2, 3), Vector3(0, 0, 0), Vector3(1, 1, 1));
    // Nothing edited: nothing to apply, however the texts round the entity's values.
    BarChanges none = ReadChanges(written, 0);
    EXPECT_FALSE(none.Any());
    EXPECT_EQ(none.refused, 0u);

    Texts typed = written;
    typed[1] = "7.5"; // position Y
    typed[3] = "45";  // rotation X
    typed[8] = "";    // scale Z cleared: reads 0, a zero scale
    typed[7] = "2";   // scale Y
    const BarChanges changes = ReadChanges(typed, Fields({1, 3, 7, 8}));
    EXPECT_TRUE(changes.Any());
    EXPECT_EQ(changes.groups[0].mask, 2u);
    EXPECT_EQ(changes.groups[0].value, Vector3(0, 7.5f, 0));
    EXPECT_EQ(changes.groups[1].mask, 1u);
    EXPECT_EQ(changes.groups[1].value.x, 0.7853982f);
    EXPECT_EQ(changes.groups[2].mask, 2u); // the zero is refused, the 2 stays
    EXPECT_EQ(changes.groups[2].value, Vector3(0, 2, 0));
    EXPECT_EQ(changes.refused, 1u << 8);

    // Typing exactly the text that is shown applies it, as does another spelling of the same
    // number; a field that was not edited is not read even when its text was changed by a
    // program without a text event.
    typed = written;
    typed[0] = "1.00";
    typed[2] = "3";
    typed[4] = "90";
    const BarChanges spelled = ReadChanges(typed, Fields({0, 2}));
    EXPECT_EQ(spelled.groups[0].mask, 5u);
    EXPECT_EQ(spelled.groups[0].value, Vector3(1, 0, 3));
    EXPECT_EQ(spelled.groups[1].mask, 0u);
}

TEST(TransformBarRulesTest, ClearedPositionAndRotationApplyZeroButNotFiniteIsRefused) {
    const Texts written = FormatWorld(Vector3(1, 2, 3), Vector3(0.1f, 0.2f, 0.3f), Vector3(2));
    Texts typed = written;
    typed[0] = "";      // no number: 0
    typed[4] = "abc";   // no number: 0 degrees
    typed[2] = "1e39";  // beyond single precision
    typed[6] = "-1e39"; // so is the scale
    typed[7] = "0.000"; // a zero scale
    const BarChanges changes = ReadChanges(typed, Fields({0, 2, 4, 6, 7}));
    EXPECT_EQ(changes.groups[0].mask, 1u);
    EXPECT_EQ(changes.groups[0].value.x, 0.0f);
    EXPECT_EQ(changes.groups[1].mask, 2u);
    EXPECT_EQ(changes.groups[1].value.y, 0.0f);
    EXPECT_EQ(changes.groups[2].mask, 0u);
    EXPECT_EQ(changes.refused, (1u << 2) | (1u << 6) | (1u << 7));
}

TEST(TransformBarRulesTest, BeforeTheFirstFillUneditedEmptyFieldsAreNoChange) {
    const Texts empty;
    EXPECT_FALSE(ReadChanges(empty, 0).Any());
    Texts typed;
    typed[6] = "3";
    const BarChanges changes = ReadChanges(typed, Fields({6}));
    EXPECT_EQ(changes.groups[2].mask, 1u);
    EXPECT_EQ(changes.groups[2].value.x, 3.0f);
}

} // namespace
