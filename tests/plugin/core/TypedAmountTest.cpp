// Editing the amount typed during a drag, key by key.
#include "TypedAmount.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

CTypedAmount Typed(const std::string& keys) {
    CTypedAmount amount;
    for (char c : keys)
        amount.Type(c);
    return amount;
}

} // namespace

TEST(TypedAmount, DigitsPointAndSignMakeTheNumberWhateverTheOrder) {
    EXPECT_EQ(Typed("2").Value(0), 2.0f);
    EXPECT_EQ(Typed("45").Value(0), 45.0f);
    EXPECT_EQ(Typed("0.5").Value(0), 0.5f);
    EXPECT_EQ(Typed(".25").Value(0), 0.25f);
    // "-" turns the sign over wherever it is typed.
    EXPECT_EQ(Typed("-12.5").Value(0), -12.5f);
    EXPECT_EQ(Typed("12-").Value(0), -12.0f);
    EXPECT_EQ(Typed("1-2-").Value(0), 12.0f);
    // A second point is not taken; nothing but a sign or a point is the fallback.
    CTypedAmount twice = Typed("1.5");
    EXPECT_FALSE(twice.Type('.'));
    EXPECT_EQ(twice.Text(), "1.5");
    EXPECT_EQ(Typed("-").Value(7), 7.0f);
    EXPECT_EQ(Typed("-.").Value(1), 1.0f);
    EXPECT_FALSE(CTypedAmount().IsActive());
    // Other characters are refused and change nothing.
    CTypedAmount other = Typed("3");
    for (int code : {int('a'), int('+'), int(','), int(' '), 0, -1, 300})
        EXPECT_FALSE(other.Type(code)) << code;
    EXPECT_EQ(other.Text(), "3");
}

TEST(TypedAmount, BackspaceTakesCharactersBackTheSignLastAndTheLengthIsBounded) {
    CTypedAmount amount = Typed("-1.5");
    ASSERT_TRUE(amount.Backspace());
    EXPECT_EQ(amount.Text(), "-1.");
    ASSERT_TRUE(amount.Backspace());
    ASSERT_TRUE(amount.Backspace());
    EXPECT_EQ(amount.Text(), "-");
    ASSERT_TRUE(amount.Backspace());
    EXPECT_FALSE(amount.IsActive());
    EXPECT_FALSE(amount.Backspace());

    CTypedAmount full;
    for (int i = 0; i < 40; ++i)
        full.Type('9');
    EXPECT_EQ(full.Text().size(), CTypedAmount::kMaxLength);
    EXPECT_TRUE(std::isfinite(full.Value(0)));
    EXPECT_GT(full.Value(0), 9.9e11f);
}
