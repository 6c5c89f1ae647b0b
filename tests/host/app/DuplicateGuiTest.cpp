// Duplicating with real X input (XTest) through the toolkit and the editor's render loop, with
// the plug-in: Ctrl+D and Shift+D typed into a view copy the selection in place as one step; a
// drag of the move gizmo pressed with Alt held drags copies, leaves the originals, and undoes and
// redoes as one step; Escape during it leaves no copy and the stacks as they were.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScriptLine.h"
#include "EditorTestMain.h"
#include "SceneEntity.h"
#include "ScriptInput.h"
#include "ScriptRunner.h"

#include <wx/utils.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

// Last: Xlib's macros clash with names in the headers above.
#include "XTestInput.h"

namespace {

CEditorSession* g_session = nullptr;

class DuplicateGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        ASSERT_TRUE(m_input.IsOk());
        Script("select box_a");
        Script("tool move");
        StartRenderLoop();
        m_undoBefore = Undo().undoCount();
        m_countBefore = Scene().GetEntityCount();
    }
    void TearDown() override {
        // Back to the scene as it was for the next case.
        g_session->Frame()->StopRenderLoop();
        while (Undo().undoCount() > m_undoBefore && Undo().undo()) {
        }
    }
    void StartRenderLoop() { StartEditorRenderLoop(*g_session); }
    std::string Script(const std::string& line) {
        bool ok = false;
        const std::string out = RunEditorScriptLine(*g_session, line, ok);
        EXPECT_TRUE(ok) << line << ": " << g_session->Script().LastError();
        return out;
    }
    CViewWindow* View() { return g_session->Frame()->GetViewWindow(0); }
    wxPoint ScreenPoint(int x, int y) { return View()->ClientToScreen(wxPoint(x, y)); }
    CEditorScene& Scene() { return g_session->Scene(); }
    CEditorUndoManager& Undo() { return g_session->Host().Undo(); }
    SceneEntity* Entity(const char* name) { return Scene().getSceneEntity(name); }
    void FocusView() {
        const wxSize size = View()->GetClientSize();
        m_input.MoveTo(ScreenPoint(size.x - 20, size.y - 20));
        View()->SetFocus();
        ASSERT_TRUE(RunLoopUntil([&] { return wxWindow::FindFocus() == View(); }));
    }
    // A modifier held while `key` is pressed and let go in the focused view.
    void Chord(KeySym modifier, KeySym key) {
        CInputWatch watch;
        m_input.Hold(modifier, true);
        m_input.Key(key);
        m_input.Hold(modifier, false);
        ASSERT_TRUE(RunLoopUntil([&] { return watch.Seen(wxEVT_KEY_UP) >= 2; }));
    }
    // Presses the X arrow with Alt held and drags it `dx` pixels in three steps; the release
    // comes unless `escape`, which types Escape before letting go.
    void AltDrag(int dx, bool escape) {
        int x = 0, y = 0;
        ASSERT_TRUE(GizmoPartPixel(*g_session, "x", x, y));
        m_input.MoveTo(ScreenPoint(x, y));
        m_input.Hold(XK_Alt_L, true);
        ASSERT_TRUE(RunLoopUntil([] { return wxGetKeyState(WXK_ALT); }));
        const int count = Scene().GetEntityCount();
        m_input.Button(true);
        ASSERT_TRUE(RunLoopUntil([&] { return View()->HasCapture(); }));
        EXPECT_GT(Scene().GetEntityCount(), count) << "the Alt press made no copy";
        for (int step = 1; step <= 3; ++step) {
            m_input.MoveTo(ScreenPoint(x + dx * step / 3, y));
            RunLoopUntil([] { return false; }, 60);
        }
        if (escape)
            m_input.Key(XK_Escape);
        m_input.Hold(XK_Alt_L, false);
        m_input.Button(false);
        ASSERT_TRUE(RunLoopUntil([&] { return !View()->HasCapture(); }));
    }

    CXInput m_input;
    int m_undoBefore = 0;
    int m_countBefore = 0;
};

TEST_F(DuplicateGuiTest, CtrlDAndShiftDCopyTheSelectionInPlace) {
    const Ogre::Vector3 at = Entity("box_a")->GetWorldPosition();
    FocusView();
    Chord(XK_Control_L, XK_d);
    ASSERT_TRUE(RunLoopUntil([&] { return Scene().GetEntityCount() == m_countBefore + 1; }));
    EXPECT_EQ(Scene().getSelectedEntities(), std::set<std::string>{"box_a_1"});
    ASSERT_TRUE(Entity("box_a_1"));
    EXPECT_EQ(Entity("box_a_1")->GetWorldPosition(), at);
    EXPECT_EQ(Undo().undoCount(), m_undoBefore + 1);
    // Shift+D copies the copy; a plain D, or Ctrl+Shift+D, does nothing.
    Chord(XK_Shift_L, XK_d);
    ASSERT_TRUE(RunLoopUntil([&] { return Scene().GetEntityCount() == m_countBefore + 2; }));
    EXPECT_EQ(Scene().getSelectedEntities(), std::set<std::string>{"box_a_1_1"});
    CInputWatch watch;
    m_input.Key(XK_d);
    ASSERT_TRUE(RunLoopUntil([&] { return watch.Seen(wxEVT_KEY_UP) >= 1; }));
    EXPECT_EQ(Scene().GetEntityCount(), m_countBefore + 2);
    EXPECT_EQ(Undo().undoCount(), m_undoBefore + 2);
}

TEST_F(DuplicateGuiTest, AltDragMovesCopiesAndUndoesAsOneStep) {
    const Ogre::Vector3 at = Entity("box_a")->GetWorldPosition();
    AltDrag(45, false);
    ASSERT_TRUE(Entity("box_a_1"));
    EXPECT_EQ(Entity("box_a")->GetWorldPosition(), at) << "the original moved";
    const Ogre::Vector3 moved = Entity("box_a_1")->GetWorldPosition();
    EXPECT_GT(moved.x, at.x + 0.1f) << "the copy was not dragged";
    EXPECT_EQ(moved.y, at.y);
    EXPECT_EQ(moved.z, at.z);
    EXPECT_EQ(Scene().getSelectedEntities(), std::set<std::string>{"box_a_1"});
    EXPECT_EQ(Undo().undoCount(), m_undoBefore + 1) << "the copy and its drag are not one step";
    // One undo takes the drag and the copy; one redo brings both.
    ASSERT_TRUE(Undo().undo());
    EXPECT_FALSE(Entity("box_a_1"));
    EXPECT_EQ(Scene().getSelectedEntities(), std::set<std::string>{"box_a"});
    ASSERT_TRUE(Undo().redo());
    ASSERT_TRUE(Entity("box_a_1"));
    EXPECT_EQ(Entity("box_a_1")->GetWorldPosition(), moved);
    EXPECT_EQ(Entity("box_a")->GetWorldPosition(), at);
}

TEST_F(DuplicateGuiTest, EscapeDuringAnAltDragLeavesNoCopy) {
    // A step to redo first: the take-back must leave it there.
    Script("select cone_a");
    ASSERT_TRUE(Undo().undo());
    ASSERT_EQ(Scene().getSelectedEntities(), std::set<std::string>{"box_a"});
    const int undoDepth = Undo().undoCount(), redoDepth = Undo().redoCount();
    const Ogre::Vector3 at = Entity("box_a")->GetWorldPosition();
    AltDrag(45, true);
    EXPECT_EQ(Scene().GetEntityCount(), m_countBefore);
    EXPECT_FALSE(Entity("box_a_1"));
    EXPECT_EQ(Entity("box_a")->GetWorldPosition(), at);
    EXPECT_EQ(Undo().undoCount(), undoDepth);
    EXPECT_EQ(Undo().redoCount(), redoDepth);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
