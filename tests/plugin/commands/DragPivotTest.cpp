// Turning and scaling several entities about their common centre: positions orbit and spread
// from where they stood at the press, parents before children, and one undo step (or a cancel)
// gives every position, turn and scale back to the bit.
#include "TransformFixture.h"

#include "GizmoConstants.h"

#include <cmath>

namespace {

using Ogre::Vector3;

using DragPivotTest = TransformFixture;

struct Snapshot {
    Vector3 position, orientation, scale;
    explicit Snapshot(const SceneEntity* e)
        : position(e->GetPosition()), orientation(e->GetOrientation()), scale(e->GetScale()) {}
    bool operator==(const Snapshot& o) const {
        return position == o.position && orientation == o.orientation && scale == o.scale;
    }
};

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance) << a << " " << b;
    EXPECT_NEAR(a.y, b.y, tolerance) << a << " " << b;
    EXPECT_NEAR(a.z, b.z, tolerance) << a << " " << b;
}

TEST(PivotRules, OrbitAndSpreadAboutTheCentre) {
    const Vector3 centre(1, 0, 0);
    const Ogre::Quaternion quarter(Ogre::Degree(90), Vector3::UNIT_Y);
    ExpectNear(PivotRules::Orbit(Vector3(3, 5, 0), centre, quarter), Vector3(1, 5, -2), 1e-6f);
    EXPECT_EQ(PivotRules::Orbit(centre, centre, quarter), centre);
    // Along an axis only that component of the offset grows; with no axis, all of it.
    EXPECT_EQ(PivotRules::Spread(Vector3(3, 5, 7), centre, 2, Vector3::UNIT_X), Vector3(5, 5, 7));
    EXPECT_EQ(PivotRules::Spread(Vector3(3, 5, 7), centre, 2, Vector3::ZERO), Vector3(5, 10, 14));
    // The drag's (pitch, yaw, roll) turn is the one the entities apply.
    const Ogre::Quaternion yaw = PivotRules::TurnOfPitchYawRoll(Vector3(0, Ogre::Math::HALF_PI, 0));
    ExpectNear(yaw * Vector3::UNIT_X, Vector3(0, 0, -1), 1e-6f);
}

TEST_F(DragPivotTest, TwoEntitiesTurnAboutTheirMidpointAndOneUndoRestoresThem) {
    // a (1, 2, 3) and b (-4, 5, 6): the midpoint is (-1.5, 3.5, 4.5).
    Select({"a", "b"});
    const Snapshot beforeA(a), beforeB(b);
    Drag().BeginDrag(MODE_ROTATE, true);
    Drag().ApplyTurn(Vector3::UNIT_Y, Ogre::Math::HALF_PI);
    Drag().ApplyTurn(Vector3::UNIT_Y, Ogre::Math::PI); // totals since the press, not steps
    // Half a turn about the midpoint swaps X and Z about it; the heights stay.
    ExpectNear(a->GetWorldPosition(), Vector3(-4, 2, 6));
    ExpectNear(b->GetWorldPosition(), Vector3(1, 5, 3));
    ExpectNear(a->GetWorldOrientation(), b->GetWorldOrientation(), 1e-5f);
    ASSERT_EQ(Drag().Push(), 1);
    ASSERT_EQ(host->undo.undoCount(), 1);
    host->undo.undo();
    EXPECT_TRUE(Snapshot(a) == beforeA);
    EXPECT_TRUE(Snapshot(b) == beforeB);
    host->undo.redo();
    ExpectNear(a->GetWorldPosition(), Vector3(-4, 2, 6));

    // Taken back instead: exactly as before, nothing recorded.
    host->undo.undo();
    Drag().BeginDrag(MODE_ROTATE, true);
    Drag().ApplyDrag(MODE_ROTATE, Vector3(0.3f, 0.8f, -0.2f), false);
    EXPECT_FALSE(Snapshot(a) == beforeA);
    ASSERT_EQ(Drag().Cancel(), 1);
    EXPECT_TRUE(Snapshot(a) == beforeA);
    EXPECT_TRUE(Snapshot(b) == beforeB);
    EXPECT_EQ(host->undo.undoCount(), 0);

    // Each about its own position (the default), or one entity alone: positions stay.
    for (const bool aboutCentre : {false, true}) {
        Select(aboutCentre ? std::set<std::string>{"a"} : std::set<std::string>{"a", "b"});
        Drag().BeginDrag(MODE_ROTATE, aboutCentre);
        Drag().ApplyTurn(Vector3::UNIT_Y, 1.0f);
        EXPECT_EQ(a->GetPosition(), beforeA.position);
        Drag().Cancel();
    }
}

TEST_F(DragPivotTest, ScaleSpreadsPositionsAndAChildGoesWhereItsOwnPlaceTakesIt) {
    // A child of a, selected with a and b: it orbits to its own place, which a turned after it
    // would have carried away.
    CEditorEntity* child = scene->AddMesh("c", "box", "a", Vector3(0, 0, 2));
    ASSERT_TRUE(child);
    Select({"a", "b", "c"});
    const Vector3 startA = a->GetWorldPosition(), startB = b->GetWorldPosition(),
                  startC = child->GetWorldPosition();
    const Vector3 centre = (startA + startB + startC) / 3.0f;
    Drag().BeginDrag(MODE_ROTATE, true);
    const Ogre::Quaternion turn(Ogre::Radian(0.7f), Vector3(0, 1, 1).normalisedCopy());
    Drag().ApplyTurn(Vector3(0, 1, 1).normalisedCopy(), 0.7f);
    ExpectNear(a->GetWorldPosition(), PivotRules::Orbit(startA, centre, turn));
    ExpectNear(child->GetWorldPosition(), PivotRules::Orbit(startC, centre, turn));
    Drag().Cancel();

    // Twice as wide along X: only the X offsets from the centre double; the scales double too.
    Select({"a", "b"});
    const Snapshot beforeA(a), beforeB(b);
    const Vector3 mid = (startA + startB) / 2.0f;
    Drag().BeginDrag(MODE_SCALE, true);
    Drag().ApplyScale(Vector3(2, 1, 1), 2.0f, Vector3::UNIT_X);
    EXPECT_EQ(a->GetWorldPosition(), Vector3(mid.x + 2 * (startA.x - mid.x), startA.y, startA.z));
    EXPECT_EQ(a->GetScale(), Vector3(2, 1, 1));
    // Then the centre box: every offset grows by the total.
    Drag().ApplyScale(Vector3(1.5f, 3, 3), 3.0f, Vector3::ZERO);
    ExpectNear(b->GetWorldPosition(), mid + (startB - mid) * 3.0f);
    ASSERT_EQ(Drag().Push(), 1);
    host->undo.undo();
    EXPECT_TRUE(Snapshot(a) == beforeA);
    EXPECT_TRUE(Snapshot(b) == beforeB);
}

} // namespace
