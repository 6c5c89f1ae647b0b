// Names of entities: at most 255 bytes whichever way a name comes in (a scene file of either
// format, a rename, a copy, an import), shortened on a character's start where the editor makes
// the name; and a NUL written as a character reference is refused rather than cutting the name.
#include "DotScene.h"
#include "DotSceneText.h"
#include "EditCommands.h"
#include "EngineFixture.h"
#include "ModelImport.h"
#include "TextScene.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class NameLimitTest : public FolderEngineTest {
protected:
    // The body's first line is the file's second.
    bool OpenXml(const std::string& body) {
        path = Write("s.scene", "<scene><nodes>\n" + body + "\n</nodes></scene>\n");
        error.clear();
        return OpenDotScene(path, *scene, error, warnings);
    }
    static std::string Repeat(const std::string& piece, size_t times) {
        std::string out;
        for (size_t i = 0; i < times; ++i)
            out += piece;
        return out;
    }

    std::string path, error;
    std::vector<std::string> warnings;
};

TEST_F(NameLimitTest, SceneFilesWithLongerNamesAreRefusedOnTheirLine) {
    const std::string fits = Repeat("石", 85); // 255 bytes
    ASSERT_TRUE(OpenXml("<node name='" + fits + "'/>")) << error;
    EXPECT_NE(scene->GetEntity(fits), nullptr);

    const std::string longer = fits + "a";
    EXPECT_FALSE(OpenXml("<node name='x'/>\n<node name='" + longer + "'/>"));
    EXPECT_EQ(error, path + ":3: the name '" + PrintableSceneName(longer) +
                         "...' is longer than 255 bytes");
    EXPECT_NE(scene->GetEntity(fits), nullptr); // the scene as it was

    const std::string text =
        Write("t.scene", "mesh ok box - 0 0 0 0 0 0 1 1 1\nmesh " + std::string(256, 'n') +
                             " box - 0 0 0 0 0 0 1 1 1\n");
    EXPECT_FALSE(LoadSceneFile(text, *scene, error));
    EXPECT_EQ(error,
              text + ":2: the name '" + std::string(200, 'n') + "...' is longer than 255 bytes");
}

TEST_F(NameLimitTest, ANulCharacterReferenceIsRefusedNotCutAt) {
    EXPECT_FALSE(OpenXml("<node name='ok'/>\n<node name='ab&#0;cd'/>"));
    EXPECT_EQ(error, path + ":3: the name 'ab&#0;cd' is not valid UTF-8 or holds a control "
                            "character");
    EXPECT_FALSE(OpenXml("<node name='a&#x000;'/>"));
    EXPECT_EQ(error, path + ":2: the name 'a&#x000;' is not valid UTF-8 or holds a control "
                            "character");
    EXPECT_FALSE(OpenXml("<node name='a'><entity meshFile='box&#00;.mesh'/></node>"));
    EXPECT_EQ(error, path + ":2: the mesh file name 'box&#00;.mesh' is not valid UTF-8 or holds "
                            "a control character");
    // In a number it would cut the number short as silently.
    EXPECT_FALSE(OpenXml("<node name='a'><position x='1&#0;5' y='0' z='0'/></node>"));
    EXPECT_EQ(error, path + ":2: <position> attribute 'x' holds the control character NUL: "
                            "'1&#0;5'");
    // Anywhere else it is no reference (a comment), and references to other characters stay.
    ASSERT_TRUE(OpenXml("<!-- &#0; --><node name='b&#x41;&#048;'/>")) << error;
    EXPECT_NE(scene->GetEntity("bA0"), nullptr);
}

TEST_F(NameLimitTest, RenamesCopiesAndImportsStayWithinTheLimit) {
    BuildDemoScene(*scene);
    const std::string longest = Repeat("石", 85);
    EXPECT_EQ(RenameRefusal(*scene, "box_a", longest), "");
    EXPECT_EQ(RenameRefusal(*scene, "box_a", longest + "a"), "无法重命名：名称超过 255 字节");
    EXPECT_FALSE(scene->RenameEntity("box_a", longest + "a"));
    EXPECT_EQ(scene->AddMesh(std::string(256, 'm'), "box", "", Ogre::Vector3::ZERO), nullptr);
    EXPECT_EQ(scene->AddLight(std::string(256, 'l'), Ogre::Light::LT_POINT, Ogre::Vector3::ZERO,
                              Ogre::ColourValue::White),
              nullptr);

    // A copy of the longest name: shortened on a character's start to make room for "_1".
    ASSERT_TRUE(scene->RenameEntity("box_a", longest));
    const std::string copy = scene->CopyEntity(longest);
    EXPECT_EQ(copy, Repeat("石", 84) + "_1");

    // An imported node's name of any length: shortened likewise, and made unique within it.
    ModelPlan plan;
    plan.nodes.resize(3);
    plan.nodes[0].name = "root";
    plan.nodes[1].name = plan.nodes[2].name = Repeat("木", 1000);
    plan.nodes[1].parent = plan.nodes[2].parent = 0;
    std::vector<ImportedEntity> made;
    ASSERT_TRUE(BuildModelPlan(plan, "model", "m.gltf", *scene, made, warnings, error)) << error;
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[1].name, Repeat("木", 85));
    EXPECT_EQ(made[2].name, Repeat("木", 84) + "_1");
    EXPECT_NE(scene->GetEntity(made[2].name), nullptr);
}

} // namespace
