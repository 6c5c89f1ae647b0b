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
    trail.Start(start, 0, 0, 0);
    ASSERT_TRUE(trail.After(moved, 1, 0, 1)) << trail.Why();
    ASSERT_TRUE(trail.After(start, 0, 1, 1)) << trail.Why(); // undo back to the start
    ASSERT_TRUE(trail.After(moved, 1, 0, 1)) << trail.Why(); // redo
    // An undo that leaves the entity where it was is caught, and so is a change without a step.
    CUndoTrail wrong = trail;
    EXPECT_FALSE(wrong.After(moved, 0, 1, 1));
    EXPECT_NE(wrong.Why().find("box_a"), std::string::npos) << wrong.Why();
    CUndoTrail unrecorded = trail;
    EXPECT_FALSE(unrecorded.After(selected, 1, 0, 1));
    EXPECT_NE(unrecorded.Why().find("without an undo step"), std::string::npos);

    // A full stack drops its oldest step: the trail drops its oldest depth with it, so the
    // depth the stack keeps at the bottom is the scene after the dropped step.
    CUndoTrail full;
    full.Start(start, 0, 0, 0);
    ASSERT_TRUE(full.After(moved, 1, 0, 1));
    ASSERT_TRUE(full.After(selected, 1, 0, 2)); // pushed on a stack of one step: one dropped
    EXPECT_EQ(full.Dropped(), 1u);
    EXPECT_TRUE(full.After(moved, 0, 1, 2)) << full.Why();
    EXPECT_FALSE(full.After(start, 0, 1, 2));
}

TEST_F(MonkeyTest, TheFinalUndoComparesEveryDepthItReaches) {
    CUndoTrail trail;
    trail.Start(Scene(), Undo().undoCount(), Undo().redoCount(), Undo().Pushes());
    for (const char* line : {"select box_a", "select cone_a", "select box_a cone_a"}) {
        ASSERT_TRUE(Run(line)) << m_error;
        ASSERT_TRUE(trail.After(Scene(), Undo().undoCount(), Undo().redoCount(), Undo().Pushes()))
            << trail.Why();
    }
    EXPECT_TRUE(trail.Unwind(*g_session)) << trail.Why();
    EXPECT_EQ(trail.Compared(), 3);
    EXPECT_EQ(Undo().undoCount(), 0);
}

// What two monkey runs met: a side-panel field left with typed text (focus still in it), then a
// drag of a gizmo part in a view, which takes the focus and so applies the field.
TEST_F(MonkeyTest, AFieldLeftWithTypedTextAndAGizmoDragAreBothUndone) {
    for (const char* mode : {"rotate", "move", "scale"}) {
        SCOPED_TRACE(mode);
        SetUp();
        ASSERT_TRUE(Run("select 石块") && Run(std::string("tool ") + mode)) << m_error;
        g_session->RenderFrames(2);
        CUndoTrail trail;
        trail.Start(Scene(), Undo().undoCount(), Undo().redoCount(), Undo().Pushes());
        ASSERT_TRUE(Run("type panel 1004 12")) << m_error; // rotation X, not applied yet
        ASSERT_TRUE(Run("view 0") && Run("handle centre")) << m_error;
        int x = 0, y = 0;
        ASSERT_EQ(std::sscanf(m_output.c_str(), "handle centre px %d %d", &x, &y), 2) << m_output;
        CMainFrame* frame = g_session->Frame();
        const wxPoint at =
            frame->ScreenToClient(frame->GetViewWindow(0)->ClientToScreen(wxPoint(x, y)));
        auto point = [&](int dx, int dy) {
            return std::to_string(at.x + dx) + " " + std::to_string(at.y + dy);
        };
        ASSERT_TRUE(Run("xmove " + point(0, 0)) && Run("xpress left " + point(0, 0))) << m_error;
        for (int k = 1; k <= 4; ++k)
            ASSERT_TRUE(Run("xmove " + point(12 * k, -20 * k))) << m_error;
        ASSERT_TRUE(Run("xrelease left " + point(48, -80))) << m_error;
        g_session->RenderFrames(1);
        EXPECT_TRUE(trail.After(Scene(), Undo().undoCount(), Undo().redoCount(), Undo().Pushes()))
            << trail.Why();
        EXPECT_TRUE(trail.Unwind(*g_session)) << trail.Why();
    }
}

TEST_F(MonkeyTest, ASeedSendsTheSameLinesFromTheSameScene) {
    std::string lines[2];
    MonkeySnapshot ends[2];
    for (int run = 0; run < 2; ++run) {
        SetUp();
        std::ostringstream replay;
        CMonkeyGestures monkey(*g_session, 7, &replay);
        for (int i = 1; i <= 12; ++i)
            ASSERT_TRUE(monkey.Gesture(i)) << monkey.Why();
        ASSERT_TRUE(monkey.LetGo()) << monkey.Why();
        lines[run] = replay.str();
        ends[run] = Scene();
    }
    EXPECT_EQ(lines[0], lines[1]);
    std::string why;
    EXPECT_TRUE(SameBits(ends[0], ends[1], why)) << why;
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_MONKEY_PLUGIN_DIR;
    options.width = 800;
    options.height = 600;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
