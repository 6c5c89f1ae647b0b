// The transform bar's Enter check in the running editor with the module loaded: real key
// events through the toolkit's input simulator, frames rendered while Return is held.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "EditorProcess.h"
#include "SceneEntity.h"

#include <gtest/gtest.h>

#include <wx/uiaction.h>
#include <wx/utils.h>

#include <chrono>
#include <functional>

namespace {

CEditorSession* g_session = nullptr;

// Handles events until done() or a second has passed.
bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        g_session->ProcessEvents();
        wxMilliSleep(2);
    }
    return true;
}

class TransformBarGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        Run("select box_a");
        Run("tool move");
        g_session->RenderFrames(2);
        box = g_session->Scene().getSceneEntity("box_a");
        ASSERT_TRUE(box);
        start = box->GetPosition();
        Undo().clear();
    }
    void TearDown() override {
        ReleaseReturn();
        if (box)
            box->SetPosition(start);
        Undo().clear();
    }
    void Run(const std::string& line) { ASSERT_TRUE(g_session->RunScriptLine(line)) << line; }
    CEditorUndoManager& Undo() { return g_session->Host().Undo(); }

    // Presses Return and renders `frames` frames while it is held down.
    void HoldReturn(int frames) {
        simulator.KeyDown(WXK_RETURN);
        ASSERT_TRUE(PumpUntil([] { return wxGetKeyState(WXK_RETURN); }));
        g_session->RenderFrames(frames);
    }
    // Releases Return and renders a frame that sees it up.
    void ReleaseReturn() {
        if (!wxGetKeyState(WXK_RETURN))
            return;
        simulator.KeyUp(WXK_RETURN);
        PumpUntil([] { return !wxGetKeyState(WXK_RETURN); });
        g_session->RenderFrames(1);
    }

    wxUIActionSimulator simulator;
    SceneEntity* box = nullptr;
    Ogre::Vector3 start;
};

TEST_F(TransformBarGuiTest, HoldingReturnAppliesOncePressingAgainAppliesWhatWasTypedSince) {
    Run("type bar 1030 -5");
    HoldReturn(6);
    EXPECT_EQ(Undo().undoCount(), 1);
    EXPECT_EQ(box->GetPosition().x, -5.0f);
    ReleaseReturn();
    // A second press with nothing typed since: the bar shows what it wrote, nothing applies.
    HoldReturn(2);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 1);
    // Typed again: the next press applies it.
    Run("type bar 1030 -6");
    HoldReturn(1);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 2);
    EXPECT_EQ(box->GetPosition().x, -6.0f);
    EXPECT_EQ(box->GetPosition().y, start.y);
    EXPECT_EQ(box->GetPosition().z, start.z);
}

TEST_F(TransformBarGuiTest, ReturnHeldAcrossTypingAppliesNothingUntilReleased) {
    HoldReturn(1);
    // Typing while Return is still down from before: the press was already counted.
    Run("type bar 1031 7");
    g_session->RenderFrames(3);
    EXPECT_EQ(Undo().undoCount(), 0);
    ReleaseReturn();
    HoldReturn(1);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 1);
    EXPECT_EQ(box->GetPosition().y, 7.0f);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunInEditorSession(argv, options, [](CEditorSession& session) {
        g_session = &session;
        const int code = RUN_ALL_TESTS();
        g_session = nullptr;
        return code;
    });
}
