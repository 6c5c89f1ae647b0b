// The transform undo step and the transform commit's drag, panel, bar and snap changes, against
// the editor's real headless engine, scene and undo manager.
#include "TransformFixture.h"

#include "GizmoConstants.h"

#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cmath>
#include <limits>

namespace {

using Ogre::Vector3;

using TransformCommandTest = TransformFixture;

TEST_F(TransformCommandTest, PositionStepUndoRedoSwapsEveryEntityInNameOrder) {
    auto* command = new CTransformCommand();
    // "b" first in the call, but the step works in name order; "ghost" has no entity.
    EXPECT_EQ(command->Capture({"b", "ghost", "a"}, KIND_POSITION, AXIS_ALL), 1);
    ExpectNear(command->GetSaved(0), Vector3(1, 2, 3));
    ExpectNear(command->GetSaved(1), Vector3(-4, 5, 6));
    ExpectNear(command->GetSaved(2), Vector3::ZERO);
    a->SetPosition(Vector3(10, 20, 30));
    b->SetPosition(Vector3(40, 50, 60));
    host->undo.addUndo(command);

    for (int round = 0; round < 2; ++round) {
        host->tools.sent.clear();
        ASSERT_TRUE(host->undo.undo());
        ExpectNear(a->GetPosition(), Vector3(1, 2, 3));
        ExpectNear(b->GetPosition(), Vector3(-4, 5, 6));
        const std::vector<std::pair<int, std::string>> expected = {{51, "a"}, {51, "b"}};
        EXPECT_EQ(host->tools.sent, expected);
        // Redo tells about every entity it moves back, as undo does.
        host->tools.sent.clear();
        ASSERT_TRUE(host->undo.redo());
        ExpectNear(a->GetPosition(), Vector3(10, 20, 30));
        ExpectNear(b->GetPosition(), Vector3(40, 50, 60));
        EXPECT_EQ(host->tools.sent, expected);
    }
}

// The host refuses a value that would take an entity or a child out of the world range. A
// step that shrank a child and grew its parent, undone in name order, gives the child its
// large scale back while the parent is still large: the step tries it again once the parent
// is back, and restores both exactly, both ways.
TEST_F(TransformCommandTest, UndoOfAParentAndChildStepRestoresBothAtTheEdgeOfTheRange) {
    CEditorEntity* parent = scene->AddMesh("p", "box", "", Vector3(0, 0, 0));
    CEditorEntity* child =
        scene->AddMesh("c", "box", "p", Vector3(0, 0, 0), Vector3::ZERO, Vector3(1e6f, 1, 1));
    ASSERT_TRUE(parent && child);
    auto* command = new CTransformCommand();
    command->Capture({"c", "p"}, KIND_SCALE, AXIS_ALL);
    child->SetScale(Vector3(1, 1, 1));
    parent->SetScale(Vector3(1e6f, 1, 1));
    ExpectNear(parent->GetScale(), Vector3(1e6f, 1, 1));
    host->undo.addUndo(command);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(host->undo.undo());
        ExpectNear(parent->GetScale(), Vector3(1, 1, 1));
        ExpectNear(child->GetScale(), Vector3(1e6f, 1, 1));
        ASSERT_TRUE(host->undo.redo());
        ExpectNear(parent->GetScale(), Vector3(1e6f, 1, 1));
        ExpectNear(child->GetScale(), Vector3(1, 1, 1));
    }
}

TEST_F(TransformCommandTest, OrientationAndScaleStepsUseTheirOwnSettersAndCodes) {
    CTransformCommand orientation;
    a->SetOrientation(Vector3(0.1f, 0.2f, 0.3f));
    orientation.Capture({"a"}, KIND_ORIENTATION, AXIS_ALL);
    a->SetOrientation(Vector3(0.5f, 0.6f, 0.7f));
    orientation.undo();
    ExpectNear(a->GetOrientation(), Vector3(0.1f, 0.2f, 0.3f));
    orientation.execute(nullptr);
    ExpectNear(a->GetOrientation(), Vector3(0.5f, 0.6f, 0.7f));

    // Any kind other than position and orientation is a scale step.
    CTransformCommand scale;
    scale.Capture({"a"}, 7, AXIS_ALL);
    a->SetScale(Vector3(2, 3, 4));
    host->tools.sent.clear();
    scale.undo();
    ExpectNear(a->GetScale(), Vector3(1, 1, 1));
    ASSERT_EQ(host->tools.sent.size(), 1u);
    EXPECT_EQ(host->tools.sent[0].first, 52);
}

TEST_F(TransformCommandTest, StepOfOneAxisSwapsOnlyThatComponent) {
    Select({"a"});
    EXPECT_EQ(ApplyValues(Vector3(0, 9, 0), AXIS_Y, KIND_POSITION), 1);
    ExpectNear(a->GetPosition(), Vector3(1, 9, 3));
    // Something else changes X after the step: undo leaves that change alone.
    a->SetPosition(Vector3(7, 0, 0), AXIS_X);
    ASSERT_TRUE(host->undo.undo());
    ExpectNear(a->GetPosition(), Vector3(7, 2, 3));
    ASSERT_TRUE(host->undo.redo());
    ExpectNear(a->GetPosition(), Vector3(7, 9, 3));
}

TEST_F(TransformCommandTest, ApplyTransformPushesOneStepEvenForAnEmptySelection) {
    Select({});
    EXPECT_EQ(ApplyValues(Vector3(1, 1, 1), AXIS_ALL, KIND_SCALE), 1);
    EXPECT_EQ(host->undo.undoCount(), 1);
    EXPECT_TRUE(host->tools.sent.empty());
    EXPECT_TRUE(host->undo.undo());

    Select({"a", "b"});
    ApplyValues(Vector3(0.5f, 0, 0), AXIS_ALL, KIND_ORIENTATION);
    ExpectNear(a->GetOrientation(), Vector3(0.5f, 0, 0));
    ExpectNear(b->GetOrientation(), Vector3(0.5f, 0, 0));
    const std::vector<std::pair<int, std::string>> expected = {{53, "a"}, {53, "b"}};
    EXPECT_EQ(host->tools.sent, expected);
    ASSERT_TRUE(host->undo.undo());
    ExpectNear(a->GetOrientation(), Vector3::ZERO);
    ExpectNear(b->GetOrientation(), Vector3::ZERO);
}

TEST_F(TransformCommandTest, ApplyTransformRefusesNonFiniteValuesAndUnknownAxes) {
    Select({"a"});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto apply = [&](const Vector3& v, int axis) { return ApplyValues(v, axis, KIND_POSITION); };
    EXPECT_EQ(apply(Vector3(nan, 0, 0), AXIS_X), 0);
    EXPECT_EQ(apply(Vector3(0, inf, 0), AXIS_ALL), 0);
    EXPECT_EQ(apply(Vector3(1, 1, 1), 4), 0);
    EXPECT_EQ(apply(Vector3(1, 1, 1), -1), 0);
    EXPECT_EQ(host->undo.undoCount(), 0);
    ExpectNear(a->GetPosition(), Vector3(1, 2, 3));
    // Only the components an axis sets need to be finite.
    EXPECT_EQ(apply(Vector3(5, nan, inf), AXIS_X), 1);
    ExpectNear(a->GetPosition(), Vector3(5, 2, 3));
}

// A move drag as the plug-in runs it: begun at the press, steps, one step pushed at the release.
TEST_F(TransformCommandTest, MoveDragMovesEverySelectedEntityAndUndoesInOneStep) {
    Select({"a", "b"});
    Drag().BeginDrag(MODE_MOVE);
    // Drag results are totals since the press.
    EXPECT_EQ(Drag().ApplyDrag(MODE_MOVE, Vector3(2, 0, 0), false), 2);
    EXPECT_EQ(Drag().ApplyDrag(MODE_MOVE, Vector3(3, 0, 0), false), 2);
    ExpectNear(a->GetPosition(), Vector3(4, 2, 3));
    ExpectNear(b->GetPosition(), Vector3(-1, 5, 6));
    EXPECT_EQ(host->tools.sent.size(), 4u);
    EXPECT_EQ(host->tools.sent.back(), std::make_pair(51, std::string("b")));
    EXPECT_EQ(Drag().Push(), 1);
    EXPECT_FALSE(Drag().IsOpen());
    EXPECT_EQ(host->undo.undoCount(), 1);
    ASSERT_TRUE(host->undo.undo());
    ExpectNear(a->GetPosition(), Vector3(1, 2, 3));
    ExpectNear(b->GetPosition(), Vector3(-4, 5, 6));
}

TEST_F(TransformCommandTest, RotateAndScaleStepsAndOtherModes) {
    Select({"a"});
    Drag().BeginDrag(MODE_ROTATE);
    EXPECT_EQ(Drag().ApplyTurn(Vector3::UNIT_Y, 0.25f), 1);
    EXPECT_EQ(Drag().ApplyTurn(Vector3::UNIT_Y, 0.5f), 1);
    ExpectNear(a->GetOrientation(), Vector3(0, 0.5f, 0), 1e-4f);
    EXPECT_EQ(host->tools.sent.back().first, 53);

    Drag().BeginDrag(MODE_SCALE);
    // Scale results are ratios since the previous step.
    Drag().ApplyDrag(MODE_SCALE, Vector3(2, 2, 2), false);
    Drag().ApplyDrag(MODE_SCALE, Vector3(1.5f, 1, 1), false);
    ExpectNear(a->GetScale(), Vector3(3, 2, 2));
    EXPECT_EQ(host->tools.sent.back().first, 52);

    host->tools.sent.clear();
    EXPECT_EQ(Drag().ApplyDrag(MODE_SELECT, Vector3(1, 1, 1), false), 0);
    EXPECT_TRUE(host->tools.sent.empty());
}

TEST_F(TransformCommandTest, NonFiniteDragValuesNeverReachAnEntity) {
    Select({"a"});
    Drag().BeginDrag(MODE_MOVE);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int mode = 1; mode <= 3; ++mode) {
        EXPECT_EQ(Drag().ApplyDrag(mode, Vector3(nan, 0, 0), false), 0);
        EXPECT_EQ(Drag().ApplyDrag(mode, Vector3(1, inf, 1), true), 0);
    }
    EXPECT_EQ(Drag().ApplyTurn(Vector3::UNIT_X, nan), 0);
    EXPECT_EQ(Drag().ApplyTurn(Vector3(nan, 1, 0), 1.0f), 0);
    EXPECT_EQ(Drag().ApplyTurn(Vector3::ZERO, 1.0f), 0);
    EXPECT_TRUE(host->tools.sent.empty());
    ExpectNear(a->GetPosition(), Vector3(1, 2, 3));
    ExpectNear(a->GetOrientation(), Vector3::ZERO);
    ExpectNear(a->GetScale(), Vector3(1, 1, 1));
}

TEST_F(TransformCommandTest, VerticalThresholdIsComparedInDoublePrecision) {
    EXPECT_FALSE(TransformSteps::IsVerticalMove(Vector3(5, 0.0004f, 0)));
    EXPECT_FALSE(TransformSteps::IsVerticalMove(Vector3(5, -0.0004f, 0)));
    EXPECT_TRUE(TransformSteps::IsVerticalMove(Vector3(0, 0.0006f, 0)));
    EXPECT_TRUE(TransformSteps::IsVerticalMove(Vector3(0, -0.0006f, 0)));
    // The float nearest to 0.0005 lies just above it.
    EXPECT_TRUE(TransformSteps::IsVerticalMove(Vector3(0, 0.0005f, 0)));
}

class GroundFollowTest : public TransformCommandTest {
protected:
    void SetUp() override {
        TransformCommandTest::SetUp();
        ASSERT_TRUE(scene->SetGround(200, 200, 8, 64));
        scene->GetOgreSceneManager()->getRootSceneNode()->_update(true, false);
    }
    float Terrain(const Vector3& p) { return scene->TerrainHeightAt(p.x, p.z); }
};

TEST_F(GroundFollowTest, GroundHeightFindsTheTerrainAndFallsBackToTheZeroPlane) {
    // The ray starts 100000 above the point, where a float resolves only 1/128; the answer is
    // the surface all the same, to a float's precision near the ground (snap to ground and
    // ground follow stand on it, not up to 8 mm above or below).
    for (const Vector3 p :
         {Vector3(10, 50, -20), Vector3(-33, -40, 47), Vector3(0, 0, 0), Vector3(-4, 7, -3),
          Vector3(61.3f, 2, -17.9f), Vector3(-5.9f, 3, 1.87f)})
        EXPECT_NEAR(TransformSteps::GroundHeight(Scene(), p), Terrain(p), 1e-4f) << p;
    EXPECT_NE(Terrain(Vector3(10, 0, -20)), 0.0f);
    // Outside the terrain, and without any scene, the plane y = 0 answers.
    EXPECT_EQ(TransformSteps::GroundHeight(Scene(), Vector3(5000, 30, 5000)), 0.0f);
    EXPECT_EQ(TransformSteps::GroundHeight(nullptr, Vector3(10, 30, -20)), 0.0f);
}

TEST_F(GroundFollowTest, HorizontalMoveKeepsHeightAboveGroundAndVerticalMoveDoesNot) {
    a->SetPosition(Vector3(-60, 0, 10));
    a->SetPosition(Vector3(0, Terrain(a->GetPosition()) + 3, 0), AXIS_Y);
    Select({"a"});
    const Vector3 start = a->GetPosition();
    Drag().BeginDrag(MODE_MOVE);
    for (int step = 1; step <= 6; ++step) {
        const Vector3 delta(step * 15.0f, 0.0004f, 0);
        Drag().ApplyDrag(MODE_MOVE, delta, true);
        const Vector3 p = a->GetPosition();
        EXPECT_NEAR(p.x, start.x + delta.x, 1e-3f);
        EXPECT_NEAR(p.y - Terrain(p), 3.0f, 0.05f) << "step " << step;
    }
    // A vertical step moves freely: the drag result since the press, no ground.
    Drag().ApplyDrag(MODE_MOVE, Vector3(0, 0.0006f, 0), true);
    ExpectNear(a->GetPosition(), start + Vector3(0, 0.0006f, 0), 1e-4f);
    // Ground follow off: height fixed.
    Drag().ApplyDrag(MODE_MOVE, Vector3(40, 0, 0), false);
    ExpectNear(a->GetPosition(), start + Vector3(40, 0, 0), 1e-4f);
}

TEST_F(GroundFollowTest, OverEmptySpaceTheHeightAboveYZeroIsKept) {
    a->SetPosition(Vector3(3000, 7, 3000));
    Select({"a"});
    Drag().BeginDrag(MODE_MOVE);
    Drag().ApplyDrag(MODE_MOVE, Vector3(25, 0, -5), true);
    ExpectNear(a->GetPosition(), Vector3(3025, 7, 2995), 1e-2f);
}

// The demo scene, whose pillar may not be transformed, in a selection with an entity that may.
class LockedEntityTest : public TransformCommandTest {
protected:
    void SetUp() override {
        TransformCommandTest::SetUp();
        a = b = nullptr; // gone with the scene below
        BuildDemoScene(*scene);
        scene->GetOgreSceneManager()->getRootSceneNode()->_update(true, false);
        pillar = scene->GetEntity("pillar");
        cone = scene->GetEntity("cone_a");
        ASSERT_TRUE(pillar && cone);
        ASSERT_EQ(pillar->EnabledTrnaform(), 0);
        kept = {pillar->GetPosition(), pillar->GetOrientation(), pillar->GetScale()};
        coneStart = {cone->GetPosition(), cone->GetOrientation(), cone->GetScale()};
    }
    // The pillar's transform bit for bit, and nobody told that it changed.
    void ExpectPillarKept() {
        const Vector3 now[3] = {pillar->GetPosition(), pillar->GetOrientation(),
                                pillar->GetScale()};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(now[i], kept[i]) << i;
        for (const auto& sent : host->tools.sent)
            EXPECT_NE(sent.second, "pillar") << sent.first;
    }
    bool ConeChanged() const {
        return cone->GetPosition() != coneStart[0] || cone->GetOrientation() != coneStart[1] ||
               cone->GetScale() != coneStart[2];
    }

    CEditorEntity* pillar = nullptr;
    CEditorEntity* cone = nullptr;
    std::vector<Vector3> kept, coneStart;
};

TEST_F(LockedEntityTest, DragStepsOfEveryModeAndGroundFollowPassTheLockedEntityBy) {
    Select({"cone_a", "pillar"});
    for (bool follow : {false, true}) {
        Drag().BeginDrag(MODE_MOVE);
        EXPECT_EQ(Drag().ApplyDrag(MODE_MOVE, Vector3(3, 0, 2), follow), 1);
    }
    Drag().BeginDrag(MODE_ROTATE);
    EXPECT_EQ(Drag().ApplyDrag(MODE_ROTATE, Vector3(0.3f, 0, 0), false), 1);
    EXPECT_EQ(Drag().ApplyTurn(Vector3::UNIT_Y, 0.5f), 1);
    Drag().BeginDrag(MODE_SCALE);
    EXPECT_EQ(Drag().ApplyDrag(MODE_SCALE, Vector3(2, 2, 2), false), 1);
    EXPECT_TRUE(ConeChanged());
    ExpectPillarKept();
}

// A panel edit of every kind and a bar apply of every group: the step holds and changes only
// the entity that may be transformed, whichever of the two the panel and the bar show.
TEST_F(LockedEntityTest, PanelEditsAndBarAppliesChangeOnlyWhatMayBeTransformed) {
    for (const char* other : {"cone_a", "石块"}) { // before and after "pillar" in name order
        SCOPED_TRACE(other);
        Select({other, "pillar"});
        CEditorEntity* free = scene->GetEntity(other);
        for (int kind = KIND_POSITION; kind <= KIND_SCALE; ++kind) {
            const int before = host->undo.undoCount();
            ApplyValues(Vector3(0.5f, 0, 0), AXIS_X, kind);
            ApplyWorld(Vector3(0, 0.75f, 0), 2u, kind);
            EXPECT_EQ(host->undo.undoCount(), before + 2);
            const Vector3 v = kind == KIND_POSITION      ? free->GetPosition()
                              : kind == KIND_ORIENTATION ? free->GetOrientation()
                                                         : free->GetScale();
            EXPECT_NEAR(v.x, 0.5f, 1e-5f) << kind;
            EXPECT_NEAR(v.y, 0.75f, 1e-5f) << kind;
            ExpectPillarKept();
        }
        // Undo and redo of those steps leave the pillar alone as well.
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(host->undo.undo());
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(host->undo.redo());
        ExpectPillarKept();
    }
}

TEST_F(LockedEntityTest, PressCaptureAndSnapToGroundLeaveTheLockedEntityOut) {
    Select({"cone_a", "pillar"});
    // What a press and a snap record: the entities that may change.
    EXPECT_EQ(TransformSteps::TransformableSelection(Scene()), std::set<std::string>{"cone_a"});
    cone->SetPosition(Vector3(5, 9, -3));
    ASSERT_EQ(Snap(), 1);
    EXPECT_NEAR(cone->GetWorldPosition().y, scene->TerrainHeightAt(5, -3), 1e-4f);
    ExpectPillarKept();
    ASSERT_EQ(host->undo.undoCount(), 1);
    ASSERT_TRUE(host->undo.undo());
    EXPECT_EQ(cone->GetPosition(), Vector3(5, 9, -3));
    ExpectPillarKept();
}

// Locked entities alone are an empty selection: the steps that record one for an empty
// selection record it here too, empty; nothing changes and nobody is told.
TEST_F(LockedEntityTest, OnlyLockedEntitiesSelectedIsLikeAnEmptySelection) {
    Select({"pillar"});
    EXPECT_TRUE(TransformSteps::TransformableSelection(Scene()).empty());
    EXPECT_EQ(ApplyValues(Vector3(2, 0, 0), AXIS_X, KIND_POSITION), 1);
    EXPECT_EQ(ApplyWorld(Vector3(0, 2, 0), 2u, KIND_SCALE), 1);
    EXPECT_EQ(Snap(), 1);
    EXPECT_EQ(host->undo.undoCount(), 3);
    Drag().BeginDrag(MODE_MOVE);
    EXPECT_EQ(Drag().ApplyDrag(MODE_MOVE, Vector3(1, 0, 0), true), 0);
    EXPECT_EQ(Drag().ApplyTurn(Vector3::UNIT_Z, 1.0f), 0);
    EXPECT_TRUE(host->tools.sent.empty());
    ExpectPillarKept();
}

} // namespace
