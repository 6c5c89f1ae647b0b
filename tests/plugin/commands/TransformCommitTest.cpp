// The transform commit's own rules: a commit works on the host it is handed, cancel takes
// every recorded entity back exactly and records nothing, a new Begin drops the open step,
// and the typed changes refuse steps that could not undo them. The paths through it (drag,
// panel, bar, snap) are in TransformCommandTest.cpp.
#include "TransformFixture.h"

#include "GizmoConstants.h"

#include <limits>

namespace {

using Ogre::Vector3;

using TransformCommitTest = TransformFixture;

struct Values {
    Vector3 position, orientation, scale;
};

Values ValuesOf(const SceneEntity* e) {
    return {e->GetPosition(), e->GetOrientation(), e->GetScale()};
}

void ExpectExactly(const SceneEntity* e, const Values& v) {
    EXPECT_EQ(e->GetPosition(), v.position) << e->GetName();
    EXPECT_EQ(e->GetOrientation(), v.orientation) << e->GetName();
    EXPECT_EQ(e->GetScale(), v.scale) << e->GetName();
}

// Each kind sets its own component of the entity and is announced with its own code; any kind
// other than position and orientation is the scale.
TEST_F(TransformCommitTest, EveryKindReachesItsOwnComponentAndCode) {
    Select({"a"});
    const struct {
        int kind;
        Vector3 (SceneEntity::*read)() const;
        int code;
    } cases[] = {{KIND_POSITION, &SceneEntity::GetPosition, NOTIFY_MOVED},
                 {KIND_ORIENTATION, &SceneEntity::GetOrientation, NOTIFY_ROTATED},
                 {KIND_SCALE, &SceneEntity::GetScale, NOTIFY_SCALED},
                 {7, &SceneEntity::GetScale, NOTIFY_SCALED}};
    float next = 0.25f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const Vector3 value(next, next + 0.5f, next + 1.0f);
        next += 0.125f;
        host->tools.sent.clear();
        ASSERT_EQ(ApplyValues(value, AXIS_ALL, c.kind), 1);
        EXPECT_EQ((a->*c.read)(), value);
        ASSERT_EQ(host->tools.sent.size(), 1u);
        EXPECT_EQ(host->tools.sent[0].first, c.code);
    }
    ExpectNear(a->GetPosition(), Vector3(0.25f, 0.75f, 1.25f));
    ExpectNear(a->GetOrientation(), Vector3(0.375f, 0.875f, 1.375f));
}

// The commit and its steps use the host handed to the commit, not the process's: with none
// set, an edit still changes, announces and records, and its undo still restores.
TEST_F(TransformCommitTest, WorksOnTheHostItIsHandedWithoutAProcessHost) {
    SetInterfaceHinstance(nullptr);
    Select({"a"});
    ASSERT_EQ(ApplyValues(Vector3(0, 8, 0), AXIS_Y, KIND_POSITION), 1);
    ExpectNear(a->GetPosition(), Vector3(1, 8, 3));
    ASSERT_EQ(host->undo.undoCount(), 1);
    host->tools.sent.clear();
    ASSERT_TRUE(host->undo.undo());
    ExpectNear(a->GetPosition(), Vector3(1, 2, 3));
    EXPECT_EQ(host->tools.sent.size(), 1u);

    // Without a host nothing can be recorded, and nothing breaks.
    CTransformCommit none(nullptr);
    EXPECT_FALSE(none.CanRecord());
    none.BeginDrag(MODE_MOVE);
    EXPECT_EQ(none.ApplyDrag(MODE_MOVE, Vector3(1, 0, 0), true), 0);
    EXPECT_EQ(none.SetValues(Vector3(1, 1, 1)), 1); // an empty step: nothing to set
    EXPECT_EQ(none.Push(), 0);
    EXPECT_EQ(host->undo.undoCount(), 0);
}

// Escape during a drag: every entity the press recorded returns to its value bit for bit, is
// announced, and no undo step remains, after steps of every mode.
TEST_F(TransformCommitTest, CancelRestoresEveryRecordedEntityExactlyAndRecordsNothing) {
    a->SetOrientation(Vector3(0.1f, 0.2f, 0.3f));
    b->SetScale(Vector3(1.5f, 0.7f, 2.25f));
    Select({"a", "b"});
    for (int mode : {MODE_MOVE, MODE_ROTATE, MODE_SCALE}) {
        SCOPED_TRACE(mode);
        const Values beforeA = ValuesOf(a), beforeB = ValuesOf(b);
        Drag().BeginDrag(mode);
        Drag().ApplyDrag(mode, Vector3(1.1f, 1.3f, 0.7f), false);
        Drag().ApplyDrag(mode, Vector3(1.9f, 0.3f, 1.7f), false);
        if (mode == MODE_ROTATE) // the rings turn about an axis
            Drag().ApplyTurn(Vector3(0.3f, 1, 0).normalisedCopy(), 0.9f);
        host->tools.sent.clear();
        EXPECT_EQ(Drag().Cancel(), 1);
        ExpectExactly(a, beforeA);
        ExpectExactly(b, beforeB);
        EXPECT_EQ(host->tools.sent.size(), 2u);
        EXPECT_FALSE(Drag().IsOpen());
        // Nothing left to cancel or to push.
        EXPECT_EQ(Drag().Cancel(), 0);
        EXPECT_EQ(Drag().Push(), 0);
    }
    EXPECT_EQ(host->undo.undoCount(), 0);
}

// A second press before the release: the first drag's step is dropped unrecorded and the new
// one holds the values at the second press.
TEST_F(TransformCommitTest, BeginWhileOpenReplacesTheStepWithoutRecordingIt) {
    Select({"a"});
    Drag().BeginDrag(MODE_MOVE);
    Drag().ApplyDrag(MODE_MOVE, Vector3(5, 0, 0), false);
    const Vector3 atSecondPress = a->GetPosition();
    Drag().BeginDrag(MODE_MOVE);
    Drag().ApplyDrag(MODE_MOVE, Vector3(0, 0, 4), false);
    EXPECT_EQ(Drag().Push(), 1);
    ASSERT_EQ(host->undo.undoCount(), 1);
    ASSERT_TRUE(host->undo.undo());
    EXPECT_EQ(a->GetPosition(), atSecondPress);
}

// A typed change the open step could not take back is refused: no step of ours, a world value
// over a step of one component, the ground under a step that is not of positions.
TEST_F(TransformCommitTest, TypedChangesRefuseStepsThatCouldNotUndoThem) {
    Select({"a", "b"});
    const Values beforeA = ValuesOf(a), beforeB = ValuesOf(b);
    CTransformCommit commit(host.get());
    EXPECT_EQ(commit.SetValues(Vector3(1, 1, 1)), 0);
    EXPECT_EQ(commit.SetWorldValues(Vector3(1, 1, 1), 7u), 0);
    EXPECT_EQ(commit.DropToGround(), 0);
    commit.Begin(KIND_POSITION, AXIS_Y);
    EXPECT_EQ(commit.SetWorldValues(Vector3(1, 1, 1), 2u), 0);
    commit.Begin(KIND_SCALE);
    EXPECT_EQ(commit.DropToGround(), 0);
    commit.Begin(KIND_POSITION, AXIS_Y);
    EXPECT_EQ(commit.DropToGround(), 0);
    // A step handed over from outside is not one the commit recorded values in.
    struct Foreign : IBaseCommand {
        int execute(CommandParams*) override { return 1; }
        int undo() override { return 1; }
    };
    commit.Adopt(new Foreign);
    EXPECT_EQ(commit.SetValues(Vector3(1, 1, 1)), 0);
    EXPECT_TRUE(commit.IsOpen());
    ExpectExactly(a, beforeA);
    ExpectExactly(b, beforeB);
    EXPECT_TRUE(host->tools.sent.empty());
    EXPECT_EQ(host->undo.undoCount(), 0);
    // Only the step pushed last is recorded.
    EXPECT_EQ(commit.Push(), 1);
    EXPECT_EQ(host->undo.undoCount(), 1);
}

} // namespace
