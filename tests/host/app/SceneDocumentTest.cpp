// The scene document on a headless engine: what counts as an unsaved change, what a failed
// save or open leaves, the title, and a recovery copy opened as the file it came from.
#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "CSceneDocument.h"
#include "CToolManager.h"
#include "DemoScene.h"
#include "SceneCommands.h"
#include "SceneSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

class SceneDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = std::make_unique<CEditorEngine>(false);
        CreateDemoMeshes(*engine);
        host = std::make_unique<CEditorHost>(*engine);
        BuildDemoScene(host->Scene());
        ASSERT_TRUE(RegisterSceneCommands(host->Undo(), host->Scene(), host->Tools()));
        document = std::make_unique<CSceneDocument>(*host);
        // One folder per test: ctest may run the cases side by side.
        folder = fs::path(testing::TempDir()) /
                 ("scene_document_" +
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
    bool Select(const std::string& names) {
        CommandParams params;
        params["entity"] = names;
        params["mode"] = "exclude";
        return host->Undo().doCommand("SelectEntity", &params);
    }
    bool Copy(const std::string& names) {
        CommandParams params;
        params["entity"] = names;
        return host->Undo().doCommand("CopyEntity", &params);
    }

    std::unique_ptr<CEditorEngine> engine;
    std::unique_ptr<CEditorHost> host;
    std::unique_ptr<CSceneDocument> document;
    fs::path folder;
    std::string error;
    std::vector<std::string> warnings;
};

TEST_F(SceneDocumentTest, SelectionsLeaveTheDocumentAsSavedAndUndoReturnsToIt) {
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(document->Title(), "未命名 - Gizmark 场景编辑器");
    // Selecting is an undoable step that changes no entity.
    ASSERT_TRUE(Select("box_a"));
    EXPECT_FALSE(document->IsModified());
    ASSERT_TRUE(Copy("box_a"));
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->Title(), "未命名* - Gizmark 场景编辑器");

    const std::string path = (folder / "a.scene").string();
    ASSERT_TRUE(document->Save(path, error)) << error;
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(document->Path(), path);
    EXPECT_EQ(document->Title(), "a.scene - Gizmark 场景编辑器");
    ASSERT_TRUE(Select("cone_a"));
    EXPECT_FALSE(document->IsModified());
    // Undoing past the saved state marks the document; redoing back to it clears the mark,
    // across selection steps on either side.
    ASSERT_TRUE(host->Undo().undo()); // the selection
    EXPECT_FALSE(document->IsModified());
    ASSERT_TRUE(host->Undo().undo()); // the copy
    EXPECT_TRUE(document->IsModified());
    ASSERT_TRUE(host->Undo().undo()); // the first selection
    EXPECT_TRUE(document->IsModified());
    ASSERT_TRUE(host->Undo().redo());
    ASSERT_TRUE(host->Undo().redo());
    EXPECT_FALSE(document->IsModified());
    ASSERT_TRUE(host->Undo().redo());
    EXPECT_FALSE(document->IsModified());

    // A new step after undoing past the saved state discards it: no way back any more.
    ASSERT_TRUE(host->Undo().undo());
    ASSERT_TRUE(host->Undo().undo()); // the copy
    ASSERT_TRUE(Select("pillar"));
    EXPECT_TRUE(document->IsModified());
    ASSERT_TRUE(host->Undo().undo());
    EXPECT_TRUE(document->IsModified());
    ASSERT_TRUE(Copy("pillar"));
    ASSERT_TRUE(host->Undo().undo());
    EXPECT_TRUE(document->IsModified());
    ASSERT_TRUE(document->Save(path, error)) << error;
    EXPECT_FALSE(document->IsModified());
}

TEST_F(SceneDocumentTest, LightEditsAndTheBoundedStack) {
    // The light page changes lights without an undo step: undo does not take the mark away.
    Ogre::Light* lamp = host->Scene().GetEntity("lamp_point")->GetOgreLight();
    const float before[4] = {lamp->getAttenuationRange(), lamp->getAttenuationConstant(),
                             lamp->getAttenuationLinear(), lamp->getAttenuationQuadric()};
    ASSERT_TRUE(Select("box_a"));
    lamp->setAttenuation(10, 1, 0.5f, 0);
    EXPECT_TRUE(document->IsModified());
    ASSERT_TRUE(host->Undo().undo());
    EXPECT_TRUE(document->IsModified());
    lamp->setAttenuation(before[0], before[1], before[2], before[3]);
    EXPECT_FALSE(document->IsModified());

    // Saved right after a copy: the copy dropping off the bottom of the full stack leaves
    // that state reachable by undoing everything that came after it.
    ASSERT_TRUE(Copy("box_a"));
    document->MarkSaved();
    for (int i = 0; i < CEditorUndoManager::kDefaultDepth; ++i)
        ASSERT_TRUE(Copy(i % 2 ? "box_a" : "cone_a"));
    EXPECT_TRUE(document->IsModified());
    while (host->Undo().undo()) {
    }
    EXPECT_FALSE(document->IsModified());
    // Saved before a copy that then drops off the bottom: that state cannot come back.
    ASSERT_TRUE(Copy("box_a"));
    ASSERT_TRUE(host->Undo().undo());
    document->MarkSaved();
    ASSERT_TRUE(Copy("cone_a"));
    for (int i = 0; i < CEditorUndoManager::kDefaultDepth; ++i)
        ASSERT_TRUE(Select(i % 2 ? "box_a" : "cone_a"));
    EXPECT_TRUE(document->IsModified());
    while (host->Undo().undo()) {
    }
    EXPECT_TRUE(document->IsModified());
    // Clearing the steps (as unloading the plug-ins does) keeps the content and its mark.
    document->MarkSaved();
    host->Undo().clear();
    EXPECT_FALSE(document->IsModified());
    ASSERT_TRUE(Copy("box_a"));
    host->Undo().clear();
    EXPECT_TRUE(document->IsModified());
}

TEST_F(SceneDocumentTest, FailedSaveAndOpenChangeNothing) {
    ASSERT_TRUE(Copy("cone_a"));
    ASSERT_TRUE(Select("box_a"));
    const int steps = host->Undo().undoCount();
    EXPECT_FALSE(document->Save((folder / "missing" / "a.scene").string(), error));
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->Path(), "");

    const std::string bad = (folder / "bad.scene").string();
    std::ofstream(bad) << "<scene><nodes><node name='a'><scale x='0' y='1' z='1'/></node>"
                          "</nodes></scene>";
    EXPECT_FALSE(document->Open(bad, error, warnings));
    EXPECT_EQ(error, bad + ":1: node 'a' has a zero scale");
    EXPECT_EQ(host->Undo().undoCount(), steps);
    EXPECT_TRUE(host->Scene().isEntitySelected("box_a"));
    EXPECT_EQ(host->Scene().GetEntityCount(), 8);
    EXPECT_TRUE(document->IsModified());

    // A good file replaces scene, steps and selection, and is the document's file.
    const std::string good = (folder / "good.scene").string();
    std::ofstream(good) << "<scene><nodes><node name='a'><entity meshFile='box'/></node>"
                           "</nodes></scene>";
    ASSERT_TRUE(document->Open(good, error, warnings)) << error;
    EXPECT_EQ(host->Scene().GetEntityCount(), 1);
    EXPECT_EQ(host->Undo().undoCount(), 0);
    EXPECT_TRUE(host->Scene().getSelectedEntities().empty());
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(document->Path(), good);
}

TEST_F(SceneDocumentTest, AFileOfTheTextFormatIsNeverTheSaveTarget) {
    document->SetSourceName("/somewhere/old.scene");
    EXPECT_EQ(document->Path(), "");
    EXPECT_EQ(document->DisplayName(), "old.scene");
}

TEST_F(SceneDocumentTest, OpenReadsTheTextFormatAsTheCommandLineDoes) {
    // The same file that --scene reads: it does not start with '<'.
    const std::string text = (folder / "text.scene").string();
    std::ofstream(text) << "# the editor's own format\n"
                           "mesh a box - 0 0 0 0 0 0 1 1 1\n"
                           "mesh b cone a 1 0 0 0 0 0 1 1 1\n";
    ASSERT_TRUE(Copy("cone_a"));
    ASSERT_TRUE(document->Open(text, error, warnings)) << error;
    EXPECT_EQ(host->Scene().GetEntityCount(), 2);
    EXPECT_EQ(host->Scene().GetEntity("b")->GetParentEntity()->GetName(), "a");
    EXPECT_EQ(host->Undo().undoCount(), 0);
    EXPECT_FALSE(document->IsModified());
    // Shown by name, never overwritten with XML by a plain save.
    EXPECT_EQ(document->DisplayName(), "text.scene");
    EXPECT_EQ(document->Path(), "");

    // A faulty text file is refused on its line, the scene kept.
    const std::string bad = (folder / "bad.scene").string();
    std::ofstream(bad) << "mesh a box - 0 0 0 0 0 0 1 1 1\nwhat now\n";
    EXPECT_FALSE(document->Open(bad, error, warnings));
    EXPECT_EQ(error, bad + ":2: unknown statement 'what'");
    EXPECT_EQ(host->Scene().GetEntityCount(), 2);

    // XML is still XML, and a missing file says so.
    EXPECT_FALSE(document->Open((folder / "none.scene").string(), error, warnings));
    EXPECT_EQ(error, (folder / "none.scene").string() + ": no such file");
}

TEST_F(SceneDocumentTest, ASaveOverAReadOnlyFileFailsAndTheChangesStayUnsaved) {
    ASSERT_TRUE(Copy("cone_a"));
    const std::string path = (folder / "locked.scene").string();
    std::ofstream(path) << "kept";
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(document->Save(path, error));
    EXPECT_EQ(error, path + ": the file is read-only");
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->Path(), "");
    std::ifstream in(path);
    std::string contents;
    std::getline(in, contents);
    EXPECT_EQ(contents, "kept");
}

TEST_F(SceneDocumentTest, ARecoveryCopyOpensAsTheOriginalFileWithUnsavedChanges) {
    const std::string original = (folder / "a.scene").string();
    ASSERT_TRUE(document->Save(original, error)) << error;
    const std::string mark = document->ContentMark();
    ASSERT_TRUE(Select("box_a"));
    EXPECT_EQ(document->ContentMark(), mark); // a selection is no change of content
    ASSERT_TRUE(Copy("box_a"));
    const std::string copied = document->ContentMark();
    EXPECT_NE(copied, mark);
    Ogre::Light* lamp = host->Scene().GetEntity("lamp_point")->GetOgreLight();
    lamp->setPowerScale(lamp->getPowerScale() * 2);
    EXPECT_NE(document->ContentMark(), copied); // nor is a light's value an undo step

    // The copy as autosave writes it: a snapshot, written into another folder.
    SceneSnapshot snapshot;
    ASSERT_TRUE(TakeSceneSnapshot(host->Scene(), "recovery.scene", snapshot, error)) << error;
    const fs::path copyFolder = folder / "recovery";
    fs::create_directories(copyFolder);
    ASSERT_TRUE(WriteSceneSnapshot(snapshot, copyFolder.string(), "recovery.scene",
                                   {{"info", "written last"}}, error))
        << error;
    EXPECT_TRUE(fs::exists(copyFolder / "recovery.ground.mesh"));
    const int entities = host->Scene().GetEntityCount();
    const float power = lamp->getPowerScale();

    // Opened again over the saved scene: the change is back, as the original file, unsaved.
    ASSERT_TRUE(document->Open(original, error, warnings)) << error;
    ASSERT_NE(host->Scene().GetEntityCount(), entities);
    ASSERT_TRUE(document->OpenRecovered((copyFolder / "recovery.scene").string(), original, error,
                                        warnings))
        << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(host->Scene().GetEntityCount(), entities);
    ASSERT_NE(host->Scene().GetGround(), nullptr);
    EXPECT_FLOAT_EQ(host->Scene().GetEntity("lamp_point")->GetOgreLight()->getPowerScale(), power);
    EXPECT_EQ(document->Path(), original);
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->Title(), "a.scene* - Gizmark 场景编辑器");
    // 保存 writes the original and clears the mark; the copy's folder is left alone.
    ASSERT_TRUE(document->Save(document->Path(), error)) << error;
    EXPECT_FALSE(document->IsModified());
    ASSERT_TRUE(document->Open(original, error, warnings)) << error;
    EXPECT_EQ(host->Scene().GetEntityCount(), entities);

    // A copy that cannot be read changes nothing: neither scene nor name nor mark.
    EXPECT_FALSE(document->OpenRecovered((folder / "none.scene").string(), "/elsewhere.scene",
                                         error, warnings));
    EXPECT_EQ(document->Path(), original);
    EXPECT_FALSE(document->IsModified());
}
