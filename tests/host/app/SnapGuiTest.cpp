// Vertex snapping in the editor with the plug-in, driven by real X input (XTest) through the
// toolkit and the editor's render loop: V held marks the selection's vertex under the pointer
// in every view, a press and drag lands it exactly on another mesh's vertex (marked too), V may
// be let go during the drag, and the drag is one undo step. Ctrl+Shift on the move gizmo's
// centre puts the selection on the surface under the pointer, as the script's surface drag does.
#include "AutomationContract.h"
#include "CEditorEngine.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorTestMain.h"
#include "SceneEntity.h"
#include "ScriptRunner.h"

#include <OgreManualObject.h>
#include <OgreSceneManager.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

// Last: Xlib's macros clash with names in the headers above.
#include "XTestInput.h"

namespace {

CEditorSession* g_session = nullptr;

class SnapGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        ASSERT_TRUE(m_input.IsOk());
        Script("select cone_a");
        Script("tool move");
        g_session->Frame()->StartRenderLoop([] { g_session->RenderTick(); });
    }
    void TearDown() override { g_session->Frame()->StopRenderLoop(); }
    void Script(const std::string& line) {
        g_session->Frame()->StopRenderLoop();
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        EXPECT_TRUE(g_session->RunScriptLine(line)) << g_session->Script().LastError();
        g_session->Script().SetOutput(nullptr);
        g_session->Frame()->StartRenderLoop([] { g_session->RenderTick(); });
    }
    CViewWindow* Window() { return g_session->Frame()->GetViewWindow(0); }
    CEditorView* View() { return g_session->Host().GetView(0); }
    wxPoint PixelOf(const Ogre::Vector3& world) {
        Ogre::Vector3 out;
        View()->projectPoint(out, world, nullptr);
        return wxPoint(int(out.x + 0.5f), int(out.y + 0.5f));
    }
    wxPoint Screen(const wxPoint& view) { return Window()->ClientToScreen(view); }
    // The nearest vertex of `set` to a view pixel, at any distance.
    bool Vertex(const wxPoint& at, int set, Ogre::Vector3& vertex) {
        VertexQuery q{};
        q.view = View();
        q.x = at.x;
        q.y = at.y;
        q.set = set;
        if (g_session->Scene().vertexQuery(&q) != 1)
            return false;
        vertex = q.vertex;
        return true;
    }
    bool MarkShown(const char* name) {
        Ogre::SceneManager* sm = g_session->Host().Engine().GetOgreSceneManager();
        return sm->hasManualObject(name) && sm->getManualObject(name)->isVisible();
    }
    CXInput m_input;
};

TEST_F(SnapGuiTest, VHeldMarksAndADragLandsTheVertexExactly) {
    SceneEntity* cone = g_session->Scene().getSceneEntity("cone_a");
    SceneEntity* rock = g_session->Scene().getSceneEntity("石块");
    ASSERT_TRUE(cone && rock);
    const Ogre::Vector3 start = cone->GetWorldPosition();
    Ogre::Vector3 from, to;
    const wxPoint press = PixelOf(cone->GetWorldPosition() - Ogre::Vector3(0, 1.4f, 0));
    ASSERT_TRUE(Vertex(press, VERTEX_OF_SELECTED, from));
    ASSERT_TRUE(Vertex(PixelOf(rock->GetWorldPosition()), VERTEX_OF_OTHERS, to));
    const wxPoint release = PixelOf(to);
    const int undoBefore = g_session->Host().Undo().undoCount();

    // The pointer over the view with the focus there, then V held: the mark appears.
    m_input.MoveTo(Screen(press));
    Window()->SetFocus();
    ASSERT_TRUE(RunLoopUntil([&] { return wxWindow::FindFocus() == Window(); }));
    EXPECT_FALSE(MarkShown(automation::kVertexFromMarkObject));
    m_input.KeyState(XK_v, true);
    ASSERT_TRUE(RunLoopUntil([&] { return MarkShown(automation::kVertexFromMarkObject); }))
        << "V held did not mark the selection's vertex";
    EXPECT_FALSE(MarkShown(automation::kVertexToMarkObject));

    // Press and drag onto the rock's vertex: both marks; V let go, the drag goes on.
    m_input.Button(true);
    ASSERT_TRUE(RunLoopUntil([&] { return Window()->HasCapture(); }));
    for (int i = 1; i <= 6; ++i) {
        const Ogre::Vector3 before = cone->GetWorldPosition();
        m_input.MoveTo(Screen(press + (release - press) * i / 6));
        ASSERT_TRUE(RunLoopUntil([&] { return cone->GetWorldPosition() != before; }))
            << "step " << i << " did not move the cone";
    }
    ASSERT_TRUE(RunLoopUntil([&] { return MarkShown(automation::kVertexToMarkObject); }))
        << "the landing vertex was not marked";
    m_input.KeyState(XK_v, false);
    m_input.MoveTo(Screen(release + wxPoint(1, 0)));
    m_input.Button(false);
    ASSERT_TRUE(
        RunLoopUntil([&] { return g_session->Host().Undo().undoCount() == undoBefore + 1; }));
    EXPECT_FALSE(MarkShown(automation::kVertexFromMarkObject));
    EXPECT_FALSE(MarkShown(automation::kVertexToMarkObject));

    // The cone's vertex now stands on the rock's: the cone moved by exactly their difference.
    const Ogre::Vector3 moved = cone->GetWorldPosition() - start;
    EXPECT_NEAR(moved.x, (to - from).x, 1e-4f);
    EXPECT_NEAR(moved.y, (to - from).y, 1e-4f);
    EXPECT_NEAR(moved.z, (to - from).z, 1e-4f);
    Ogre::Vector3 landed;
    ASSERT_TRUE(Vertex(release, VERTEX_OF_SELECTED, landed));
    EXPECT_LT(landed.distance(to), 1e-4f);

    // One undo step takes it all back.
    g_session->Host().Undo().undo();
    EXPECT_EQ(cone->GetWorldPosition(), start);
}

TEST_F(SnapGuiTest, CtrlShiftOnTheCentrePlacesOnTheSurfaceAsTheScriptDoes) {
    Script("select box_a");
    SceneEntity* box = g_session->Scene().getSceneEntity("box_a");
    SceneEntity* rock = g_session->Scene().getSceneEntity("石块");
    ASSERT_TRUE(box && rock);
    const Ogre::Vector3 start = box->GetWorldPosition();
    const Ogre::Vector3 startTurn = box->GetWorldOrientation();
    const wxPoint centre = PixelOf(start);
    const wxPoint target = PixelOf(rock->GetWorldPosition());
    const int undoBefore = g_session->Host().Undo().undoCount();

    // Real keys and button: Ctrl and Shift held at the press on the centre, a drag onto the rock.
    m_input.MoveTo(Screen(centre));
    Window()->SetFocus();
    ASSERT_TRUE(RunLoopUntil([&] { return wxWindow::FindFocus() == Window(); }));
    m_input.KeyState(XK_Control_L, true);
    m_input.KeyState(XK_Shift_L, true);
    m_input.Button(true);
    ASSERT_TRUE(RunLoopUntil([&] { return Window()->HasCapture(); }));
    for (int i = 1; i <= 6; ++i) {
        const Ogre::Vector3 before = box->GetWorldPosition();
        m_input.MoveTo(Screen(centre + (target - centre) * i / 6));
        ASSERT_TRUE(RunLoopUntil([&] { return box->GetWorldPosition() != before; }))
            << "step " << i << " did not move the box";
    }
    m_input.Button(false);
    m_input.KeyState(XK_Shift_L, false);
    m_input.KeyState(XK_Control_L, false);
    ASSERT_TRUE(
        RunLoopUntil([&] { return g_session->Host().Undo().undoCount() == undoBefore + 1; }));
    const Ogre::Vector3 placed = box->GetWorldPosition();
    g_session->Host().Undo().undo();
    EXPECT_EQ(box->GetWorldPosition(), start);
    EXPECT_EQ(box->GetWorldOrientation(), startTurn);

    // The scripted drag to the same pixel puts it in the same place.
    std::ostringstream line;
    line << "surfacedrag " << centre.x << ' ' << centre.y << ' ' << target.x << ' ' << target.y;
    Script(line.str());
    EXPECT_LT(box->GetWorldPosition().distance(placed), 1e-4f)
        << "start " << start << " real " << placed << " scripted " << box->GetWorldPosition()
        << " centre " << centre.x << "," << centre.y << " target " << target.x << "," << target.y;
    g_session->Host().Undo().undo();
    EXPECT_EQ(box->GetWorldPosition(), start);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
