// The undoable edits "DeleteEntity", "RenameEntity" and "HideEntity" through the editor's undo
// manager, checked against the scene's saved text.
#include "EngineFixture.h"

#include "CEditorUndoManager.h"
#include "DotScene.h"
#include "EditCommands.h"
#include "HostFakes.h"
#include "Interface.h"

#include <OgreLight.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace {

class RecordingNotifier : public CQuietTools {
public:
    void notify(int code, int, void* data) override {
        std::string name;
        if ((code == NOTIFY_REMOVED || code == NOTIFY_RENAMED) && data)
            name = static_cast<SceneEntity*>(data)->GetName();
        events.emplace_back(code, name);
    }
    std::vector<std::pair<int, std::string>> events;
};

class EditCommandsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A group with a locked child, a spot light under it, a placeholder, a hidden entity.
        ASSERT_TRUE(scene->AddMesh("group", "", "", {1, 2, 3}, {0.1f, 0.2f, 0.3f}, {2, 2, 2}));
        CEditorEntity* child = scene->AddMesh("box_child", "box", "group", {4, 0, 0});
        ASSERT_TRUE(child);
        child->SetTransformEnabled(false);
        child->AddState(0x80 | 0x200000);
        CEditorEntity* lamp = scene->AddLight("lamp", Ogre::Light::LT_SPOTLIGHT, {0, 5, 0},
                                              Ogre::ColourValue(0.5f, 0.25f, 1), "box_child");
        ASSERT_TRUE(lamp);
        lamp->SetOrientation(Ogre::Vector3(0.3f, -0.2f, 0.1f));
        Ogre::Light* l = lamp->GetOgreLight();
        l->setSpecularColour(Ogre::ColourValue(0.1f, 0.2f, 0.3f));
        l->setPowerScale(2.5f);
        l->setAttenuation(120, 0.5f, 0.02f, 0.003f);
        l->setSpotlightRange(Ogre::Radian(0.3f), Ogre::Radian(0.9f), 1.5f);
        CEditorEntity* lost = scene->AddMesh("lost", "box", "", {9, 0, 0});
        ASSERT_TRUE(lost);
        lost->SetMissingMesh("gone.mesh");
        ASSERT_TRUE(scene->AddMesh("other", "box", "", {-3, 0, 1}));
        ASSERT_TRUE(scene->SetEntityHidden("other", true));
        ASSERT_TRUE(RegisterEditCommands(undo, *scene, notifier));
    }
    void TearDown() override {
        UnregisterEditCommands(undo);
        undo.clear();
        EngineTest::TearDown();
    }
    std::string Saved() { return FormatDotScene(DescribeScene(*scene)); }
    bool Do(const std::string& name, CommandParams params) { return undo.doCommand(name, &params); }
    using Names = std::set<std::string>;

    CEditorUndoManager undo;
    RecordingNotifier notifier;
};

} // namespace

TEST_F(EditCommandsTest, DeleteTakesChildrenAndUndoRestoresTheSceneBitForBit) {
    scene->SetSelection({"box_child", "group", "lost"});
    const std::string before = Saved();
    ASSERT_TRUE(Do("DeleteEntity", {}));
    EXPECT_EQ(scene->GetEntityCount(), 1); // only "other" is left
    EXPECT_TRUE(scene->getSelectedEntities().empty());
    // One step; the plug-ins let go of each entity, children first, then hear the selection.
    EXPECT_EQ(undo.undoCount(), 1);
    const std::vector<std::pair<int, std::string>> expected = {{NOTIFY_REMOVED, "lost"},
                                                               {NOTIFY_REMOVED, "lamp"},
                                                               {NOTIFY_REMOVED, "box_child"},
                                                               {NOTIFY_REMOVED, "group"},
                                                               {NOTIFY_SELECTION, ""}};
    EXPECT_EQ(notifier.events, expected);

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(scene->getSelectedEntities(), (Names{"box_child", "group", "lost"}));
    CEditorEntity* child = scene->GetEntity("box_child");
    ASSERT_TRUE(child && child->GetParentEntity());
    EXPECT_EQ(child->GetParentEntity()->GetName(), "group");
    EXPECT_EQ(child->EnabledTrnaform(), 0);
    EXPECT_EQ(scene->GetEntity("lamp")->GetOgreLight()->getSpotlightFalloff(), 1.5f);

    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(scene->GetEntityCount(), 1);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Saved(), before);
}

TEST_F(EditCommandsTest, DeleteOfNamedEntitiesAndOfNothing) {
    EXPECT_FALSE(Do("DeleteEntity", {})); // nothing selected: no step
    EXPECT_FALSE(Do("DeleteEntity", {{"entity", "ghost "}}));
    EXPECT_EQ(undo.undoCount(), 0);
    ASSERT_TRUE(Do("DeleteEntity", {{"entity", "lamp"}}));
    EXPECT_FALSE(scene->GetEntity("lamp"));
    EXPECT_TRUE(scene->GetEntity("box_child"));
}

TEST_F(EditCommandsTest, RenameRefusesBadNamesAndUndoesExactly) {
    EXPECT_NE(RenameRefusal(*scene, "lamp", ""), "");
    EXPECT_NE(RenameRefusal(*scene, "lamp", "group"), "");
    EXPECT_NE(RenameRefusal(*scene, "lamp", "a\tb"), "");
    EXPECT_NE(RenameRefusal(*scene, "lamp", std::string("\xC3\x28", 2)), "");
    EXPECT_NE(RenameRefusal(*scene, "ghost", "x"), "");
    EXPECT_EQ(RenameRefusal(*scene, "lamp", "灯"), "");
    EXPECT_FALSE(Do("RenameEntity", {{"entity", "lamp"}, {"name", "group"}}));
    EXPECT_FALSE(Do("RenameEntity", {{"entity", "lamp"}, {"name", ""}}));
    EXPECT_TRUE(scene->GetEntity("lamp"));
    EXPECT_EQ(undo.undoCount(), 0);

    scene->SetSelection({"box_child"});
    const std::string before = Saved();
    ASSERT_TRUE(Do("RenameEntity", {{"entity", "box_child"}, {"name", "箱子"}}));
    EXPECT_FALSE(scene->GetEntity("box_child"));
    CEditorEntity* renamed = scene->GetEntity("箱子");
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->GetChildren().size(), 1u); // the light stays its child
    EXPECT_EQ(scene->getSelectedEntities(), (Names{"箱子"}));
    EXPECT_EQ(notifier.events.back(), std::make_pair(int(NOTIFY_RENAMED), std::string("箱子")));
    // The old name is free again and walks see the new one.
    int walked = 0;
    for (SceneEntity* e = scene->beginEntity(); e; e = scene->nextEntity())
        walked += e->GetName() == "箱子";
    EXPECT_EQ(walked, 1);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(scene->getSelectedEntities(), (Names{"box_child"}));
    ASSERT_TRUE(undo.redo());
    EXPECT_TRUE(scene->GetEntity("箱子"));
}

TEST_F(EditCommandsTest, HideDeselectsShowAllUndoesAndHiddenRoundTripsThroughAFile) {
    CEditorEntity* hit = nullptr;
    const Ogre::Ray ray({9, 0, 20}, {0, 0, -1});
    EXPECT_GT(scene->PickEntity(ray, 100, hit), 0);
    scene->SetSelection({"lost", "group"});
    ASSERT_TRUE(Do("HideEntity", {{"mode", "hide"}}));
    EXPECT_FALSE(scene->GetEntity("lost")->IsVisible());
    EXPECT_FALSE(scene->GetEntity("group")->IsVisible());
    EXPECT_TRUE(scene->GetEntity("box_child")->IsVisible()); // only what was selected
    EXPECT_TRUE(scene->getSelectedEntities().empty());
    // Hidden entities are not picked.
    EXPECT_LT(scene->PickEntity(ray, 100, hit), 0);

    const std::string hidden = Saved();
    EXPECT_NE(hidden.find("name=\"hidden\""), std::string::npos);
    ASSERT_TRUE(Do("HideEntity", {{"mode", "showall"}}));
    EXPECT_TRUE(scene->GetEntity("other")->IsVisible());
    EXPECT_FALSE(Do("HideEntity", {{"mode", "showall"}})); // nothing hidden: no step
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Saved(), hidden);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(scene->getSelectedEntities(), (Names{"group", "lost"}));

    // Through a file and back.
    ASSERT_TRUE(undo.redo());
    const std::string path = ::testing::TempDir() + "hidden_round_trip.scene";
    std::string error;
    ASSERT_TRUE(SaveDotScene(path, *scene, error)) << error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(OpenDotScene(path, *scene, error, warnings)) << error;
    EXPECT_FALSE(scene->GetEntity("group")->IsVisible());
    EXPECT_FALSE(scene->GetEntity("other")->IsVisible());
    EXPECT_TRUE(scene->GetEntity("lamp")->IsVisible());
    std::remove(path.c_str());
}
