// Model files that reach beyond what an import may take: textures whose headers claim more
// pixels than the editor decodes, files outside the model's folder or that are not regular
// files, and node graphs that expand far beyond their size.
#include "EngineFixture.h"
#include "ModelFiles.h"

#include "CEditorUndoManager.h"
#include "HostFakes.h"
#include "ModelImport.h"

#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgrePass.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace modelfiles;

namespace {

class ImportBoundsTest : public FolderEngineTest {
protected:
    void SetUp() override {
        FolderEngineTest::SetUp();
        fs::create_directories(folder / "model");
    }
    void TearDown() override {
        undo.clear();
        FolderEngineTest::TearDown();
    }
    bool Import(const std::string& path) {
        result = ModelImportResult();
        error.clear();
        return ImportModel(path, *scene, undo, tools, result, error);
    }
    // The texture each sub-mesh's material shows ("" for none) on the entity `name`.
    std::vector<std::string> Textures(const std::string& name) const {
        std::vector<std::string> out;
        CEditorEntity* e = scene->GetEntity(name);
        if (!e || !e->GetOgreEntity())
            return out;
        const Ogre::MeshPtr mesh = e->GetOgreEntity()->getMesh();
        for (const Ogre::SubMesh* s : mesh->getSubMeshes()) {
            const Ogre::MaterialPtr m = Ogre::MaterialManager::getSingleton().getByName(
                s->getMaterialName(), mesh->getGroup());
            const Ogre::Pass* pass = m ? m->getTechnique(0)->getPass(0) : nullptr;
            out.push_back(pass && pass->getNumTextureUnitStates()
                              ? pass->getTextureUnitState(0)->getTextureName()
                              : "");
        }
        return out;
    }
    size_t WarningsWith(const std::string& words) const {
        return std::count_if(result.warnings.begin(), result.warnings.end(),
                             [&](const std::string& w) { return w.find(words) != w.npos; });
    }

    CEditorUndoManager undo;
    CQuietTools tools;
    ModelImportResult result;
    std::string error;
};

// An OBJ of one triangle per material of `library`.
std::string ObjWith(const std::string& library, int materials) {
    std::string obj = "mtllib " + library + "\no tri\nv 0 0 0\nv 1 0 0\nv 0 1 0\n";
    for (int i = 0; i < materials; ++i)
        obj += "usemtl m" + std::to_string(i) + "\nf 1 2 3\n";
    return obj;
}

std::string Library(const std::vector<std::string>& textures) {
    std::string mtl;
    for (size_t i = 0; i < textures.size(); ++i)
        mtl += "newmtl m" + std::to_string(i) + "\nKd 1 1 1\nmap_Kd " + textures[i] + "\n";
    return mtl;
}

// A binary glTF whose material shows an embedded DDS image claiming 65536 x 65536 pixels:
// the image codec would throw on it from inside the editor.
std::string GlbWithDdsBomb() {
    const std::string dds = DdsHeader(65536, 65536);
    const std::string bin = TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}) + dds;
    const std::string json =
        "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
        "\"nodes\":[{\"name\":\"t\",\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":"
        "{\"POSITION\":0},\"indices\":1,\"material\":0}]}],\"materials\":[{\"name\":\"m\","
        "\"pbrMetallicRoughness\":{\"baseColorTexture\":{\"index\":0}}}],\"textures\":[{"
        "\"source\":0}],\"images\":[{\"bufferView\":2,\"mimeType\":\"image/dds\"}],"
        "\"buffers\":[{\"byteLength\":" +
        std::to_string(bin.size()) +
        "}],\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":36},{\"buffer\":0,"
        "\"byteOffset\":36,\"byteLength\":6},{\"buffer\":0,\"byteOffset\":44,\"byteLength\":" +
        std::to_string(dds.size()) +
        "}],\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\","
        "\"min\":[0,0,0],\"max\":[1,1,0]},{\"bufferView\":1,\"componentType\":5123,\"count\":3,"
        "\"type\":\"SCALAR\"}]}";
    return Glb(json, bin);
}

TEST_F(ImportBoundsTest, OversizedTexturesGiveAPlainMaterialAndAWarningBeforeAnyDecoding) {
    ASSERT_TRUE(Import(Write(folder / "model/bomb.glb", GlbWithDdsBomb()))) << error;
    EXPECT_EQ(Textures("t"), std::vector<std::string>{""});
    EXPECT_EQ(WarningsWith("65536x65536 pixels, more than the 67108864"), 1u);

    // Huge flat, volume and cube-map DDS and ETC headers named by an OBJ, and a DDS whose
    // data is far shorter than its header says.
    Write(folder / "model/big.dds", DdsHeader(65536, 65536));
    Write(folder / "model/vol.dds", DdsHeader(4096, 4096, 4096));
    Write(folder / "model/cube.dds", DdsHeader(8192, 8192, 1, true));
    Write(folder / "model/big.pkm",
          std::string("PKM 10\0\0\xFF\xFC\xFF\xFC\xFF\xFC\xFF\xFC", 16) + std::string(64, '\0'));
    Write(folder / "model/short.dds", DdsHeader(1024, 1024));
    Write(folder / "model/m.mtl",
          Library({"big.dds", "vol.dds", "cube.dds", "big.pkm", "short.dds"}));
    const std::string obj = Write(folder / "model/m.obj", ObjWith("m.mtl", 5));
    ASSERT_TRUE(Import(obj)) << error;
    EXPECT_EQ(Textures("tri"), std::vector<std::string>(5, ""));
    EXPECT_EQ(WarningsWith("is not decoded:"), 5u);
    EXPECT_EQ(WarningsWith("4096x4096x4096 pixels"), 1u);
    EXPECT_EQ(WarningsWith("8192x8192 (6 faces) pixels"), 1u);
    EXPECT_EQ(WarningsWith("65532x65532 pixels"), 1u);
    EXPECT_EQ(WarningsWith("'short.dds' is not decoded: the image holds fewer bytes"), 1u);
    for (const std::string& w : result.warnings)
        EXPECT_EQ(w.rfind(obj + ": texture '", 0), 0u) << w;
}

// The material of `name` in a plan, its index in `at`.
const ModelPlanMaterial* Named(const ModelPlan& plan, const std::string& name, int& at) {
    for (size_t i = 0; i < plan.materials.size(); ++i)
        if (plan.materials[i].name == name) {
            at = int(i);
            return &plan.materials[i];
        }
    return nullptr;
}

// One 16384 x 16384 PNG named by six materials: checked once, refused once, never decoded;
// a small texture named by three materials is read once and shared by the other two (the
// build decodes a shared texture once).
TEST_F(ImportBoundsTest, ATextureNamedBySeveralMaterialsIsCheckedAndReadOnce) {
    Write(folder / "model/huge.png", PngHeader(16384, 16384));
    Write(folder / "model/small.dds", DdsHeader(2, 2, 1, false, 16));
    Write(folder / "model/m.mtl",
          Library({"huge.png", "huge.png", "huge.png", "huge.png", "huge.png", "huge.png",
                   "small.dds", "small.dds", "./small.dds"}));
    ModelPlan plan;
    ASSERT_TRUE(ReadModelFile(Write(folder / "model/m.obj", ObjWith("m.mtl", 9)), plan, error))
        << error;
    ASSERT_EQ(plan.warnings.size(), 1u);
    EXPECT_NE(plan.warnings[0].find("texture 'huge.png' is not decoded: 16384x16384"),
              std::string::npos)
        << plan.warnings[0];
    int first = -1, at = -1;
    for (int i = 0; i < 6; ++i) {
        const ModelPlanMaterial* m = Named(plan, "m" + std::to_string(i), at);
        ASSERT_TRUE(m);
        EXPECT_TRUE(m->texture.empty());
        EXPECT_EQ(m->sameTextureAs, -1);
    }
    const ModelPlanMaterial* small = Named(plan, "m6", first);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->texture, DdsHeader(2, 2, 1, false, 16));
    EXPECT_EQ(small->textureExt, "dds");
    for (const char* name : {"m7", "m8"}) {
        const ModelPlanMaterial* m = Named(plan, name, at);
        ASSERT_TRUE(m);
        EXPECT_TRUE(m->texture.empty());
        EXPECT_EQ(m->sameTextureAs, first);
    }
}

TEST(TextureHeaderTest, SizesAreReadFromEveryKindBeforeDecoding) {
    TextureHeader h;
    EXPECT_EQ(ReadTextureHeader(TinyPng(), "png", h), "");
    EXPECT_EQ(h.kind, "png");
    EXPECT_EQ(h.pixels, 1u);
    EXPECT_EQ(ReadTextureHeader(PngHeader(8192, 8192), "png", h), "");
    EXPECT_NE(ReadTextureHeader(PngHeader(8193, 8192), "png", h), "");
    EXPECT_NE(ReadTextureHeader(PngHeader(0, 8), "png", h), "");
    // The kind comes from the bytes, not the name.
    EXPECT_EQ(ReadTextureHeader(DdsHeader(4, 4), "png", h), "");
    EXPECT_EQ(h.kind, "dds");
    EXPECT_EQ(ReadTextureHeader(DdsHeader(2048, 2048, 1, true, 6 * 2048 * 2048 * 4), "", h), "");
    EXPECT_EQ(h.faces, 6u);
    EXPECT_NE(ReadTextureHeader(DdsHeader(2048, 2048, 1, true, 2048 * 2048 * 4), "", h), "");
    std::string manyLevels = DdsHeader(4, 4);
    manyLevels[28] = 40; // 40 levels of a 4x4 image
    EXPECT_NE(ReadTextureHeader(manyLevels, "dds", h), "");
    // JPEG: the frame header after other segments.
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x04\x00\x00\xFF\xC0\x00\x11\x08"
                                         "\x10\x00\x20\x00\x03",
                                         18);
    EXPECT_EQ(ReadTextureHeader(jpeg, "jpg", h), "");
    EXPECT_EQ(h.width, 0x2000u);
    EXPECT_EQ(h.height, 0x1000u);
    EXPECT_NE(ReadTextureHeader("not an image at all", "png", h), "");
    EXPECT_NE(ReadTextureHeader(std::string("\x89PNG\r\n\x1a\n", 8), "png", h), "");
}

// A glTF buffer and OBJ textures named outside the model's folder, directly, through "..",
// by an absolute path and by a symbolic link, are not read.
TEST_F(ImportBoundsTest, FilesOutsideTheModelsFolderAreNotRead) {
    const std::string buffer = TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0});
    Write(folder / "secret.bin", buffer);
    const std::string outside =
        Write(folder / "model/out.gltf", GltfText("[{\"mesh\":0}]", "0", buffer, "../secret.bin"));
    ASSERT_FALSE(Import(outside));
    EXPECT_EQ(error, outside + ": file '" + (folder / "secret.bin").string() +
                         "' that the model needs is not read: outside the model's folder");
    fs::create_symlink(folder / "secret.bin", folder / "model/link.bin");
    ASSERT_FALSE(Import(
        Write(folder / "model/link.gltf", GltfText("[{\"mesh\":0}]", "0", buffer, "link.bin"))));
    EXPECT_NE(error.find("outside the model's folder"), std::string::npos) << error;
    EXPECT_EQ(scene->GetEntityCount(), 0);
    // Bytes read without a folder read no file at all; a name from the file stays on one line.
    ModelPlan plan;
    std::string why;
    EXPECT_FALSE(ReadModelBytes(GltfText("[{\"mesh\":0}]", "0", buffer, "a\\nb.bin"), "gltf",
                                "bytes.gltf", plan, why));
    EXPECT_NE(why.find("a?b.bin' that the model needs is not read: outside the model's folder"),
              std::string::npos)
        << why;
    // The same buffer beside the model comes in.
    Write(folder / "model/own.bin", buffer);
    ASSERT_TRUE(Import(
        Write(folder / "model/own.gltf", GltfText("[{\"mesh\":0}]", "0", buffer, "own.bin"))))
        << error;

    const std::string image = DdsHeader(2, 2, 1, false, 16);
    Write(folder / "secret.dds", image);
    Write(folder / "other.dds", image);
    Write(folder / "model/inside.dds", image);
    fs::create_directories(folder / "model/sub");
    Write(folder / "model/t.mtl",
          Library({"../secret.dds", (folder / "other.dds").string(), "sub/../inside.dds"}));
    const std::string obj = Write(folder / "model/t.obj", ObjWith("t.mtl", 3));
    ASSERT_TRUE(ReadModelFile(obj, plan, error)) << error;
    int at = -1;
    ASSERT_TRUE(Named(plan, "m0", at) && Named(plan, "m1", at) && Named(plan, "m2", at));
    EXPECT_TRUE(Named(plan, "m0", at)->texture.empty());
    EXPECT_TRUE(Named(plan, "m1", at)->texture.empty());
    EXPECT_EQ(Named(plan, "m2", at)->texture, image);
    result.warnings = plan.warnings;
    EXPECT_EQ(WarningsWith("texture '../secret.dds' cannot be read: outside the model's folder"),
              1u);
    EXPECT_EQ(WarningsWith("texture '" + (folder / "other.dds").string() +
                           "' cannot be read: outside the model's folder"),
              1u);
}

// A FIFO where a material library or a buffer should be is refused at once, not waited on.
TEST_F(ImportBoundsTest, SpecialFilesAreRefusedWithoutBeingOpened) {
    ASSERT_EQ(::mkfifo((folder / "model/pipe.mtl").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "model/pipe.bin").c_str(), 0600), 0);
    const std::string obj = Write(folder / "model/m.obj", ObjWith("pipe.mtl", 0) + "f 1 2 3\n");
    ASSERT_TRUE(Import(obj)) << error;
    EXPECT_EQ(WarningsWith("file '" + (folder / "model/pipe.mtl").string() +
                           "' is not read: not a regular file"),
              1u);
    const std::string gltf = Write(
        folder / "model/b.gltf",
        GltfText("[{\"mesh\":0}]", "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}), "pipe.bin"));
    ASSERT_FALSE(Import(gltf));
    EXPECT_NE(error.find("pipe.bin' that the model needs is not read: not a regular file"),
              std::string::npos)
        << error;
    // A texture that is a FIFO.
    Write(folder / "model/t.mtl", Library({"pipe.bin"}));
    ASSERT_TRUE(Import(Write(folder / "model/t.obj", ObjWith("t.mtl", 1)))) << error;
    EXPECT_EQ(WarningsWith("texture 'pipe.bin' cannot be read: not a regular file"), 1u);
}

// Collada nodes each instancing the one before twice: 2^levels nodes from a few lines.
std::string ColladaDoubling(int levels, const std::string& last = "") {
    std::string s = "<?xml version=\"1.0\"?><COLLADA version=\"1.4.1\"><library_nodes>"
                    "<node id=\"n0\" name=\"n0\"/>";
    for (int i = 1; i < levels; ++i) {
        const std::string before = "<instance_node url=\"#n" + std::to_string(i - 1) + "\"/>";
        s += "<node id=\"n" + std::to_string(i) + "\">" + before + before + "</node>";
    }
    return s + last +
           "</library_nodes><library_visual_scenes><visual_scene id=\"s\"><node name=\"top\">"
           "<instance_node url=\"#n" +
           std::to_string(levels - 1) +
           "\"/></node></visual_scene></library_visual_scenes><scene><instance_visual_scene "
           "url=\"#s\"/></scene></COLLADA>";
}

TEST_F(ImportBoundsTest, NodeGraphsThatExpandBeyondTheCapAreRefusedBeforeTheReader) {
    // 2^levels - 1 nodes below "top", plus "top" and the file's root.
    EXPECT_EQ(CheckColladaExpansion(ColladaDoubling(10)), "");
    EXPECT_EQ(CheckColladaExpansion(ColladaDoubling(40)),
              "the node tree expands to 1099511627777 entities, more than the 1000000 an "
              "import makes");
    EXPECT_NE(CheckColladaExpansion(ColladaDoubling(300)).find("more than 4611686018427387904"),
              std::string::npos);
    // A node that instances its own ancestor.
    EXPECT_EQ(CheckColladaExpansion(
                  ColladaDoubling(
                      3, "<node id=\"a\"><node id=\"b\"><instance_node url=\"#a\"/></node></node>"))
                  .find("cycle"),
              std::string::npos); // not instanced by the scene: not built
    EXPECT_EQ(CheckColladaExpansion(
                  "<COLLADA><library_visual_scenes><visual_scene><node id=\"a\"><node name=\"b\">"
                  "<instance_node url=\"#a\"/></node></node></visual_scene>"
                  "</library_visual_scenes></COLLADA>"),
              "the node tree has a cycle");
    const std::string dae = Write(folder / "model/dag.dae", ColladaDoubling(24));
    ASSERT_FALSE(Import(dae));
    EXPECT_EQ(error, dae + ": the node tree expands to 16777217 entities, more than the 1000000 "
                           "an import makes");

    // glTF whose "nodes" key is spelled with an escape: read as the reader reads it, a node
    // graph in which each pair of nodes is the child of both nodes before it.
    std::string nodes = "[{\"children\":[1,2]}";
    for (int i = 0; i < 30; ++i) {
        const std::string pair = std::to_string(2 * i + 3) + "," + std::to_string(2 * i + 4);
        nodes += ",{\"children\":[" + pair + "]},{\"children\":[" + pair + "]}";
    }
    nodes += ",{\"mesh\":0},{\"mesh\":0}]";
    std::string gltf = GltfText(nodes, "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}));
    gltf.replace(gltf.find("\"nodes\":[{\"children"), 7, "\"n\\u006fdes\"");
    EXPECT_EQ(CheckModelNesting(gltf), "a node is its own child or the child of two nodes");
    EXPECT_EQ(CheckModelNesting("{\"\\u006eodes\":[{\"ch\\u0069ldren\":[1]},{}]}"), "");
    EXPECT_NE(CheckModelNesting("{\"\\u006eodes\":[{\"ch\\u0069ldren\":[0]}]}"), "");
    ASSERT_FALSE(Import(Write(folder / "model/escaped.gltf", gltf)));
    EXPECT_NE(error.find("the child of two nodes"), std::string::npos) << error;
}

// Thousands of nodes of one name take the next free suffix each, past names the scene holds.
TEST_F(ImportBoundsTest, NodesSharingOneNameGetUniqueNamesInOrder) {
    scene->AddMesh("same_2", "box", "", {0, 0, 0});
    std::string nodes = "[{\"name\":\"g\",\"children\":[";
    const int count = 2000;
    for (int i = 1; i <= count; ++i)
        nodes += (i > 1 ? "," : "") + std::to_string(i);
    nodes += "]}";
    for (int i = 0; i < count; ++i)
        nodes += ",{\"name\":\"same\",\"mesh\":0}";
    ASSERT_TRUE(
        Import(Write(folder / "model/group.gltf",
                     GltfText(nodes + "]", "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0})))))
        << error;
    EXPECT_EQ(scene->GetEntityCount(), 1 + result.entities);
    // "same", "same_1", then "same_3" to "same_2000".
    EXPECT_TRUE(scene->GetEntity("same") && scene->GetEntity("same_1"));
    EXPECT_TRUE(scene->GetEntity("same_3") && scene->GetEntity("same_2000"));
    EXPECT_FALSE(scene->GetEntity("same_2001"));
}

} // namespace
