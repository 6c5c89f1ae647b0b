// What the views show a level designer, in the editor with the plug-in loaded, driven by real X
// input: the selection boxes seen in the pictures of every view (after a click, a deselecting
// click, a gizmo drag and its undo), the one-view and four-view layouts from the View menu and
// the Alt+W key with a gizmo drag after each switch, and the grid toggle.
#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScreenshot.h"
#include "EditorTestMain.h"
#include "ScriptRunner.h"
#include "SelectionBoxes.h"
#include "ViewDecorations.h"

#include <OgreManualObject.h>
#include <OgreRenderWindow.h>
#include <OgreSceneManager.h>

#include <wx/image.h>
#include <wx/menu.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

CEditorSession* g_session = nullptr;

// Handles events until `done` holds or 5 seconds have passed; answers whether it held.
bool WaitFor(const std::function<bool()>& done) {
    wxStopWatch clock;
    while (!done() && clock.Time() < 5000) {
        g_session->ProcessEvents();
        wxMilliSleep(5);
    }
    g_session->ProcessEvents();
    return done();
}

std::set<std::string> Selection() {
    return g_session->Scene().getSelectedEntities();
}

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        Frame().SetViewLayout(4);
        Frame().SetGridShown(true);
        Run("select");
        Run("tool select");
        g_session->RenderFrames(2);
        g_session->RaiseMainWindow();
        Undo().clear();
        box = g_session->Scene().GetEntity("box_a");
        ASSERT_TRUE(box);
        start = box->GetPosition();
    }
    void TearDown() override {
        if (box)
            box->SetPosition(start);
        Undo().clear();
    }

    void Run(const std::string& line) { ASSERT_TRUE(g_session->RunScriptLine(line)) << line; }
    CMainFrame& Frame() { return *g_session->Frame(); }
    CEditorHost& Host() { return g_session->Host(); }
    CEditorUndoManager& Undo() { return Host().Undo(); }

    // The screen point of pixel (x, y) of view n.
    wxPoint Screen(int n, int x, int y) {
        return Frame().GetViewWindow(n)->ClientToScreen(wxPoint(x, y));
    }
    // The pixel of view n where a world point projects.
    wxPoint PixelOf(int n, const Ogre::Vector3& point) {
        Ogre::Vector3 p;
        Host().GetView(n)->projectPoint(p, point, nullptr);
        return wxPoint(int(std::lround(p.x)), int(std::lround(p.y)));
    }
    void Click(int n, const wxPoint& pixel) {
        m_sim.MouseMove(Screen(n, pixel.x, pixel.y));
        WaitFor([&] { return wxGetMousePosition() == Screen(n, pixel.x, pixel.y); });
        m_sim.MouseClick();
        g_session->ProcessEvents();
    }
    // A drag with the left button from `from` by (dx, 0) in view n, in steps.
    void Drag(int n, const wxPoint& from, int dx) {
        m_sim.MouseMove(Screen(n, from.x, from.y));
        WaitFor([&] { return wxGetMousePosition() == Screen(n, from.x, from.y); });
        m_sim.MouseDown();
        g_session->ProcessEvents();
        for (int i = 1; i <= 6; ++i) {
            const wxPoint at = Screen(n, from.x + dx * i / 6, from.y);
            m_sim.MouseMove(at);
            WaitFor([&] { return wxGetMousePosition() == at; });
        }
        m_sim.MouseUp();
        WaitFor([&] { return !wxGetMouseState().LeftIsDown(); });
    }
    // The pixel on the gizmo's X arrow of box_a in view n (60 pixels out from its centre).
    wxPoint OnXArrow(int n) {
        CEditorView* view = Host().GetView(n);
        const Ogre::Vector3 centre = box->GetWorldPosition();
        const float pixel = view->sizeFactor(centre) / 10.0f;
        return PixelOf(n, centre + Ogre::Vector3(60.0f * pixel, 0, 0));
    }
    // Engages the move tool and drags box_a's X arrow in view 0 by dx pixels; answers whether
    // the box moved along +X and one undo step was recorded.
    bool GizmoDrag(int dx) {
        Run("tool move");
        g_session->RenderFrames(2);
        const Ogre::Vector3 before = box->GetPosition();
        const int steps = Undo().undoCount();
        Drag(0, OnXArrow(0), dx);
        WaitFor([&] { return Undo().undoCount() == steps + 1; });
        return box->GetPosition().x > before.x + 0.1f && Undo().undoCount() == steps + 1;
    }

    wxImage Shot(int n) {
        wxImage image;
        std::string error;
        EXPECT_TRUE(CaptureViewImage(Frame(), n, image, error)) << error;
        return image;
    }
    // The midpoints of the twelve edges of a world box, as pixels of view n.
    std::vector<wxPoint> EdgeMidpoints(int n, const Ogre::AxisAlignedBox& box) {
        const Ogre::Vector3 lo = box.getMinimum(), hi = box.getMaximum(), c = box.getCenter();
        std::vector<wxPoint> points;
        for (int axis = 0; axis < 3; ++axis)
            for (int k = 0; k < 4; ++k) {
                Ogre::Vector3 p;
                const int a = (axis + 1) % 3, b = (axis + 2) % 3;
                p[axis] = c[axis];
                p[a] = k & 1 ? hi[a] : lo[a];
                p[b] = k & 2 ? hi[b] : lo[b];
                points.push_back(PixelOf(n, p));
            }
        return points;
    }
    // How many of `points` have a pixel of `colour` within two pixels.
    static int CountColour(const wxImage& image, const std::vector<wxPoint>& points,
                           const Ogre::ColourValue& colour) {
        const int r = int(colour.r * 255), g = int(colour.g * 255), b = int(colour.b * 255);
        int count = 0;
        for (const wxPoint& p : points) {
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy)
                for (int dx = -2; dx <= 2 && !found; ++dx) {
                    const int x = p.x + dx, y = p.y + dy;
                    if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight())
                        continue;
                    found = std::abs(image.GetRed(x, y) - r) < 24 &&
                            std::abs(image.GetGreen(x, y) - g) < 24 &&
                            std::abs(image.GetBlue(x, y) - b) < 24;
                }
            count += found ? 1 : 0;
        }
        return count;
    }
    int CurrentBoxEdgesSeen(int n, const Ogre::AxisAlignedBox& box) {
        return CountColour(Shot(n), EdgeMidpoints(n, box), CSelectionBoxes::kCurrentColour);
    }

    CEditorEntity* box = nullptr;
    Ogre::Vector3 start;
    wxUIActionSimulator m_sim;
};

TEST_F(ViewsTest, ClickedEntityShowsItsBoxInEveryViewUntilAClickOnNothing) {
    const Ogre::AxisAlignedBox bounds = box->GetWorldBounds();
    for (int n = 0; n < 4; ++n)
        EXPECT_LE(CurrentBoxEdgesSeen(n, bounds), 1) << "view " << n << " before selecting";

    Click(0, PixelOf(0, box->GetWorldPosition()));
    ASSERT_TRUE(WaitFor([] { return Selection() == std::set<std::string>{"box_a"}; }));
    // Every view shows the current box along the box's edges, in the first picture taken.
    for (int n = 0; n < 4; ++n)
        EXPECT_GE(CurrentBoxEdgesSeen(n, bounds), 10) << "view " << n;

    // A click in the sky of view 0 selects nothing: no box is drawn any more.
    Click(0, wxPoint(Host().GetView(0)->GetWidth() / 2, 12));
    ASSERT_TRUE(WaitFor([] { return Selection().empty(); }));
    for (int n = 0; n < 4; ++n)
        EXPECT_LE(CurrentBoxEdgesSeen(n, bounds), 1) << "view " << n << " after deselecting";
    CSelectionBoxes* boxes = Frame().SelectionBoxes();
    ASSERT_TRUE(boxes);
    EXPECT_FALSE(boxes->Object()->isVisible());
}

TEST_F(ViewsTest, CurrentBoxIsTheFirstNameBrighterThanTheOthers) {
    Run("select cone_a box_a");
    const Ogre::AxisAlignedBox cone = g_session->Scene().GetEntity("cone_a")->GetWorldBounds();
    const wxImage image = Shot(0);
    EXPECT_GE(CountColour(image, EdgeMidpoints(0, box->GetWorldBounds()),
                          CSelectionBoxes::kCurrentColour),
              10);
    EXPECT_GE(CountColour(image, EdgeMidpoints(0, cone), CSelectionBoxes::kSelectedColour), 10);
    EXPECT_LE(CountColour(image, EdgeMidpoints(0, cone), CSelectionBoxes::kCurrentColour), 1);
    std::ostringstream out;
    g_session->Script().SetOutput(&out);
    Run("selboxes");
    g_session->Script().SetOutput(nullptr);
    EXPECT_EQ(out.str(), "selboxes 2 current box_a\n");
}

TEST_F(ViewsTest, BoxFollowsADragAndItsUndoInTheFirstFrameAfter) {
    Click(0, PixelOf(0, box->GetWorldPosition()));
    ASSERT_TRUE(WaitFor([] { return Selection() == std::set<std::string>{"box_a"}; }));
    const Ogre::AxisAlignedBox before = box->GetWorldBounds();
    ASSERT_TRUE(GizmoDrag(150));
    const Ogre::AxisAlignedBox after = box->GetWorldBounds();
    ASSERT_FALSE(after.intersects(before));
    EXPECT_GE(CurrentBoxEdgesSeen(0, after), 10);
    EXPECT_LE(CurrentBoxEdgesSeen(0, before), 1);

    // Ctrl+Z, as a person types it: the next picture shows the box back where it was.
    Frame().GetViewWindow(0)->SetFocus();
    const int steps = Undo().undoCount();
    m_sim.Char('z', wxMOD_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return Undo().undoCount() == steps - 1; }));
    ASSERT_EQ(box->GetPosition(), start);
    EXPECT_GE(CurrentBoxEdgesSeen(0, before), 10);
    EXPECT_LE(CurrentBoxEdgesSeen(0, after), 1);
}

TEST_F(ViewsTest, LayoutMenuAndKeySwitchTheViewsAndTheGizmoStillDrags) {
    Run("select box_a");
    Undo().clear();
    // 单视图 from the View menu, as the menu sends it.
    wxCommandEvent one(wxEVT_MENU, CMainFrame::ID_ONE_VIEW);
    Frame().GetEventHandler()->ProcessEvent(one);
    EXPECT_EQ(Host().ViewCount(), 1);
    EXPECT_TRUE(Frame().GetMenuBar()->IsChecked(CMainFrame::ID_ONE_VIEW));
    EXPECT_EQ(Host().view(1), nullptr);
    EXPECT_EQ(Host().view(3), nullptr);
    EXPECT_FALSE(g_session->RunScriptLine("view 3"));
    g_session->RenderFrames(2);
    // The one view takes the whole view area.
    EXPECT_GT(Host().GetView(0)->GetWidth(), 700);
    ASSERT_TRUE(GizmoDrag(60));
    EXPECT_GE(CurrentBoxEdgesSeen(0, box->GetWorldBounds()), 10);

    // Alt+W, typed with the pointer's view focused: four views again.
    Frame().GetViewWindow(0)->SetFocus();
    m_sim.Char('w', wxMOD_ALT);
    ASSERT_TRUE(WaitFor([&] { return Host().ViewCount() == 4; }));
    EXPECT_TRUE(Frame().GetMenuBar()->IsChecked(CMainFrame::ID_FOUR_VIEWS));
    g_session->RenderFrames(2);
    for (int n = 0; n < 4; ++n) {
        ASSERT_TRUE(Host().view(n)) << n;
        EXPECT_TRUE(Frame().GetViewWindow(n)->IsShown()) << n;
        EXPECT_GE(CurrentBoxEdgesSeen(n, box->GetWorldBounds()), 10) << "view " << n;
    }
    ASSERT_TRUE(GizmoDrag(60));
    // Every step is still there to undo.
    EXPECT_EQ(Undo().undoCount(), 2);
    ASSERT_TRUE(Undo().undo());
    ASSERT_TRUE(Undo().undo());
    EXPECT_EQ(box->GetPosition(), start);

    // And Alt+W once more: one view.
    Frame().GetViewWindow(0)->SetFocus();
    m_sim.Char('w', wxMOD_ALT);
    ASSERT_TRUE(WaitFor([&] { return Host().ViewCount() == 1; }));
    EXPECT_FALSE(Frame().GetViewWindow(3));
}

TEST_F(ViewsTest, ViewThatGoesAwayEndsItsPressAndIsNoLongerActive) {
    Run("select box_a");
    Host().SetActiveView(3);
    // A rubber band under way in view 3 when the layout becomes one view.
    CEditorView* view3 = Host().GetView(3);
    ASSERT_TRUE(view3);
    Host().PointerDown(3, KEY_LBUTTON, 5, 5);
    Host().PointerMove(3, KEY_LBUTTON, 40, 40);
    ASSERT_TRUE(Frame().SetViewLayout(1));
    int view = -1;
    PixelRect rect;
    EXPECT_FALSE(Host().RubberBand(view, rect));
    EXPECT_EQ(Host().ActiveView(), 0);
    // Events that still come for view 3 find no view and do nothing.
    Host().PointerMove(3, KEY_LBUTTON, 60, 60);
    Host().PointerUp(3, KEY_LBUTTON, 60, 60);
    EXPECT_EQ(Selection(), std::set<std::string>{"box_a"});
    g_session->RenderFrames(2);
    EXPECT_FALSE(Frame().SetViewLayout(2));
    EXPECT_EQ(Host().ViewCount(), 1);
}

TEST_F(ViewsTest, GridMenuItemHidesAndShowsTheGridOfEveryView) {
    auto grids = [&](bool shown) {
        for (int n = 0; n < 4; ++n) {
            CViewDecorations* d = Frame().GetViewWindow(n)->GetDecorations();
            if (!d || !d->Grid() || d->Grid()->isVisible() != shown)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(grids(true));
    // The top view's background shows grid lines: more than one colour outside the terrain.
    wxCommandEvent off(wxEVT_MENU, CMainFrame::ID_SHOW_GRID);
    off.SetInt(0);
    Frame().GetEventHandler()->ProcessEvent(off);
    EXPECT_TRUE(grids(false));
    EXPECT_FALSE(Frame().GetMenuBar()->IsChecked(CMainFrame::ID_SHOW_GRID));
    // The front view under the ground: plain background without the grid.
    const wxImage plain = Shot(2);
    std::ostringstream out;
    g_session->Script().SetOutput(&out);
    Run("grid on");
    g_session->Script().SetOutput(nullptr);
    EXPECT_EQ(out.str(), "grid on\n");
    EXPECT_TRUE(grids(true));
    EXPECT_TRUE(Frame().GetMenuBar()->IsChecked(CMainFrame::ID_SHOW_GRID));
    const wxImage lined = Shot(2);
    auto colours = [](const wxImage& image) {
        std::set<long> seen;
        const int h = image.GetHeight();
        for (int y = h - 40; y < h - 10; ++y)
            for (int x = 100; x < image.GetWidth() - 10; ++x)
                seen.insert((long(image.GetRed(x, y)) << 16) | (image.GetGreen(x, y) << 8) |
                            image.GetBlue(x, y));
        return seen.size();
    };
    EXPECT_EQ(colours(plain), 1u);
    EXPECT_GT(colours(lined), 1u);
}

TEST_F(ViewsTest, BoxesAreNeitherPickedNorSaved) {
    Run("select box_a cone_a");
    g_session->RenderFrames(1);
    CSelectionBoxes* boxes = Frame().SelectionBoxes();
    ASSERT_TRUE(boxes);
    EXPECT_EQ(boxes->Object()->getQueryFlags(), 0u);
    // A ray through a corner of box_a's wire box, outside the box's mesh, hits no entity.
    const Ogre::AxisAlignedBox bounds = box->GetWorldBounds();
    RayQuery query{};
    query.origin = bounds.getMaximum() + Ogre::Vector3(0, 10, 0);
    query.direction = Ogre::Vector3(0, -1, 0);
    query.length = 10.05f;
    query.flags = RAY_QUERY_ENTITY;
    g_session->Scene().rayQuery(&query);
    EXPECT_EQ(query.hit, nullptr);
    // The engine's own ray query never reports the boxes either.
    Ogre::SceneManager* sm = g_session->Engine().GetOgreSceneManager();
    Ogre::RaySceneQuery* ray =
        sm->createRayQuery(Ogre::Ray(query.origin, query.direction), 0xFFFFFFFF);
    for (const Ogre::RaySceneQueryResultEntry& hit : ray->execute())
        EXPECT_NE(hit.movable, boxes->Object());
    sm->destroyQuery(ray);

    const std::string path = ::testing::TempDir() + "views_boxes.scene";
    Run("save " + path);
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("box_a"), std::string::npos);
    EXPECT_EQ(text.find("EditorSelection"), std::string::npos);
    std::remove(path.c_str());
}

TEST_F(ViewsTest, QuietFramesKeepTheBoxesAChangeRebuildsThemOnce) {
    Run("select box_a cone_a");
    g_session->RenderFrames(1);
    CSelectionBoxes* boxes = Frame().SelectionBoxes();
    ASSERT_TRUE(boxes);
    const std::uint64_t built = boxes->Builds();
    g_session->RenderFrames(3);
    EXPECT_EQ(boxes->Builds(), built);
    box->SetPosition(start + Ogre::Vector3(0.5f, 0, 0));
    g_session->RenderFrames(3);
    EXPECT_EQ(boxes->Builds(), built + 1);
    Run("select cone_a");
    g_session->RenderFrames(2);
    EXPECT_EQ(boxes->Builds(), built + 2);
    EXPECT_EQ(boxes->BoxCount(), 1);
    EXPECT_EQ(boxes->CurrentName(), "cone_a");
}

// The first frames of a view come without its caption, grid and tripod (fewer drawing states to
// prepare before the first picture); the size and grid choice made meanwhile hold once built.
TEST_F(ViewsTest, DecorationsComeAfterTheFirstFramesWithWhatWasSetMeanwhile) {
    CViewDecorations d(g_session->Engine().GetOgreSceneManager(), "DeferredTestView", 1u << 30,
                       "顶视", CViewDecorations::XZ);
    d.Resize(320, 240);
    d.SetGridShown(false);
    for (int frame = 0; frame < CViewDecorations::kFramesBeforeBuild; ++frame) {
        d.FrameDrawn();
        d.UpdateAxes(Ogre::Quaternion::IDENTITY);
        EXPECT_FALSE(d.Built() || d.Grid() || d.Axes() || d.CaptionWidth() > 0)
            << "built before frame " << frame + 1;
    }
    d.FrameDrawn();
    ASSERT_TRUE(d.Built());
    ASSERT_TRUE(d.Grid() && d.Axes());
    EXPECT_FALSE(d.Grid()->isVisible()) << "the grid hidden before it was built shows";
    EXPECT_GT(d.CaptionWidth(), 0);
    d.UpdateAxes(Ogre::Quaternion::IDENTITY);
    EXPECT_TRUE(d.Axes()->isVisible());
    EXPECT_FALSE(d.Axes()->getSections().empty());
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    options.views = 4;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
