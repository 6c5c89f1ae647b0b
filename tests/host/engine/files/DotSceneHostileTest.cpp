// Scene files made to hurt the editor: nesting deep enough to exhaust a stack, names that make
// malformed XML, files of the scene's folder that never end or lead outside it (links to
// devices, FIFOs), and saves over long names and symbolic links.
#include "DotScene.h"
#include "DotSceneText.h"
#include "EngineFixture.h"
#include "SceneFolderFiles.h"

#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgreSubMesh.h>

#include "EditorMeshes.h"
#include "TextScene.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// `depth` nodes each inside the previous one, named n1, n2, ..., one per line from line 3.
std::string NestedScene(int depth) {
    std::string text = "<scene>\n<nodes>\n";
    text.reserve(size_t(depth) * 40);
    for (int i = 1; i <= depth; ++i)
        text += "<node name='n" + std::to_string(i) + "'><position x='0' y='1' z='0'/>\n";
    for (int i = 0; i < depth; ++i)
        text += "</node>";
    return text + "\n</nodes>\n</scene>\n";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class HostileSceneTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder = fs::path(testing::TempDir()) /
                 ("hostile_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder / "scene");
    }
    void TearDown() override {
        EngineTest::TearDown();
        fs::remove_all(folder);
    }
    std::string Write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    bool Open(const std::string& path) {
        error.clear();
        warnings.clear();
        return OpenDotScene(path, *scene, error, warnings);
    }
    bool Warned(const std::string& part) const {
        for (const std::string& w : warnings)
            if (w.find(part) != std::string::npos)
                return true;
        return false;
    }
    std::string AllWarnings() const {
        std::string all;
        for (const std::string& w : warnings)
            all += w + "\n";
        return all;
    }

    fs::path folder;
    std::string error;
    std::vector<std::string> warnings;
};

} // namespace

TEST(DotSceneHostile, NestingIsReadWithoutRecursionUpToTheLimitAndRefusedBeyond) {
    DotSceneDocument doc;
    std::string error;
    ASSERT_TRUE(ParseDotScene(NestedScene(kMaxDotSceneDepth), "f", doc, error)) << error;
    ASSERT_EQ(doc.nodes.size(), size_t(kMaxDotSceneDepth));
    for (size_t i = 0; i < doc.nodes.size(); ++i)
        EXPECT_EQ(doc.nodes[i].parent, int(i) - 1);
    // The first node too deep is named with its line; far deeper files end the same way.
    EXPECT_FALSE(ParseDotScene(NestedScene(kMaxDotSceneDepth + 1), "f", doc, error));
    const std::string tooDeep = ": nodes are nested deeper than 10000 levels";
    EXPECT_EQ(error, "f:" + std::to_string(kMaxDotSceneDepth + 3) + tooDeep);
    EXPECT_FALSE(ParseDotScene(NestedScene(100000), "f", doc, error));
    EXPECT_EQ(error, "f:" + std::to_string(kMaxDotSceneDepth + 3) + tooDeep);
    EXPECT_TRUE(doc.nodes.empty());

    // A document built by other means: a chain one level too deep, and a long chain checked in
    // linear time (many leaves under a deep node).
    DotSceneDocument chain;
    for (int i = 0; i <= kMaxDotSceneDepth; ++i) {
        DotSceneNode node;
        node.name = "c" + std::to_string(i);
        node.parent = i - 1;
        node.line = i + 1;
        chain.nodes.push_back(node);
    }
    EXPECT_FALSE(ValidateDotScene(chain, "g", error));
    EXPECT_EQ(error, "g:" + std::to_string(kMaxDotSceneDepth + 1) + tooDeep);
    chain.nodes.pop_back();
    for (int i = 0; i < 100000; ++i) {
        DotSceneNode leaf;
        leaf.name = "leaf" + std::to_string(i);
        leaf.parent = kMaxDotSceneDepth - 2;
        chain.nodes.push_back(leaf);
    }
    EXPECT_TRUE(ValidateDotScene(chain, "g", error)) << error;
}

TEST(DotSceneHostile, NamesMustBeValidUtf8WithoutControlCharacters) {
    const std::string bad[] = {
        "a&#1;b",       "tab&#9;", "line&#10;", "\x7f",
        "\xc2\x85",                                             // controls (C0, DEL, C1)
        "\xff",         "\xc3",    "\xc0\xaf",  "\xed\xa0\x80", // invalid, overlong, surrogate
        "\xef\xbf\xbe",                                         // U+FFFE
    };
    for (const std::string& name : bad) {
        for (const bool asMesh : {false, true}) {
            const std::string text = "<scene>\n<nodes>\n<node name='ok'/>\n<node name='" +
                                     (asMesh ? "m" : name) + "'>" +
                                     (asMesh ? "<entity meshFile='" + name + "'/>" : "") +
                                     "</node>\n" + "</nodes>\n</scene>\n";
            DotSceneDocument doc;
            std::string error;
            EXPECT_FALSE(ParseDotScene(text, "f", doc, error)) << text;
            EXPECT_EQ(error.rfind("f:4: the ", 0), 0u) << error;
            EXPECT_NE(error.find("is not valid UTF-8 or holds a control character"),
                      std::string::npos)
                << error;
        }
    }
    // Names in other scripts, and all the other characters XML allows, are kept.
    const std::string good = "石块 \xf0\x9f\x98\x80 \xc2\xa0 \xef\xbf\xbd ~";
    DotSceneDocument doc;
    std::string error;
    ASSERT_TRUE(
        ParseDotScene("<scene><nodes><node name='" + good + "'/></nodes></scene>", "f", doc, error))
        << error;
    EXPECT_EQ(doc.nodes.at(0).name, good);
}

TEST_F(HostileSceneTest, DeepChainsOpenSaveAndReopenAtTheLimit) {
    const std::string path = Write(folder / "scene" / "deep.scene", NestedScene(kMaxDotSceneDepth));
    ASSERT_TRUE(Open(path)) << error;
    ASSERT_EQ(scene->GetEntityCount(), kMaxDotSceneDepth);
    const std::string deepest = "n" + std::to_string(kMaxDotSceneDepth);
    ExpectNear(scene->GetEntity(deepest)->GetWorldPosition(),
               Ogre::Vector3(0, float(kMaxDotSceneDepth), 0));
    // The writer walks the chain without recursion, and the file reads back the same.
    const std::string saved = (folder / "scene" / "saved.scene").string();
    ASSERT_TRUE(SaveDotScene(saved, *scene, error)) << error;
    DotSceneDocument doc;
    ASSERT_TRUE(ReadDotSceneFile(saved, doc, error)) << error;
    EXPECT_EQ(doc.nodes.size(), size_t(kMaxDotSceneDepth));
    EXPECT_EQ(doc.nodes.back().name, deepest);
    // One level more is refused and leaves the scene as it was.
    EXPECT_FALSE(
        Open(Write(folder / "scene" / "deeper.scene", NestedScene(kMaxDotSceneDepth + 1))));
    EXPECT_NE(error.find("deeper.scene:" + std::to_string(kMaxDotSceneDepth + 3) +
                         ": nodes are nested deeper than 10000 levels"),
              std::string::npos)
        << error;
    EXPECT_EQ(scene->GetEntityCount(), kMaxDotSceneDepth);
    // A chain made deeper in the editor is not saved into a file that would not open again.
    ASSERT_TRUE(scene->AddMesh("one_more", "", deepest, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO,
                               Ogre::Vector3::UNIT_SCALE));
    Write(saved, "old");
    EXPECT_FALSE(SaveDotScene(saved, *scene, error));
    EXPECT_EQ(error, saved + ": 'one_more' is nested deeper than 10000 levels");
    EXPECT_EQ(ReadAll(saved), "old");
    scene->Clear();
    EXPECT_EQ(scene->GetEntityCount(), 0);
}

namespace {

const char* const kMaterial =
    "material %s\n{\n technique\n {\n  pass\n  {\n   diffuse 0.2 0.4 0.6\n  }\n }\n}\n";

std::string MaterialScript(const std::string& name) {
    std::string text = kMaterial;
    text.replace(text.find("%s"), 2, name);
    return text;
}

} // namespace

// Each of these used to hang the open for ever (a device or FIFO read by the engine) or read
// a file outside the scene's folder; now the open ends with warnings and the rest loads.
TEST_F(HostileSceneTest, OnlyRegularFilesInsideTheFolderAreRead) {
    const fs::path dir = folder / "scene";
    // A box mesh exported with material "Inside", whose script reaches the folder through a
    // link that stays inside it.
    ASSERT_TRUE(BuildManualMesh("hostile_source", MakeBoxData({0.5f, 1.0f, 2.0f}, 0xFF808080u),
                                "Editor/Mesh"));
    Ogre::MeshPtr source = Ogre::MeshManager::getSingleton().getByName("hostile_source");
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    materials.create("Inside", Ogre::RGN_DEFAULT);
    source->getSubMesh(0)->setMaterialName("Inside");
    Ogre::MeshSerializer().exportMesh(source.get(), (dir / "box.mesh").string());
    source->getSubMesh(0)->setMaterialName("Editor/Mesh");
    source.reset();
    materials.remove("Inside", Ogre::RGN_DEFAULT);
    fs::create_directories(dir / "real");
    Write(dir / "real" / "inside.txt", MaterialScript("Inside"));
    fs::create_symlink("real/inside.txt", dir / "inside.material");
    fs::create_symlink("box.mesh", dir / "alias.mesh");

    // What must not be read: endless devices, FIFOs, links leaving the folder.
    Write(folder / "outside.material", MaterialScript("Outside"));
    fs::copy_file(dir / "box.mesh", folder / "outside.mesh");
    fs::create_symlink("/dev/zero", dir / "zero.material");
    fs::create_symlink("/dev/zero", dir / "zero.mesh");
    ASSERT_EQ(::mkfifo((dir / "fifo.material").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo.mesh").c_str(), 0600), 0);
    fs::create_symlink("../outside.material", dir / "escape.material");
    fs::create_symlink(fs::absolute(folder / "outside.mesh"), dir / "escape.mesh");
    fs::create_symlink("nowhere.material", dir / "dangling.material");

    std::string text = "<scene>\n<nodes>\n";
    const char* meshes[] = {"box.mesh",  "alias.mesh",  "zero.mesh",
                            "fifo.mesh", "escape.mesh", "../outside.mesh"};
    for (const char* mesh : meshes)
        text += "<node name='" + std::string(mesh) + "'><entity meshFile='" + mesh + "'/></node>\n";
    text += "</nodes>\n</scene>\n";
    ASSERT_TRUE(Open(Write(dir / "s.scene", text))) << error;
    EXPECT_EQ(scene->GetEntityCount(), 6);

    // The inside link's material and both names of the mesh load.
    EXPECT_TRUE(scene->GetEntity("box.mesh")->GetMissingMesh().empty()) << AllWarnings();
    EXPECT_TRUE(scene->GetEntity("alias.mesh")->GetMissingMesh().empty()) << AllWarnings();
    EXPECT_TRUE(materials.getByName("Inside", scene->GetMeshGroup()));
    EXPECT_FALSE(materials.getByName("Outside", scene->GetMeshGroup()));
    EXPECT_FALSE(Warned("'inside.material'")) << AllWarnings();
    // Each refused file is named with why.
    const std::string at = (dir / "s.scene").string() + ":";
    EXPECT_TRUE(Warned(at + " the script 'zero.material' beside the scene is not read: a "
                            "symbolic link that leads outside the scene's folder"))
        << AllWarnings();
    EXPECT_TRUE(Warned(at + " the script 'fifo.material' beside the scene is not read: "
                            "not a regular file"))
        << AllWarnings();
    EXPECT_TRUE(Warned(at + " the script 'escape.material' beside the scene is not read: "
                            "a symbolic link that leads outside"))
        << AllWarnings();
    EXPECT_TRUE(Warned(at + " the script 'dangling.material' beside the scene is not read"))
        << AllWarnings();
    EXPECT_TRUE(Warned(at + "5: mesh 'zero.mesh' cannot be loaded: a symbolic link that "
                            "leads outside the scene's folder"))
        << AllWarnings();
    EXPECT_TRUE(Warned(at + "6: mesh 'fifo.mesh' cannot be loaded: not a regular file"))
        << AllWarnings();
    EXPECT_TRUE(Warned(at + "7: mesh 'escape.mesh' cannot be loaded: a symbolic link"))
        << AllWarnings();
    EXPECT_TRUE(Warned(at + "8: mesh '../outside.mesh' is outside the scene's folder"))
        << AllWarnings();
    for (const char* refused : {"zero.mesh", "fifo.mesh", "escape.mesh", "../outside.mesh"})
        EXPECT_EQ(scene->GetEntity(refused)->GetMissingMesh(), refused);
}

TEST_F(HostileSceneTest, AFifoOrDeviceAsTheSceneFileIsRefusedAtOnce) {
    const std::string fifo = (folder / "fifo.scene").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = (folder / "zero.scene").string();
    fs::create_symlink("/dev/zero", zero);
    for (const std::string& path : {fifo, zero}) {
        scene->Clear();
        BuildDemoScene(*scene);
        const int count = scene->GetEntityCount();
        EXPECT_FALSE(IsDotSceneFile(path));
        DotSceneDocument doc;
        EXPECT_FALSE(ReadDotSceneFile(path, doc, error));
        EXPECT_EQ(error, path + ": not a regular file");
        EXPECT_FALSE(Open(path));
        EXPECT_EQ(scene->GetEntityCount(), count);
        // The editor's own text format refuses it too (and empties the scene, as it does on
        // any failure).
        EXPECT_FALSE(LoadSceneFile(path, *scene, error));
        EXPECT_EQ(error, path + ": not a regular file");
    }
    // A scene file larger than the limit is not read.
    std::string bytes;
    EXPECT_EQ(ReadRegularFile(Write(folder / "big.scene", std::string(2048, '<')), 1024, bytes),
              "larger than 1024 bytes");
    EXPECT_TRUE(bytes.empty());
}

TEST_F(HostileSceneTest, SavesFitTheLongestLegalName) {
    BuildDemoScene(*scene);
    ASSERT_NE(scene->GetGround(), nullptr);
    const fs::path dir = folder / "scene";
    // The longest file name the folder allows (255 bytes), new and over an old file; the
    // ground's mesh name is shortened to fit beside it.
    const std::string longName = std::string(249, 'x') + ".scene";
    ASSERT_EQ(longName.size(), 255u);
    const std::string target = (dir / longName).string();
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(SaveDotScene(target, *scene, error)) << error;
        DotSceneDocument doc;
        ASSERT_TRUE(ReadDotSceneFile(target, doc, error)) << error;
        EXPECT_EQ(doc.ground.meshFile, std::string(243, 'x') + ".ground.mesh");
        EXPECT_TRUE(fs::is_regular_file(dir / doc.ground.meshFile));
    }
    ASSERT_TRUE(Open(target)) << error;
    EXPECT_NE(scene->GetGround(), nullptr);
    EXPECT_FALSE(Warned("ground")) << AllWarnings();
}

TEST_F(HostileSceneTest, SavesWriteThroughSymbolicLinks) {
    BuildDemoScene(*scene);
    ASSERT_NE(scene->GetGround(), nullptr);
    const fs::path dir = folder / "scene";
    // Saving over a link writes the file it leads to and keeps the link (both for the scene and
    // for the ground's mesh); nothing but the saved files is left in either folder.
    fs::create_directories(folder / "real");
    const fs::path real = folder / "real" / "linked.scene";
    Write(real, "old");
    fs::create_symlink("../real/linked.scene", dir / "link.scene");
    fs::create_symlink("../real/link.ground.mesh", dir / "link.ground.mesh");
    ASSERT_TRUE(SaveDotScene((dir / "link.scene").string(), *scene, error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "link.scene"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ground.mesh"));
    EXPECT_EQ(ReadAll(real.string()).rfind("<?xml", 0), 0u);
    EXPECT_TRUE(fs::is_regular_file(folder / "real" / "link.ground.mesh"));
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder / "real"))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"linked.scene", "link.ground.mesh"}));
    // A loop of links is refused.
    fs::create_symlink("loop_b.scene", dir / "loop_a.scene");
    fs::create_symlink("loop_a.scene", dir / "loop_b.scene");
    EXPECT_FALSE(SaveDotScene((dir / "loop_a.scene").string(), *scene, error));
    EXPECT_NE(error.find("symbolic links"), std::string::npos) << error;
}

TEST_F(HostileSceneTest, ANameThatWouldMakeMalformedXmlIsNotSaved) {
    const std::string target = (folder / "scene" / "names.scene").string();
    Write(target, "old");
    for (const std::string& name : {std::string("bad\x01name"), std::string("bad\xffname")}) {
        scene->Clear();
        ASSERT_TRUE(scene->AddMesh("good", "", "", Ogre::Vector3::ZERO, Ogre::Vector3::ZERO,
                                   Ogre::Vector3::UNIT_SCALE));
        if (!scene->AddMesh(name, "", "", Ogre::Vector3::ZERO, Ogre::Vector3::ZERO,
                            Ogre::Vector3::UNIT_SCALE))
            continue; // refused already when made
        EXPECT_FALSE(SaveDotScene(target, *scene, error));
        EXPECT_NE(error.find("is not valid UTF-8 or holds a control character"), std::string::npos)
            << error;
        EXPECT_EQ(ReadAll(target), "old");
    }
    // The editor's own text format refuses such names with their line.
    for (const std::string& line :
         {std::string("mesh bad\xffname rock - 0 0 0 0 0 0 1 1 1"),
          std::string("light bad\x7flamp point 0 0 0 1 1 1"),
          std::string("mesh ok rock bad\xc0\x80parent 0 0 0 0 0 0 1 1 1")}) {
        EXPECT_FALSE(LoadSceneText("# names\n" + line + "\n", "t", *scene, error)) << line;
        EXPECT_EQ(error.rfind("t:2: the name '", 0), 0u) << error;
    }
    // Valid names are saved and read back.
    scene->Clear();
    BuildDemoScene(*scene);
    ASSERT_TRUE(SaveDotScene(target, *scene, error)) << error;
    DotSceneDocument doc;
    EXPECT_TRUE(ReadDotSceneFile(target, doc, error)) << error;
}
