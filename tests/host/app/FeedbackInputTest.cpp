// What the editor shows a person about the transform tool, driven by real X input (XTest)
// through the toolkit and the editor's own render loop: the tool strip's pressed-in button
// follows Q, W, E, R typed into a view; the gizmo part under the pointer turns yellow before any
// press and back when the pointer moves off it; during a move drag the status line reads the
// entity's displacement since the press; Escape says the drag was taken back; a press on the
// gizmo of a locked entity says it is locked.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "CViewWindow.h"
#include "EditorTestMain.h"
#include "SceneEntity.h"
#include "ScriptRunner.h"

#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <wx/evtloop.h>
#include <wx/statusbr.h>
#include <wx/timer.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

// Last: Xlib's macros clash with names in the headers above.
#include "XTestInput.h"

namespace {

CEditorSession* g_session = nullptr;
// Generous: only a failing run waits this long.
constexpr int kWaitMs = 30000;
// Tool-strip commands: select, move, rotate, scale.
constexpr int kSelectCommand = 40003, kMoveCommand = 40002, kRotateCommand = 40004,
              kScaleCommand = 40005;

std::string StatusText() {
    wxStatusBar* bar = g_session->Frame()->GetStatusBar();
    return bar ? bar->GetStatusText(0).utf8_string() : std::string();
}

int PressedButton() {
    IPluginBase* plugin = nullptr;
    return g_session->Frame()->PressedStripTool(plugin);
}

bool IsYellow(const char* material) {
    Ogre::MaterialPtr m = Ogre::MaterialManager::getSingleton().getByName(material);
    return m && m->getTechnique(0)
                        ->getPass(0)
                        ->getTextureUnitState(0)
                        ->getColourBlendMode()
                        .colourArg1 == Ogre::ColourValue(1, 1, 0, 1);
}

class FeedbackInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        ASSERT_TRUE(m_input.IsOk());
        StartRenderLoop();
    }
    void TearDown() override { g_session->Frame()->StopRenderLoop(); }
    void StartRenderLoop() {
        g_session->Frame()->StartRenderLoop([] { g_session->RenderTick(); });
    }
    std::string Script(const std::string& line) {
        g_session->Frame()->StopRenderLoop();
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        const bool ok = g_session->RunScriptLine(line);
        g_session->Script().SetOutput(nullptr);
        StartRenderLoop();
        EXPECT_TRUE(ok) << line;
        return out.str();
    }
    // The pixel of a gizmo part in view 0 ("handle PART").
    bool Handle(const char* part, int& x, int& y) {
        std::istringstream handle(Script(std::string("handle ") + part));
        std::string word, name, px;
        return static_cast<bool>(handle >> word >> name >> px >> x >> y);
    }
    CViewWindow* View() { return g_session->Frame()->GetViewWindow(0); }
    wxPoint ScreenPoint(int x, int y) { return View()->ClientToScreen(wxPoint(x, y)); }
    SceneEntity* Entity(const char* name) { return g_session->Scene().getSceneEntity(name); }

    CXInput m_input;
};

TEST_F(FeedbackInputTest, StripButtonFollowsKeysTypedIntoTheView) {
    // The editor starts in select mode, engaged.
    EXPECT_TRUE(RunLoopUntil([] { return PressedButton() == kSelectCommand; }));
    const wxSize size = View()->GetClientSize();
    m_input.MoveTo(ScreenPoint(size.x - 30, size.y - 30));
    m_input.Button(true);
    m_input.Button(false);
    ASSERT_TRUE(RunLoopUntil([&] { return wxWindow::FindFocus() == View(); }));
    const struct {
        KeySym key;
        int command;
    } keys[] = {{XK_w, kMoveCommand},
                {XK_e, kRotateCommand},
                {XK_r, kScaleCommand},
                {XK_q, kSelectCommand},
                {XK_w, kMoveCommand}};
    for (const auto& k : keys) {
        m_input.Key(k.key);
        EXPECT_TRUE(RunLoopUntil([&] { return PressedButton() == k.command; }))
            << "after " << XKeysymToString(k.key) << " the pressed button is " << PressedButton();
    }
}

TEST_F(FeedbackInputTest, PartUnderThePointerIsHighlightedUntilThePointerLeavesIt) {
    Script("select box_a");
    Script("tool move");
    int x = 0, y = 0;
    ASSERT_TRUE(Handle("x", x, y));
    ASSERT_FALSE(IsYellow("MapSelectMgrRed"));
    m_input.MoveTo(ScreenPoint(x, y));
    EXPECT_TRUE(RunLoopUntil([] { return IsYellow("MapSelectMgrRed"); }))
        << "the X arrow under the pointer is not highlighted";
    EXPECT_FALSE(IsYellow("MapSelectMgrGreen"));
    m_input.MoveTo(ScreenPoint(x, y + 80));
    EXPECT_TRUE(RunLoopUntil([] { return !IsYellow("MapSelectMgrRed"); }))
        << "the highlight stayed after the pointer moved off the arrow";
    // Back on it, then out of the view altogether.
    m_input.MoveTo(ScreenPoint(x, y));
    ASSERT_TRUE(RunLoopUntil([] { return IsYellow("MapSelectMgrRed"); }));
    const wxRect side(g_session->Frame()->GetSideArea()->GetScreenRect());
    m_input.MoveTo(side.GetPosition() + wxPoint(20, side.height / 2));
    EXPECT_TRUE(RunLoopUntil([] { return !IsYellow("MapSelectMgrRed"); }))
        << "the highlight stayed after the pointer left the view";
}

TEST_F(FeedbackInputTest, StatusLineReadsTheMoveSinceThePressAndTheTakeBack) {
    Script("select box_a");
    Script("tool move");
    int x = 0, y = 0;
    ASSERT_TRUE(Handle("x", x, y));
    SceneEntity* box = Entity("box_a");
    ASSERT_TRUE(box);
    const Ogre::Vector3 start = box->GetWorldPosition();
    m_input.MoveTo(ScreenPoint(x, y));
    m_input.Button(true);
    ASSERT_TRUE(RunLoopUntil([&] { return View()->HasCapture(); }));
    for (int step = 1; step <= 3; ++step) {
        const Ogre::Vector3 before = box->GetWorldPosition();
        m_input.MoveTo(ScreenPoint(x + 15 * step, y));
        ASSERT_TRUE(RunLoopUntil([&] { return box->GetWorldPosition() != before; }))
            << "step " << step << " did not move box_a";
        const Ogre::Vector3 d = box->GetWorldPosition() - start;
        char expected[160];
        std::snprintf(expected, sizeof expected, "移动 Δ %.3f, %.3f, %.3f", d.x, d.y, d.z);
        EXPECT_TRUE(RunLoopUntil([&] { return StatusText() == expected; }))
            << "status '" << StatusText() << "', displacement '" << expected << "'";
    }
    // Escape while the button is held takes the drag back.
    m_input.Key(XK_Escape);
    EXPECT_TRUE(RunLoopUntil([] { return StatusText() == "已取消拖动"; })) << StatusText();
    EXPECT_EQ(box->GetWorldPosition(), start);
    m_input.Button(false);
    ASSERT_TRUE(RunLoopUntil([&] { return !View()->HasCapture(); }));
}

TEST_F(FeedbackInputTest, PressOnTheGizmoOfALockedEntitySaysSo) {
    Script("select pillar");
    Script("tool move");
    int x = 0, y = 0;
    ASSERT_TRUE(Handle("x", x, y));
    SceneEntity* pillar = Entity("pillar");
    ASSERT_TRUE(pillar && !pillar->EnabledTrnaform());
    const Ogre::Vector3 start = pillar->GetWorldPosition();
    m_input.MoveTo(ScreenPoint(x, y));
    m_input.Button(true);
    EXPECT_TRUE(RunLoopUntil([] { return StatusText() == "已拒绝：pillar 已锁定，变换未改变"; }))
        << StatusText();
    m_input.MoveTo(ScreenPoint(x + 40, y));
    m_input.Button(false);
    ASSERT_TRUE(RunLoopUntil([&] { return !View()->HasCapture(); }));
    EXPECT_EQ(pillar->GetWorldPosition(), start);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
