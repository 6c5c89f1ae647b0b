// Opening and saving scene files on a headless engine: a mesh written with Ogre's serializer
// and loaded back through a scene file, every attribute, placeholders, the scene kept on
// failure, and saving through a temporary file.
#include "DotScene.h"
#include "EditorMeshes.h"
#include "CTerrain.h"
#include "EngineFixture.h"

#include <OgreDataStream.h>
#include <OgreDotSceneLoader.h>
#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgreSubEntity.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSubMesh.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class DotSceneTest : public FolderEngineTest {
protected:
    // A 1 x 2 x 4 box mesh written as `file` with material "TestCrate", and the material
    // script beside it.
    void WriteCrateMesh(const std::string& file) {
        ASSERT_TRUE(BuildManualMesh("dotscene_source", MakeBoxData({0.5f, 1.0f, 2.0f}, 0xFF808080u),
                                    "Editor/Mesh"));
        Ogre::MeshPtr source = Ogre::MeshManager::getSingleton().getByName("dotscene_source");
        // A sub-mesh keeps only the name of a material that exists: make one for the export
        // and drop it, so that the scene's material script has to supply it.
        Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
        materials.create("TestCrate", Ogre::RGN_DEFAULT);
        source->getSubMesh(0)->setMaterialName("TestCrate");
        Ogre::MeshSerializer().exportMesh(source.get(), (folder / file).string());
        source->getSubMesh(0)->setMaterialName("Editor/Mesh");
        source.reset();
        materials.remove("TestCrate", Ogre::RGN_DEFAULT);
        Write("crate.material",
              "material TestCrate\n{\n technique\n {\n  pass\n  {\n   diffuse 0.2 0.4 0.6\n"
              "  }\n }\n}\n");
    }
    bool Open(const std::string& path) {
        error.clear();
        warnings.clear();
        return OpenDotScene(path, *scene, error, warnings);
    }

    std::string error;
    std::vector<std::string> warnings;
};

const char* const kFullScene = R"(<?xml version="1.0" encoding="UTF-8"?>
<scene formatVersion="1.1">
    <nodes>
        <node name="base">
            <position x="1" y="2" z="3"/>
            <rotation qw="0.7071068" qx="0" qy="0.7071068" qz="0"/>
            <scale x="2" y="2" z="2"/>
            <entity name="base" meshFile="crate.mesh"/>
            <userData>
                <property type="int" name="state" data="524416"/>
                <property type="bool" name="locked" data="true"/>
            </userData>
            <node name="group">
                <position x="0" y="1" z="0"/>
                <node name="石块">
                    <position x="0.5" y="0" z="0"/>
                    <rotation qw="0.9238795" qx="0.3826834" qy="0" qz="0"/>
                    <scale x="1" y="0.5" z="3"/>
                    <entity meshFile="crate.mesh"/>
                </node>
            </node>
            <node name="lamp">
                <position x="0" y="4" z="0"/>
                <rotation qw="0.7071068" qx="-0.7071068" qy="0" qz="0"/>
                <light name="lamp" type="spot" powerScale="2.5">
                    <colourDiffuse r="1" g="0.5" b="0.25"/>
                    <colourSpecular r="0.1" g="0.2" b="0.3"/>
                    <lightAttenuation range="80" constant="0.5" linear="0.01" quadratic="0.002"/>
                    <lightRange inner="0.3" outer="0.6" falloff="0.8"/>
                </light>
            </node>
        </node>
        <node name="sun">
            <light type="directional"><colourDiffuse r="0.9" g="0.9" b="0.8"/></light>
        </node>
    </nodes>
</scene>
)";

// Two descriptions of a scene agree: structure, files, lights and bits exactly, transforms to
// 1e-5 (rotations compared as rotations).
void ExpectSameScene(const DotSceneDocument& a, const DotSceneDocument& b) {
    ASSERT_EQ(a.nodes.size(), b.nodes.size());
    for (size_t i = 0; i < a.nodes.size(); ++i) {
        const DotSceneNode& x = a.nodes[i];
        const DotSceneNode& y = b.nodes[i];
        SCOPED_TRACE(x.name);
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.parent, y.parent);
        ExpectNear(x.position, y.position, 1e-5f);
        ExpectNear(x.scale, y.scale, 1e-5f);
        EXPECT_NEAR(std::fabs(x.rotation.Dot(y.rotation)), 1.0f, 1e-5f);
        EXPECT_EQ(x.kind, y.kind);
        EXPECT_EQ(x.meshFile, y.meshFile);
        EXPECT_EQ(x.state, y.state);
        EXPECT_EQ(x.locked, y.locked);
        const DotSceneLight& l = x.light;
        const DotSceneLight& m = y.light;
        if (x.kind == DotSceneNode::LIGHT) {
            EXPECT_EQ(l.type, m.type);
            EXPECT_EQ(l.diffuse, m.diffuse);
            EXPECT_EQ(l.specular, m.specular);
            EXPECT_EQ(l.powerScale, m.powerScale);
            EXPECT_EQ(l.range, m.range);
            EXPECT_EQ(l.constant, m.constant);
            EXPECT_EQ(l.linear, m.linear);
            EXPECT_EQ(l.quadratic, m.quadratic);
            EXPECT_EQ(l.inner, m.inner);
            EXPECT_EQ(l.outer, m.outer);
            EXPECT_EQ(l.falloff, m.falloff);
        }
    }
}

} // namespace

TEST_F(DotSceneTest, SerializedMeshLoadsThroughASceneFileWithEveryAttribute) {
    WriteCrateMesh("crate.mesh");
    const std::string path = Write("full.scene", kFullScene);
    EXPECT_TRUE(IsDotSceneFile(path));
    ASSERT_TRUE(Open(path)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    ASSERT_EQ(scene->GetEntityCount(), 5);

    CEditorEntity* base = scene->GetEntity("base");
    ASSERT_TRUE(base);
    EXPECT_EQ(base->GetMeshName(), "crate.mesh");
    EXPECT_EQ(base->GetParentEntity(), nullptr);
    ExpectNear(base->GetPosition(), {1, 2, 3});
    ExpectNear(base->GetOrientation(), {0, Ogre::Math::HALF_PI, 0});
    ExpectNear(base->GetScale(), {2, 2, 2});
    EXPECT_EQ(base->GetState(), 0x80080u);
    EXPECT_EQ(base->EnabledTrnaform(), 0);
    // The mesh as serialized, with its material from the script beside it.
    Ogre::Entity* shown = base->GetOgreEntity();
    ASSERT_TRUE(shown);
    ExpectNear(shown->getMesh()->getBounds().getMaximum(), {0.5f, 1.0f, 2.0f});
    EXPECT_EQ(shown->getSubEntity(0)->getMaterialName(), "TestCrate");
    EXPECT_TRUE(
        Ogre::MaterialManager::getSingleton().getByName("TestCrate", scene->GetMeshGroup()));

    CEditorEntity* group = scene->GetEntity("group");
    ASSERT_TRUE(group);
    EXPECT_EQ(group->GetParentEntity(), base);
    EXPECT_EQ(group->GetMeshName(), "");
    EXPECT_EQ(group->GetOgreEntity(), nullptr);

    CEditorEntity* stone = scene->GetEntity("石块");
    ASSERT_TRUE(stone);
    EXPECT_EQ(stone->GetParentEntity(), group);
    ExpectNear(stone->GetOrientation(), {Ogre::Math::PI / 4, 0, 0});
    ExpectNear(stone->GetScale(), {1, 0.5f, 3});
    // World: base turns the group's offset (0, 1, 0) and the stone's (0.5, 0, 0) by 90
    // degrees about Y and doubles them: (0, 2, 0) + (0, 0, -1) + (1, 2, 3).
    ExpectNear(stone->GetWorldPosition(), {1, 4, 2});

    CEditorEntity* lamp = scene->GetEntity("lamp");
    ASSERT_TRUE(lamp && lamp->IsLight());
    Ogre::Light* light = lamp->GetOgreLight();
    EXPECT_EQ(light->getType(), Ogre::Light::LT_SPOTLIGHT);
    EXPECT_EQ(light->getDiffuseColour(), Ogre::ColourValue(1, 0.5f, 0.25f));
    EXPECT_EQ(light->getSpecularColour(), Ogre::ColourValue(0.1f, 0.2f, 0.3f));
    EXPECT_FLOAT_EQ(light->getPowerScale(), 2.5f);
    EXPECT_FLOAT_EQ(light->getAttenuationRange(), 80);
    EXPECT_FLOAT_EQ(light->getAttenuationConstant(), 0.5f);
    EXPECT_FLOAT_EQ(light->getAttenuationLinear(), 0.01f);
    EXPECT_FLOAT_EQ(light->getAttenuationQuadric(), 0.002f);
    EXPECT_FLOAT_EQ(light->getSpotlightInnerAngle().valueRadians(), 0.3f);
    EXPECT_FLOAT_EQ(light->getSpotlightOuterAngle().valueRadians(), 0.6f);
    EXPECT_FLOAT_EQ(light->getSpotlightFalloff(), 0.8f);
    ExpectNear(lamp->GetOrientation(), {-Ogre::Math::HALF_PI, 0, 0});
    EXPECT_EQ(scene->GetEntity("sun")->GetOgreLight()->getType(), Ogre::Light::LT_DIRECTIONAL);

    // Saved and opened again: the same scene; and the saved text is stable.
    const DotSceneDocument before = DescribeScene(*scene);
    const std::string saved = (folder / "saved.scene").string();
    ASSERT_TRUE(SaveDotScene(saved, *scene, error)) << error;
    const std::string first = Read(saved);
    ASSERT_TRUE(Open(saved)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    ExpectSameScene(before, DescribeScene(*scene));
    EXPECT_EQ(scene->GetEntity("base")->GetMeshName(), "crate.mesh");
    ASSERT_TRUE(SaveDotScene(saved, *scene, error)) << error;
    EXPECT_EQ(Read(saved), first);
}

TEST_F(DotSceneTest, EditedDemoSceneRoundTrips) {
    BuildDemoScene(*scene);
    CEditorEntity* box = scene->GetEntity("box_b");
    box->SetOrientation({0.3f, -2.0f, 1.1f});
    box->SetScale({0.25f, 3.0f, 1.5f});
    box->AddState(0x200000u | 0x80000000u);
    scene->GetEntity("lamp_point")->GetOgreLight()->setPowerScale(3.5f);
    scene->GetEntity("lamp_point")->GetOgreLight()->setAttenuation(42, 0.9f, 0.05f, 0.003f);
    ASSERT_EQ(scene->CopyEntity("box_a"), "box_a_1");
    const DotSceneDocument before = DescribeScene(*scene);
    const std::string path = (folder / "demo.scene").string();
    ASSERT_TRUE(SaveDotScene(path, *scene, error)) << error;
    ASSERT_TRUE(Open(path)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    ExpectSameScene(before, DescribeScene(*scene));
    // No temporary file is left beside the saved ones (the scene and its ground's mesh).
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"demo.scene", "demo.ground.mesh"}));
}

// What the ground looks like from outside: heights on a grid reaching past its edges, and the
// distance of a ray query for the ground (flags 6) straight down.
static std::vector<float> GroundProbe(CEditorScene& scene) {
    std::vector<float> out;
    for (float x = -34.0f; x <= 34.0f; x += 1.7f)
        for (float z = -34.0f; z <= 34.0f; z += 2.3f) {
            out.push_back(scene.TerrainHeightAt(x, z));
            RayQuery query{};
            query.origin = Ogre::Vector3(x, 500.0f, z);
            query.direction = Ogre::Vector3::NEGATIVE_UNIT_Y;
            query.length = 1000.0f;
            query.distance = -1.0f;
            query.flags = RAY_QUERY_GROUND;
            out.push_back(scene.rayQuery(&query) ? query.distance : -1.0f);
        }
    return out;
}

static std::vector<std::string> EntityNames(CEditorScene& scene) {
    std::vector<std::string> names;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        names.push_back(e->GetName());
    return names;
}

TEST_F(DotSceneTest, TheGroundSurvivesSaveAndOpenAndOgresLoaderShowsIt) {
    BuildDemoScene(*scene);
    // An entity may be called "ground": the ground's node takes another name.
    ASSERT_TRUE(scene->AddMesh("ground", "box", "", {1, 2, 3}));
    const std::vector<std::string> names = EntityNames(*scene);
    const std::vector<float> probe = GroundProbe(*scene);
    ASSERT_GT(std::count_if(probe.begin(), probe.end(), [](float v) { return v > 0.5f; }), 10);
    const DotSceneDocument before = DescribeScene(*scene);

    const std::string path = (folder / "hills.scene").string();
    ASSERT_TRUE(SaveDotScene(path, *scene, error)) << error;
    ASSERT_TRUE(SaveDotScene(path, *scene, error)) << error; // again over both files
    ASSERT_TRUE(fs::is_regular_file(folder / "hills.ground.mesh"));
    scene->Clear();
    ASSERT_TRUE(Open(path)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    ASSERT_NE(scene->GetGround(), nullptr);
    EXPECT_EQ(EntityNames(*scene), names);
    EXPECT_EQ(GroundProbe(*scene), probe);
    EXPECT_EQ(scene->GetGround()->GetHeights(), before.ground.heights);
    ExpectSameScene(before, DescribeScene(*scene));

    // Saved as another file in another folder: its own mesh goes with it.
    fs::create_directories(folder / "copy");
    const std::string other = (folder / "copy" / "moved.scene").string();
    ASSERT_TRUE(SaveDotScene(other, *scene, error)) << error;
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder / "copy"))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"moved.scene", "moved.ground.mesh"}));
    fs::remove(path);
    fs::remove(folder / "hills.ground.mesh");
    ASSERT_TRUE(Open(other)) << error;
    EXPECT_EQ(EntityNames(*scene), names);
    EXPECT_EQ(GroundProbe(*scene), probe);

    // Ogre's own scene loader shows the ground: the mesh beside the file, every grid point.
    Ogre::SceneManager* ogre = engine->GetRoot()->createSceneManager();
    std::string text = Read(other);
    Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(&text[0], text.size(), false, true));
    Ogre::DotSceneLoader().load(stream, scene->GetMeshGroup(), ogre->getRootSceneNode());
    ASSERT_TRUE(ogre->hasEntity("ground_1"));
    const std::vector<Ogre::Vector3> points =
        ReadMeshPositions(*ogre->getEntity("ground_1")->getMesh());
    const CTerrain& ground = *scene->GetGround();
    ASSERT_EQ(points.size(), ground.GetHeights().size());
    for (size_t i = 0; i < points.size(); ++i)
        ASSERT_EQ(points[i].y, ground.GetHeights()[i]) << i;
    EXPECT_TRUE(ogre->hasSceneNode("ground")); // the entity of that name is still there
    engine->GetRoot()->destroySceneManager(ogre);

    // Where the mesh cannot go, nothing is written.
    fs::create_directories(folder / "blocked.ground.mesh");
    EXPECT_FALSE(SaveDotScene((folder / "blocked.scene").string(), *scene, error));
    EXPECT_NE(error.find("blocked.ground.mesh"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(folder / "blocked.scene"));
}

TEST_F(DotSceneTest, MissingAndBrokenMeshesBecomePlaceholdersThatSaveTheirFile) {
    Write("broken.mesh", "this is not a mesh");
    const std::string path =
        Write("m.scene", "<scene><nodes>\n"
                         "<node name='gone'><position x='4' y='5' z='6'/>\n"
                         "  <entity meshFile='gone.mesh'/></node>\n"
                         "<node name='bad'><entity meshFile='broken.mesh'/></node>\n"
                         "<node name='out'><entity meshFile='../m.scene'/></node>\n"
                         "</nodes></scene>\n");
    ASSERT_TRUE(Open(path)) << error;
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_EQ(warnings[0].rfind(path + ":2: mesh 'gone.mesh' is not in the scene's folder; "
                                       "'gone' is shown as a box",
                                0),
              0u)
        << warnings[0];
    EXPECT_EQ(warnings[1].rfind(path + ":4: mesh 'broken.mesh' cannot be loaded", 0), 0u)
        << warnings[1];
    EXPECT_NE(warnings[2].find("outside the scene's folder"), std::string::npos);
    CEditorEntity* gone = scene->GetEntity("gone");
    ASSERT_TRUE(gone && gone->GetOgreEntity());
    ExpectNear(gone->GetPosition(), {4, 5, 6});
    EXPECT_EQ(gone->GetMissingMesh(), "gone.mesh");
    // A copy keeps the file too, and saving writes the files, not the placeholder.
    ASSERT_FALSE(scene->CopyEntity("bad").empty());
    const std::string saved = (folder / "saved.scene").string();
    ASSERT_TRUE(SaveDotScene(saved, *scene, error)) << error;
    const std::string text = Read(saved);
    EXPECT_NE(text.find("meshFile=\"gone.mesh\""), std::string::npos);
    EXPECT_NE(text.find("<node name=\"bad_1\">"), std::string::npos);
    EXPECT_EQ(text.find("EditorPlaceholder"), std::string::npos);
    EXPECT_EQ(text.find("\"../m.scene\""), text.rfind("\"../m.scene\""));
}

TEST_F(DotSceneTest, AFailedOpenLeavesTheSceneAsItWas) {
    BuildDemoScene(*scene);
    const int count = scene->GetEntityCount();
    const Ogre::Vector3 where = scene->GetEntity("box_b")->GetWorldPosition();
    scene->SetSelection({"box_a"});
    const std::string bad[] = {
        Write("a.scene", "<scene><nodes><node name='x'/><node name='x'/></nodes></scene>"),
        Write("b.scene", "<scene><nodes><node name='x'>\n<entity meshFile='gone.mesh'/>"),
        Write("c.scene", "not xml at all"),
        (folder / "none.scene").string(),
        folder.string(),
    };
    for (const std::string& path : bad) {
        EXPECT_FALSE(Open(path)) << path;
        EXPECT_EQ(error.rfind(path + ":", 0), 0u) << error;
        EXPECT_EQ(scene->GetEntityCount(), count);
        ExpectNear(scene->GetEntity("box_b")->GetWorldPosition(), where);
        EXPECT_TRUE(scene->isEntitySelected("box_a"));
        EXPECT_NE(scene->GetGround(), nullptr);
    }
}

TEST_F(DotSceneTest, SavingWhereItCannotWriteSaysSoAndKeepsTheTarget) {
    BuildDemoScene(*scene);
    const std::string target = Write("keep.scene", "old contents");
    EXPECT_FALSE(SaveDotScene((folder / "no" / "such" / "x.scene").string(), *scene, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_FALSE(SaveDotScene(folder.string(), *scene, error));
    EXPECT_EQ(error, folder.string() + ": is a folder");
    // A file where the folder should be.
    EXPECT_FALSE(SaveDotScene(target + "/x.scene", *scene, error));
    EXPECT_EQ(Read(target), "old contents");
    ASSERT_TRUE(SaveDotScene(target, *scene, error)) << error;
    EXPECT_EQ(Read(target).rfind("<?xml", 0), 0u);
}
