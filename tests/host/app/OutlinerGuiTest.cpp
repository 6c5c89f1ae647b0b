// The outliner and the everyday edits in the editor with the plug-in, driven by real X input
// (clicks on the outliner's rows, F2 and typing into its label editor, the edit keys) and by
// script lines: the selection goes through the host's undoable path and the gizmo follows it,
// a delete is undone bit for bit, hidden entities survive a save, renames are refused with a
// message and undone.
#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "COutliner.h"
#include "CSceneDocument.h"
#include "CViewWindow.h"
#include "EditorTestMain.h"
#include "ScriptRunner.h"

#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace {
CEditorSession* g_session = nullptr;

using Names = std::set<std::string>;

class OutlinerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test starts from the demo scene as the editor opened it.
        while (g_session->Host().Undo().undoCount() > 0)
            g_session->Host().Undo().undo();
        g_session->Host().Undo().clear();
        Script("tool select");
    }
    std::string Script(const std::string& line, bool mustWork = true) {
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        const bool ok = g_session->RunScriptLine(line);
        g_session->Script().SetOutput(nullptr);
        if (mustWork) {
            EXPECT_TRUE(ok) << line << ": " << g_session->Script().LastError();
        }
        return out.str();
    }
    bool WaitFor(const std::function<bool()>& done) {
        wxStopWatch clock;
        while (!done() && clock.Time() < 5000) {
            g_session->RenderFrames(1);
            wxMilliSleep(2);
        }
        return done();
    }
    Names Selection() { return g_session->Scene().getSelectedEntities(); }
    COutliner& Outliner() { return *g_session->Frame()->GetOutliner(); }
    // The status line's latest text (the bar shows it from the next frame).
    std::string Status() { return g_session->Frame()->StatusText(0).utf8_string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A key pressed with the keyboard focus in `window`.
    void Key(wxWindow* window, int key, int modifiers = wxMOD_NONE) {
        window->SetFocus();
        ASSERT_TRUE(WaitFor([&] { return wxWindow::FindFocus() == window; }));
        wxUIActionSimulator().Char(key, modifiers);
        g_session->RenderFrames(2);
    }
    // "NAME px X Y" -> (X, Y).
    static bool Pixel(const std::string& line, double& x, double& y) {
        const size_t at = line.find(" px ");
        return at != std::string::npos &&
               std::sscanf(line.c_str() + at + 4, "%lf %lf", &x, &y) == 2;
    }
};

TEST_F(OutlinerTest, ClicksSelectThroughTheUndoablePathAndTheGizmoFollows) {
    const int steps = g_session->Host().Undo().undoCount();
    Script("outliner click box_a");
    EXPECT_EQ(Selection(), (Names{"box_a"}));
    Script("outliner click cone_a ctrl");
    EXPECT_EQ(Selection(), (Names{"box_a", "cone_a"}));
    Script("outliner click box_a shift");
    EXPECT_EQ(Selection(), (Names{"cone_a"}));
    EXPECT_EQ(g_session->Host().Undo().undoCount(), steps + 3); // each click one step
    Script("undo");
    EXPECT_EQ(Selection(), (Names{"box_a", "cone_a"}));
    // The rows follow the undo in the same frame.
    const std::string rows = Script("outliner");
    EXPECT_NE(rows.find("0 box_a mesh selected\n1 box_b mesh\n0 cone_a mesh selected\n"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find("0 lamp_point light\n"), std::string::npos) << rows;

    // A row out of sight is scrolled to whole before the click (copies make the list long).
    for (int twice = 0; twice < 2; ++twice) {
        Script("selectall");
        CommandParams copy;
        ASSERT_TRUE(g_session->Host().Undo().doCommand("CopyEntity", &copy));
    }
    Script("tool move"); // the plug-in's panel takes its share of the side
    g_session->RenderFrames(2);
    const wxWindow* list = Outliner().Tree();
    const wxRect inside(list->ClientToScreen(wxPoint(0, 0)), list->GetClientSize());
    for (const COutliner::Row& row : Outliner().Rows()) {
        wxRect rect;
        ASSERT_TRUE(Outliner().ShowRow(row.name, rect)) << row.name;
        EXPECT_TRUE(inside.Contains(rect)) << row.name << " is not wholly in sight";
    }
    Script("outliner click 石块_2");
    EXPECT_EQ(Selection(), (Names{"石块_2"}));

    // The gizmo stands on the entity picked in the outliner.
    Script("tool move");
    for (const char* name : {"pillar", "cone_a"}) {
        Script(std::string("outliner click ") + name);
        g_session->RenderFrames(2);
        double gx = 0, gy = 0, ex = 0, ey = 0;
        ASSERT_TRUE(Pixel(Script("handle centre"), gx, gy)) << name;
        ASSERT_TRUE(Pixel(Script(std::string("project ") + name), ex, ey)) << name;
        EXPECT_NEAR(gx, ex, 3.0) << name;
        EXPECT_NEAR(gy, ey, 3.0) << name;
    }
}

TEST_F(OutlinerTest, DeleteKeyIsUndoneBitForBitAndTheGizmoLetsGo) {
    // Saved to the same file before and after (the ground's mesh is named for the file).
    const std::string path = testing::TempDir() + "outliner_delete.scene";
    Script("save " + path);
    const std::string before = Read(path);
    ASSERT_FALSE(before.empty());
    Script("tool move");
    Script("outliner click box_a");
    Script("outliner click lamp_spot ctrl");
    const int count = g_session->Scene().GetEntityCount();
    Key(g_session->Frame()->GetViewWindow(0), WXK_DELETE);
    ASSERT_TRUE(WaitFor([&] { return !g_session->Scene().GetEntity("box_a"); }));
    EXPECT_FALSE(g_session->Scene().GetEntity("box_b")); // the child went with it
    EXPECT_EQ(g_session->Scene().GetEntityCount(), count - 3);
    EXPECT_EQ(Script("outliner").find("box_"), std::string::npos);

    Script("undo");
    EXPECT_EQ(Selection(), (Names{"box_a", "lamp_spot"}));
    Script("save " + path);
    const std::string after = Read(path);
    EXPECT_TRUE(after == before) << "the scene saved after delete and undo differs";

    // The gizmo's own entity deleted, then frames and a drag: nothing points at it any more.
    Script("outliner click box_b");
    Script("delete");
    g_session->RenderFrames(3);
    EXPECT_EQ(Script("handle x"), "handle x hidden\n"); // no entity: no gizmo to grab
    Script("drag x 40 0", false);
    Script("outliner click cone_a");
    Script("frame"); // in sight whatever view an earlier case left
    g_session->RenderFrames(2);
    const std::string was = Script("print cone_a");
    Script("drag x 40 0");
    EXPECT_NE(Script("print cone_a"), was);
    std::remove(path.c_str());
    std::remove((testing::TempDir() + "outliner_delete.ground.mesh").c_str());
}

TEST_F(OutlinerTest, F2RenamesThroughTheHostAndBadNamesAreRefusedWithAMessage) {
    Script("outliner click box_a");
    wxWindow* tree = Outliner().Tree();
    Key(tree, WXK_F2);
    ASSERT_TRUE(
        WaitFor([] { return wxDynamicCast(wxWindow::FindFocus(), wxTextCtrl) != nullptr; }));
    auto* editor = wxDynamicCast(wxWindow::FindFocus(), wxTextCtrl);
    editor->SelectAll();
    wxUIActionSimulator input;
    input.Text("crate");
    input.Char(WXK_RETURN);
    ASSERT_TRUE(WaitFor([] { return g_session->Scene().GetEntity("crate") != nullptr; }));
    EXPECT_FALSE(g_session->Scene().GetEntity("box_a"));
    EXPECT_EQ(Selection(), (Names{"crate"}));
    EXPECT_NE(Script("outliner").find("0 crate mesh selected\n1 box_b mesh\n"), std::string::npos);

    EXPECT_FALSE(Outliner().Rename("crate", "cone_a"));
    EXPECT_NE(Status().find("已有名为 cone_a"), std::string::npos) << Status();
    EXPECT_FALSE(Outliner().Rename("crate", ""));
    EXPECT_NE(Status().find("不能为空"), std::string::npos) << Status();
    EXPECT_FALSE(Outliner().Rename("crate", "a\x01"));
    // A name longer than 255 bytes (a megabyte would stall every frame) is refused, through
    // the script command as well.
    EXPECT_EQ(Script("rename crate " + std::string(256, 'n')),
              "rename refused crate " + std::string(256, 'n') + "\n");
    EXPECT_NE(Status().find("名称超过 255 字节"), std::string::npos) << Status();
    EXPECT_TRUE(g_session->Scene().GetEntity("crate"));
    EXPECT_TRUE(g_session->Scene().GetEntity("cone_a"));

    Script("undo");
    EXPECT_TRUE(g_session->Scene().GetEntity("box_a"));
    EXPECT_NE(Script("outliner").find("0 box_a mesh selected\n"), std::string::npos);
    Script("redo");
    EXPECT_TRUE(g_session->Scene().GetEntity("crate"));
}

TEST_F(OutlinerTest, HideKeysGreyTheRowsAndHiddenEntitiesSurviveASave) {
    Script("outliner click cone_a");
    Key(Outliner().Tree(), 'H');
    ASSERT_TRUE(WaitFor([] { return !g_session->Scene().GetEntity("cone_a")->IsVisible(); }));
    EXPECT_TRUE(Selection().empty()); // a hidden entity leaves the selection
    EXPECT_NE(Script("outliner").find("0 cone_a mesh hidden\n"), std::string::npos);
    // Select all leaves it out.
    Key(Outliner().Tree(), 'A', wxMOD_CONTROL);
    EXPECT_EQ(Selection().count("cone_a"), 0u);
    EXPECT_EQ(Selection().size(), size_t(g_session->Scene().GetEntityCount() - 1));

    const std::string path = testing::TempDir() + "outliner_hidden.scene";
    Script("save " + path);
    Key(g_session->Frame()->GetViewWindow(0), 'H', wxMOD_ALT);
    ASSERT_TRUE(WaitFor([] { return g_session->Scene().GetEntity("cone_a")->IsVisible(); }));
    Script("open " + path);
    EXPECT_FALSE(g_session->Scene().GetEntity("cone_a")->IsVisible());
    EXPECT_TRUE(g_session->Scene().GetEntity("box_a")->IsVisible());
    EXPECT_NE(Script("outliner").find("0 cone_a mesh hidden\n"), std::string::npos);
    Script("showall");
    EXPECT_TRUE(g_session->Scene().GetEntity("cone_a")->IsVisible());
    std::remove(path.c_str());
    std::remove((testing::TempDir() + "outliner_hidden.ground.mesh").c_str());
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}
