// The rules of the placing drags (a box's bottom, the turn of an up axis onto a normal, resting
// on a hit point, the pointer on the plane facing the view) and the surface drag's commit: every
// entity's box bottom on the hit, turned to the normal when asked, one undo step, locks and the
// world range kept, bad numbers changing nothing.
#include "TransformFixture.h"

#include "SnapRules.h"

#include <cmath>
#include <limits>

namespace {

using Ogre::Quaternion;
using Ogre::Vector3;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(SnapRulesTest, TheUpAxisTurnsOntoTheNormalWithGuards) {
    const Vector3 up = Vector3::UNIT_Y, side = Vector3::UNIT_X;
    // Along itself, or not finite, too short or zero: no turn.
    for (const Vector3& normal : {Vector3(0, 3, 0), Vector3(kNaN, 1, 0), Vector3(0, kInf, 0),
                                  Vector3(0, 1e-9f, 0), Vector3::ZERO})
        EXPECT_TRUE(SnapRules::TurnUpTo(up, normal, side) == Quaternion::IDENTITY) << normal;
    EXPECT_TRUE(SnapRules::TurnUpTo(Vector3::ZERO, Vector3::UNIT_X, side) == Quaternion::IDENTITY);
    EXPECT_TRUE(SnapRules::TurnUpTo(Vector3(kNaN, 0, 0), Vector3::UNIT_X, side) ==
                Quaternion::IDENTITY);

    // Any other normal: up lands on its direction, by the shortest turn (nothing about up).
    for (const Vector3& normal :
         {Vector3(1, 1, 0), Vector3(0, 0.2f, -5), Vector3(-1, -0.01f, 2), Vector3(0.1f, -1, 0)}) {
        const Quaternion q = SnapRules::TurnUpTo(up, normal, side);
        ExpectNear(q * up, normal.normalisedCopy(), 1e-5f);
        const Vector3 across = up.crossProduct(normal).normalisedCopy();
        ExpectNear(q * across, across, 1e-5f);
    }
    // Upside down: half a turn about the side axis (or another across up when the side is not).
    Quaternion q = SnapRules::TurnUpTo(up, Vector3(0, -2, 0), side);
    ExpectNear(q * up, -up, 1e-6f);
    ExpectNear(q * side, side, 1e-6f);
    // Nearer to upside down than the epsilon: the same half turn.
    q = SnapRules::TurnUpTo(up, Vector3(1e-4f, -1, 0), side);
    ExpectNear(q * up, -up, 1e-6f);
    q = SnapRules::TurnUpTo(up, Vector3(0, -1, 0), up);
    ExpectNear(q * up, -up, 1e-6f);
    q = SnapRules::TurnUpTo(up, Vector3(0, -1, 0), Vector3(kNaN, 0, 0));
    ExpectNear(q * up, -up, 1e-6f);
}

TEST(SnapRulesTest, BottomsRestOnPointsAndThePointerOnTheViewPlane) {
    EXPECT_EQ(SnapRules::BottomCentre({-1, 2, -3}, {3, 6, 1}), Vector3(1, 2, -1));
    Vector3 at(7, 7, 7);
    ASSERT_TRUE(SnapRules::RestOn({5, 1, 0}, {0, -2, 0}, Quaternion::IDENTITY, at));
    EXPECT_EQ(at, Vector3(5, 3, 0));
    // Turned upside down, the bottom is above the position.
    const Quaternion flip(Ogre::Radian(Ogre::Math::PI), Vector3::UNIT_X);
    ASSERT_TRUE(SnapRules::RestOn({5, 1, 0}, {0, -2, 0}, flip, at));
    ExpectNear(at, Vector3(5, -1, 0), 1e-5f);
    // Bad numbers leave the position as it was.
    at = Vector3(7, 7, 7);
    EXPECT_FALSE(SnapRules::RestOn({kNaN, 1, 0}, {0, -2, 0}, Quaternion::IDENTITY, at));
    EXPECT_FALSE(SnapRules::RestOn({3e38f, 0, 0}, {-3e38f, 0, 0}, Quaternion::IDENTITY, at));
    EXPECT_EQ(at, Vector3(7, 7, 7));

    Vector3 on;
    ASSERT_TRUE(SnapRules::OnPlane({0, 10, 0}, {0, -10, 0}, {4, 2, 4}, Vector3::UNIT_Y, on));
    EXPECT_EQ(on, Vector3(0, 2, 0));
    EXPECT_FALSE(SnapRules::OnPlane({0, 10, 0}, {5, 10, 0}, {4, 2, 4}, Vector3::UNIT_Y, on));
    EXPECT_FALSE(SnapRules::OnPlane({0, 10, 0}, {0, -10, 0}, {kNaN, 2, 4}, Vector3::UNIT_Y, on));
    EXPECT_FALSE(SnapRules::OnPlane({0, 10, 0}, {0, -10, 0}, {4, 2, 4}, Vector3::ZERO, on));
}

using SurfaceDragTest = TransformFixture;

TEST_F(SurfaceDragTest, EachBoxBottomRestsOnTheHitAndOneUndoTakesItBack) {
    // "c" is a child of "a": placed after its parent, it rests on the hit all the same.
    CEditorEntity* c =
        scene->AddMesh("c", "box", "a", Vector3(3, 0, 0), Vector3::ZERO, Vector3(1, 2, 1));
    ASSERT_TRUE(c);
    Select({"c", "a"});
    const Vector3 aBefore = a->GetWorldPosition(), cBefore = c->GetWorldPosition();
    Drag().BeginSurface(false);
    ASSERT_EQ(Drag().PlaceOnSurface({10, 4, -2}, Vector3::UNIT_Y), 2);
    for (CEditorEntity* e : {a, c}) {
        SCOPED_TRACE(e->GetName());
        ExpectNear(SnapRules::BottomCentre(e->GetBoundsMin(), e->GetBoundsMax()), {10, 4, -2});
    }
    // Without the turn the orientations stay, whatever the normal.
    ASSERT_EQ(Drag().PlaceOnSurface({0, 1, 0}, Vector3(1, 1, 0)), 2);
    EXPECT_EQ(a->GetOrientation(), Vector3::ZERO);
    // Bad hits change nothing.
    EXPECT_EQ(Drag().PlaceOnSurface({kNaN, 1, 0}, Vector3::UNIT_Y), 0);
    EXPECT_EQ(Drag().PlaceOnSurface({0, 1, 0}, {kNaN, 1, 0}), 0);
    ExpectNear(a->GetWorldPosition(), {0, 2, 0});
    ASSERT_EQ(Drag().Push(), 1);
    EXPECT_EQ(host->undo.undoCount(), 1);
    host->undo.undo();
    EXPECT_EQ(a->GetWorldPosition(), aBefore);
    ExpectNear(c->GetWorldPosition(), cBefore);
}

TEST_F(SurfaceDragTest, TheTurnToTheNormalIsPartOfTheSameStep) {
    Select({"a"});
    const Vector3 orientation = a->GetOrientation();
    Drag().BeginSurface(true);
    const Vector3 normal = Vector3(1, 1, 0).normalisedCopy();
    ASSERT_EQ(Drag().PlaceOnSurface({2, 0, 0}, normal), 1);
    const Quaternion turn = CEditorEntity::RotationFromYPR(a->GetWorldOrientation());
    ExpectNear(turn * Vector3::UNIT_Y, normal, 1e-5f);
    // The box's bottom, turned with it, rests on the hit: the position one unit along the
    // normal from it.
    ExpectNear(a->GetWorldPosition(), Vector3(2, 0, 0) + normal, 1e-5f);
    // Back to a flat surface: upright again, as the press found it.
    ASSERT_EQ(Drag().PlaceOnSurface({2, 0, 0}, Vector3::UNIT_Y), 1);
    ExpectNear(a->GetOrientation(), orientation, 1e-5f);
    ASSERT_EQ(Drag().PlaceOnSurface({2, 0, 0}, normal), 1);
    ASSERT_EQ(Drag().Push(), 1);
    host->undo.undo();
    EXPECT_EQ(a->GetPosition(), Vector3(1, 2, 3));
    EXPECT_EQ(a->GetOrientation(), orientation);
    host->undo.redo();
    ExpectNear(a->GetWorldPosition(), Vector3(2, 0, 0) + normal, 1e-5f);
}

TEST_F(SurfaceDragTest, LockedEntitiesAndTheWorldRangeHold) {
    b->SetTransformEnabled(false);
    Select({"a", "b"});
    const Vector3 bBefore = b->GetWorldPosition();
    Drag().BeginSurface(true);
    EXPECT_EQ(Drag().PlaceOnSurface({0, 5, 0}, Vector3::UNIT_X), 1);
    EXPECT_EQ(b->GetWorldPosition(), bBefore);
    EXPECT_EQ(b->GetOrientation(), Vector3::ZERO);
    // A hit at the edge of the world: the host keeps the entity where it was.
    const Vector3 aBefore = a->GetWorldPosition();
    Drag().PlaceOnSurface({2 * kMaxWorldCoordinate, 5, 0}, Vector3::UNIT_Y);
    EXPECT_TRUE(IsWorldPositionInRange(a->GetWorldPosition()));
    EXPECT_EQ(a->GetWorldPosition().x, aBefore.x);
    Drag().Cancel();
    EXPECT_EQ(a->GetPosition(), Vector3(1, 2, 3));
    EXPECT_EQ(host->undo.undoCount(), 0);
    // Without a surface drag open, placing does nothing.
    CTransformCommit idle(host.get());
    EXPECT_EQ(idle.PlaceOnSurface({0, 0, 0}, Vector3::UNIT_Y), 0);
}

} // namespace
