// Drag handling of the plug-in inside the running editor: what a release without the left
// button and a second press during a drag do to the pending undo step; taking a drag back with
// Escape or the right button; snapping with Ctrl; the snap steps dialog; autosave held off
// during a drag, and its interval dialog.
#include "IPluginBase.h"
#include "IView.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "EditorTestMain.h"
#include "CEditorUndoManager.h"
#include "CPluginRegistry.h"
#include "CToolManager.h"
#include "CEditorScene.h"
#include "CEditorView.h"
#include "CAutosaveDialog.h"
#include "CMainFrame.h"
#include "CSnapDialog.h"
#include "CViewWindow.h"
#include "EditorScreenshot.h"
#include "ScriptRunner.h"
#include "SessionRecovery.h"
#include "SelectedBoxTest.h"

#include <OgreCamera.h>

#include <wx/image.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

namespace {

class DragSessionTest : public SelectedBoxTest {
protected:
    void SetUp() override {
        SelectedBoxTest::SetUp();
        if (HasFatalFailure())
            return;
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

// Everything of an entity's transform, compared bit for bit.
struct Transform {
    Ogre::Vector3 values[6];
    explicit Transform(SceneEntity* e)
        : values{e->GetPosition(),      e->GetOrientation(),      e->GetScale(),
                 e->GetWorldPosition(), e->GetWorldOrientation(), e->GetWorldScale()} {}
    bool operator==(const Transform& other) const {
        return std::memcmp(values, other.values, sizeof values) == 0;
    }
};

// Records the notifications the plug-in sends while registered.
class CNotifyRecorder : public IPluginBase {
public:
    int OnNotify(int code, int, void* data) override {
        if (code >= NOTIFY_MOVED && code <= NOTIFY_ROTATED)
            seen.emplace_back(code, static_cast<SceneEntity*>(data));
        return 0;
    }
    std::vector<std::pair<int, SceneEntity*>> seen;
};

class CancelSnapTest : public DragSessionTest {
protected:
    void SetUp() override {
        DragSessionTest::SetUp();
        child = g_session->Scene().getSceneEntity("box_b");
        cone = g_session->Scene().getSceneEntity("cone_a");
        ASSERT_TRUE(child && cone);
        saved = {Transform(box), Transform(child), Transform(cone)};
        host().SetSnapSteps(SnapSteps());
    }
    void TearDown() override {
        Run("keys none");
        host().SetSnapSteps(SnapSteps());
        DragSessionTest::TearDown();
        // Every test leaves the three entities as they were.
        SceneEntity* const entities[] = {box, child, cone};
        for (int i = 0; i < 3; ++i) {
            entities[i]->SetPosition(saved[i].values[0]);
            entities[i]->SetOrientation(saved[i].values[1]);
            entities[i]->SetScale(saved[i].values[2]);
        }
    }
    // Selects `names` afresh (the gizmo forgets any earlier highlight), engages `tool` and
    // gives the pixel of gizmo part `part`.
    void Grab(const std::string& names, const std::string& tool, const std::string& part, int& px,
              int& py) {
        Run("select pillar");
        Run("select " + names);
        Run("tool " + tool);
        g_session->RenderFrames(2);
        host().Undo().clear();
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        Run("handle " + part);
        g_session->Script().SetOutput(nullptr);
        std::string word;
        std::istringstream in(out.str());
        in >> word >> word >> word >> px >> py;
        ASSERT_EQ(word, "px") << out.str();
    }
    wxImage Shot() {
        wxImage image;
        std::string error;
        g_session->RenderFrames(2);
        EXPECT_TRUE(CaptureViewImage(*g_session->Frame(), 0, image, error)) << error;
        return image;
    }
    static bool SameImage(const wxImage& a, const wxImage& b) {
        return a.IsOk() && b.IsOk() && a.GetSize() == b.GetSize() &&
               std::memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3) == 0;
    }

    SceneEntity* child = nullptr;
    SceneEntity* cone = nullptr;
    std::vector<Transform> saved;
};

TEST_F(CancelSnapTest, CancelledDragsRestoreEveryBitRecordNothingAndLookAsBefore) {
    const struct {
        const char* tool;
        const char* part;
        int dx, dy;
        int code;
        bool rightButton;
    } drags[] = {{"move", "x", 40, 6, NOTIFY_MOVED, false},
                 {"rotate", "x", 20, 60, NOTIFY_ROTATED, true},
                 {"scale", "x", 40, 0, NOTIFY_SCALED, false},
                 {"scale", "centre", 60, 0, NOTIFY_SCALED, true}};
    CNotifyRecorder recorder;
    ASSERT_EQ(host().Registry().registerPlugin(&recorder, 0), 1);
    for (const auto& d : drags) {
        SCOPED_TRACE(std::string(d.tool) + " " + d.part);
        int px = 0, py = 0;
        Grab("box_a box_b", d.tool, d.part, px, py);
        const wxImage before = Shot();
        const Transform a(box), b(child);
        const std::set<std::string> selection = g_session->Scene().getSelectedEntities();
        ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
        host().PointerMove(0, KEY_LBUTTON, px + d.dx / 2, py + d.dy / 2);
        host().PointerMove(0, KEY_LBUTTON, px + d.dx, py + d.dy);
        ASSERT_FALSE(Transform(box) == a);
        recorder.seen.clear();
        if (d.rightButton)
            Run("rpress " + std::to_string(px + d.dx) + " " + std::to_string(py + d.dy));
        else
            Run("cancel");
        EXPECT_TRUE(Transform(box) == a);
        EXPECT_TRUE(Transform(child) == b);
        // One notification per entity, of the drag's kind.
        ASSERT_EQ(recorder.seen.size(), 2u);
        for (const auto& n : recorder.seen)
            EXPECT_EQ(n.first, d.code);
        // The following steps and the release change nothing, record nothing, select nothing.
        host().PointerMove(0, KEY_LBUTTON, px + 2 * d.dx, py + 2 * d.dy);
        host().PointerUp(0, KEY_LBUTTON, px + 2 * d.dx, py + 2 * d.dy);
        EXPECT_TRUE(Transform(box) == a);
        EXPECT_EQ(host().Undo().undoCount(), 0);
        EXPECT_EQ(g_session->Scene().getSelectedEntities(), selection);
        // The gizmo is back to its normal look: the view shows what it showed before the press.
        EXPECT_TRUE(SameImage(before, Shot()));
    }
    host().Registry().unregisterPlugin(&recorder);
}

TEST_F(CancelSnapTest, ARightPressThatCancelsStartsNoOrbitButAnotherOneDoes) {
    int px = 0, py = 0;
    Grab("box_a", "move", "x", px, py);
    CViewWindow* window = g_session->Frame()->GetViewWindow(0);
    Ogre::Camera* camera = host().GetView(0)->GetCamera();
    auto rightDrag = [&](bool leftHeld) {
        for (wxEventType type : {wxEVT_RIGHT_DOWN, wxEVT_MOTION, wxEVT_MOTION, wxEVT_RIGHT_UP}) {
            wxMouseEvent event(type);
            event.SetEventObject(window);
            event.SetPosition(wxPoint(px + (type == wxEVT_MOTION ? 30 : 0), py));
            event.m_rightDown = type != wxEVT_RIGHT_UP;
            event.m_leftDown = leftHeld;
            window->GetEventHandler()->ProcessEvent(event);
        }
    };
    const Ogre::Quaternion turned = camera->getDerivedOrientation();
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
    host().PointerMove(0, KEY_LBUTTON, px + 30, py);
    // The left button is let go while the right one is still down: no orbit all the same.
    rightDrag(false);
    EXPECT_EQ(camera->getDerivedOrientation(), turned);
    EXPECT_TRUE(Transform(box) == saved[0]);
    host().PointerUp(0, KEY_LBUTTON, px + 30, py);
    EXPECT_EQ(host().Undo().undoCount(), 0);
    // Without a drag under way the right button orbits as always.
    rightDrag(false);
    EXPECT_NE(camera->getDerivedOrientation(), turned);
    g_session->Frame()->GetViewWindow(0)->ResetCamera();
}

TEST_F(CancelSnapTest, SnappedDragsGoByWholeStepsAndUndoExactly) {
    int px = 0, py = 0;
    Grab("box_a box_b", "move", "x", px, py);
    const Transform a(box), b(child);
    Run("keys ctrl");
    Run("drag x 47 5 10");
    Run("keys none");
    for (SceneEntity* e : {box, child}) {
        const Ogre::Vector3 delta = e->GetWorldPosition() - (e == box ? a : b).values[3];
        EXPECT_GE(std::fabs(delta.x), 1.0f - 1e-4f) << e->GetName();
        EXPECT_NEAR(std::remainder(delta.x, 1.0f), 0.0f, 1e-4f) << e->GetName();
        EXPECT_NEAR(delta.y, 0.0f, 1e-5f) << e->GetName();
        EXPECT_NEAR(delta.z, 0.0f, 1e-5f) << e->GetName();
    }
    ASSERT_EQ(host().Undo().undoCount(), 1);
    ASSERT_TRUE(host().Undo().undo());
    EXPECT_TRUE(Transform(box) == a);
    EXPECT_TRUE(Transform(child) == b);

    // A 100-step turn on the X ring, 10-degree steps: a multiple of 10 about X alone.
    ASSERT_TRUE(host().SetSnapSteps(SnapSteps{1.0f, 10.0f, 0.1f}));
    Grab("cone_a", "rotate", "x", px, py);
    const Transform c(cone);
    Run("keys ctrl");
    Run("drag x 150 0 100");
    Run("keys none");
    const Ogre::Vector3 turn = cone->GetWorldOrientation() * 57.2957795f;
    EXPECT_GE(std::fabs(turn.x), 10.0f - 1e-3f);
    EXPECT_NEAR(std::remainder(turn.x, 10.0f), 0.0f, 1e-3f);
    EXPECT_NEAR(turn.y, 0.0f, 1e-3f);
    EXPECT_NEAR(turn.z, 0.0f, 1e-3f);
    ASSERT_TRUE(host().Undo().undo());
    EXPECT_TRUE(Transform(cone) == c);
}

// Keys typed into the view while an arrow is held: the amount replaces the pointer until it is
// emptied again, Escape takes everything back, and Return ends the drag as one undo step.
TEST_F(CancelSnapTest, TypedAmountsAreExactAndReturnEndsTheDragAsOneStep) {
    // No part held: the keys are not the plug-in's.
    EXPECT_EQ(host().OtherInput('2', 0), 0);
    EXPECT_EQ(host().OtherInput(INPUT_KEY_RETURN, 0), 0);
    int px = 0, py = 0;
    Grab("box_a", "move", "x", px, py);
    const Transform before(box);
    const Ogre::Vector3 start = box->GetWorldPosition();
    auto movedX = [&] { return box->GetWorldPosition().x - start.x; };
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
    host().PointerMove(0, KEY_LBUTTON, px + 30, py);
    EXPECT_EQ(host().OtherInput('2', 0), 1);
    EXPECT_NEAR(movedX(), 2.0f, 1e-5f);
    EXPECT_EQ(box->GetWorldPosition().y, start.y);
    // The pointer is remembered, not followed, while the amount stands.
    host().PointerMove(0, KEY_LBUTTON, px + 80, py);
    EXPECT_NEAR(movedX(), 2.0f, 1e-5f);
    for (int key : {'.', '5', '-'})
        EXPECT_EQ(host().OtherInput(key, 0), 1);
    EXPECT_NEAR(movedX(), -2.5f, 1e-5f);
    std::ostringstream out;
    g_session->Script().SetOutput(&out);
    Run("status");
    g_session->Script().SetOutput(nullptr);
    EXPECT_NE(out.str().find("输入 -2.5"), std::string::npos) << out.str();
    // Emptied: the pointer where it is now drives the drag again.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(host().OtherInput(INPUT_KEY_BACKSPACE, 0), 1);
    EXPECT_EQ(host().OtherInput(INPUT_KEY_BACKSPACE, 0), 0);
    EXPECT_GT(movedX(), 3.0f);
    EXPECT_EQ(host().OtherInput('7', 0), 1);
    Run("cancel");
    EXPECT_TRUE(Transform(box) == before);
    host().PointerUp(0, KEY_LBUTTON, px + 80, py);
    EXPECT_EQ(host().Undo().undoCount(), 0);

    // Return applies and ends the drag; the rest of the gesture changes nothing.
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
    host().PointerMove(0, KEY_LBUTTON, px + 10, py);
    EXPECT_EQ(host().OtherInput('3', 0), 1);
    EXPECT_EQ(host().OtherInput(INPUT_KEY_RETURN, 0), 1);
    EXPECT_NEAR(movedX(), 3.0f, 1e-5f);
    EXPECT_EQ(host().Undo().undoCount(), 1);
    EXPECT_EQ(host().OtherInput('4', 0), 0);
    host().PointerMove(0, KEY_LBUTTON, px + 90, py + 40);
    host().PointerUp(0, KEY_LBUTTON, px + 90, py + 40);
    EXPECT_NEAR(movedX(), 3.0f, 1e-5f);
    EXPECT_EQ(host().Undo().undoCount(), 1);
    EXPECT_EQ(g_session->Scene().getSelectedEntities(), std::set<std::string>{"box_a"});
    ASSERT_TRUE(host().Undo().undo());
    EXPECT_TRUE(Transform(box) == before);
}

TEST_F(CancelSnapTest, StepsThatAreNotFiniteAndAboveZeroAreRefused) {
    ASSERT_TRUE(host().SetSnapSteps(SnapSteps{0.5f, 5.0f, 0.25f}));
    for (const char* line : {"snap 0 15 0.1", "snap 1 -15 0.1", "snap 1 15 nan", "snap 1 15 inf",
                             "snap 1 15 1e5", "snap 1 15", "snap 1 15 0.1 2", "snap x 15 0.1"})
        EXPECT_FALSE(g_session->RunScriptLine(line)) << line;
    EXPECT_EQ(host().snapSteps().move, 0.5f);
    EXPECT_EQ(host().snapSteps().degrees, 5.0f);
    EXPECT_EQ(host().snapSteps().scale, 0.25f);

    // The dialog: a bad box keeps it open with a message and the steps as they were.
    CSnapDialog dialog(g_session->Frame(), host().snapSteps());
    EXPECT_EQ(dialog.GetMoveBox()->GetValue(), "0.5");
    auto clickOk = [&] {
        wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
        click.SetEventObject(&dialog);
        dialog.GetEventHandler()->ProcessEvent(click);
    };
    for (const char* bad : {"0", "-1", "inf", "nan", "", "1x", "1e99", "10001"}) {
        dialog.GetDegreesBox()->SetValue(bad);
        clickOk();
        EXPECT_FALSE(dialog.GetMessage()->GetLabel().empty()) << bad;
        EXPECT_EQ(dialog.GetSteps().degrees, 5.0f) << bad;
    }
    dialog.GetDegreesBox()->SetValue(" 22.5 ");
    dialog.GetScaleBox()->SetValue("0.05");
    clickOk();
    EXPECT_TRUE(dialog.GetMessage()->GetLabel().empty());
    EXPECT_EQ(dialog.GetReturnCode(), wxID_OK);
    EXPECT_EQ(dialog.GetSteps().move, 0.5f);
    EXPECT_EQ(dialog.GetSteps().degrees, 22.5f);
    EXPECT_EQ(dialog.GetSteps().scale, 0.05f);
}

// Autosave never writes a copy of the scene between two states: a copy due during a drag is
// written once the drag ends. The interval's dialog takes whole seconds only.
TEST_F(DragSessionTest, AutosaveWaitsForTheDragToEndAndItsDialogTakesWholeSeconds) {
    CAutosaver& autosaver = g_session->Recovery().Autosaver();
    const int interval = autosaver.Interval();
    const int written = autosaver.CopiesWritten();
    autosaver.SetInterval(1);
    autosaver.Tick(0); // due at 1
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, x, y), 1);
    host().PointerMove(0, KEY_LBUTTON, x + 40, y);
    ASSERT_NE(box->GetPosition(), start);
    EXPECT_FALSE(autosaver.Tick(5));
    host().PointerUp(0, KEY_LBUTTON, x + 40, y);
    EXPECT_TRUE(autosaver.Tick(6));
    autosaver.WaitForWriter();
    EXPECT_EQ(autosaver.CopiesWritten(), written + 1);
    EXPECT_EQ(g_session->Frame()->StatusText(0).utf8_string().rfind("已自动保存 ", 0), 0u);
    std::string error;
    EXPECT_TRUE(autosaver.RemoveCopy(error)) << error;
    autosaver.SetInterval(interval);
    ASSERT_TRUE(host().Undo().undo());

    CAutosaveDialog dialog(g_session->Frame(), 60, 86400);
    auto clickOk = [&] {
        wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
        click.SetEventObject(&dialog);
        dialog.GetEventHandler()->ProcessEvent(click);
    };
    for (const char* bad : {"-1", "", "1.5", "1e3", "86401", "99999999999", "x"}) {
        dialog.GetSecondsBox()->SetValue(bad);
        clickOk();
        EXPECT_FALSE(dialog.GetMessage()->GetLabel().empty()) << bad;
        EXPECT_EQ(dialog.GetSeconds(), 60) << bad;
    }
    dialog.GetSecondsBox()->SetValue(" 0 ");
    clickOk();
    EXPECT_TRUE(dialog.GetMessage()->GetLabel().empty());
    EXPECT_EQ(dialog.GetReturnCode(), wxID_OK);
    EXPECT_EQ(dialog.GetSeconds(), 0);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
