// Drag handling of the plug-in inside the running editor: what a release without the left
// button and a second press during a drag do to the pending undo step.
#include "IPluginBase.h"
#include "IView.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "EditorProcess.h"
#include "CEditorUndoManager.h"
#include "CPluginRegistry.h"
#include "CToolManager.h"
#include "CEditorScene.h"
#include "CEditorView.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

CEditorSession* g_session = nullptr;

class DragSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        Run("select box_a");
        Run("tool move");
        g_session->RenderFrames(2);
        host().Undo().clear();
        box = g_session->Scene().getSceneEntity("box_a");
        ASSERT_TRUE(box);
        start = box->GetPosition();
        // A point on the X arrow, 60 pixels out from the gizmo centre.
        CEditorView* view = host().GetView(0);
        ASSERT_TRUE(view);
        const Ogre::Vector3 centre = box->GetWorldPosition();
        const float pixel = view->sizeFactor(centre) / 10.0f;
        Ogre::Vector3 p;
        view->projectPoint(p, centre + Ogre::Vector3(60.0f * pixel, 0, 0), nullptr);
        x = static_cast<int>(p.x + 0.5f);
        y = static_cast<int>(p.y + 0.5f);
    }
    void TearDown() override {
        if (box)
            box->SetPosition(start);
        host().Undo().clear();
    }
    void Run(const std::string& line) { ASSERT_TRUE(g_session->RunScriptLine(line)) << line; }
    CEditorHost& host() { return g_session->Host(); }

    SceneEntity* box = nullptr;
    Ogre::Vector3 start;
    int x = 0;
    int y = 0;
};

TEST_F(DragSessionTest, ReleaseWithoutLeftButtonKeepsThePendingStep) {
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, x, y), 1);
    host().PointerMove(0, KEY_LBUTTON, x + 40, y);
    const Ogre::Vector3 moved = box->GetPosition();
    ASSERT_GT(moved.x, start.x + 0.1f);
    // A release that lacks the left-button flag is not the end of the drag.
    host().PointerUp(0, KEY_RBUTTON, x + 40, y);
    EXPECT_EQ(host().Undo().undoCount(), 0);
    EXPECT_EQ(g_session->Scene().getSelectedEntities().size(), 1u);
    // The left release that follows hands the step over: one undo restores the start.
    host().PointerUp(0, KEY_LBUTTON, x + 40, y);
    ASSERT_EQ(host().Undo().undoCount(), 1);
    ASSERT_TRUE(host().Undo().undo());
    EXPECT_EQ(box->GetPosition(), start);
    ASSERT_TRUE(host().Undo().redo());
    EXPECT_EQ(box->GetPosition(), moved);
}

TEST_F(DragSessionTest, PressDuringADragReplacesThePendingStepWithoutAnUndoEntry) {
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, x, y), 1);
    host().PointerMove(0, KEY_LBUTTON, x + 30, y);
    const Ogre::Vector3 afterFirst = box->GetPosition();
    ASSERT_NE(afterFirst, start);
    g_session->RenderFrames(1); // the gizmo follows the entity
    // Press again on the arrow, which has moved along with the entity.
    CEditorView* view = host().GetView(0);
    const Ogre::Vector3 centre = box->GetWorldPosition();
    Ogre::Vector3 p;
    view->projectPoint(p, centre + Ogre::Vector3(6.0f * view->sizeFactor(centre), 0, 0), nullptr);
    const int x2 = static_cast<int>(p.x + 0.5f), y2 = static_cast<int>(p.y + 0.5f);
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, x2, y2), 1);
    EXPECT_EQ(host().Undo().undoCount(), 0);
    host().PointerMove(0, KEY_LBUTTON, x2 + 30, y2);
    host().PointerUp(0, KEY_LBUTTON, x2 + 30, y2);
    // One step, holding the values at the second press.
    ASSERT_EQ(host().Undo().undoCount(), 1);
    ASSERT_TRUE(host().Undo().undo());
    EXPECT_EQ(box->GetPosition(), afterFirst);
    EXPECT_FALSE(host().Undo().undo());
}

TEST_F(DragSessionTest, RectangleNeedsMoreThanOnePixelAndTheEngagedTool) {
    ASSERT_FALSE(host().Registry().plugins().empty());
    IPluginBase* plugin = host().Registry().plugins().front();
    IView* view = host().GetView(0);
    Ogre::Vector3 c;
    view->projectPoint(c, box->GetWorldPosition(), nullptr);
    const int cx = static_cast<int>(c.x), cy = static_cast<int>(c.y);
    Run("select cone_a");
    auto rect = [&](int l, int t, int r, int b) {
        PixelRect rc;
        rc.left = l;
        rc.top = t;
        rc.right = r;
        rc.bottom = b;
        return plugin->OnSelectRect(view, 0, rc);
    };
    // One pixel around the centre of box_a: too small, nothing changes.
    EXPECT_EQ(rect(cx, cy, cx + 1, cy + 1), 0);
    EXPECT_EQ(g_session->Scene().getSelectedEntities(), std::set<std::string>{"cone_a"});
    // The rectangle is taken as given: corners the wrong way round have negative extents, which
    // are not larger than a pixel, so nothing changes (the host always sends them ordered).
    EXPECT_EQ(rect(cx + 10, cy + 10, cx - 10, cy - 10), 0);
    EXPECT_EQ(g_session->Scene().getSelectedEntities(), std::set<std::string>{"cone_a"});
    // Ordered corners enclose it.
    EXPECT_EQ(rect(cx - 10, cy - 10, cx + 10, cy + 10), 0);
    EXPECT_EQ(g_session->Scene().getSelectedEntities(), std::set<std::string>{"box_a"});
    // Without the tool engaged a rectangle does nothing.
    Run("select cone_a");
    host().Tools().switchTool(-1);
    EXPECT_EQ(rect(cx - 10, cy - 10, cx + 10, cy + 10), 0);
    EXPECT_EQ(g_session->Scene().getSelectedEntities(), std::set<std::string>{"cone_a"});
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
