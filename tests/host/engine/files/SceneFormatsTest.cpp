// The lookup of scene file formats: a file goes to the format its first bytes name, whatever
// its extension; a file that no format claims or that cannot be read goes to the default
// format, which refuses it with the words the editor has always used.
#include "DotScene.h"
#include "EngineFixture.h"
#include "SceneFormats.h"

#include <sys/stat.h>

#include <stdexcept>

namespace {

class SceneFormatsTest : public FolderEngineTest {
protected:
    const std::string& OpenedBy(const std::string& path) {
        return EditorSceneFormats().ForOpening(path).name;
    }
    // Reads through the looked-up format into a scene built aside; the scene's content is
    // taken only when the read succeeds.
    bool Read(const std::string& path) {
        std::unique_ptr<CEditorScene> loaded = EditorSceneFormats().ForOpening(path).read(
            path, scene->GetOgreSceneManager(), warnings, error);
        if (!loaded)
            return false;
        scene->TakeContent(*loaded);
        return true;
    }

    std::string error;
    std::vector<std::string> warnings;
};

const char* const kXml = "<scene formatVersion=\"1.1\"><nodes>"
                         "<node name=\"lamp\"><position x=\"1\" y=\"2\" z=\"3\"/>"
                         "<light name=\"lamp\" type=\"point\"/></node>"
                         "<node name=\"lost\"><entity name=\"lost\" meshFile=\"none.mesh\"/>"
                         "</node></nodes></scene>\n";
const char* const kText = "# two boxes\nmesh a box - 0 0 0 0 0 0 1 1 1\n"
                          "mesh b box a 1 0 0 0 0 0 1 1 1\n";

} // namespace

TEST_F(SceneFormatsTest, TheFirstBytesChooseTheFormatWhateverTheExtension) {
    // A byte-order mark and blanks before the '<' still make XML; so does another extension.
    const std::string xml = Write("a.scene", "\xEF\xBB\xBF \n\t" + std::string(kXml));
    const std::string xmlNamedText = Write("b.txt", kXml);
    const std::string text = Write("c.scene", kText);
    const std::string textNamedXml = Write("d.xml", kText);
    const std::string empty = Write("e.scene", "");
    EXPECT_EQ(OpenedBy(xml), "Ogre scene XML");
    EXPECT_EQ(OpenedBy(xmlNamedText), "Ogre scene XML");
    EXPECT_EQ(OpenedBy(text), "scene text");
    EXPECT_EQ(OpenedBy(textNamedXml), "scene text");
    EXPECT_EQ(OpenedBy(empty), "scene text");
    // A '<' past the bytes the formats are shown is not seen.
    const std::string late = Write("f.scene", std::string(kSceneFileHeadBytes, ' ') + kXml);
    EXPECT_EQ(OpenedBy(late), "scene text");

    ASSERT_TRUE(Read(xml)) << error;
    EXPECT_EQ(scene->GetEntityCount(), 2);
    ASSERT_EQ(warnings.size(), 1u); // the missing mesh, shown as a placeholder
    EXPECT_NE(warnings[0].find("none.mesh"), std::string::npos) << warnings[0];
    warnings.clear();
    ASSERT_TRUE(Read(textNamedXml)) << error;
    EXPECT_EQ(scene->GetEntityCount(), 2);
    EXPECT_TRUE(scene->GetEntity("b"));
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SceneFormatsTest, AFileThatCannotBeReadIsRefusedByTheDefaultFormatAsBefore) {
    const std::string missing = (folder / "missing.scene").string();
    const std::string fifo = (folder / "pipe.scene").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {{missing, missing + ": no such file"},
                 {folder.string(), folder.string() + ": not a regular file"},
                 {fifo, fifo + ": not a regular file"}};
    for (const auto& c : cases) {
        EXPECT_EQ(EditorSceneFormats().ClaimedBy(c.path), nullptr) << c.path;
        EXPECT_EQ(OpenedBy(c.path), "Ogre scene XML") << c.path;
        const int before = scene->GetEntityCount();
        EXPECT_FALSE(Read(c.path));
        EXPECT_EQ(error, c.message);
        EXPECT_EQ(scene->GetEntityCount(), before);
        // The same words as the format's own reader.
        DotSceneDocument doc;
        std::string direct;
        EXPECT_FALSE(ReadDotSceneFile(c.path, doc, direct));
        EXPECT_EQ(error, direct);
    }
}

TEST_F(SceneFormatsTest, SavingGoesToAWriterOfTheExtensionElseTheDefault) {
    const CSceneFormatRegistry& formats = EditorSceneFormats();
    EXPECT_EQ(formats.ForSaving("x.scene").name, "Ogre scene XML");
    EXPECT_EQ(formats.ForSaving("/a/B.SCENE").name, "Ogre scene XML");
    EXPECT_EQ(formats.ForSaving("x.txt").name, "Ogre scene XML");
    EXPECT_EQ(formats.ForSaving("noextension").name, "Ogre scene XML");
    // The text format is read only: nothing ever saves into it.
    for (const SceneFormat& format : formats.Formats())
        EXPECT_EQ(bool(format.write), format.name == "Ogre scene XML") << format.name;

    // Saved through the lookup, opened back through it.
    scene->AddMesh("box", "box", "", Ogre::Vector3(1, 2, 3));
    const std::string path = (folder / "saved.scene").string();
    ASSERT_TRUE(formats.ForSaving(path).write(path, *scene, warnings, error)) << error;
    EXPECT_EQ(OpenedBy(path), "Ogre scene XML");
    scene->Clear();
    ASSERT_TRUE(Read(path)) << error;
    ASSERT_TRUE(scene->GetEntity("box"));
    ExpectNear(scene->GetEntity("box")->GetPosition(), {1, 2, 3});
}

TEST_F(SceneFormatsTest, ARegistryAsksItsFormatsInOrderAndFallsBackToTheFirst) {
    std::vector<std::string> asked;
    auto reader = [&asked](const char* name) {
        return [&asked, name](const std::string&, Ogre::SceneManager*, std::vector<std::string>&,
                              std::string& error) {
            asked.push_back(name);
            error = name;
            return std::unique_ptr<CEditorScene>();
        };
    };
    auto writer = [](const std::string&, CEditorScene&, std::vector<std::string>&, std::string&) {
        return true;
    };
    auto startsWith = [](const char* magic) {
        return [magic](const std::string& head) { return head.rfind(magic, 0) == 0; };
    };

    CSceneFormatRegistry formats;
    // The default must both read and write: it takes what nothing else can.
    EXPECT_THROW(formats.Register({"reads only", ".a", {}, reader("a"), {}}),
                 std::invalid_argument);
    formats.Register({"first", ".one", startsWith("AB"), reader("first"), writer});
    formats.Register({"second", ".two", startsWith("A"), reader("second"), writer});
    formats.Register({"third", ".TWO", startsWith("A"), reader("third"), {}});

    EXPECT_EQ(formats.ForOpening(Write("1.two", "ABC")).name, "first"); // asked first
    EXPECT_EQ(formats.ForOpening(Write("2.one", "AC")).name, "second");
    const std::string unknown = Write("3.two", "xyz");
    EXPECT_EQ(formats.ClaimedBy(unknown), nullptr);
    EXPECT_EQ(formats.ForOpening(unknown).name, "first");
    std::vector<std::string> found;
    EXPECT_FALSE(formats.ForOpening(unknown).read(unknown, nullptr, found, error));
    EXPECT_EQ(asked, std::vector<std::string>{"first"});

    EXPECT_EQ(formats.ForSaving("a.Two").name, "second"); // "third" has no writer
    EXPECT_EQ(formats.ForSaving("a.one").name, "first");
    EXPECT_EQ(formats.ForSaving("a.three").name, "first");
}
