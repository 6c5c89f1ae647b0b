// The monkey's parts in the editor with the plug-in: the real-input commands reach the windows
// under the pointer (a click selects, Ctrl held adds, keys switch modes and undo, the wheel
// zooms, typed text applies in a panel field) and refuse what they cannot send; the undo trail
// catches an undo that gives another scene and a change without a step, and follows a full
// stack; and a seed sends the same lines from the same scene.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorTestMain.h"
#include "MonkeyCheck.h"
#include "MonkeyGestures.h"
#include "SceneEntity.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {
CEditorSession* g_session = nullptr;

class MonkeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        Run("xhold none");
        Run("tool select");
        while (Undo().undoCount() > 0)
            Undo().undo();
        Undo().clear();
        // Views as the editor starts them: framing and the wheel moved their cameras.
        Run("views 1");
        for (int n = 0; n < 4; ++n)
            if (CViewWindow* view = g_session->Frame()->GetViewWindow(n))
                view->ResetCamera();
        g_session->RenderFrames(2);
    }
    CEditorUndoManager& Undo() { return g_session->Host().Undo(); }
    // Runs a line; false when the editor refused it (the message in m_error).
    bool Run(const std::string& line) {
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        g_session->Script().SetErrorOutput(&out);
        const bool ok = g_session->RunScriptLine(line);
        g_session->Script().SetOutput(nullptr);
        g_session->Script().SetErrorOutput(nullptr);
        m_output = out.str();
        m_error = ok ? "" : g_session->Script().LastError();
        return ok;
    }
    // Where an entity is drawn in view 0, in the main window's client pixels.
    std::string ClientPixel(const std::string& name) {
        EXPECT_TRUE(Run("view 0") && Run("project " + name));
        float x = 0, y = 0;
        EXPECT_EQ(std::sscanf(m_output.c_str(), "%*s px %f %f", &x, &y), 2) << m_output;
        CMainFrame* frame = g_session->Frame();
        const wxPoint at =
            frame->ScreenToClient(frame->GetViewWindow(0)->ClientToScreen(wxPoint(int(x), int(y))));
        return std::to_string(at.x) + " " + std::to_string(at.y);
    }
    std::set<std::string> Selection() {
        const auto& s = g_session->Scene().getSelectedEntities();
        return std::set<std::string>(s.begin(), s.end());
    }
    std::string m_output;
    std::string m_error;
};

TEST_F(MonkeyTest, ClicksKeysAndTheWheelReachTheWindowUnderThePointer) {
    const std::string boxA = ClientPixel("box_a");
    const std::string coneA = ClientPixel("cone_a");
    ASSERT_TRUE(Run("xpress left " + boxA) && Run("xrelease left " + boxA)) << m_error;
    g_session->RenderFrames(1);
    EXPECT_EQ(Selection(), (std::set<std::string>{"box_a"}));
    EXPECT_EQ(Undo().undoCount(), 1);
    // Ctrl held adds to the selection.
    ASSERT_TRUE(Run("xhold ctrl") && Run("xpress left " + coneA) && Run("xrelease left " + coneA) &&
                Run("xhold none"))
        << m_error;
    EXPECT_EQ(Selection(), (std::set<std::string>{"box_a", "cone_a"}));
    // Keys go to the view under the pointer: W engages the move tool, Ctrl+Z undoes.
    ASSERT_TRUE(Run("xmove " + boxA) && Run("xkey w")) << m_error;
    ASSERT_TRUE(Run("engaged"));
    EXPECT_EQ(m_output, "engaged move\n");
    ASSERT_TRUE(Run("xkey z ctrl")) << m_error;
    EXPECT_EQ(Selection(), (std::set<std::string>{"box_a"}));
    EXPECT_EQ(Undo().redoCount(), 1);
    // The wheel zooms view 0.
    const Ogre::Vector3 before = g_session->Host().GetView(0)->GetEye();
    ASSERT_TRUE(Run("xwheel " + boxA + " up")) << m_error;
    EXPECT_NE(g_session->Host().GetView(0)->GetEye(), before);
}

TEST_F(MonkeyTest, APressOnTheSpotOfTheOneBeforeWaitsOutTheDoubleClickTime) {
    // Whether two presses make a double click must not depend on the machine's speed: the
    // second press near the first comes only after the toolkit's double-click time.
    ASSERT_TRUE(Run("xpress left 5 5") && Run("xrelease left 5 5")) << m_error;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Run("xpress left 8 7") && Run("xrelease left 8 7")) << m_error;
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 400);
    // Far from it: no wait.
    const auto far = std::chrono::steady_clock::now();
    ASSERT_TRUE(Run("xpress left 200 5") && Run("xrelease left 200 5")) << m_error;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - far)
                  .count(),
              400);
}

TEST_F(MonkeyTest, RefusesWhatItCannotSend) {
    EXPECT_FALSE(Run("xpress left -100000 0"));
    EXPECT_NE(m_error.find("outside the screen"), std::string::npos) << m_error;
    EXPECT_FALSE(Run("xpress thumb 10 10"));
    EXPECT_FALSE(Run("xkey f13"));
    EXPECT_FALSE(Run("xhold meta"));
    EXPECT_FALSE(Run("xtype caf\xC3\xA9"));
    ASSERT_TRUE(Run("xpress left 5 5")) << m_error;
    EXPECT_FALSE(Run("xpress left 5 5"));
    EXPECT_NE(m_error.find("down already"), std::string::npos) << m_error;
    ASSERT_TRUE(Run("xrelease left 5 5")) << m_error;
}

MonkeySnapshot Scene() {
    return TakeSnapshot(g_session->Scene());
}

TEST_F(MonkeyTest, TheUndoTrailCatchesAWrongUndoAndAChangeWithoutAStep) {
    const MonkeySnapshot start = Scene();
    MonkeySnapshot moved = start;
    moved.entities.at("box_a").values[0] += 1.0f;
    MonkeySnapshot selected = start;
    selected.selection = {"box_a"};

    CUndoTrail trail;
    trail.Start(start, 0);
    ASSERT_TRUE(trail.After(moved, 1, 0)) << trail.Why();
    ASSERT_TRUE(trail.After(start, 0, 0)) << trail.Why(); // undo back to the start
    ASSERT_TRUE(trail.After(moved, 1, 0)) << trail.Why(); // redo
    // An undo that leaves the entity where it was is caught, and so is a change without a step.
    CUndoTrail wrong = trail;
    EXPECT_FALSE(wrong.After(moved, 0, 0));
    EXPECT_NE(wrong.Why().find("box_a"), std::string::npos) << wrong.Why();
    CUndoTrail unrecorded = trail;
    EXPECT_FALSE(unrecorded.After(selected, 1, 0));
    EXPECT_NE(unrecorded.Why().find("without an undo step"), std::string::npos);
    // Steps the stack can no longer reach are forgotten.
    CUndoTrail full = trail;
    ASSERT_TRUE(full.After(selected, 2, 1));
    EXPECT_TRUE(full.After(start, 0, 1)) << full.Why();
}

// The monkey met these through the real editor: an Alt drag cancelled takes its copy step back
// (a step pushed, the depth unchanged), a kept one folds two steps into one, and a full stack
// drops its oldest step. Counting depths took each for another; the step numbers do not.
TEST_F(MonkeyTest, TheUndoTrailFollowsGroupsAndAFullStack) {
    CUndoTrail trail;
    trail.Start(Scene(), Undo().TopStep());
    auto after = [&](const std::string& line) {
        EXPECT_TRUE(Run(line)) << m_error;
        g_session->RenderFrames(1);
        return trail.After(Scene(), Undo().TopStep(), Undo().BaseStep());
    };
    ASSERT_TRUE(after("select box_a")) << trail.Why();
    ASSERT_TRUE(after("tool move")) << trail.Why();
    ASSERT_TRUE(after("view 0")) << trail.Why();
    ASSERT_TRUE(Run("handle x")) << m_error;
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(m_output.c_str(), "handle x px %d %d", &x, &y), 2) << m_output;
    const std::string from = std::to_string(x) + " " + std::to_string(y);
    const std::string to = std::to_string(x + 30) + " " + std::to_string(y);
    const unsigned long before = Undo().TopStep();
    // An Alt drag cancelled: its copies are made and dropped, back at the step before.
    for (const std::string& line :
         std::vector<std::string>{"keys alt", "press " + from, "move " + to, "cancel"})
        ASSERT_TRUE(Run(line)) << line << ": " << m_error;
    ASSERT_TRUE(after("release " + to) && after("keys none")) << trail.Why();
    EXPECT_EQ(Undo().TopStep(), before);
    // Kept: the copy and the drag fold into one new step, whose undo gives back the scene.
    for (const std::string& line :
         std::vector<std::string>{"keys alt", "press " + from, "move " + to})
        ASSERT_TRUE(Run(line)) << line << ": " << m_error;
    ASSERT_TRUE(after("release " + to) && after("keys none")) << trail.Why();
    EXPECT_NE(Undo().TopStep(), before);
    EXPECT_EQ(Scene().entities.count("box_a_1"), 1u);
    ASSERT_TRUE(after("undo")) << trail.Why();
    EXPECT_EQ(Undo().TopStep(), before);
    ASSERT_TRUE(after("redo")) << trail.Why();
    EXPECT_TRUE(trail.Unwind(*g_session)) << trail.Why();
}

TEST_F(MonkeyTest, TheFinalUndoComparesEveryDepthItReaches) {
    CUndoTrail trail;
    trail.Start(Scene(), Undo().TopStep());
    for (const char* line : {"select box_a", "select cone_a", "select box_a cone_a"}) {
        ASSERT_TRUE(Run(line)) << m_error;
        ASSERT_TRUE(trail.After(Scene(), Undo().TopStep(), Undo().BaseStep())) << trail.Why();
    }
    EXPECT_TRUE(trail.Unwind(*g_session)) << trail.Why();
    EXPECT_EQ(trail.Compared(), 3);
    EXPECT_EQ(Undo().undoCount(), 0);
}

// A side-panel field clicked, its text erased and typed over with real keys, then a real press
// on a gizmo part: the typed value lands first, as its own step, and the drag starts from it.
// The e2e script panel_then_drag has the focus loss come in the middle of the drag.
TEST_F(MonkeyTest, AValueTypedInThePanelLandsBeforeTheDragThePressBegins) {
    for (const char* mode : {"rotate", "move", "scale"}) {
        SCOPED_TRACE(mode);
        SetUp();
        ASSERT_TRUE(Run("select 石块") && Run(std::string("tool ") + mode)) << m_error;
        g_session->RenderFrames(2);
        CUndoTrail trail;
        trail.Start(Scene(), Undo().TopStep());
        const int depth = Undo().undoCount();
        // The gizmo's centre found first: the script's view commands may move the focus.
        ASSERT_TRUE(Run("view 0") && Run("handle centre")) << m_error;
        int x = 0, y = 0;
        ASSERT_EQ(std::sscanf(m_output.c_str(), "handle centre px %d %d", &x, &y), 2) << m_output;
        const wxPoint at = g_session->Frame()->ScreenToClient(
            g_session->Frame()->GetViewWindow(0)->ClientToScreen(wxPoint(x, y)));
        auto point = [&](int dx, int dy) {
            return std::to_string(at.x + dx) + " " + std::to_string(at.y + dy);
        };
        // Rotation X clicked, emptied and typed into with real keys: not applied yet.
        CMainFrame* frame = g_session->Frame();
        wxWindow* field = wxWindow::FindWindowById(1004, frame);
        ASSERT_TRUE(field && field->IsShownOnScreen());
        const wxPoint middle =
            frame->ScreenToClient(field->GetScreenRect().GetPosition() + field->GetSize() / 2);
        const std::string fieldAt = std::to_string(middle.x) + " " + std::to_string(middle.y);
        ASSERT_TRUE(Run("xpress left " + fieldAt) && Run("xrelease left " + fieldAt) &&
                    Run("xkey end"))
            << m_error;
        for (int i = 0; i < 8; ++i)
            ASSERT_TRUE(Run("xkey backspace")) << m_error;
        ASSERT_TRUE(Run("xtype 12") && Run("frames 1")) << m_error;
        ASSERT_TRUE(Run("xpress left " + point(0, 0))) << m_error;
        for (int k = 1; k <= 4; ++k)
            ASSERT_TRUE(Run("xmove " + point(12 * k, -20 * k))) << m_error;
        ASSERT_TRUE(Run("xrelease left " + point(48, -80))) << m_error;
        g_session->RenderFrames(1);
        EXPECT_TRUE(trail.After(Scene(), Undo().TopStep(), Undo().BaseStep())) << trail.Why();
        // Two steps: the typed value, then the drag. Undoing the drag leaves the typed value.
        ASSERT_EQ(Undo().undoCount(), depth + 2);
        const MonkeySnapshot dragged = Scene();
        ASSERT_TRUE(Undo().undo());
        g_session->RenderFrames(1);
        const MonkeySnapshot typed = Scene();
        EXPECT_NEAR(typed.entities.at("石块").values[3], 12.0f * 3.14159265f / 180.0f, 1e-5f);
        std::string why;
        EXPECT_FALSE(SameBits(typed, dragged, why)) << "the drag changed nothing";
        ASSERT_TRUE(Undo().redo());
        g_session->RenderFrames(1);
        EXPECT_TRUE(trail.Unwind(*g_session)) << trail.Why();
    }
}

// The lines a seed draws depend only on the seed and on where the windows' parts stand. (The
// scenes two runs in one process reach may part: what the undo history does not hold, such as
// the outliner's open nodes and scroll, stays from one run to the next. A replay of a fresh
// run compares the scene after each gesture.)
TEST_F(MonkeyTest, ASeedSendsTheSameLinesFromTheSameScene) {
    std::string lines[2];
    for (int run = 0; run < 2; ++run) {
        SetUp();
        std::ostringstream replay;
        CMonkeyGestures monkey(*g_session, 7, &replay);
        for (int i = 1; i <= 4; ++i)
            ASSERT_TRUE(monkey.Gesture(i)) << monkey.Why();
        ASSERT_TRUE(monkey.LetGo()) << monkey.Why();
        lines[run] = replay.str();
    }
    EXPECT_EQ(lines[0], lines[1]);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_MONKEY_PLUGIN_DIR;
    options.width = 800;
    options.height = 600;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
