// The world range: no change, by any setter, through a parent or from a file, takes an
// entity's world position or scale out of it, so every world box stays finite (Ogre aborts on
// a box that is not).
#include "DotScene.h"
#include "EngineFixture.h"
#include "TextScene.h"

#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// What a frame does with the entities: the node tree updated with its bounds, and every
// entity's world box asked for.
void UpdateLikeAFrame(CEditorScene& scene) {
    scene.GetOgreSceneManager()->getRootSceneNode()->_update(true, false);
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity()) {
        EXPECT_TRUE(IsFinite(e->GetBoundsMin())) << e->GetName();
        EXPECT_TRUE(IsFinite(e->GetBoundsMax())) << e->GetName();
    }
}

bool ScaleWithin(const Ogre::Vector3& s) {
    return IsWorldScaleInRange(s);
}

} // namespace

TEST_F(EngineTest, RepeatedScaleDragsStopAtTheWorldRange) {
    CEditorEntity* e = scene->AddMesh("e", "box", "", {0, 0, 0});
    ASSERT_TRUE(e);
    CEditorEntity::TakeRefusalMessage();
    // A 300-pixel drag scales by about 4.7: sixty of them would pass the largest float.
    for (int i = 0; i < 60; ++i) {
        e->PreTransform({0, 0, 1});
        e->ScaleDelta({4.7f, 4.7f, 4.7f});
        UpdateLikeAFrame(*scene);
        ASSERT_TRUE(ScaleWithin(e->GetWorldScale())) << i;
    }
    EXPECT_GT(e->GetScale().x, kMaxWorldScale / 4.7f);
    EXPECT_NE(CEditorEntity::TakeRefusalMessage().find("e "), std::string::npos);
    EXPECT_EQ(CEditorEntity::TakeRefusalMessage(), ""); // taken once
    // The other way down to the floor.
    for (int i = 0; i < 60; ++i)
        e->ScaleDelta({0.1f, 0.1f, 0.1f});
    EXPECT_GE(e->GetScale().x, kMinWorldScale);
    UpdateLikeAFrame(*scene);
}

TEST_F(EngineTest, EverySetterRefusesValuesOutOfTheWorldRange) {
    CEditorEntity* e = scene->AddMesh("e", "box", "", {1, 2, 3}, {0, 0, 0}, {2, 2, 2});
    ASSERT_TRUE(e);
    const float huge = 3e38f; // a 39-digit number, as typed into the panel or the bar
    e->SetScale(Ogre::Vector3(huge, 1, 1), AXIS_X);
    e->SetScale(Ogre::Vector3(huge, huge, huge));
    e->SetWorldScale(2, huge, 2);
    e->SetScale(Ogre::Vector3(2e6f, 2, 2));
    e->SetPosition(Ogre::Vector3(0, huge, 0), AXIS_Y);
    e->SetPosition(-2e6f, 2, 3);
    e->SetWorldPosition(1, 2, huge);
    e->PreTransform({1, 1, 1});
    e->MoveDelta({huge, 0, 0});
    e->MoveDelta({0, 0, huge}, 1, 1);
    UpdateLikeAFrame(*scene);
    ExpectNear(e->GetPosition(), {1, 2, 3});
    ExpectNear(e->GetScale(), {2, 2, 2});
    EXPECT_NE(CEditorEntity::TakeRefusalMessage(), "");
    // The edges of the range are in it.
    e->SetPosition(-kMaxWorldCoordinate, kMaxWorldCoordinate, 0);
    e->SetScale(Ogre::Vector3(kMaxWorldScale, -kMaxWorldScale, 1));
    ExpectNear(e->GetPosition(), {-kMaxWorldCoordinate, kMaxWorldCoordinate, 0});
    ExpectNear(e->GetScale(), {kMaxWorldScale, -kMaxWorldScale, 1});
    UpdateLikeAFrame(*scene);
}

TEST_F(EngineTest, AParentChangeThatWouldTakeAChildOutIsRefused) {
    CEditorEntity* parent = scene->AddMesh("p", "box", "", {5e5f, 0, 0});
    CEditorEntity* child = scene->AddMesh("c", "box", "p", {0, 0, 9e5f}, {0, 0, 0}, {1e5f, 1, 1});
    CEditorEntity* grandchild = scene->AddMesh("g", "box", "c", {0, 0, 0}, {0, 0, 0}, {1, 1, 50});
    ASSERT_TRUE(parent && child && grandchild);
    // Scale: the child's world scale would pass 1e6.
    parent->SetScale(Ogre::Vector3(20, 1, 1));
    parent->SetWorldScale(1, 1, 1e5f); // the grandchild: 50 * 1e5
    parent->PreTransform({0, 0, 1});
    parent->ScaleDelta({100, 100, 100});
    ExpectNear(parent->GetScale(), {1, 1, 1});
    parent->SetScale(Ogre::Vector3(10, 1, 1)); // 1e6 exactly: allowed
    ExpectNear(child->GetWorldScale(), {1e6f, 1, 1}, 1);
    parent->SetScale(Ogre::Vector3(1, 1, 1));
    // Position: the child would be carried past 1e6.
    parent->SetPosition(Ogre::Vector3(0, 0, 2e5f));
    parent->PreTransform({1, 0, 0});
    parent->MoveDelta({0, 0, 2e5f});
    ExpectNear(parent->GetPosition(), {5e5f, 0, 0});
    // Rotation: a quarter turn swings the child from z = 9e5 to x = 5e5 + 9e5.
    parent->SetOrientation(Ogre::Vector3(0, Ogre::Math::HALF_PI, 0));
    parent->PreTransform({0, 1, 0});
    parent->RotateDelta(Ogre::Vector3(0, Ogre::Math::HALF_PI, 0));
    ExpectNear(parent->GetOrientation(), {0, 0, 0});
    ExpectNear(child->GetWorldPosition(), {5e5f, 0, 9e5f}, 1);
    UpdateLikeAFrame(*scene);
    // A new child out of range is not made; one in range still is.
    EXPECT_EQ(scene->AddMesh("far", "box", "c", {0, 0, 0}, {0, 0, 0}, {100, 1, 1}), nullptr);
    EXPECT_EQ(
        scene->AddLight("lamp", Ogre::Light::LT_POINT, {0, 0, 1e6f}, Ogre::ColourValue::White, "c"),
        nullptr);
    EXPECT_NE(scene->AddMesh("near", "box", "c", {0, 0, 0}, {0, 0, 0}, {10, 1, 1}), nullptr);
    EXPECT_EQ(scene->GetEntityCount(), 4);
}

TEST_F(EngineTest, AFileWithAChildOutOfTheWorldRangeIsRefusedWithItsLine) {
    BuildDemoScene(*scene);
    const int count = scene->GetEntityCount();
    const std::string dir = testing::TempDir();
    // The editor's text format: the scene file is refused at the child's line.
    std::string error;
    EXPECT_FALSE(LoadSceneText("mesh p box - 3e38 0 0 0 0 0 1 1 1\n"
                               "mesh c box p 3e38 0 0 0 0 0 1 1 1\n",
                               "f", *scene, error));
    EXPECT_EQ(error.rfind("f:1: ", 0), 0u) << error;
    EXPECT_FALSE(LoadSceneText("mesh p box - 1e5 0 0 0 0 0 1e5 1 1\n"
                               "mesh c box p 20 0 0 0 0 0 1 1 1\n",
                               "f", *scene, error));
    EXPECT_EQ(error.rfind("f:2: ", 0), 0u) << error;
    UpdateLikeAFrame(*scene);

    // Ogre's scene format: the scene stays as it was.
    BuildDemoScene(*scene);
    const std::string path = dir + "engine_world_range.scene";
    std::ofstream(path) << "<scene><nodes>\n"
                           "<node name='p'><position x='3e38' y='0' z='0'/>\n"
                           "<scale x='3e38' y='1' z='1'/>\n"
                           "<node name='c'><position x='3e38' y='0' z='0'/>\n"
                           "<scale x='3e38' y='1' z='1'/><entity meshFile='gone.mesh'/></node>\n"
                           "</node></nodes></scene>\n";
    std::vector<std::string> warnings;
    EXPECT_FALSE(OpenDotScene(path, *scene, error, warnings));
    EXPECT_EQ(error.rfind(path + ":2: 'p'", 0), 0u) << error;
    EXPECT_EQ(scene->GetEntityCount(), count);
    UpdateLikeAFrame(*scene);
    // The parent alone in range, the child not.
    std::ofstream(path) << "<scene><nodes>\n"
                           "<node name='p'><scale x='1e4' y='1' z='1'/>\n"
                           "<node name='c'><position x='200' y='0' z='0'/>\n"
                           "<entity meshFile='gone.mesh'/></node>\n"
                           "</node></nodes></scene>\n";
    EXPECT_FALSE(OpenDotScene(path, *scene, error, warnings));
    EXPECT_EQ(error.rfind(path + ":3: 'c'", 0), 0u) << error;
    EXPECT_EQ(scene->GetEntityCount(), count);
    UpdateLikeAFrame(*scene);
    std::remove(path.c_str());
}
