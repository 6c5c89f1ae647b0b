// Importing model files into the scene: hierarchy and transforms, meshes and materials, the
// one undo step, and saving an imported scene so that it opens without the model's files.
#include "EngineFixture.h"
#include "ModelFiles.h"
#include "OgreLoaderCheck.h"

#include "CEditorUndoManager.h"
#include "DotScene.h"
#include "HostFakes.h"
#include "Interface.h"
#include "ModelImport.h"

#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>

#include <cmath>
#include <cstdint>
#include <filesystem>

namespace fs = std::filesystem;
using namespace modelfiles;

namespace {

class CountingNotifier : public CQuietTools {
public:
    void notify(int code, int, void*) override { codes.push_back(code); }
    std::vector<int> codes;
};

class ImportTest : public FolderEngineTest {
protected:
    void SetUp() override { FolderEngineTest::SetUp(); }
    void TearDown() override {
        undo.clear();
        FolderEngineTest::TearDown();
    }
    bool Import(const std::string& path) {
        result = ModelImportResult();
        error.clear();
        return ImportModel(path, *scene, undo, notifier, result, error);
    }
    size_t VertexCount(const std::string& entity) const {
        CEditorEntity* e = scene->GetEntity(entity);
        if (!e || !e->GetOgreEntity())
            return 0;
        size_t n = 0;
        for (const Ogre::SubMesh* s : e->GetOgreEntity()->getMesh()->getSubMeshes())
            n += s->vertexData->vertexCount;
        return n;
    }

    CEditorUndoManager undo;
    CountingNotifier notifier;
    ModelImportResult result;
    std::string error;
};

// Two root nodes (so the file gets a root above them): a parent turned, moved and scaled, a
// child with the triangle under it, and a node without a mesh.
std::string HierarchyGltf() {
    const std::string nodes =
        "[{\"name\":\"arm\",\"translation\":[1,2,3],\"rotation\":[0,0.7071068,0,0.7071068],"
        "\"scale\":[2,2,2],\"children\":[1]},"
        "{\"name\":\"hand\",\"mesh\":0,\"translation\":[0,1,0]},"
        "{\"name\":\"marker\",\"translation\":[5,0,0]}]";
    return GltfText(nodes, "0,2", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}));
}

TEST_F(ImportTest, GltfNodesBecomeEntitiesUnderOneGroupWithTheirLocalTransforms) {
    const int before = scene->GetEntityCount();
    ASSERT_TRUE(Import(Write(folder / "robot.gltf", HierarchyGltf()))) << error;
    EXPECT_EQ(result.group, "robot");
    EXPECT_EQ(result.entities, 4);
    EXPECT_EQ(result.meshes, 1);
    EXPECT_EQ(scene->GetEntityCount(), before + 4);
    CEditorEntity* group = scene->GetEntity("robot");
    CEditorEntity* arm = scene->GetEntity("arm");
    CEditorEntity* hand = scene->GetEntity("hand");
    CEditorEntity* marker = scene->GetEntity("marker");
    ASSERT_TRUE(group && arm && hand && marker);
    EXPECT_TRUE(group->GetMeshName().empty());
    EXPECT_EQ(group->GetParentEntity(), nullptr);
    EXPECT_EQ(arm->GetParentEntity(), group);
    EXPECT_EQ(hand->GetParentEntity(), arm);
    EXPECT_EQ(marker->GetParentEntity(), group);
    EXPECT_TRUE(arm->GetMeshName().empty());
    EXPECT_FALSE(hand->GetMeshName().empty());
    ExpectNear(arm->GetPosition(), {1, 2, 3});
    ExpectNear(arm->GetScale(), {2, 2, 2});
    ExpectNear(arm->GetOrientation(), {0, Ogre::Math::HALF_PI, 0});
    ExpectNear(hand->GetPosition(), {0, 1, 0});
    // Through the parent: turned a quarter about Y and doubled, the hand sits 2 above the arm.
    ExpectNear(hand->GetWorldPosition(), {1, 4, 3});
    EXPECT_EQ(VertexCount("hand"), 3u);
    EXPECT_EQ(scene->getSelectedEntities(), std::set<std::string>{"robot"});
}

TEST_F(ImportTest, ImportIsOneUndoStepAndRedoBringsTheSameNamesBack) {
    scene->AddMesh("robot", "box", "", {0, 0, 0}); // the file's stem is taken
    scene->SetSelection({"robot"});
    const int before = scene->GetEntityCount();
    ASSERT_TRUE(Import(Write(folder / "robot.gltf", HierarchyGltf()))) << error;
    EXPECT_EQ(result.group, "robot_1");
    EXPECT_EQ(undo.undoCount(), 1);
    std::vector<std::string> names;
    for (SceneEntity* e = scene->beginEntity(); e; e = scene->nextEntity())
        names.push_back(e->GetName());

    notifier.codes.clear();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(scene->GetEntityCount(), before);
    EXPECT_EQ(scene->GetEntity("arm"), nullptr);
    EXPECT_EQ(scene->getSelectedEntities(), std::set<std::string>{"robot"});
    EXPECT_EQ(std::count(notifier.codes.begin(), notifier.codes.end(), int(NOTIFY_REMOVED)), 4);
    EXPECT_EQ(notifier.codes.back(), NOTIFY_SELECTION);

    ASSERT_TRUE(undo.redo());
    std::vector<std::string> again;
    for (SceneEntity* e = scene->beginEntity(); e; e = scene->nextEntity())
        again.push_back(e->GetName());
    EXPECT_EQ(again, names);
    EXPECT_EQ(scene->GetEntity("hand")->GetParentEntity()->GetName(), "arm");
    ExpectNear(scene->GetEntity("hand")->GetWorldPosition(), {1, 4, 3});
}

TEST_F(ImportTest, ObjWithMaterialLibraryGivesOneMeshWithASubMeshPerMaterial) {
    Write(folder / "two.mtl", "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\nmap_Kd gone.png\n");
    const std::string path =
        Write(folder / "two.obj", "mtllib two.mtl\no pair\n"
                                  "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 2 1 0\n"
                                  "usemtl red\nf 1 2 3\nusemtl blue\nf 2 4 3\nf 2 5 4\n");
    ASSERT_TRUE(Import(path)) << error;
    // The missing texture: the material without it, and a warning naming the file.
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].rfind(path + ": ", 0), 0u) << result.warnings[0];
    EXPECT_NE(result.warnings[0].find("gone.png"), std::string::npos);
    CEditorEntity* pair = scene->GetEntity("pair");
    ASSERT_TRUE(pair && pair->GetOgreEntity());
    const Ogre::MeshPtr mesh = pair->GetOgreEntity()->getMesh();
    ASSERT_EQ(mesh->getNumSubMeshes(), 2u);
    std::vector<Ogre::ColourValue> colours;
    for (const Ogre::SubMesh* s : mesh->getSubMeshes()) {
        const Ogre::MaterialPtr m =
            Ogre::MaterialManager::getSingleton().getByName(s->getMaterialName(), mesh->getGroup());
        ASSERT_TRUE(m) << s->getMaterialName();
        colours.push_back(m->getTechnique(0)->getPass(0)->getDiffuse());
        EXPECT_EQ(m->getTechnique(0)->getPass(0)->getNumTextureUnitStates(), 0u);
    }
    EXPECT_TRUE(std::count(colours.begin(), colours.end(), Ogre::ColourValue(1, 0, 0, 1)));
    EXPECT_TRUE(std::count(colours.begin(), colours.end(), Ogre::ColourValue(0, 0, 1, 1)));
    EXPECT_EQ(mesh->getSubMesh(0)->indexData->indexCount +
                  mesh->getSubMesh(1)->indexData->indexCount,
              9u);
}

TEST_F(ImportTest, ATextureNamedByAnotherMachinesPathIsTakenFromBesideTheModel) {
    Write(folder / "wood.png", TinyPng());
    Write(folder / "plank.mtl", "newmtl wood\nKd 1 1 1\nmap_Kd C:\\art\\maps\\wood.png\n");
    const std::string path = Write(folder / "plank.obj", "mtllib plank.mtl\nv 0 0 0\nv 1 0 0\n"
                                                         "v 0 1 0\nusemtl wood\nf 1 2 3\n");
    ModelPlan plan;
    ASSERT_TRUE(ReadModelFile(path, plan, error)) << error;
    EXPECT_TRUE(plan.warnings.empty()) << plan.warnings.front();
    bool found = false;
    for (const ModelPlanMaterial& m : plan.materials)
        found |= m.texture == TinyPng() && m.textureExt == "png";
    EXPECT_TRUE(found);
}

// A file whose up axis is Z comes in turned so that its up is the editor's +Y.
TEST_F(ImportTest, ColladaUpAxisZIsTurnedToY) {
    const std::string dae =
        "<?xml version=\"1.0\"?><COLLADA xmlns=\"http://www.collada.org/2005/11/"
        "COLLADASchema\" version=\"1.4.1\"><asset><up_axis>Z_UP</up_axis></asset>"
        "<library_geometries><geometry id=\"g\"><mesh><source id=\"p\"><float_array "
        "id=\"pa\" count=\"9\">0 0 0 1 0 0 0 1 0</float_array><technique_common><accessor "
        "source=\"#pa\" count=\"3\" stride=\"3\"><param name=\"X\" type=\"float\"/><param "
        "name=\"Y\" type=\"float\"/><param name=\"Z\" type=\"float\"/></accessor>"
        "</technique_common></source><vertices id=\"v\"><input semantic=\"POSITION\" "
        "source=\"#p\"/></vertices><triangles count=\"1\"><input semantic=\"VERTEX\" "
        "source=\"#v\" offset=\"0\"/><p>0 1 2</p></triangles></mesh></geometry>"
        "</library_geometries><library_visual_scenes><visual_scene id=\"s\"><node><translate>"
        "1 2 3</translate><instance_geometry url=\"#g\"/></node></visual_scene>"
        "</library_visual_scenes><scene><instance_visual_scene url=\"#s\"/></scene></COLLADA>";
    ASSERT_TRUE(Import(Write(folder / "zup.dae", dae))) << error;
    CEditorEntity* group = scene->GetEntity("zup");
    ASSERT_TRUE(group);
    ASSERT_EQ(group->GetChildren().size(), 1u);
    CEditorEntity* node = group->GetChildren().front();
    EXPECT_EQ(node->GetName(), "node");
    EXPECT_FALSE(node->GetMeshName().empty());
    ExpectNear(node->GetWorldPosition(), {1, 3, -2});
}

TEST_F(ImportTest, BinaryGltfReadsItsOwnBufferChunk) {
    const std::string buffer = TriangleBuffer({0, 0, 0, 3, 0, 0, 0, 3, 0});
    std::string json = GltfText("[{\"name\":\"solo\",\"mesh\":0}]", "0", buffer);
    // The buffer lives in the binary chunk: no URI.
    const std::string inlineUri =
        ",\"uri\":\"data:application/octet-stream;base64," + Base64(buffer) + "\"";
    json.replace(json.find(inlineUri), inlineUri.size(), "");
    ASSERT_TRUE(Import(Write(folder / "solo.glb", Glb(json, buffer)))) << error;
    CEditorEntity* group = scene->GetEntity("solo");
    ASSERT_TRUE(group);
    // The file's only node is its root: the group, with the mesh on a child of its name.
    EXPECT_TRUE(group->GetMeshName().empty());
    CEditorEntity* shown = scene->GetEntity("solo_1");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->GetParentEntity(), group);
    EXPECT_EQ(VertexCount("solo_1"), 3u);
    const Ogre::AxisAlignedBox box = shown->GetOgreEntity()->getMesh()->getBounds();
    ExpectNear(box.getMinimum(), {0, 0, 0});
    ExpectNear(box.getMaximum(), {3, 3, 0});
}

// PLY as exporters write it (comments, Windows line ends, binary data after the header)
// passes the header check the editor makes before the reader.
TEST_F(ImportTest, PlyTextAndBinaryComeIn) {
    const std::string header = "ply\r\nformat %s 1.0\r\ncomment exported\r\n"
                               "element vertex 3\r\nproperty float x\r\nproperty float y\r\n"
                               "property float z\r\nelement face 1\r\n"
                               "property list uchar int vertex_indices\r\nend_header\n";
    auto withFormat = [&](const std::string& format) {
        std::string h = header;
        return h.replace(h.find("%s"), 2, format);
    };
    ASSERT_TRUE(
        Import(Write(folder / "text.ply", withFormat("ascii") + "0 0 0\n2 0 0\n0 2 0\n3 0 1 2\n")))
        << error;
    std::string binary = withFormat("binary_little_endian");
    for (float v : {0.f, 0.f, 0.f, 4.f, 0.f, 0.f, 0.f, 4.f, 0.f})
        binary.append(reinterpret_cast<const char*>(&v), 4);
    binary += '\3';
    for (std::int32_t i : {0, 1, 2})
        binary.append(reinterpret_cast<const char*>(&i), 4);
    ASSERT_TRUE(Import(Write(folder / "binary.ply", binary))) << error;
    // The group of the file's name, with its one triangle on a child.
    for (const char* name : {"text", "binary"}) {
        CEditorEntity* group = scene->GetEntity(name);
        ASSERT_TRUE(group) << name;
        ASSERT_EQ(group->GetChildren().size(), 1u) << name;
        CEditorEntity* shown = group->GetChildren().front();
        ASSERT_FALSE(shown->GetMeshName().empty()) << name;
        const Ogre::MeshPtr mesh = shown->GetOgreEntity()->getMesh();
        EXPECT_EQ(mesh->getSubMesh(0)->indexData->indexCount, 3u);
        ExpectNear(mesh->getBounds().getMaximum(),
                   std::string(name) == "text" ? Ogre::Vector3(2, 2, 0) : Ogre::Vector3(4, 4, 0));
    }
}

TEST_F(ImportTest, ImportedSceneSavedOpensInAFreshEditorWithoutTheModelFiles) {
    const std::string nodes =
        "[{\"name\":\"arm\",\"translation\":[1,2,3],\"rotation\":[0.2,0.3,0.1,0.9273618],"
        "\"scale\":[1,2,3],\"children\":[1]},{\"name\":\"hand\",\"mesh\":0,"
        "\"translation\":[0.5,1,-2]}]";
    const std::string materials =
        "[{\"name\":\"paint\",\"pbrMetallicRoughness\":{\"baseColorFactor\":[0.25,0.5,0.75,1]}}]";
    fs::create_directories(folder / "source");
    const std::string path =
        Write(folder / "source" / "arm.gltf",
              GltfText(nodes, "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}), "", materials));
    ASSERT_TRUE(Import(path)) << error;
    struct Seen {
        std::string parent;
        Ogre::Vector3 position, orientation, scale;
        size_t vertices;
    };
    std::map<std::string, Seen> before;
    for (SceneEntity* s = scene->beginEntity(); s; s = scene->nextEntity()) {
        CEditorEntity* e = scene->GetEntity(s->GetName());
        before[e->GetName()] = {e->GetParentEntity() ? e->GetParentEntity()->GetName() : "",
                                e->GetPosition(), e->GetOrientation(), e->GetScale(),
                                VertexCount(e->GetName())};
    }
    fs::create_directories(folder / "saved");
    const std::string saved = (folder / "saved" / "scene.scene").string();
    std::string saveError;
    ASSERT_TRUE(SaveDotScene(saved, *scene, saveError)) << saveError;
    EXPECT_TRUE(fs::exists(folder / "saved" / "scene.material"));
    fs::remove_all(folder / "source");

    undo.clear();
    engine.reset();
    engine = std::make_unique<CEditorEngine>(false);
    scene = engine->GetScene();
    CreateDemoMeshes(*engine);
    scene->Clear();
    std::vector<std::string> warnings;
    std::string openError;
    ASSERT_TRUE(OpenDotScene(saved, *scene, openError, warnings)) << openError;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    std::map<std::string, Seen> after;
    for (SceneEntity* s = scene->beginEntity(); s; s = scene->nextEntity()) {
        CEditorEntity* e = scene->GetEntity(s->GetName());
        EXPECT_TRUE(e->GetMissingMesh().empty()) << e->GetName();
        after[e->GetName()] = {e->GetParentEntity() ? e->GetParentEntity()->GetName() : "",
                               e->GetPosition(), e->GetOrientation(), e->GetScale(),
                               VertexCount(e->GetName())};
    }
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [name, was] : before) {
        ASSERT_TRUE(after.count(name)) << name;
        const Seen& now = after[name];
        EXPECT_EQ(now.parent, was.parent) << name;
        ExpectNear(now.position, was.position, 1e-5f);
        ExpectNear(now.orientation, was.orientation, 1e-5f);
        ExpectNear(now.scale, was.scale, 1e-5f);
        EXPECT_EQ(now.vertices, was.vertices) << name;
    }
    const Ogre::MeshPtr mesh = scene->GetEntity("hand")->GetOgreEntity()->getMesh();
    const Ogre::MaterialPtr paint = Ogre::MaterialManager::getSingleton().getByName(
        mesh->getSubMesh(0)->getMaterialName(), mesh->getGroup());
    ASSERT_TRUE(paint);
    EXPECT_EQ(paint->getTechnique(0)->getPass(0)->getDiffuse(),
              Ogre::ColourValue(0.25f, 0.5f, 0.75f, 1));
    // Ogre's own loader reads the saved scene with the meshes written beside it.
    ExpectOgreLoaderAgrees(*engine, *scene, saved);
}

TEST_F(ImportTest, FilesOfOtherExportersComeInOrAreRefused) {
    // A converter's binary glTF: a Z-up root matrix above the textured cube.
    const std::string box = MODEL_DATA_DIR "/BoxTextured.glb";
    ASSERT_TRUE(Import(box)) << error;
    CEditorEntity* group = scene->GetEntity("BoxTextured");
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->GetMeshName().empty());
    ExpectNear(group->GetOrientation(), {-Ogre::Math::HALF_PI, 0, 0});
    ASSERT_EQ(group->GetChildren().size(), 1u);
    CEditorEntity* cube = group->GetChildren().front();
    EXPECT_EQ(VertexCount(cube->GetName()), 24u);
    EXPECT_EQ(cube->GetOgreEntity()->getMesh()->getSubMesh(0)->indexData->indexCount, 36u);
    ExpectNear(cube->GetOgreEntity()->getMesh()->getBounds().getMaximum(), {0.5f, 0.5f, 0.5f});

    const int count = scene->GetEntityCount();
    const std::string infinite = MODEL_DATA_DIR "/BoxWithInfinites.glb";
    EXPECT_FALSE(Import(infinite));
    EXPECT_EQ(error.rfind(infinite + ": ", 0), 0u) << error;
    EXPECT_EQ(scene->GetEntityCount(), count);
    EXPECT_EQ(undo.undoCount(), 1);
}

} // namespace
