// Opening builds the new scene aside and swaps it in only when complete; clearing and removing
// let go of every engine object; world transforms follow parents on flat engine nodes.
#include "DotScene.h"
#include "EngineFixture.h"
#include "TextScene.h"

#include <OgreArchiveManager.h>
#include <OgreEntity.h>
#include <OgreMaterial.h>
#include <OgreMesh.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

class SceneSwapTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder =
            fs::path(testing::TempDir()) /
            ("swap_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const char* file : {"crates.scene", "crate.mesh", "crate.material"})
            fs::copy_file(fs::path(DOTSCENE_DATA_DIR) / file, folder / file);
    }
    void TearDown() override {
        EngineTest::TearDown();
        fs::remove_all(folder);
    }
    Ogre::SceneManager* Ogre() const { return scene->GetOgreSceneManager(); }
    size_t EngineEntities() const { return Ogre()->getMovableObjects("Entity").size(); }
    size_t EngineLights() const { return Ogre()->getMovableObjects("Light").size(); }
    static size_t Archives() {
        size_t count = 0;
        for (auto it = Ogre::ArchiveManager::getSingleton().getArchiveIterator();
             it.hasMoreElements(); it.moveNext())
            ++count;
        return count;
    }
    static bool GroupExists(const std::string& group) {
        return Ogre::ResourceGroupManager::getSingleton().resourceGroupExists(group);
    }
    // Every entity's world position, by name.
    std::map<std::string, Ogre::Vector3> Positions() const {
        std::map<std::string, Ogre::Vector3> where;
        for (SceneEntity* e = scene->beginEntity(); e; e = scene->nextEntity())
            where[e->GetName()] = e->GetWorldPosition();
        return where;
    }

    fs::path folder;
    std::string error;
    std::vector<std::string> warnings;
};

} // namespace

TEST_F(SceneSwapTest, AnOpenThatFailsOnTheWayLeavesTheOpenSceneAndItsResources) {
    const std::string path = (folder / "crates.scene").string();
    const size_t archives = Archives();
    ASSERT_TRUE(OpenDotScene(path, *scene, error, warnings)) << error;
    EXPECT_EQ(Archives(), archives + 1);
    const std::string group = scene->GetMeshGroup();
    ASSERT_FALSE(group.empty());
    scene->SetSelection({"tipped"});
    const auto before = Positions();
    const size_t entities = EngineEntities(), lights = EngineLights();
    DotSceneDocument doc;
    ASSERT_TRUE(ReadDotSceneFile(path, doc, error)) << error;

    // The same folder again (the same mesh and material names in a second group), given up
    // half-way: nothing of the open scene changes, and nothing of the attempt stays.
    size_t asked = 0;
    EXPECT_FALSE(BuildDotScene(doc, folder.string(), path, *scene, warnings, error,
                               [&](size_t done, size_t total) {
                                   ++asked;
                                   return done < total / 2;
                               }));
    EXPECT_EQ(error, path + ": opening was cancelled");
    EXPECT_GT(asked, 1u);
    EXPECT_EQ(Positions(), before);
    EXPECT_TRUE(scene->isEntitySelected("tipped"));
    EXPECT_EQ(scene->GetMeshGroup(), group);
    EXPECT_TRUE(GroupExists(group));
    EXPECT_EQ(EngineEntities(), entities);
    EXPECT_EQ(EngineLights(), lights);
    Ogre::Entity* crate = scene->GetEntity("tipped")->GetOgreEntity();
    ASSERT_TRUE(crate);
    EXPECT_TRUE(crate->getMesh()->isLoaded());
    EXPECT_EQ(crate->getMesh()->getGroup(), group);
    EXPECT_EQ(crate->getSubEntity(0)->getMaterial()->getName(), "Crate/Wood");
    EXPECT_EQ(crate->getSubEntity(0)->getMaterial()->getGroup(), group);

    // Opened again for good: the new group replaces the old one, which goes with the old
    // entities; the engine holds exactly the new scene's objects.
    ASSERT_TRUE(OpenDotScene(path, *scene, error, warnings)) << error;
    EXPECT_NE(scene->GetMeshGroup(), group);
    EXPECT_FALSE(GroupExists(group));
    EXPECT_TRUE(GroupExists(scene->GetMeshGroup()));
    EXPECT_EQ(Positions(), before);
    EXPECT_TRUE(scene->getSelectedEntities().empty());
    EXPECT_EQ(EngineEntities(), entities);
    EXPECT_EQ(EngineLights(), lights);
    crate = scene->GetEntity("tipped")->GetOgreEntity();
    EXPECT_TRUE(crate->getMesh()->isLoaded());
    EXPECT_EQ(crate->getMesh()->getGroup(), scene->GetMeshGroup());
    EXPECT_EQ(crate->getSubEntity(0)->getMaterial()->getGroup(), scene->GetMeshGroup());
    // A copy finds the mesh of the scene's own group.
    const std::string copy = scene->CopyEntity("tipped");
    ASSERT_FALSE(copy.empty());
    EXPECT_EQ(scene->GetEntity(copy)->GetOgreEntity()->getMesh(), crate->getMesh());

    // The editor's own text format reads aside as well: a fault on a later line keeps all.
    const auto opened = Positions();
    EXPECT_FALSE(LoadSceneText("mesh a box - 0 0 0 0 0 0 1 1 1\nmesh a box - 0 0 0 0 0 0 1 1 1\n",
                               "t", *scene, error));
    EXPECT_EQ(error, "t:2: duplicate entity name 'a'");
    EXPECT_EQ(Positions(), opened);
    EXPECT_TRUE(GroupExists(scene->GetMeshGroup()));

    // Clearing drops the group with the entities, and its archive: opens leave none behind.
    EXPECT_EQ(Archives(), archives + 1);
    const std::string last = scene->GetMeshGroup();
    scene->Clear();
    EXPECT_FALSE(GroupExists(last));
    EXPECT_TRUE(scene->GetMeshGroup().empty());
    EXPECT_EQ(Archives(), archives);
}

TEST_F(SceneSwapTest, RemovingAndClearingLetGoOfEveryEngineObject) {
    const size_t entities = EngineEntities(), lights = EngineLights();
    const unsigned short rootNodes = Ogre()->getRootSceneNode()->numChildren();
    // A tree: a root with three children of two children each, and a light under the root.
    ASSERT_TRUE(scene->AddMesh("root", "box", "", {1, 0, 0}, {0, 0.5f, 0}, Ogre::Vector3(2)));
    for (int i = 0; i < 3; ++i) {
        const std::string child = "c" + std::to_string(i);
        ASSERT_TRUE(scene->AddMesh(child, "box", "root", {float(i), 1, 0}));
        for (int j = 0; j < 2; ++j)
            ASSERT_TRUE(scene->AddMesh(child + "_" + std::to_string(j), "cone", child, {0, 1, 0}));
    }
    ASSERT_TRUE(scene->AddLight("lamp", Ogre::Light::LT_POINT, {0, 3, 0}, Ogre::ColourValue::White,
                                "root"));
    EXPECT_EQ(EngineEntities(), entities + 11); // ten meshes and the light's marker
    EXPECT_EQ(EngineLights(), lights + 1);
    // Every entity's node sits flat in the scene's layer, holding the world transform.
    Ogre::SceneNode* layer = scene->GetEntity("root")->GetNode()->getParentSceneNode();
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->numChildren(), 11);
    scene->GetEntity("root")->SetPosition(Ogre::Vector3(-4, 2, 7));
    for (SceneEntity* s = scene->beginEntity(); s; s = scene->nextEntity()) {
        CEditorEntity* e = scene->GetEntity(s->GetName());
        EXPECT_EQ(e->GetNode()->getParentSceneNode(), layer) << e->GetName();
        ExpectNear(e->GetNode()->getPosition(), e->GetWorldPosition());
        ExpectNear(e->GetNode()->getScale(), e->GetWorldScale());
    }
    ExpectNear(scene->GetEntity("c2_1")->GetWorldPosition(),
               Ogre::Vector3(-4, 2, 7) + scene->GetEntity("root")->GetWorldRotation() *
                                             (Ogre::Vector3(2) * Ogre::Vector3(2, 2, 0)));

    // A subtree goes whole, from the selection too; its siblings stay linked.
    scene->SetSelection({"c1", "c1_0", "c2"});
    ASSERT_TRUE(scene->RemoveEntity("c1"));
    EXPECT_EQ(scene->getSelectedEntities(), (std::set<std::string>{"c2"}));
    EXPECT_EQ(scene->GetEntityCount(), 8);
    EXPECT_EQ(EngineEntities(), entities + 8);
    EXPECT_EQ(layer->numChildren(), 8);
    EXPECT_EQ(scene->GetEntity("root")->GetChildren().size(), 3u); // c0, c2, lamp
    scene->GetEntity("root")->SetScale(Ogre::Vector3(1));
    ExpectNear(scene->GetEntity("c2_1")->GetWorldPosition(),
               Ogre::Vector3(-4, 2, 7) +
                   scene->GetEntity("root")->GetWorldRotation() * Ogre::Vector3(2, 2, 0));

    scene->Clear();
    EXPECT_EQ(scene->GetEntityCount(), 0);
    EXPECT_EQ(EngineEntities(), entities);
    EXPECT_EQ(EngineLights(), lights);
    EXPECT_EQ(layer->numChildren(), 0);
    EXPECT_EQ(Ogre()->getRootSceneNode()->numChildren(), rootNodes);
    EXPECT_EQ(scene->beginEntity(), nullptr);
}

TEST_F(SceneSwapTest, AChainAtTheDepthLimitMovesFromItsRootAndGoesWithIt) {
    // Built top-down as a file is, then moved from the top: the deepest entity follows.
    std::string parent;
    for (int i = 0; i < kMaxDotSceneDepth; ++i) {
        const std::string name = "n" + std::to_string(i);
        ASSERT_TRUE(scene->AddMesh(name, i % 2 ? "box" : "", parent, {0, 0.5f, 0}));
        parent = name;
    }
    CEditorEntity* deepest = scene->GetEntity(parent);
    ExpectNear(deepest->GetWorldPosition(), Ogre::Vector3(0, 0.5f * kMaxDotSceneDepth, 0));
    scene->GetEntity("n0")->SetPosition(Ogre::Vector3(3, 0.5f, 0));
    ExpectNear(deepest->GetWorldPosition(), Ogre::Vector3(3, 0.5f * kMaxDotSceneDepth, 0));
    ExpectNear(deepest->GetNode()->getPosition(), deepest->GetWorldPosition());
    // A scale of the root that would take the far end out of the world range is refused.
    scene->GetEntity("n0")->SetScale(Ogre::Vector3(1000));
    EXPECT_EQ(scene->GetEntity("n0")->GetScale(), Ogre::Vector3(1));
    EXPECT_FALSE(CEditorEntity::TakeRefusalMessage().empty());
    EXPECT_TRUE(scene->RemoveEntity("n0"));
    EXPECT_EQ(scene->GetEntityCount(), 0);
}

TEST_F(SceneSwapTest, SelectionWalksGoOnAfterChangesMadeOnTheWay) {
    for (const char* name : {"a", "b", "b_child", "c", "d", "e"})
        ASSERT_TRUE(
            scene->AddMesh(name, "box", std::string(name) == "b_child" ? "b" : "", {0, 0, 0}));
    scene->SetSelection({"a", "b", "b_child", "c", "d"});
    std::vector<std::string> walked;
    for (SceneEntity* e = scene->beginSelected(); e; e = scene->nextSelected()) {
        walked.push_back(e->GetName());
        if (walked.back() == "a")
            scene->RemoveEntity("b"); // with its child: both leave the selection
        if (walked.back() == "c")
            scene->SelectNames("add", {"e"});
    }
    EXPECT_EQ(walked, (std::vector<std::string>{"a", "c", "d", "e"}));
    // Without changes, a second walk sees the same.
    walked.clear();
    for (SceneEntity* e = scene->beginSelected(); e; e = scene->nextSelected())
        walked.push_back(e->GetName());
    EXPECT_EQ(walked, (std::vector<std::string>{"a", "c", "d", "e"}));
    EXPECT_EQ(scene->nextSelected(), nullptr);
    EXPECT_EQ(scene->GetEntity("b_child"), nullptr);
    EXPECT_EQ(scene->getSceneEntity("d"), scene->GetEntity("d"));
}
