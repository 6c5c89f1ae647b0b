// Exporting scenes as glTF: the Khronos validator finds no error in the demo scene, in an
// imported model saved and opened again, and in a scene of 5,000 entities; importing an export
// gives back the entity tree and world transforms; refusals write nothing and change nothing.
#include "EngineFixture.h"
#include "GltfValidator.h"
#include "ModelFiles.h"

#include "CEditorUndoManager.h"
#include "DotScene.h"
#include "GltfExport.h"
#include "HostFakes.h"
#include "ModelImport.h"

#include <OgreEntity.h>
#include <sys/stat.h>

#include <map>

namespace fs = std::filesystem;

namespace {

struct Placed {
    std::string parent;
    Ogre::Vector3 position;
    Ogre::Quaternion rotation;
    Ogre::Vector3 scale;
    bool light = false;
};

class GltfExportTest : public FolderEngineTest {
protected:
    void TearDown() override {
        undo.clear();
        FolderEngineTest::TearDown();
    }
    bool Export(const std::string& path) {
        result = GltfExportResult();
        error.clear();
        return ExportGltf(path, *scene, result, error);
    }
    void ExpectValid(const std::string& path) {
        const ValidatorReport report = ValidateGltf(path);
        ASSERT_TRUE(report.ran) << report.output;
        EXPECT_EQ(report.errors, 0) << path << "\n" << report.output;
    }
    // Every entity's parent and world transform, by name.
    std::map<std::string, Placed> Snapshot() const {
        std::map<std::string, Placed> out;
        for (SceneEntity* s = scene->beginEntity(); s; s = scene->nextEntity()) {
            const CEditorEntity* e = scene->GetEntity(s->GetName());
            out[e->GetName()] = {e->GetParentEntity() ? e->GetParentEntity()->GetName() : "",
                                 e->GetWorldPosition(), e->GetWorldRotation(), e->GetWorldScale(),
                                 e->IsLight()};
        }
        return out;
    }
    // Exports to `file`, imports it into an emptied scene and checks that every entity comes
    // back under the same parent (roots under the import's group) at the same world place.
    void ExpectRoundTrip(const std::string& file) {
        const std::map<std::string, Placed> before = Snapshot();
        ASSERT_TRUE(Export((folder / file).string())) << error;
        scene->Clear();
        ModelImportResult imported;
        ASSERT_TRUE(ImportModel((folder / file).string(), *scene, undo, tools, imported, error))
            << error;
        const std::map<std::string, Placed> after = Snapshot();
        // The entities, the ground's node and the import's group.
        EXPECT_EQ(after.size(), before.size() + 2);
        EXPECT_TRUE(after.count("ground"));
        for (const auto& [name, was] : before) {
            auto found = after.find(name);
            ASSERT_NE(found, after.end()) << name;
            const Placed& now = found->second;
            EXPECT_EQ(now.parent, was.parent.empty() ? imported.group : was.parent) << name;
            ExpectNear(now.position, was.position);
            ExpectNear(now.scale, was.scale);
            EXPECT_NEAR(std::abs(now.rotation.Dot(was.rotation)), 1.0, 1e-4) << name;
            EXPECT_EQ(now.light, was.light) << name;
        }
    }

    CEditorUndoManager undo;
    CQuietTools tools;
    GltfExportResult result;
    std::string error;
};

TEST_F(GltfExportTest, DemoSceneIsValidAsBinaryAndAsJsonWithItsBuffer) {
    BuildDemoScene(*scene);
    scene->SetEntityHidden("cone_a", true);
    ASSERT_TRUE(Export((folder / "demo.glb").string())) << error;
    // Seven entities and the ground; box, cone (hidden: not written), cylinder, rock, ground.
    EXPECT_EQ(result.nodes, 8);
    EXPECT_EQ(result.meshes, 4);
    EXPECT_TRUE(result.warnings.empty()) << result.warnings.front();
    ExpectValid((folder / "demo.glb").string());

    ASSERT_TRUE(Export((folder / "demo scene.gltf").string())) << error;
    EXPECT_TRUE(fs::exists(folder / "demo_20scene.bin"));
    ExpectValid((folder / "demo scene.gltf").string());
    const std::string json = Read(folder / "demo scene.gltf");
    EXPECT_NE(json.find("\"uri\":\"demo_20scene.bin\""), std::string::npos);
    EXPECT_NE(json.find("\"KHR_lights_punctual\":{\"lights\":[{\"name\":\"lamp_point\""),
              std::string::npos);
    EXPECT_NE(json.find("\"type\":\"spot\""), std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"cone_a\",\"translation\""), std::string::npos);
    EXPECT_NE(json.find("\"extras\":{\"hidden\":true}"), std::string::npos);
    EXPECT_NE(json.find("\"extras\":{\"ground\":true}"), std::string::npos);
    EXPECT_NE(json.find("\"COLOR_0\""), std::string::npos);
    // Nothing left beside the files but the files.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 3);
}

// A model imported and saved, opened again with its textures named by a material script in its
// folder (a headless engine decodes no image, so the import itself keeps none): the PNG is
// embedded, an image of another kind left out with a warning, and the file stays valid.
TEST_F(GltfExportTest, ImportedModelSavedAndOpenedAgainExportsWithItsTexture) {
    ModelImportResult imported;
    ASSERT_TRUE(
        ImportModel(MODEL_DATA_DIR "/BoxTextured.glb", *scene, undo, tools, imported, error))
        << error;
    const std::string saved = (folder / "boxes.scene").string();
    ASSERT_TRUE(SaveDotScene(saved, *scene, error)) << error;
    undo.clear();
    scene->Clear();
    Write("wood.png", modelfiles::TinyPng());
    Write("bark.tga", std::string(64, '\x01'));
    Write("paint.material",
          "material Paint/Wood\n{\n technique\n {\n  pass\n  {\n   diffuse 0.7 0.5 0.3 0.5\n"
          "   cull_hardware none\n   texture_unit\n   {\n    texture wood.png\n   }\n  }\n }\n}\n"
          "material Paint/Bark\n{\n technique\n {\n  pass\n  {\n   texture_unit\n   {\n"
          "    texture bark.tga\n   }\n  }\n }\n}\n");
    std::vector<std::string> warnings;
    ASSERT_TRUE(OpenDotScene(saved, *scene, error, warnings)) << error;
    CEditorEntity* box = nullptr;
    for (SceneEntity* s = scene->beginEntity(); s; s = scene->nextEntity())
        if (scene->GetEntity(s->GetName())->GetOgreEntity())
            box = scene->GetEntity(s->GetName());
    ASSERT_TRUE(box);
    box->GetOgreEntity()->setMaterialName("Paint/Wood");
    // A copy shows the same mesh with the other material: the mesh is written once a pair.
    const std::string twin = scene->CopyEntity(box->GetName());
    scene->GetEntity(twin)->GetOgreEntity()->setMaterialName("Paint/Bark");

    ASSERT_TRUE(Export((folder / "boxes.gltf").string())) << error;
    EXPECT_EQ(result.meshes, 2);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0],
              (folder / "boxes.gltf").string() +
                  ": texture 'bark.tga' is neither PNG nor JPEG and is left out");
    ExpectValid((folder / "boxes.gltf").string());
    const std::string json = Read(folder / "boxes.gltf");
    EXPECT_NE(json.find("\"TEXCOORD_0\""), std::string::npos);
    EXPECT_NE(json.find("\"NORMAL\""), std::string::npos);
    EXPECT_NE(json.find("\"baseColorFactor\":[0.7,0.5,0.3,0.5],\"baseColorTexture\":{\"index\":0}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"doubleSided\":true"), std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"wood.png\",\"bufferView\":"), std::string::npos);
    EXPECT_NE(Read(folder / "boxes.bin").find(modelfiles::TinyPng()), std::string::npos);
}

// A texture without coordinates to lay it on: the primitive takes the colour alone (a reader
// refuses a texture on a primitive without TEXCOORD_0).
TEST_F(GltfExportTest, ATexturedMaterialOnAMeshWithoutCoordinatesLosesOnlyItsTexture) {
    fs::copy_file(DOTSCENE_DATA_DIR "/crate.mesh", folder / "crate.mesh");
    Write("wood.png", modelfiles::TinyPng());
    Write("crate.material", "material Crate/Wood\n{\n technique\n {\n  pass\n  {\n"
                            "   diffuse 0.7 0.5 0.3\n   texture_unit\n   {\n"
                            "    texture wood.png\n   }\n  }\n }\n}\n");
    const std::string path = Write(
        "crates.scene", "<scene formatVersion=\"1.1\"><nodes><node name=\"crate\">"
                        "<entity name=\"crate\" meshFile=\"crate.mesh\"/></node></nodes></scene>");
    std::vector<std::string> warnings;
    ASSERT_TRUE(OpenDotScene(path, *scene, error, warnings)) << error;
    ASSERT_TRUE(Export((folder / "crates.glb").string())) << error;
    ExpectValid((folder / "crates.glb").string());
    const std::string glb = Read(folder / "crates.glb");
    EXPECT_EQ(glb.find("\"TEXCOORD_0\""), std::string::npos);
    EXPECT_EQ(glb.find("\"baseColorTexture\""), std::string::npos);
    EXPECT_EQ(glb.find("\"images\""), std::string::npos);
}

TEST_F(GltfExportTest, FiveThousandEntitiesAreValidAndComeBackInPlace) {
    scene->Clear();
    ASSERT_TRUE(scene->SetGround(40, 40, 1, 8));
    const char* meshes[] = {"box", "cone", "cylinder", "rock", ""};
    for (int i = 0; i < 5000; ++i) {
        // Chains of up to five under fifty roots' worth of groups, every transform different.
        const std::string parent = i % 5 == 0 ? "" : "e" + std::to_string(i - 1);
        const float f = float(i);
        ASSERT_TRUE(scene->AddMesh("e" + std::to_string(i), meshes[i % 5], parent,
                                   {std::sin(f) * 20, std::cos(f * 0.7f) * 3, f * 0.01f - 25},
                                   {std::sin(f * 1.3f), std::cos(f * 0.4f) * 2, f * 0.001f},
                                   Ogre::Vector3(0.8f + 0.1f * float(i % 4))))
            << i;
    }
    scene->AddLight("sun", Ogre::Light::LT_DIRECTIONAL, {0, 10, 0}, Ogre::ColourValue::White);
    ASSERT_TRUE(Export((folder / "big.glb").string())) << error;
    EXPECT_EQ(result.nodes, 5002);
    EXPECT_EQ(result.meshes, 5);
    ExpectValid((folder / "big.glb").string());
    ExpectRoundTrip("big again.gltf");
}

TEST_F(GltfExportTest, DemoSceneComesBackWithItsNamesTreeAndWorldTransforms) {
    BuildDemoScene(*scene);
    scene->SetEntityHidden("box_b", true);
    // A name with JSON's own characters in it comes back as it was.
    ASSERT_TRUE(scene->RenameEntity("box_a", "box \"a\" \\ 石"));
    ExpectRoundTrip("demo.glb");
}

// A mesh file of shared and own vertex data, 16- and 32-bit indices and a part of lines: the
// triangles are written, the lines left out with a warning.
TEST_F(GltfExportTest, MeshPartsOfEveryLayoutAreReadAndLinesLeftOut) {
    fs::copy_file(DOTSCENE_DATA_DIR "/parts.mesh", folder / "parts.mesh");
    const std::string path = Write(
        "parts.scene", "<scene formatVersion=\"1.1\"><nodes><node name=\"parts\">"
                       "<entity name=\"parts\" meshFile=\"parts.mesh\"/></node></nodes></scene>");
    std::vector<std::string> warnings;
    ASSERT_TRUE(OpenDotScene(path, *scene, error, warnings)) << error;
    ASSERT_TRUE(Export((folder / "parts.gltf").string())) << error;
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0],
              (folder / "parts.gltf").string() +
                  ": mesh 'parts.mesh': part 2 is not a readable triangle mesh and is left out");
    ExpectValid((folder / "parts.gltf").string());
    const std::string json = Read(folder / "parts.gltf");
    size_t primitives = 0;
    for (size_t at = json.find("\"POSITION\""); at != std::string::npos;
         at = json.find("\"POSITION\"", at + 1))
        ++primitives;
    EXPECT_EQ(primitives, 2u);
    EXPECT_NE(json.find("\"TEXCOORD_0\""), std::string::npos);
}

TEST_F(GltfExportTest, AnEmptySceneIsAValidFileWithoutNodes) {
    scene->Clear();
    ASSERT_TRUE(Export((folder / "empty.gltf").string())) << error;
    EXPECT_EQ(result.nodes, 0);
    EXPECT_FALSE(fs::exists(folder / "empty.bin")); // no buffer, no buffer file
    ExpectValid((folder / "empty.gltf").string());
}

TEST_F(GltfExportTest, RefusalsWriteNothingAndLeaveTheSceneAsItWas) {
    BuildDemoScene(*scene);
    const std::string existing = Write("kept.glb", "old bytes");
    Write("file.txt", "a file");
    const int entities = scene->GetEntityCount();
    const struct {
        std::string path, message;
    } refusals[] = {
        {(folder / "scene.obj").string(), ": the file name must end in .glb or .gltf"},
        {(folder / "scene").string(), ": the file name must end in .glb or .gltf"},
        {(folder / "missing" / "x.glb").string(), "No such file or directory"},
        {(folder / "file.txt" / "x.gltf").string(), "Not a directory"},
        {(folder / "sub.glb").string(), ": is a folder"},
    };
    fs::create_directories(folder / "sub.glb");
    for (const auto& r : refusals) {
        EXPECT_FALSE(Export(r.path)) << r.path;
        EXPECT_EQ(error.rfind(r.path, 0), 0u) << error;
        EXPECT_NE(error.find(r.message), std::string::npos) << error;
    }
    // A read-only file is never replaced, not even by root.
    ASSERT_EQ(::chmod(existing.c_str(), 0444), 0);
    EXPECT_FALSE(Export(existing));
    EXPECT_NE(error.find("the file is read-only"), std::string::npos) << error;
    EXPECT_EQ(Read(existing), "old bytes");
    // An unwritable folder: nothing is made in it (root writes anywhere: then only checked
    // that the export works).
    ASSERT_EQ(::chmod(existing.c_str(), 0644), 0);
    fs::create_directories(folder / "locked");
    ASSERT_EQ(::chmod((folder / "locked").c_str(), 0555), 0);
    const bool written = Export((folder / "locked" / "x.glb").string());
    EXPECT_EQ(written, ::geteuid() == 0) << error;
    ::chmod((folder / "locked").c_str(), 0755);
    EXPECT_EQ(scene->GetEntityCount(), entities);
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files += entry.is_regular_file();
    EXPECT_EQ(files, written ? 3 : 2);
    // Over a symbolic link the file it leads to is written, the link kept.
    fs::create_symlink("kept.glb", folder / "link.glb");
    ASSERT_TRUE(Export((folder / "link.glb").string())) << error;
    EXPECT_TRUE(fs::is_symlink(folder / "link.glb"));
    EXPECT_EQ(Read(existing).substr(0, 4), "glTF");
    fs::create_symlink("kept.glb", folder / "link.gltf");
    ASSERT_TRUE(Export((folder / "link.gltf").string())) << error;
    EXPECT_TRUE(fs::is_symlink(folder / "link.gltf"));
    EXPECT_EQ(Read(existing).substr(0, 1), "{");
    EXPECT_TRUE(fs::exists(folder / "link.bin"));
    Write("old bytes.glb", "old bytes");
    // A good export over the existing file replaces it.
    ASSERT_TRUE(Export((folder / "old bytes.glb").string())) << error;
    EXPECT_EQ(Read(folder / "old bytes.glb").substr(0, 4), "glTF");
}

} // namespace
