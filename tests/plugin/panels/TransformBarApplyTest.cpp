// Applying the transform bar, without the toolkit: typed texts read against what the bar last
// wrote, each changed group applied as world values to every selected entity of the editor's
// real headless scene, with one undo step per group that restores every entity exactly.
#include "TransformBarFields.h"
// The test host over the real headless engine, shared with the commit's tests.
#include "TransformFixture.h"

#include <limits>
#include <memory>
#include <vector>

namespace {

using namespace TransformBarFields;
using Ogre::Vector3;

struct Transform {
    Vector3 position, orientation, scale;
    bool operator==(const Transform& o) const {
        return position == o.position && orientation == o.orientation && scale == o.scale;
    }
};

Transform LocalOf(const SceneEntity* e) {
    return {e->GetPosition(), e->GetOrientation(), e->GetScale()};
}

class TransformBarApplyTest : public TransformFixture {
protected:
    void SetUp() override {
        TransformFixture::SetUp();
        // A rotated, scaled parent with a rotated child, and a plain second root.
        parent = scene->AddMesh("m_parent", "box", "", Vector3(-9, 2, 3), Vector3(0, 0.35f, 0),
                                Vector3(1.5f));
        child = scene->AddMesh("a_child", "box", "m_parent", Vector3(2.2f, 1.2f, 0),
                               Vector3(0.1f, 0.52f, 0), Vector3(0.5f));
        other = scene->AddMesh("b_other", "box", "", Vector3(5, 1.5f, -3), Vector3(0, 0.2f, 0),
                               Vector3(1.25f, 0.75f, 2.0f));
        ASSERT_TRUE(parent && child && other);
    }

    // What the bar shows of the first selected entity.
    Texts Shown() {
        SceneEntity* first = scene->getSceneEntity(*scene->getSelectedEntities().begin());
        return FormatWorld(first->GetWorldPosition(), first->GetWorldOrientation(),
                           first->GetWorldScale());
    }
    // What Enter does with the bar's texts: each edited group as one step. Here a field counts
    // as edited when its text differs from what the bar wrote.
    int Apply(const Texts& typed, const Texts& written) {
        unsigned edited = 0;
        for (int i = 0; i < kFieldCount; ++i)
            edited |= typed[i] != written[i] ? 1u << i : 0u;
        const BarChanges changes = ReadChanges(typed, edited);
        int steps = 0;
        for (int group = 0; group < 3; ++group)
            if (changes.groups[group].mask)
                steps +=
                    ApplyWorld(changes.groups[group].value, changes.groups[group].mask, group + 1);
        return steps;
    }

    CEditorEntity* parent = nullptr;
    CEditorEntity* child = nullptr;
    CEditorEntity* other = nullptr;
};

TEST_F(TransformBarApplyTest, EnterWithoutTypingChangesNothingAndRecordsNoStep) {
    // Values the two-decimal texts would round: a scale of 0.004 and 0.004 degrees.
    other->SetScale(Vector3(0.004f, 1.0f, 1.0f));
    other->SetOrientation(Vector3(0.004f * kDegreesToRadians, 0.2f, 0.0f));
    scene->SetSelection({"b_other", "m_parent"});
    const Transform before = LocalOf(other), parentBefore = LocalOf(parent);
    const Texts shown = Shown();
    EXPECT_EQ(shown[6], "0.00");
    EXPECT_EQ(Apply(shown, shown), 0);
    EXPECT_EQ(host->undo.undoCount(), 0);
    EXPECT_TRUE(LocalOf(other) == before);
    EXPECT_TRUE(LocalOf(parent) == parentBefore);
}

TEST_F(TransformBarApplyTest, TypedComponentGoesToEverySelectedEntityTheOthersStayExact) {
    scene->SetSelection({"b_other", "m_parent"});
    const Transform otherBefore = LocalOf(other), parentBefore = LocalOf(parent);
    const Texts shown = Shown();
    Texts typed = shown;
    typed[1] = "4.25"; // world position Y
    EXPECT_EQ(Apply(typed, shown), 1);
    ASSERT_EQ(host->undo.undoCount(), 1);
    // Both roots: Y is the typed value, X and Z keep their exact values.
    EXPECT_EQ(other->GetPosition(), Vector3(5, 4.25f, -3));
    EXPECT_EQ(parent->GetPosition(), Vector3(-9, 4.25f, 3));
    EXPECT_TRUE(other->GetOrientation() == otherBefore.orientation);
    EXPECT_TRUE(other->GetScale() == otherBefore.scale);
    // One notification per entity, each a move.
    ASSERT_EQ(host->tools.sent.size(), 2u);
    EXPECT_EQ(host->tools.sent[0].first, NOTIFY_MOVED);
    // One undo brings both back exactly, the first entity too; redo puts both forward again.
    ASSERT_TRUE(host->undo.undo());
    EXPECT_TRUE(LocalOf(other) == otherBefore);
    EXPECT_TRUE(LocalOf(parent) == parentBefore);
    ASSERT_TRUE(host->undo.redo());
    EXPECT_EQ(other->GetPosition().y, 4.25f);
    EXPECT_EQ(parent->GetPosition().y, 4.25f);
}

TEST_F(TransformBarApplyTest, AChildEndsAtTheTypedWorldValues) {
    scene->SetSelection({"a_child"});
    const Transform before = LocalOf(child);
    const Vector3 worldBefore = child->GetWorldPosition();
    const Vector3 turnBefore = child->GetWorldOrientation();
    const Texts shown = Shown();
    Texts typed = shown;
    typed[0] = "-4";
    typed[2] = "6.5";
    typed[4] = "60"; // world yaw
    typed[6] = "3";  // world scale X
    EXPECT_EQ(Apply(typed, shown), 3);
    EXPECT_EQ(host->undo.undoCount(), 3);
    ExpectNear(child->GetWorldPosition(), Vector3(-4, worldBefore.y, 6.5f), 1e-4f);
    const Vector3 turn = child->GetWorldOrientation();
    EXPECT_NEAR(turn.x, turnBefore.x, 1e-4f);
    EXPECT_NEAR(turn.y, 60.0f * kDegreesToRadians, 1e-4f);
    EXPECT_NEAR(turn.z, turnBefore.z, 1e-4f);
    EXPECT_NEAR(child->GetWorldScale().x, 3.0f, 1e-5f);
    // The bar, filled again, shows what was typed.
    const Texts after = Shown();
    EXPECT_EQ(after[0], "-4.00");
    EXPECT_EQ(after[2], "6.50");
    EXPECT_EQ(after[4], "60.00");
    EXPECT_EQ(after[6], "3.00");
    // Three undos restore the child's local transform exactly.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(host->undo.undo());
    EXPECT_TRUE(LocalOf(child) == before);
}

TEST_F(TransformBarApplyTest, ASelectedParentIsSetBeforeItsChild) {
    // The child's name sorts first, so it is the first entity; its parent moves too. Set in
    // name order, the parent would carry the child away from the typed value afterwards.
    scene->SetSelection({"a_child", "m_parent"});
    Texts shown = Shown();
    Texts typed = shown;
    typed[0] = "12";
    Apply(typed, shown);
    EXPECT_NEAR(child->GetWorldPosition().x, 12.0f, 1e-4f);
    EXPECT_NEAR(parent->GetWorldPosition().x, 12.0f, 1e-4f);
    shown = Shown();
    typed = shown;
    typed[5] = "15"; // world roll
    Apply(typed, shown);
    EXPECT_NEAR(child->GetWorldOrientation().z, 15.0f * kDegreesToRadians, 1e-4f);
    EXPECT_NEAR(parent->GetWorldOrientation().z, 15.0f * kDegreesToRadians, 1e-4f);
}

TEST_F(TransformBarApplyTest, AZeroScaleIsRefusedAndOtherScaleFieldsStillApply) {
    scene->SetSelection({"b_other"});
    const Texts shown = Shown();
    Texts typed = shown;
    typed[6] = "0";
    EXPECT_EQ(Apply(typed, shown), 0);
    EXPECT_EQ(host->undo.undoCount(), 0);
    EXPECT_EQ(other->GetScale(), Vector3(1.25f, 0.75f, 2.0f));
    typed[7] = "3";
    EXPECT_EQ(Apply(typed, shown), 1);
    EXPECT_EQ(other->GetScale(), Vector3(1.25f, 3.0f, 2.0f));
}

TEST_F(TransformBarApplyTest, RefusedValuesReachNoEntity) {
    scene->SetSelection({"b_other"});
    const Transform before = LocalOf(other);
    // Not finite, or no component named: no change, no step, no notification.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ApplyWorld(Vector3(inf, 0, 0), 1u, KIND_POSITION), 0);
    EXPECT_EQ(ApplyWorld(Vector3(1, 2, 3), 0u, KIND_SCALE), 0);
    // A non-finite component that is not named does not matter.
    EXPECT_EQ(ApplyWorld(Vector3(inf, 7, 0), 2u, KIND_POSITION), 1);
    EXPECT_EQ(other->GetPosition(), Vector3(before.position.x, 7, before.position.z));
    EXPECT_EQ(host->undo.undoCount(), 1);
    EXPECT_EQ(host->tools.sent.size(), 1u);
}

TEST_F(TransformBarApplyTest, AnEmptySelectionStillRecordsOneEmptyStep) {
    scene->SetSelection({});
    EXPECT_EQ(ApplyWorld(Vector3(1, 0, 0), 1u, KIND_POSITION), 1);
    EXPECT_EQ(host->undo.undoCount(), 1);
    EXPECT_TRUE(host->tools.sent.empty());
}

} // namespace
