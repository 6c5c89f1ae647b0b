// The window's wording of the engine's messages: real failures of opening and saving, on a
// headless engine, each shown to a person in Chinese with its names, paths and numbers intact.
#include "CEditorEngine.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "CSceneDocument.h"
#include "CToolManager.h"
#include "DemoScene.h"
#include "ModelImport.h"
#include "SceneCommands.h"
#include "WindowMessages.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

// The ASCII words left in `text` once the location, quoted names and element names are taken
// out, and the few words the window keeps as they are (format names, units, literal values).
std::vector<std::string> EnglishWords(std::string text, const std::string& path) {
    for (const std::string& cut : {path, fs::path(path).parent_path().string()})
        for (std::size_t at; !cut.empty() && (at = text.find(cut)) != std::string::npos;)
            text.erase(at, cut.size());
    auto dropBetween = [&text](const std::string& open, const std::string& close) {
        for (std::size_t a; (a = text.find(open)) != std::string::npos;) {
            const std::size_t b = text.find(close, a + open.size());
            text.erase(a, b == std::string::npos ? std::string::npos : b + close.size() - a);
        }
    };
    dropBetween("“", "”");
    dropBetween("<", ">");
    static const std::set<std::string> kept = {"UTF",   "XML",   "CDATA",   "MiB",  "true",
                                               "false", "point", "spot",    "glTF", "glb",
                                               "OBJ",   "FBX",   "Collada", "PLY",  "STL"};
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += c;
        } else {
            if (word.size() >= 2 && !kept.count(word))
                words.push_back(word);
            word.clear();
        }
    }
    return words;
}

} // namespace

class WindowMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = std::make_unique<CEditorEngine>(false);
        CreateDemoMeshes(*engine);
        host = std::make_unique<CEditorHost>(*engine);
        BuildDemoScene(host->Scene());
        ASSERT_TRUE(RegisterSceneCommands(host->Undo(), host->Scene(), host->Tools()));
        document = std::make_unique<CSceneDocument>(*host);
        // A folder of each test's own: ctest runs the cases of this fixture side by side.
        folder = fs::path(testing::TempDir()) /
                 ("window_messages_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        document.reset();
        UnregisterSceneCommands(host->Undo());
        host.reset();
        engine.reset();
        fs::remove_all(folder);
    }
    // Opens a file of this text; every error and warning it gives, with the file's path.
    std::vector<std::string> OpenText(const std::string& name, const std::string& text) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return Open(path);
    }
    std::vector<std::string> Open(const std::string& path) {
        std::string error;
        std::vector<std::string> warnings;
        document->Open(path, error, warnings);
        if (!error.empty())
            warnings.push_back(error);
        return warnings;
    }

    std::unique_ptr<CEditorEngine> engine;
    std::unique_ptr<CEditorHost> host;
    std::unique_ptr<CSceneDocument> document;
    fs::path folder;
};

TEST_F(WindowMessagesTest, EveryFailureOfOpeningAndSavingReadsInChinese) {
    const std::string node = "<scene><nodes>";
    const std::string end = "</nodes></scene>";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"unclosed.scene", "<scene><nodes><node name='a'>"},
        {"root.scene", "<world/>"},
        {"nan.scene", node + "<node name='a'><position x='nan' y='0' z='0'/></node>" + end},
        {"twice.scene", node + "<node name='a'/><node name='a'/>" + end},
        {"flat.scene", node + "<node name='a'><scale x='0' y='1' z='1'/></node>" + end},
        {"far.scene", node + "<node name='a'><position x='1e7' y='0' z='0'/></node>" + end},
        {"nomesh.scene", node + "<node name='a'><entity name='a'/></node>" + end},
        {"turn.scene",
         node + "<node name='a'><rotation qw='0' qx='0' qy='0' qz='0'/></node>" + end},
        {"lamp.scene", node + "<node name='a'><light name='a' type='laser'/></node>" + end},
        {"bits.scene", node +
                           "<node name='a'><userData><property name='state' data='x'/>"
                           "</userData></node>" +
                           end},
        {"skipped.scene", node +
                              "<node name='a'><camera name='c'/><entity meshFile='gone.mesh'/>"
                              "</node>" +
                              end},
        {"text.scene", "mesh a nosuchmesh - 0 0 0 0 0 0 1 1 1\n"},
        {"statement.scene", "teleport a\n"},
        {"long.scene", node + "<node name='" + std::string(256, 'n') + "'/>" + end},
        {"nul.scene", node + "<node name='a'><position x='1&#0;' y='0' z='0'/></node>" + end},
        {"nulname.scene", node + "<node name='a&#0;'/>" + end},
    };
    std::vector<std::pair<std::string, std::string>> messages;
    for (const auto& [name, text] : files)
        for (const std::string& message : OpenText(name, text))
            messages.emplace_back((folder / name).string(), message);
    for (const std::string& message : Open((folder / "absent.scene").string()))
        messages.emplace_back((folder / "absent.scene").string(), message);
    const std::string hostile = GIZMARK_SOURCE_DIR "/tests/host/engine/data/hostile/hostile.scene";
    for (const std::string& message : Open(hostile))
        messages.emplace_back(hostile, message);
    std::string error;
    const std::string unwritable = (folder / "no" / "such" / "a.scene").string();
    EXPECT_FALSE(document->Save(unwritable, error));
    messages.emplace_back(unwritable, error);
    const std::string locked = (folder / "locked.scene").string();
    std::ofstream(locked) << "kept";
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(document->Save(locked, error));
    messages.emplace_back(locked, error);
    ASSERT_GE(messages.size(), files.size() + 5);

    for (const auto& [path, message] : messages) {
        const std::string shown = WindowMessage(message);
        EXPECT_EQ(shown.find("原因："), std::string::npos) << message << "\n -> " << shown;
        EXPECT_TRUE(EnglishWords(shown, path).empty())
            << message << "\n -> " << shown
            << "\n first English word: " << EnglishWords(shown, path).front();
    }
}

TEST_F(WindowMessagesTest, LocationsNamesAndNumbersAreKept) {
    EXPECT_EQ(WindowMessage("/tmp/a: b/x.scene:12: duplicate name 'box: 1' (first at line 3)"),
              "/tmp/a: b/x.scene 第 12 行：名称 “box: 1” 重复（首次出现在第 3 行）");
    EXPECT_EQ(WindowMessage("/tmp/a: b/x.scene: cannot write (Permission denied)"),
              "/tmp/a: b/x.scene：无法写入（权限不足）");
    EXPECT_EQ(WindowMessage("s.scene:4: mesh 'm.mesh' cannot be loaded: at byte 96: index 7 is "
                            "not below the vertex count 3; 'crate' is shown as a box"),
              "s.scene 第 4 行：网格 “m.mesh” 无法加载：第 96 字节处不是有效的网格数据；“crate” "
              "以方框显示");
    EXPECT_EQ(WindowMessage("s.scene: no such file"), "s.scene：文件不存在");
    // What no rule knows still gets Chinese words around it, and nothing is lost.
    EXPECT_EQ(WindowMessage("s.scene:2: something new"), "s.scene 第 2 行：原因：something new");
    EXPECT_EQ(WindowMessage("odd"), "出错：odd");
}

TEST_F(WindowMessagesTest, FailuresOfMemoryDiskAndCopiesSayWhatFailed) {
    EXPECT_EQ(WindowMessage("a.scene: out of memory while reading the scene"),
              "a.scene：读取场景时内存不足");
    EXPECT_EQ(WindowMessage("a.scene: out of memory while saving the scene"),
              "a.scene：保存场景时内存不足");
    EXPECT_EQ(WindowMessage("m.glb: out of memory while importing the model"),
              "m.glb：导入模型时内存不足");
    EXPECT_EQ(WindowMessage("a.scene: cannot open the scene (vector::reserve)"),
              "a.scene：无法打开场景（原因：vector::reserve）");
    EXPECT_EQ(WindowMessage("d/a.ground.mesh: cannot write (No space left on device)"),
              "d/a.ground.mesh：无法写入（磁盘空间不足）");
    EXPECT_EQ(WindowMessage("d/a.scene: the file is read-only"), "d/a.scene：文件是只读的，未覆盖");
    EXPECT_EQ(WindowMessage("d/a.scene: 'crate.mesh' is not copied: a different file of that "
                            "name is already in d"),
              "d/a.scene：未复制 “crate.mesh”：d 中已有同名的其他文件");
    EXPECT_EQ(WindowMessage("a.scene:3: the name 'nnn...' is longer than 255 bytes"),
              "a.scene 第 3 行：名称 “nnn...” 超过 255 字节");
}

TEST_F(WindowMessagesTest, RefusedImportsReadInChinese) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.glb", ""},
        {"notes.txt", "hello"},
        {"deep.gltf", std::string(20000, '[')},
        {"far.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
                     R"("nodes":[{"name":"n","translation":[1e9,0,0]}]})"},
        {"noend.ply", "ply\nformat ascii 1.0\nelement vertex 3\n"},
        {"format.ply", "ply\nformat text 1.0\nend_header\n"},
        {"type.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty real x\nend_header\n"},
        {"line.ply", "ply\nformat ascii 1.0\nelemenoperty float y\nend_header\n"},
    };
    int refused = 0;
    for (const auto& [name, text] : files) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        ModelImportResult result;
        std::string error;
        if (ImportModel(path, host->Scene(), host->Undo(), host->Tools(), result, error))
            continue;
        ++refused;
        const std::string shown = WindowMessage(error);
        EXPECT_EQ(shown.find("原因："), std::string::npos) << error << "\n -> " << shown;
        EXPECT_TRUE(EnglishWords(shown, path).empty()) << error << "\n -> " << shown;
    }
    EXPECT_EQ(refused, int(files.size()));
}

// What an import refuses or leaves out for being too large or outside the model's folder.
TEST_F(WindowMessagesTest, ImportBoundsReadInChinese) {
    const std::string path = (folder / "m.obj").string();
    const std::string bodies[] = {
        "texture 'huge.png' is not decoded: 16384x16384 pixels, more than the 67108864 the "
        "editor decodes",
        "texture 'vol.dds' is not decoded: 4096x4096x4096 pixels, more than the 67108864 the "
        "editor decodes",
        "texture 'cube.dds' is not decoded: 8192x8192 (6 faces) pixels, more than the 67108864 "
        "the editor decodes",
        "texture 'a.dds' is not decoded: the image holds fewer bytes than its header says",
        "texture 'a.dds' is not decoded: the image header is not well formed",
        "texture 'a.txt' is not decoded: not an image of a kind the editor reads",
        "texture 'b.png' is not decoded: the model's textures come to more than 268435456 pixels",
        "texture '../secret.png' cannot be read: outside the model's folder",
        "file '/home/secret.txt' that the model needs is not read: outside the model's folder",
        "file '/tmp/pipe.mtl' is not read: not a regular file",
        "the node tree expands to 16777218 entities, more than the 1000000 an import makes",
        "the node tree expands to more than 4611686018427387904 entities, more than the 1000000 "
        "an import makes",
    };
    for (const std::string& body : bodies) {
        const std::string shown = WindowMessage(path + ": " + body);
        EXPECT_EQ(shown.find("原因："), std::string::npos) << body << "\n -> " << shown;
        EXPECT_TRUE(EnglishWords(shown, path).empty()) << body << "\n -> " << shown;
    }
    EXPECT_EQ(
        WindowMessage(path + ": " + bodies[1]),
        path + "：纹理 “vol.dds” 未解码：图像为 4096×4096×4096 像素，超过可解码的 67108864 像素");
}
