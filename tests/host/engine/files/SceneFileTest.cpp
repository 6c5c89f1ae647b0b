// The scene file loader: a good file, and every kind of bad one.
#include "EngineFixture.h"
#include "TextScene.h"

#include <cstdio>
#include <fstream>

TEST_F(EngineTest, SceneFileBuildsTheDescribedScene) {
    const std::string text = "# a small scene\n"
                             "ground 40 40 1.5 16\n"
                             "\n"
                             "mesh base box - 1 2 3 0 90 0 2 2 2\n"
                             "  mesh top cone base 0 2 0 0 0 0 1 1 1\n"
                             "light lamp spot 0 8 0 1 0.5 0.25 -90 0 0\n"
                             "state top 0x80000\n"
                             "lock base\n";
    std::string error;
    ASSERT_TRUE(LoadSceneText(text, "small.scene", *scene, error)) << error;
    EXPECT_EQ(scene->GetEntityCount(), 3);
    ASSERT_NE(scene->GetGround(), nullptr);
    CEditorEntity* top = scene->GetEntity("top");
    ASSERT_TRUE(top);
    EXPECT_EQ(top->GetParentEntity(), scene->GetEntity("base"));
    ExpectNear(top->GetWorldPosition(), {1, 6, 3});
    ExpectNear(scene->GetEntity("base")->GetOrientation(), {0, Ogre::Math::HALF_PI, 0});
    EXPECT_EQ(top->GetState(), 0x80000u);
    EXPECT_EQ(scene->GetEntity("base")->EnabledTrnaform(), 0);
    EXPECT_EQ(scene->GetEntity("lamp")->GetOgreLight()->getType(), Ogre::Light::LT_SPOTLIGHT);

    // Through a real file too.
    const std::string path = testing::TempDir() + "engine_scene_ok.scene";
    std::ofstream(path) << text;
    EXPECT_TRUE(LoadSceneFile(path, *scene, error)) << error;
    EXPECT_EQ(scene->GetEntityCount(), 3);
    std::remove(path.c_str());
}

TEST_F(EngineTest, BadSceneFilesAreReportedWithTheirLineAndLeaveNoScene) {
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"mesh a box - 0 0 0 0 0 0 1 1 1\nmesh b box - 0 zero 0 0 0 0 1 1 1\n", "f:2: expected"},
        {"mesh a box - 0 0 0 0 0 0 1 1\n", "f:1: expected"},
        {"mesh a box - 0 0 0 0 0 0 1 1 nan\n", "f:1: expected"},
        {"mesh a box - 0 0 0 0 0 0 1 0 1\n", "f:1: cannot create"},
        {"mesh a nosuch - 0 0 0 0 0 0 1 1 1\n", "f:1: cannot create"},
        {"mesh a box b 0 0 0 0 0 0 1 1 1\n", "f:1: unknown parent 'b'"},
        {"mesh a box - 0 0 0 0 0 0 1 1 1\nmesh a box - 0 0 0 0 0 0 1 1 1\n", "f:2: duplicate"},
        {"light l sun 0 0 0 1 1 1\n", "f:1: light type"},
        {"ground 10 -5 1\n", "f:1: bad ground"},
        {"ground 10 10 1 2.5\n", "f:1: bad ground"},
        // Counts beyond an int (converting them is undefined; the sanitizers stop there).
        {"ground 10 10 1 1e10\n", "f:1: bad ground"},
        {"ground 10 10 1 -3e9\n", "f:1: bad ground"},
        {"state nobody 0x80\n", "f:1: unknown entity"},
        {"mesh a box - 0 0 0 0 0 0 1 1 1\nstate a -1\n", "f:2: bad state"},
        {"teleport a\n", "f:1: unknown statement 'teleport'"},
        {std::string("ground 10 10 1\n\x01\x02\0\x03", 19), "f:2: not a text"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(LoadSceneText(c.text, "f", *scene, error)) << c.text;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << error;
        EXPECT_EQ(scene->GetEntityCount(), 0) << c.text;
    }
    std::string error;
    EXPECT_FALSE(LoadSceneFile("/nonexistent/dir/x.scene", *scene, error));
    EXPECT_EQ(error, "/nonexistent/dir/x.scene: cannot open the scene file");
    EXPECT_FALSE(LoadSceneFile("/", *scene, error)); // a directory
    EXPECT_FALSE(error.empty());
}
