// Scene files whose entities name hostile mesh files: each such entity opens as the box
// placeholder with a warning on its line, the good mesh beside them loads, and the engine
// lives on (before the check, these files ended the process or took gigabytes).
#include "DotScene.h"
#include "EngineFixture.h"
#include "MeshBytes.h"

#include <OgreEntity.h>
#include <OgreMesh.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class MeshSceneTest : public FolderEngineTest {
protected:
};

TEST_F(MeshSceneTest, HostileMeshesOpenAsBoxesWithAWarningOnTheirLine) {
    const std::string crate = ReadMeshData("crate.mesh");
    const std::size_t indexCount = crate.find("Crate/Wood\n") + 12;
    const std::size_t vertices = FindChunk(crate, 0x5210) + 6;
    const std::size_t bounds = FindChunk(crate, 0x9000) + 6;
    Write("crate.mesh", crate);
    Write("crate.material", ReadMeshData("crate.material"));
    std::string huge = crate;
    PutU32(huge, indexCount, 0x7FC00000u);
    Write("huge.mesh", huge);
    std::string far = crate;
    PutF32(far, vertices + 4, -3e38f);
    Write("far.mesh", far);
    Write("cut.mesh", crate.substr(0, bounds + 10));
    std::string named = crate;
    named.insert(indexCount - 12, std::string(10u * 1000 * 1000, 'n'));
    PutU32(named, 0x1C, GetU32(named, 0x1C) + 10u * 1000 * 1000);
    PutU32(named, 0x23, GetU32(named, 0x23) + 10u * 1000 * 1000);
    Write("named.mesh", named);
    ASSERT_EQ(mkfifo((folder / "pipe.mesh").c_str(), 0600), 0);

    const std::string path =
        Write("hostile.scene", "<scene><nodes>\n"
                               "<node name='huge'><entity meshFile='huge.mesh'/></node>\n"
                               "<node name='far'><entity meshFile='far.mesh'/></node>\n"
                               "<node name='cut'><entity meshFile='cut.mesh'/></node>\n"
                               "<node name='named'><entity meshFile='named.mesh'/></node>\n"
                               "<node name='pipe'><entity meshFile='pipe.mesh'/></node>\n"
                               "<node name='good'><position x='1' y='2' z='3'/>\n"
                               "  <entity meshFile='crate.mesh'/></node>\n"
                               "</nodes></scene>\n");
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(OpenDotScene(path, *scene, error, warnings)) << error;
    const std::vector<std::string> expected = {
        path + ":2: mesh 'huge.mesh' cannot be loaded: at byte 51: index count 2143289344 is "
               "more than the submesh holds; 'huge' is shown as a box",
        path + ":3: mesh 'far.mesh' cannot be loaded: at byte " + std::to_string(vertices + 4) +
            ": vertex position is outside +-1e+06; 'far' is shown as a box",
        path + ":4: mesh 'cut.mesh' cannot be loaded: at byte 28: chunk length 790 runs past "
               "the end of its parent (766 bytes left); 'cut' is shown as a box",
        path + ":5: mesh 'named.mesh' cannot be loaded: at byte 39: material name is longer "
               "than 1024 bytes; 'named' is shown as a box",
        path + ":6: mesh 'pipe.mesh' cannot be loaded: not a regular file; 'pipe' is shown as "
               "a box",
    };
    ASSERT_EQ(warnings.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(warnings[i], expected[i]);
    for (const char* name : {"huge", "far", "cut", "named", "pipe"}) {
        CEditorEntity* entity = scene->GetEntity(name);
        ASSERT_TRUE(entity && entity->GetOgreEntity()) << name;
        EXPECT_EQ(entity->GetMissingMesh(), std::string(name) + ".mesh");
    }
    CEditorEntity* good = scene->GetEntity("good");
    ASSERT_TRUE(good && good->GetOgreEntity());
    EXPECT_EQ(good->GetOgreEntity()->getMesh()->getName(), "crate.mesh");
    EXPECT_TRUE(good->GetMissingMesh().empty());
    ExpectNear(good->GetWorldPosition(), {1, 2, 3});
}

} // namespace
