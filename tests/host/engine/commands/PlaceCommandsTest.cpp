// "AlignEntity" and "DistributeEntity" on a scene through the editor's undo manager: the boxes
// that line up, the entities that stay, and one exact step back and forth.
#include "EngineFixture.h"

#include "CEditorUndoManager.h"
#include "HostFakes.h"
#include "Interface.h"
#include "PlaceCommands.h"

#include <map>

namespace {

class PlaceCommandsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // "a_target" sorts first: the current entity. "parent" (scaled) carries "child".
        ASSERT_TRUE(scene->AddMesh("a_target", "box", "", {0, 0, 0}, {0, 0, 0}, {2, 2, 2}));
        ASSERT_TRUE(scene->AddMesh("b_free", "box", "", {7, 1, 2}));
        ASSERT_TRUE(scene->AddMesh("parent", "box", "", {-5, 0, 0}, {0, 0.5f, 0}, {1, 1, 1}));
        ASSERT_TRUE(scene->AddMesh("child", "box", "parent", {0, 3, 0}));
        CEditorEntity* locked = scene->AddMesh("locked", "box", "", {3, 0, 0});
        ASSERT_TRUE(locked);
        locked->SetTransformEnabled(false);
        ASSERT_TRUE(RegisterPlaceCommands(undo, *scene, notifier));
    }
    void TearDown() override {
        UnregisterPlaceCommands(undo);
        undo.clear();
        EngineTest::TearDown();
    }
    // The number moved, -1 when the command was not executed.
    int Do(const std::string& name, CommandParams params) {
        return undo.doCommand(name, &params) ? std::stoi(params["moved"]) : -1;
    }
    Ogre::AxisAlignedBox Box(const std::string& name) {
        return scene->GetEntity(name)->GetWorldBounds();
    }
    std::map<std::string, Ogre::Vector3> Positions() {
        std::map<std::string, Ogre::Vector3> all;
        for (const char* name : {"a_target", "b_free", "parent", "child", "locked"})
            all[name] = scene->GetEntity(name)->GetPosition();
        return all;
    }

    CEditorUndoManager undo;
    CQuietTools notifier;
};

} // namespace

TEST_F(PlaceCommandsTest, AlignMovesTheTopMostUnlockedToTheCurrentsSide) {
    scene->SetSelection({"a_target", "b_free", "parent", "child", "locked"});
    const auto before = Positions();
    const Ogre::Vector3 childOffset = scene->GetEntity("child")->GetWorldPosition() -
                                      scene->GetEntity("parent")->GetWorldPosition();
    // b_free and parent move (the child with its parent), the locked one and the target stay.
    ASSERT_EQ(Do("AlignEntity", {{"axis", "x"}, {"to", "max"}}), 2);
    EXPECT_FLOAT_EQ(Box("b_free").getMaximum().x, Box("a_target").getMaximum().x);
    EXPECT_FLOAT_EQ(Box("parent").getMaximum().x, Box("a_target").getMaximum().x);
    const auto after = Positions();
    EXPECT_EQ(after.at("locked"), before.at("locked"));
    EXPECT_EQ(after.at("a_target"), before.at("a_target"));
    EXPECT_EQ(after.at("child"), before.at("child")); // its local place is kept
    EXPECT_TRUE((scene->GetEntity("child")->GetWorldPosition() -
                 scene->GetEntity("parent")->GetWorldPosition())
                    .positionEquals(childOffset, 1e-5f));
    // Only x changed.
    EXPECT_EQ(after.at("b_free").y, before.at("b_free").y);
    EXPECT_EQ(after.at("b_free").z, before.at("b_free").z);

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Positions(), before);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(Positions(), after);
    // Already aligned: nothing moves, no step.
    EXPECT_EQ(Do("AlignEntity", {{"axis", "x"}, {"to", "max"}}), -1);
    EXPECT_EQ(undo.undoCount(), 1);
}

TEST_F(PlaceCommandsTest, AlignLeavesTheCurrentsAncestorsAndRefusesBadWords) {
    // "child" is the current entity here ("child" < "parent" < "z_free"): moving its parent
    // would carry the target along, so only z_free moves.
    ASSERT_TRUE(scene->AddMesh("z_free", "box", "", {1, -4, 1}));
    scene->SetSelection({"z_free", "child", "parent"});
    const Ogre::Vector3 parentAt = scene->GetEntity("parent")->GetPosition();
    ASSERT_EQ(Do("AlignEntity", {{"axis", "y"}, {"to", "min"}}), 1);
    EXPECT_FLOAT_EQ(Box("z_free").getMinimum().y, Box("child").getMinimum().y);
    EXPECT_EQ(scene->GetEntity("parent")->GetPosition(), parentAt);
    EXPECT_EQ(Do("AlignEntity", {{"axis", "w"}, {"to", "min"}}), -1);
    EXPECT_EQ(Do("AlignEntity", {{"axis", "x"}, {"to", "middle"}}), -1);
    EXPECT_EQ(Do("DistributeEntity", {{"axis", ""}}), -1);
    scene->SetSelection({"b_free"});
    EXPECT_EQ(Do("AlignEntity", {{"axis", "x"}, {"to", "min"}}), -1);
    EXPECT_EQ(undo.undoCount(), 1);
}

TEST_F(PlaceCommandsTest, DistributeSpacesCentresAndUndoesExactly) {
    ASSERT_TRUE(scene->AddMesh("far", "box", "", {20, 0, 0}));
    scene->SetSelection({"a_target", "b_free", "far", "parent", "child"});
    const auto before = Positions();
    // Centres along x: parent -5, a_target 0, b_free 7, far 20 (child goes with parent).
    ASSERT_EQ(Do("DistributeEntity", {{"axis", "x"}}), 2);
    EXPECT_NEAR(Box("a_target").getCenter().x, 3.333333f, 1e-4f);
    EXPECT_NEAR(Box("b_free").getCenter().x, 11.666667f, 1e-4f);
    EXPECT_FLOAT_EQ(Box("far").getCenter().x, 20.0f);
    EXPECT_EQ(scene->GetEntity("parent")->GetPosition(), before.at("parent"));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Positions(), before);
}

TEST_F(PlaceCommandsTest, AMoveOutOfTheWorldRangeIsRefusedForThatEntity) {
    ASSERT_TRUE(scene->AddMesh("edge", "box", "", {999999.0f, 0, 0}));
    // Aligning "parent" to the maximum of "edge" (the current entity) would carry its child,
    // 5 units further along, past 1e6: the parent stays, and with nothing moved there is no step.
    scene->SetSelection({"edge", "parent"});
    scene->GetEntity("child")->SetPosition(Ogre::Vector3(5.0f, 0, 0));
    const Ogre::Vector3 parentAt = scene->GetEntity("parent")->GetPosition();
    EXPECT_EQ(Do("AlignEntity", {{"axis", "x"}, {"to", "max"}}), -1);
    EXPECT_EQ(scene->GetEntity("parent")->GetPosition(), parentAt);
    EXPECT_EQ(undo.undoCount(), 0);
}
