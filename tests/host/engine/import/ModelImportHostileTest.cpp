// Model files that must be refused with "PATH: message", leaving the scene, its selection and
// the undo stack as they were; and files that load with a warning.
#include "EngineFixture.h"
#include "ModelFiles.h"

#include "CEditorUndoManager.h"
#include "DotScene.h"
#include "HostFakes.h"
#include "ModelImport.h"

#include <filesystem>
#include <limits>

namespace fs = std::filesystem;
using namespace modelfiles;

namespace {

class HostileImportTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder = fs::path(testing::TempDir()) /
                 ("hostile_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        scene->AddMesh("keep", "box", "", {1, 2, 3});
        scene->SetSelection({"keep"});
        ASSERT_TRUE(undo.doCommand("nothing", nullptr) == false);
    }
    void TearDown() override {
        undo.clear();
        EngineTest::TearDown();
    }
    // Expects the import refused with "PATH: ..." holding `words`, nothing changed.
    void ExpectRefused(const std::string& path, const std::string& words) {
        const int count = scene->GetEntityCount();
        ModelImportResult result;
        std::string error;
        EXPECT_FALSE(ImportModel(path, *scene, undo, notifier, result, error));
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(words), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(scene->GetEntityCount(), count);
        EXPECT_EQ(scene->getSelectedEntities(), std::set<std::string>{"keep"});
        EXPECT_EQ(undo.undoCount(), 0);
        EXPECT_TRUE(notifier.codes.empty());
    }

    struct Notifier : CQuietTools {
        void notify(int code, int, void*) override { codes.push_back(code); }
        std::vector<int> codes;
    } notifier;
    fs::path folder;
    CEditorUndoManager undo;
};

std::string Triangle() {
    return GltfText("[{\"name\":\"t\",\"mesh\":0}]", "0",
                    TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}));
}

TEST_F(HostileImportTest, BrokenFilesAreRefusedWithTheirPath) {
    ExpectRefused(Write(folder / "empty.gltf", ""), "empty");
    const std::string whole = Triangle();
    ExpectRefused(Write(folder / "cut.gltf", whole.substr(0, whole.size() / 2)), "");
    ExpectRefused(Write(folder / "nobuffer.gltf",
                        GltfText("[{\"mesh\":0}]", "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}),
                                 "gone.bin")),
                  "");
    // A picture renamed as a model, and text renamed as binary glTF.
    ExpectRefused(
        Write(folder / "picture.gltf", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0')),
        "");
    ExpectRefused(Write(folder / "words.glb", "hello, this is not a model\n"), "");
    ExpectRefused(Write(folder / "scene.txt", whole), "not a model format");
    ExpectRefused((folder / "absent.obj").string(), "");
    fs::create_directories(folder / "dir.obj");
    ExpectRefused((folder / "dir.obj").string(), "not a regular file");
}

// The reader, as Debian builds it, ends its process on some malformed files (here a PLY
// vertex whose third property is not z, which a post-processing step asserts on).
TEST_F(HostileImportTest, AFileThatEndsTheReaderIsRefusedAndTheEditorGoesOn) {
    ExpectRefused(Write(folder / "fz.ply", "ply\nformat ascii 1.0\nelement vertex 3\n"
                                           "property float x\nproperty float y\nproperty float fz\n"
                                           "element face 1\n"
                                           "property list uchar int vertex_indices\nend_header\n"
                                           "0 0 \n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"),
                  "the model reader failed on this file");
    ModelImportResult result;
    std::string error;
    EXPECT_TRUE(ImportModel(Write(folder / "after.gltf", Triangle()), *scene, undo, notifier,
                            result, error))
        << error;
}

// PLY headers the reader would run on without end (an unknown type, a broken line, no
// end_header) are refused at once, before the reader sees them.
TEST_F(HostileImportTest, AMalformedPlyHeaderIsRefusedAtOnce) {
    const std::string body = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    ExpectRefused(
        Write(folder / "endless.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                                      "property float y\nproperty float z\nelement face 1\n"
                                      "property list ucha list uchar int vertex_inheader\n" +
                                          body),
        "the PLY header is not well formed (line 8: a property of a type");
    // Without end_header the data is read as header lines; a file that ends first says so.
    ExpectRefused(
        Write(folder / "noend.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                                    "property float y\nproperty float z\n" +
                                        body),
        "line 7: a line that is not part of a PLY header");
    ExpectRefused(Write(folder / "cut.ply", "ply\nformat ascii 1.0\nelement vertex 3\n"),
                  "line 4: the header has no end_header line");
    // Any extension: the reader recognises PLY by its first word too.
    ExpectRefused(Write(folder / "ply.obj", "ply\nformat ascii {\"asset\":1}\nend_header\n"),
                  "line 2: a format line");
}

TEST(PlyHeaderTest, WellFormedHeadersPassAndEveryBrokenPartIsNamed) {
    const std::string good = "ply\r\nformat binary_little_endian 1.0\r\ncomment made by hand\r\n"
                             "obj_info x\r\nelement vertex 3\r\nproperty float32 x\r\n"
                             "property  float y\r\n\r\nproperty\tdouble z\r\nelement face 1\r\n"
                             "property list uint8 int32 vertex_indices\r\nend_header\r\n";
    EXPECT_EQ(CheckPlyHeader(good + std::string("\0\xff\n", 3)), "");
    // Not PLY: left to the reader.
    EXPECT_EQ(CheckPlyHeader("plyx\n"), "");
    EXPECT_EQ(CheckPlyHeader("v 0 0 0\n"), "");
    EXPECT_EQ(CheckPlyHeader(""), "");
    const std::pair<std::string, std::string> broken[] = {
        {"ply", "line 2: the header has no end_header"},
        {"ply junk\n", "line 1: the first line"},
        {"ply\nend_header\n", "line 2: no format line"},
        {"ply\nformat ascii\nend_header\n", "line 2: a format line"},
        {"ply\nformat ascii 1.0\nformat ascii 1.0\n", "line 3: a format line"},
        {"ply\nformat text 1.0\n", "line 2: a format line"},
        {"ply\nformat ascii 1.0\nelement vertex -3\n", "line 3: an element without"},
        {"ply\nformat ascii 1.0\nelement vertex 99999999999\n", "line 3: an element without"},
        {"ply\nformat ascii 1.0\nproperty float x\n", "line 3: a property before any element"},
        {"ply\nformat ascii 1.0\nelement v 1\nproperty float\n", "line 4: a property of a"},
        {"ply\nformat ascii 1.0\nelement v 1\nproperty list uchar x\n", "line 4: a property"},
        {"ply\nformat ascii 1.0\nelemenoperty float y\n", "line 3: a line that is not part"},
        {"ply\nformat ascii 1.0\ncomment " + std::string(70000, 'x'), "line 3: a line that is not"},
        {"ply " + std::string(70000, ' '), "line 1: the first line"},
    };
    for (const auto& [bytes, words] : broken) {
        const std::string why = CheckPlyHeader(bytes);
        EXPECT_EQ(why.rfind("the PLY header is not well formed (", 0), 0u) << bytes;
        EXPECT_NE(why.find(words), std::string::npos) << bytes << " -> " << why;
    }
}

TEST_F(HostileImportTest, BadNumbersAndIndicesAreRefused) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ExpectRefused(
        Write(folder / "nan.gltf",
              GltfText("[{\"mesh\":0}]", "0", TriangleBuffer({0, 0, 0, nan, 0, 0, 0, 1, 0}))),
        "not a finite number");
    ExpectRefused(Write(folder / "inf.obj", "v 0 0 0\nv inf 0 0\nv 0 1 0\nf 1 2 3\n"), "");
    (void)inf;
    ExpectRefused(
        Write(folder / "far.gltf",
              GltfText("[{\"mesh\":0}]", "0", TriangleBuffer({0, 0, 0, 2e6f, 0, 0, 0, 1, 0}))),
        "world range");
    ExpectRefused(
        Write(folder / "farnode.gltf", GltfText("[{\"mesh\":0,\"translation\":[0,3e6,0]}]", "0",
                                                TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}))),
        "world range");
    // Under a parent scaled by 1000, a node 2000 away ends outside the world.
    ExpectRefused(
        Write(folder / "farworld.gltf", GltfText("[{\"scale\":[1000,1000,1000],\"children\":[1]},"
                                                 "{\"mesh\":0,\"translation\":[2000,0,0]}]",
                                                 "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}))),
        "cannot be added");
    ExpectRefused(Write(folder / "index.gltf",
                        GltfText("[{\"mesh\":0}]", "0",
                                 TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 7}))),
                  "");
    ExpectRefused(Write(folder / "index.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n"), "");
}

// A chain of `depth` nodes, the last with the triangle.
std::string Chain(int depth) {
    std::string nodes = "[";
    for (int i = 0; i < depth; ++i) {
        nodes += i ? "," : "";
        nodes += i + 1 < depth ? "{\"children\":[" + std::to_string(i + 1) + "]}" : "{\"mesh\":0}";
    }
    return GltfText(nodes + "]", "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}));
}

TEST_F(HostileImportTest, NestingBeyondTheEditorsLimitIsRefusedWithoutRecursion) {
    ExpectRefused(Write(folder / "million.gltf", Chain(1000000)), "nested deeper than 10000");
    ExpectRefused(Write(folder / "deep.gltf", Chain(kMaxDotSceneDepth + 5)), "nested deeper");
    std::string dae = "<?xml version=\"1.0\"?><COLLADA version=\"1.4.1\"><library_visual_scenes>"
                      "<visual_scene id=\"s\">";
    std::string close;
    for (int i = 0; i < 1000000; ++i) {
        dae += "<node>";
        close += "</node>";
    }
    ExpectRefused(Write(folder / "million.dae", dae + close +
                                                    "</visual_scene></library_visual_scenes>"
                                                    "<scene><instance_visual_scene url=\"#s\"/>"
                                                    "</scene></COLLADA>"),
                  "nested deeper");
    // Nodes that are their own ancestors.
    ExpectRefused(
        Write(folder / "cycle.gltf", GltfText("[{\"children\":[1]},{\"children\":[0],\"mesh\":0}]",
                                              "0", TriangleBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0}))),
        "");
}

TEST_F(HostileImportTest, ChainsWithinTheLimitComeInWhole) {
    ModelImportResult result;
    std::string error;
    ASSERT_TRUE(ImportModel(Write(folder / "chain.gltf", Chain(3000)), *scene, undo, notifier,
                            result, error))
        << error;
    EXPECT_EQ(result.entities, 3000);
    EXPECT_EQ(undo.undoCount(), 1);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(scene->GetEntityCount(), 1);
}

TEST_F(HostileImportTest, NestingCheckMeasuresOnlyTheNodeTree) {
    EXPECT_EQ(CheckModelNesting(Chain(9000)), "");
    EXPECT_NE(CheckModelNesting(Chain(10001)), "");
    // Wide trees are fine; deep JSON of other kinds is refused before the reader recurses.
    EXPECT_EQ(CheckModelNesting("{\"nodes\":[{\"children\":[1,2,3]},{},{},{}]}"), "");
    EXPECT_NE(CheckModelNesting(std::string(100000, '[')), "");
    EXPECT_NE(CheckModelNesting("{\"nodes\":[{\"children\":[1]},{\"children\":[1]}]}"), "");
    // A NUL byte where a number or word stands ends that word like any other byte.
    EXPECT_EQ(CheckModelNesting(std::string("{\"nodes\":[{\"children\":[1\0]}]}", 26)), "");
    // Binary FBX records, each holding the next (13-byte headers of version 7400).
    auto binaryFbx = [](int depth) {
        std::string out = std::string("Kaydara FBX Binary  ") + '\0' + "\x1a" + '\0';
        const std::uint32_t version = 7400;
        out.append(reinterpret_cast<const char*>(&version), 4);
        auto u32 = [&out](std::uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
        const std::uint32_t innermostEnd = 27 + depth * 14;
        for (int i = 0; i < depth; ++i) {
            u32(innermostEnd + (depth - 1 - i) * 13); // this record's end
            u32(0), u32(0);
            out += '\x01';
            out += 'N';
        }
        out.append(size_t(depth - 1) * 13, '\0'); // the null records closing each list
        out.append(13, '\0');
        return out;
    };
    EXPECT_EQ(CheckModelNesting(binaryFbx(100)), "");
    EXPECT_NE(CheckModelNesting(binaryFbx(20000)).find("nested deeper"), std::string::npos);
    // Text FBX braces.
    std::string fbx = "; FBX 7.4.0 project file\nFBXHeaderExtension: {\n}\nObjects: ";
    for (int i = 0; i < 20000; ++i)
        fbx += "M: {";
    EXPECT_NE(CheckModelNesting(fbx), "");
}

} // namespace
