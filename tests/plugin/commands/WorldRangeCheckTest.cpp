// The world range check of a drag's change agrees with the host: a change it lets through the
// host applies, and one it refuses the host would have refused (for the entity itself or for a
// descendant, about each entity's own position or the common centre).
#include "TransformFixture.h"

#include "GizmoConstants.h"

#include <string>

namespace {

using Ogre::Vector3;

class WorldRangeCheckTest : public TransformFixture {
protected:
    void SetUp() override {
        TransformFixture::SetUp();
        // a far out along X, with a child c far up from it: c leaves the range first.
        a->SetPosition(Vector3(5e5f, 0, 0));
        c = scene->AddMesh("c", "box", "a", Vector3(0, 6e5f, 0));
        ASSERT_TRUE(c);
        CEditorEntity::TakeRefusalMessage();
    }

    // The check's answer for `change` (from where the press found the entities), and whether
    // the host refused any entity when the same change was applied; the drag is taken back.
    struct Outcome {
        std::string outside;
        bool hostRefused;
    };
    Outcome Check(int mode, bool aboutCentre, const DragChange& change) {
        Drag().BeginDrag(mode, aboutCentre);
        Outcome outcome;
        outcome.outside = Drag().FirstOutOfRange(change);
        if (change.kind == DragChange::Move)
            Drag().ApplyDrag(MODE_MOVE, change.move, false);
        if (change.kind == DragChange::Turn) {
            Ogre::Radian angle;
            Vector3 axis;
            change.turn.ToAngleAxis(angle, axis);
            Drag().ApplyTurn(axis, angle.valueRadians());
        }
        if (change.kind == DragChange::Scale)
            Drag().ApplyScale(change.factors, change.spread, change.spreadAxis);
        outcome.hostRefused = !CEditorEntity::TakeRefusalMessage().empty();
        Drag().Cancel();
        return outcome;
    }

    CEditorEntity* c = nullptr;
};

DragChange Move(const Vector3& by) {
    DragChange change;
    change.kind = DragChange::Move;
    change.move = by;
    return change;
}

DragChange Turn(float degrees, const Vector3& axis) {
    DragChange change;
    change.kind = DragChange::Turn;
    change.turn = Ogre::Quaternion(Ogre::Degree(degrees), axis);
    return change;
}

DragChange Scale(const Vector3& factors, float spread = 1.0f, const Vector3& axis = Vector3::ZERO) {
    DragChange change;
    change.kind = DragChange::Scale;
    change.factors = factors;
    change.spread = spread;
    change.spreadAxis = axis;
    return change;
}

TEST_F(WorldRangeCheckTest, AgreesWithTheHostForTheEntityAndItsDescendants) {
    Select({"a"});
    const struct {
        const char* what;
        int mode;
        DragChange change;
        bool out;
    } cases[] = {
        {"move within", MODE_MOVE, Move(Vector3(4e5f, 3e5f, 0)), false},
        {"move a out", MODE_MOVE, Move(Vector3(5.1e5f, 0, 0)), true},
        {"move the child out", MODE_MOVE, Move(Vector3(0, 4.1e5f, 0)), true},
        {"turn the child in", MODE_ROTATE, Turn(90, Vector3::UNIT_Z), false},
        {"turn the child out", MODE_ROTATE, Turn(-90, Vector3::UNIT_Z), true},
        {"stretch within", MODE_SCALE, Scale(Vector3(1, 1.6f, 1)), false},
        {"stretch the child out", MODE_SCALE, Scale(Vector3(1, 1.7f, 1)), true},
        {"scale beyond the largest", MODE_SCALE, Scale(Vector3(2e6f, 2e6f, 2e6f)), true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const Outcome outcome = Check(k.mode, false, k.change);
        EXPECT_EQ(outcome.outside, k.out ? "a" : "");
        EXPECT_EQ(outcome.hostRefused, k.out);
    }
    // A scale below the smallest the host leaves alone without a word; the check names it.
    Drag().BeginDrag(MODE_SCALE);
    EXPECT_EQ(Drag().FirstOutOfRange(Scale(Vector3(1e-7f, 1, 1))), "a");
    Drag().Cancel();
    // Nothing selected: nothing can leave the range.
    Select({});
    EXPECT_EQ(Check(MODE_MOVE, false, Move(Vector3(5e6f, 0, 0))).outside, "");
}

TEST_F(WorldRangeCheckTest, AboutTheCommonCentreThePositionsOrbitAndSpreadToo) {
    // a (5e5, 0, 0) and b (-4, 5, 6): the centre is near (249998, 2.5, 3).
    Select({"a", "b"});
    const struct {
        const char* what;
        int mode;
        DragChange change;
        bool out;
    } cases[] = {
        {"half a turn", MODE_ROTATE, Turn(180, Vector3::UNIT_Y), false},
        {"spread within", MODE_SCALE, Scale(Vector3(1.5f, 1.5f, 1.5f), 1.5f), false},
        {"spread a out", MODE_SCALE, Scale(Vector3(3, 1, 1), 3.0f, Vector3::UNIT_X), true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const Outcome outcome = Check(k.mode, true, k.change);
        EXPECT_EQ(outcome.outside.empty(), !k.out);
        EXPECT_EQ(outcome.hostRefused, k.out);
    }
}

} // namespace
