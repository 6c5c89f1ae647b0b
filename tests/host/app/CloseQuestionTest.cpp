// Closing the editor's window with unsaved changes asks 保存更改? (answered here by a function
// in place of the box): 取消 keeps the window, 保存 saves first, 不保存 closes; a saved scene
// closes without a question.
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "CSceneDocument.h"
#include "EditorTestMain.h"

#include <gtest/gtest.h>

#include <wx/defs.h>

#include <filesystem>

namespace {
CEditorSession* g_session = nullptr;

class CloseQuestionTest : public ::testing::Test {
protected:
    void SetUp() override {
        CMainFrame* frame = g_session->Frame();
        // As an interactive run does, but the handler only records the close.
        frame->SetCloseHandler([this] { ++closed; });
        frame->SetSaveQuestion([this] {
            ++asked;
            return answer;
        });
    }
    void TearDown() override {
        g_session->Frame()->SetSaveQuestion(nullptr);
        g_session->Frame()->SetCloseHandler(nullptr);
    }
    // A change of the content (a selection is none).
    void Change() {
        CommandParams params{{"entity", "box_a"}};
        ASSERT_TRUE(g_session->Host().Undo().doCommand("CopyEntity", &params));
        ASSERT_TRUE(g_session->Document().IsModified());
    }
    bool Close() {
        const int before = closed;
        g_session->Frame()->Close(false);
        g_session->ProcessEvents();
        return closed > before;
    }

    int closed = 0;
    int asked = 0;
    int answer = wxID_CANCEL;
};

} // namespace

TEST_F(CloseQuestionTest, UnsavedChangesAreAskedAbout) {
    g_session->Document().MarkSaved();
    EXPECT_TRUE(Close());
    EXPECT_EQ(asked, 0);

    Change();
    answer = wxID_CANCEL;
    EXPECT_FALSE(Close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(g_session->Document().IsModified());

    // 保存 writes the scene to its file (here a name given before) and then closes.
    const std::string path = testing::TempDir() + "close_question.scene";
    std::string error;
    ASSERT_TRUE(g_session->Document().Save(path, error)) << error;
    Change();
    answer = wxID_YES;
    EXPECT_TRUE(Close());
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(g_session->Document().IsModified());
    EXPECT_TRUE(std::filesystem::exists(path));

    answer = wxID_NO;
    Change();
    EXPECT_TRUE(Close());
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(g_session->Document().IsModified());
    std::filesystem::remove(path);
    std::filesystem::remove(testing::TempDir() + "close_question.ground.mesh");
}

int main(int argc, char** argv) {
    EditorOptions options;
    options.loadPlugins = false;
    options.width = 800;
    options.height = 600;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
