// Picking after every kind of change to the scene: the boxes the scene keeps for picking must
// follow moves (of the entity or of an ancestor), hiding, removal, renaming, undo and a content
// swap, or a click finds an entity where it no longer is.
#include "EngineFixture.h"

#include "CEditorUndoManager.h"
#include "EditCommands.h"
#include "HostFakes.h"

#include <OgreSceneManager.h>

#include <limits>
#include <string>

namespace {

class PickIndexTest : public EngineTest {
protected:
    // The name of the entity a ray straight down through (x, 0, z) picks, "" for none.
    std::string PickDown(float x, float z, CEditorScene* in = nullptr) {
        RayQuery q{};
        q.origin = Ogre::Vector3(x, 50, z);
        q.direction = Ogre::Vector3(0, -1, 0);
        q.length = 1000.0f;
        q.distance = std::numeric_limits<float>::max();
        q.flags = RAY_QUERY_ENTITY;
        (in ? in : scene)->rayQuery(&q);
        return q.hit ? q.hit->GetName() : std::string();
    }
};

} // namespace

TEST_F(PickIndexTest, MovesOfTheEntityOrAnAncestorAreFollowed) {
    CEditorEntity* group = scene->AddMesh("group", "", "", {0, 0, 0});
    CEditorEntity* child = scene->AddMesh("child", "box", "group", {0, 0, 0});
    CEditorEntity* lone = scene->AddMesh("lone", "box", "", {20, 0, 0});
    ASSERT_TRUE(group && child && lone);
    EXPECT_EQ(PickDown(0, 0), "child");
    EXPECT_EQ(PickDown(20, 0), "lone");

    lone->SetPosition(Ogre::Vector3(-20, 0, 0));
    EXPECT_EQ(PickDown(20, 0), "");
    EXPECT_EQ(PickDown(-20, 0), "lone");

    // The child moves with its group without being touched itself.
    group->SetPosition(Ogre::Vector3(0, 0, 30));
    EXPECT_EQ(PickDown(0, 0), "");
    EXPECT_EQ(PickDown(0, 30), "child");
    group->SetScale(Ogre::Vector3(10, 1, 10)); // the box now reaches 4 units out
    EXPECT_EQ(PickDown(4, 30), "child");

    // Moved twice between two picks: the last place counts.
    lone->SetPosition(Ogre::Vector3(40, 0, 0));
    lone->SetPosition(Ogre::Vector3(60, 0, 0));
    EXPECT_EQ(PickDown(40, 0), "");
    EXPECT_EQ(PickDown(60, 0), "lone");
}

TEST_F(PickIndexTest, HidingLockingRemovalRenamingAndSwapsAreFollowed) {
    // Two boxes in the same place: the one first by name wins.
    ASSERT_TRUE(scene->AddMesh("a", "box", "", {0, 0, 0}));
    ASSERT_TRUE(scene->AddMesh("b", "box", "", {0, 0, 0}));
    EXPECT_EQ(PickDown(0, 0), "a");
    ASSERT_TRUE(scene->SetEntityHidden("a", true));
    EXPECT_EQ(PickDown(0, 0), "b");
    ASSERT_TRUE(scene->SetEntityHidden("a", false));
    scene->GetEntity("b")->SetSelectable(false);
    scene->GetEntity("a")->SetSelectable(false);
    EXPECT_EQ(PickDown(0, 0), "");
    scene->GetEntity("a")->SetSelectable(true);
    scene->GetEntity("b")->SetSelectable(true);
    EXPECT_EQ(PickDown(0, 0), "a");

    // A rename changes which comes first.
    ASSERT_TRUE(scene->RenameEntity("a", "c"));
    EXPECT_EQ(PickDown(0, 0), "b");
    ASSERT_TRUE(scene->RemoveEntity("b"));
    EXPECT_EQ(PickDown(0, 0), "c");
    // Removed, then one of the same name somewhere else.
    ASSERT_TRUE(scene->RemoveEntity("c"));
    EXPECT_EQ(PickDown(0, 0), "");
    ASSERT_TRUE(scene->AddMesh("c", "box", "", {5, 0, 0}));
    EXPECT_EQ(PickDown(0, 0), "");
    EXPECT_EQ(PickDown(5, 0), "c");

    // A content swap: each scene picks its own entities, and a move after the swap is followed
    // by the scene that now holds the entity.
    CEditorScene loaded(engine->GetOgreSceneManager(), false);
    ASSERT_TRUE(loaded.AddMesh("far", "box", "", {-5, 0, 0}));
    EXPECT_EQ(PickDown(-5, 0, &loaded), "far");
    scene->TakeContent(loaded);
    EXPECT_EQ(PickDown(5, 0), "");
    EXPECT_EQ(PickDown(-5, 0), "far");
    EXPECT_EQ(PickDown(5, 0, &loaded), "c");
    scene->GetEntity("far")->SetPosition(Ogre::Vector3(-9, 0, 0));
    loaded.GetEntity("c")->SetPosition(Ogre::Vector3(9, 0, 0));
    EXPECT_EQ(PickDown(-9, 0), "far");
    EXPECT_EQ(PickDown(9, 0, &loaded), "c");
    EXPECT_EQ(PickDown(5, 0, &loaded), "");
}

TEST_F(PickIndexTest, UndoneDeletesAndHidesArePickedAgain) {
    CEditorUndoManager undo;
    CQuietTools tools;
    ASSERT_TRUE(RegisterEditCommands(undo, *scene, tools));
    ASSERT_TRUE(scene->AddMesh("group", "box", "", {0, 0, 0}));
    ASSERT_TRUE(scene->AddMesh("child", "box", "group", {6, 0, 0}));
    EXPECT_EQ(PickDown(6, 0), "child");
    CommandParams params{{"entity", "group"}};
    ASSERT_TRUE(undo.doCommand("DeleteEntity", &params));
    EXPECT_EQ(PickDown(6, 0), "");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(PickDown(6, 0), "child");
    EXPECT_EQ(PickDown(0, 0), "group");
    // The restored entities follow later moves.
    scene->GetEntity("group")->SetPosition(Ogre::Vector3(0, 0, 10));
    EXPECT_EQ(PickDown(6, 10), "child");
    EXPECT_EQ(PickDown(6, 0), "");

    CommandParams hide{{"mode", "hide"}, {"entity", "child"}};
    ASSERT_TRUE(undo.doCommand("HideEntity", &hide));
    EXPECT_EQ(PickDown(6, 10), "");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(PickDown(6, 10), "child");
    UnregisterEditCommands(undo);
    undo.clear();
}
