// The arithmetic of align and distribute, without a scene.
#include "PlacementRules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using placement::AlignShift;
using placement::AlignTo;
using placement::DistributeShifts;
using placement::Span;

namespace {

Span At(float min, float max, bool locked = false) {
    Span s;
    s.min = min;
    s.max = max;
    s.locked = locked;
    return s;
}

// The centres after the shifts.
std::vector<float> Centres(const std::vector<Span>& spans, const std::vector<float>& shifts) {
    std::vector<float> centres;
    for (std::size_t i = 0; i < spans.size(); ++i)
        centres.push_back(spans[i].Centre() + shifts[i]);
    return centres;
}

} // namespace

TEST(PlacementRules, AlignPutsTheChosenSideWhereTheTargetsIs) {
    const Span target = At(2, 6);                                      // centre 4
    const Span wide = At(-10, -2);                                     // centre -6
    EXPECT_FLOAT_EQ(AlignShift(wide, target, AlignTo::Min), 12.0f);    // -10 -> 2
    EXPECT_FLOAT_EQ(AlignShift(wide, target, AlignTo::Centre), 10.0f); // -6 -> 4
    EXPECT_FLOAT_EQ(AlignShift(wide, target, AlignTo::Max), 8.0f);     // -2 -> 6
    // Sides differ for boxes of different size: the maximum of a wide box lands on the target's.
    const Span moved = At(wide.min + 8.0f, wide.max + 8.0f);
    EXPECT_FLOAT_EQ(moved.max, target.max);
    EXPECT_FLOAT_EQ(AlignShift(target, target, AlignTo::Centre), 0.0f);
    EXPECT_FLOAT_EQ(AlignShift(At(-10, -2, true), target, AlignTo::Min), 0.0f);
    // A point (an entity without a mesh) aligns by its position.
    EXPECT_FLOAT_EQ(AlignShift(At(1, 1), target, AlignTo::Max), 5.0f);
}

TEST(PlacementRules, DistributeSpacesTheCentresEvenlyBetweenTheOutermost) {
    // Two or fewer: both are outermost, nothing moves.
    EXPECT_EQ(DistributeShifts({}), std::vector<float>{});
    EXPECT_EQ(DistributeShifts({At(0, 2), At(7, 9)}), (std::vector<float>{0, 0}));
    // Three, given out of order: the middle one goes half-way.
    const std::vector<Span> three = {At(9, 11), At(-1, 1), At(1, 3)};
    const std::vector<float> s3 = DistributeShifts(three);
    EXPECT_FLOAT_EQ(s3[0], 0.0f);
    EXPECT_FLOAT_EQ(s3[1], 0.0f);
    EXPECT_FLOAT_EQ(Centres(three, s3)[2], 5.0f);
    // Many, of different sizes: centres 0, 3, 6, ..., 30 whatever the boxes' widths.
    std::vector<Span> many;
    for (int i = 0; i < 11; ++i)
        many.push_back(i == 0 ? At(-1, 1) : i == 10 ? At(28, 32) : At(i * 0.5f, i * 0.5f + i));
    const std::vector<float> centres = Centres(many, DistributeShifts(many));
    EXPECT_FLOAT_EQ(centres[0], 0.0f);
    EXPECT_FLOAT_EQ(centres[10], 30.0f);
    for (int i = 1; i < 10; ++i)
        EXPECT_NEAR(centres[static_cast<std::size_t>(i)], 3.0f * i, 1e-5f) << i;
}

TEST(PlacementRules, DistributeKeepsEqualCentresAndLockedMembers) {
    // All centres equal: the outermost are the same point, every slot is that point.
    const std::vector<Span> same = {At(-1, 1), At(-3, 3), At(0, 0)};
    EXPECT_EQ(DistributeShifts(same), (std::vector<float>{0, 0, 0}));
    // A locked member keeps its place and its slot in the order; the others take theirs.
    const std::vector<Span> spans = {At(0, 0), At(1, 1, true), At(2, 2), At(9, 9), At(12, 12)};
    const std::vector<float> shifts = DistributeShifts(spans);
    EXPECT_FLOAT_EQ(shifts[1], 0.0f);
    const std::vector<float> centres = Centres(spans, shifts);
    EXPECT_FLOAT_EQ(centres[2], 6.0f);
    EXPECT_FLOAT_EQ(centres[3], 9.0f);
    EXPECT_FLOAT_EQ(centres[4], 12.0f);
    // A locked outermost member still sets the range.
    const std::vector<Span> lockedEnd = {At(-4, -4, true), At(5, 5), At(4, 4)};
    EXPECT_FLOAT_EQ(Centres(lockedEnd, DistributeShifts(lockedEnd))[2], 0.5f);
}

TEST(PlacementRules, OnlyTopMostSelectedEntitiesMove) {
    const std::map<std::string, std::string> parents = {
        {"child", "root"}, {"grandchild", "child"}, {"root", ""},
        {"other", ""},     {"loop_a", "loop_b"},    {"loop_b", "loop_a"}};
    const auto parentOf = [&](const std::string& name) {
        const auto it = parents.find(name);
        return it == parents.end() ? std::string() : it->second;
    };
    // A grandchild under a selected root goes with it, even when its own parent is not chosen.
    EXPECT_EQ(placement::TopMost({"grandchild", "other", "root"}, parentOf),
              (std::vector<std::string>{"other", "root"}));
    EXPECT_EQ(placement::TopMost({"grandchild", "child"}, parentOf),
              (std::vector<std::string>{"child"}));
    // A broken answer with a cycle ends: each keeps the other as ancestor.
    EXPECT_EQ(placement::TopMost({"loop_a"}, parentOf), (std::vector<std::string>{"loop_a"}));
    EXPECT_TRUE(placement::IsSelfOrAncestor("root", "grandchild", parentOf));
    EXPECT_TRUE(placement::IsSelfOrAncestor("child", "child", parentOf));
    EXPECT_FALSE(placement::IsSelfOrAncestor("child", "root", parentOf));
    EXPECT_FALSE(placement::IsSelfOrAncestor("root", "loop_a", parentOf));
}
