// A scene made outside the editor (its mesh converted by OgreXMLConverter from crate.mesh.xml)
// opens with every node where the file puts it, and Ogre's own scene loader places the file
// and the editor's saved copy of it the same way.
#include "DotScene.h"
#include "EngineFixture.h"
#include "OgreLoaderCheck.h"

#include <OgreEntity.h>
#include <OgreMesh.h>
#include <OgreSubEntity.h>

#include <filesystem>

TEST_F(EngineTest, ConvertedMeshSceneOpensWhereItsFilePutsItAndOgresLoaderAgrees) {
    const std::string path = DOTSCENE_DATA_DIR "/crates.scene";
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(OpenDotScene(path, *scene, error, warnings)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    ASSERT_EQ(scene->GetEntityCount(), 5);
    // The stack turns its children 90 degrees about Y and doubles them.
    ExpectNear(scene->GetEntity("crate_1")->GetWorldPosition(), {2, 0.6f, -3}, 1e-5f);
    ExpectNear(scene->GetEntity("crate_2")->GetWorldPosition(), {2, 1.8f, -3.2f}, 1e-5f);
    ExpectNear(scene->GetEntity("crate_2")->GetWorldOrientation(),
               {0, Ogre::Math::DegreesToRadians(120), 0}, 1e-5f);
    ExpectNear(scene->GetEntity("tipped")->GetOrientation(), {Ogre::Math::HALF_PI, 0, 0}, 1e-5f);
    Ogre::Entity* crate = scene->GetEntity("tipped")->GetOgreEntity();
    ASSERT_TRUE(crate);
    ExpectNear(crate->getMesh()->getBounds().getMaximum(), {0.5f, 0.3f, 0.4f});
    EXPECT_EQ(crate->getSubEntity(0)->getMaterialName(), "Crate/Wood");
    ExpectOgreLoaderAgrees(*engine, *scene, path);

    const std::string saved = testing::TempDir() + "dotscene_crates_saved.scene";
    ASSERT_TRUE(SaveDotScene(saved, *scene, error)) << error;
    ExpectOgreLoaderAgrees(*engine, *scene, saved);
    std::filesystem::remove(saved);
}
